// The manager under Wine with N local tasks: from opening the sheet to the filled Tasks page, one
// refresh of every row as on a change in the running executors, and the process's processor time
// while the sheet sits idle with its executor watcher running.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/StoreTasks.h"
#include "manager/win/VesperPS.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"

namespace {

using namespace velmora;

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Makes the store hold exactly `count` local tasks, once per count.
void Prepare(int count) {
    static int prepared = -1;
    if (prepared == count)
        return;
    prepared = count;
    bench::FillStoreWithTasks(count, kActionPopup);
}

struct Manager {
    ComInit com;
    NoTaskEditor editor;
    ManagerContext context;
    Manager() {
        context.taskFolder = TaskStoreFolder();
        context.editor = &editor;
        context.messageBox = [](HWND, const std::wstring&, UINT) { return IDNO; };
    }
};

void BM_OpenTasksPage(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Prepare(count);
    Manager manager;
    for (auto _ : state) {
        CVesperPS sheet(manager.context, SheetOptions{false, true});
        sheet.Show();
        Pump();
        if (sheet.tasks().list().RowCount() != count)
            state.SkipWithError("the page missed tasks");
    }
}

void BM_RefreshEveryRow(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Prepare(count);
    Manager manager;
    CVesperPS sheet(manager.context, SheetOptions{false, true});
    sheet.Show();
    Pump();
    for (auto _ : state)
        ::SendMessageW(sheet.hwnd(), CVesperPS::ScanMessage(), 0, 0);
}

std::uint64_t ProcessorTime100ns() {
    FILETIME created, ended, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto value = [](const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return value(kernel) + value(user);
}

// One iteration is ten idle seconds; the share of one core it used is printed.
void BM_IdleWithWatcher(benchmark::State& state) {
    Prepare(static_cast<int>(state.range(0)));
    Manager manager;
    CVesperPS sheet(manager.context, SheetOptions{false, true});
    sheet.Show();
    Pump();
    for (auto _ : state) {
        const std::uint64_t before = ProcessorTime100ns();
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 10000) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            Pump();
        }
        const double share = static_cast<double>(ProcessorTime100ns() - before) / (10000.0 * 10000.0);
        std::printf("idle with the watcher running: %.2f%% of one core\n", share * 100.0);
    }
}

struct Cleanup {
    ~Cleanup() {
        CScheduledTask scheduler;
        RemoveAllTasks(scheduler, TaskStoreFolder());
    }
} cleanup;

}  // namespace

BENCHMARK(BM_OpenTasksPage)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshEveryRow)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleWithWatcher)->Arg(50)->Unit(benchmark::kMillisecond);
