// The manager under Wine with N local tasks: from opening the sheet to the filled Tasks page, one
// refresh of every row as on a change in the running executors, the process's processor time
// while the sheet sits idle with its executor watcher running, and a new task through the wizard:
// from Create New to its first page, and from Finish to the new row.
#include <windows.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bench/StoreTasks.h"
#include "manager/win/TaskEditor.h"
#include "manager/win/VesperPS.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"
#include "tests/support/win/Messages.h"

namespace {

using namespace velmora;

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
        test::Pump();
        if (sheet.tasks().list().RowCount() != bench::LocalTasksListedWith(count))
            state.SkipWithError("the page missed tasks");
    }
}

void BM_RefreshEveryRow(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Prepare(count);
    Manager manager;
    CVesperPS sheet(manager.context, SheetOptions{false, true});
    sheet.Show();
    test::Pump();
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
    test::Pump();
    for (auto _ : state) {
        const std::uint64_t before = ProcessorTime100ns();
        const DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < 10000) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            test::Pump();
        }
        const double share = static_cast<double>(ProcessorTime100ns() - before) / (10000.0 * 10000.0);
        std::printf("idle with the watcher running: %.2f%% of one core\n", share * 100.0);
    }
}

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

// The wizard the sheet comes to own, with its first page shown; none once `gone` says that Create
// New has returned without one.
HWND WaitForWizard(HWND sheet, const std::atomic<bool>& gone) {
    while (!gone) {
        struct Search {
            HWND owner, found;
        } search{sheet, nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (::GetWindow(window, GW_OWNER) != s->owner || !::IsWindowVisible(window))
                    return TRUE;
                const auto page = reinterpret_cast<HWND>(::SendMessageW(window, PSM_GETCURRENTPAGEHWND, 0, 0));
                if (page && ::IsWindowVisible(page))
                    s->found = window;
                return s->found ? FALSE : TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return nullptr;
}

// One iteration is five tasks made on the defaults; the means of both spans are printed.
constexpr int kTasksPerIteration = 5;

void BM_NewTaskThroughTheWizard(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Prepare(count);
    Manager manager;
    ManagerTaskEditor editor(manager.context);
    manager.context.editor = &editor;
    manager.context.isAdministrator = [] { return true; };
    manager.context.hibernationAllowed = [] { return true; };
    manager.context.enableHibernation = [] {};
    CVesperPS sheet(manager.context, SheetOptions{false, true});
    sheet.Show();
    test::Pump();
    CTaskList& tasks = sheet.tasks();
    double toWizardMs = 0, toRowMs = 0;
    int runs = 0;
    for (auto _ : state) {
        for (int task = 0; task < kTasksPerIteration; ++task) {
            std::atomic<Clock::rep> shownAt{0}, finishAt{0};
            std::atomic<bool> returned{false};
            std::thread driver([&] {
                const HWND wizard = WaitForWizard(sheet.hwnd(), returned);
                if (!wizard)
                    return;
                shownAt = Clock::now().time_since_epoch().count();
                for (int page = 0; page < 2; ++page)
                    ::SendMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
                finishAt = Clock::now().time_since_epoch().count();
                ::SendMessageW(wizard, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
                // The wizard's loop notices its end at the next posted message.
                while (::IsWindow(wizard) && ::PostMessageW(wizard, WM_NULL, 0, 0))
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            });
            const Clock::time_point start = Clock::now();
            tasks.CreateNew();
            const Clock::time_point end = Clock::now();
            returned = true;
            driver.join();
            if (tasks.list().RowCount() != count + 1 || !shownAt) {
                state.SkipWithError("the wizard made no task");
                return;
            }
            toWizardMs += Ms(Clock::time_point(Clock::duration(shownAt.load())) - start);
            toRowMs += Ms(end - Clock::time_point(Clock::duration(finishAt.load())));
            ++runs;
            // Back to `count` tasks, outside the measured spans.
            const std::u16string made = RowDataText(*tasks.list().RowData(tasks.list().SelectedRow()), 0);
            CScheduledTask scheduler;
            DeleteTaskPair(scheduler, TaskStoreFolder(), made);
            tasks.Fill();
        }
    }
    if (runs)
        std::printf(
            "new task with %d others: Create New to the wizard's first page %.1f ms, Finish to the new row "
            "%.1f ms (means of %d)\n",
            count, toWizardMs / runs, toRowMs / runs, runs);
}

bench::OwnTasksRemovedAtExit cleanup;

}  // namespace

BENCHMARK(BM_OpenTasksPage)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshEveryRow)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewTaskThroughTheWizard)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleWithWatcher)->Arg(50)->Unit(benchmark::kMillisecond);
