// The computer list page under Wine: filling it with 10000 computers, a refresh tick with 10000
// listed, an IP range of 5000 added to 5000 listed, and a Ping batch over answering addresses of
// the test command's network namespace.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "manager/IpRange.h"
#include "manager/win/CompList.h"
#include "platform/win/Com.h"
#include "tests/support/win/Messages.h"

namespace {

using namespace velmora;

std::vector<ComputerEntry> Computers(int count, std::uint32_t first) {
    std::vector<ComputerEntry> computers(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        computers[static_cast<std::size_t>(i)][kTextName] = DottedHostOrder(first + static_cast<std::uint32_t>(i));
    return computers;
}

// The page in a modeless sheet of its own, as the properties sheet shows it.
struct OpenPage {
    ManagerContext context;
    CTaskParams record;
    int action = kActionShutdown;
    std::unique_ptr<CCompList> page;
    HWND sheet = nullptr;

    explicit OpenPage(std::vector<ComputerEntry> computers) {
        record.computers = std::move(computers);
        page = std::make_unique<CCompList>(record, action, false, context);
        sheet = test::ShowPageInModelessSheet(page->Create(), L"Task Properties");
        ::UpdateWindow(sheet);
    }
    ~OpenPage() {
        ::DestroyWindow(sheet);
        test::Pump();
    }
};

void BM_OpenPageWithComputers(benchmark::State& state) {
    const std::vector<ComputerEntry> computers = Computers(static_cast<int>(state.range(0)), 0x0A000000);
    for (auto _ : state) {
        OpenPage open(computers);
        if (open.page->logic().RowCount() != state.range(0))
            state.SkipWithError("rows missing");
    }
}

// A refresh tick rewrites the visible rows only, and has those whose texts changed painted again:
// every visible row changes before each tick (the worst case), one does (a worker finished), or none
// does. "Unpainted" leaves the list's painting out, which is Wine's drawing of the rows.
void RefreshTicks(benchmark::State& state, int changedRows, bool paint) {
    OpenPage open(Computers(static_cast<int>(state.range(0)), 0x0A000000));
    const HWND list = open.page->list();
    const int visible = static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
    const int changed = changedRows < 0 ? visible : changedRows;
    const auto& entries = open.page->logic().pageList();
    bool flip = false;
    for (auto _ : state) {
        for (int row = 0; row < changed; ++row)
            entries[static_cast<std::size_t>(row)]->SetText(kTextState, flip ? u"ok" : u"not reply");
        flip = !flip;
        open.page->OnTimer(kTimerRefresh);
        if (paint)
            ::UpdateWindow(list);
        else
            ::ValidateRect(list, nullptr);
    }
}
void BM_RefreshTickAllVisibleChanged(benchmark::State& state) {
    RefreshTicks(state, -1, true);
}
void BM_RefreshTickAllVisibleUnpainted(benchmark::State& state) {
    RefreshTicks(state, -1, false);
}
void BM_RefreshTickOneRowChanged(benchmark::State& state) {
    RefreshTicks(state, 1, true);
}
void BM_RefreshTickNothingChanged(benchmark::State& state) {
    RefreshTicks(state, 0, true);
}

// 5000 addresses, half of them listed already (in upper case where they are names), into a list of
// 5000: each iteration starts again from the same list, and only the adding is timed.
void RangeIntoList() {
    const std::vector<std::u16string> range = RangeAddresses(0x0A000000 + 2500, 0x0A000000 + 7500, 5000);
    OpenPage open(Computers(5000, 0x0A000000));
    const HWND list = open.page->list();
    const int runs = 20;
    double totalMs = 0;
    for (int run = 0; run < runs; ++run) {
        open.page->logic().SetComputers(open.record.computers);
        open.page->logic().Fill(false);
        const auto start = std::chrono::steady_clock::now();
        open.page->AddRange(range, false);
        ::UpdateWindow(list);
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (open.page->logic().ComputerCount() != 7500)
            std::printf("range: %d computers instead of 7500\n", open.page->logic().ComputerCount());
    }
    std::printf("%-28s %12.3f ms %10d runs\n", "RangeOf5000Into5000", totalMs / runs, runs);
}

// Every answering address of the test namespace, pinged by one batch.
void PingBatch() {
    const char* first = std::getenv("VELMORA_TEST_PEER_FIRST");
    const char* count = std::getenv("VELMORA_TEST_PEER_COUNT");
    if (!first || !count) {
        std::printf("PingBatch: skipped, no test host addresses (VELMORA_TEST_PEER_FIRST, VELMORA_TEST_PEER_COUNT)\n");
        return;
    }
    const int n = std::atoi(count);
    OpenPage open(Computers(n, ::ntohl(::inet_addr(first))));
    const HWND list = open.page->list();
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    const auto start = std::chrono::steady_clock::now();
    open.page->Ping();
    while (open.page->logic().batchRunning()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        test::Pump();
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    int answered = 0;
    for (const ComputerEntry& entry : open.page->logic().Computers())
        answered += entry[kTextState] == u"ok" ? 1 : 0;
    std::printf("%-28s %12.1f ms in all, %.1f ms a computer (%d of %d answered; the pause is 20 ms)\n", "PingBatch", ms,
                ms / n, answered, n);
}

// The two measurements that time only a part of each run print their own lines, after the timed
// benchmarks.
struct PartialMeasurements {
    ~PartialMeasurements() {
        ComInit com;
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        RangeIntoList();
        PingBatch();
        ::WSACleanup();
    }
} partialMeasurements;

}  // namespace

BENCHMARK(BM_OpenPageWithComputers)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickAllVisibleChanged)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickAllVisibleUnpainted)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickOneRowChanged)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickNothingChanged)->Arg(10000)->Unit(benchmark::kMillisecond);
