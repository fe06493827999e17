// The computer list page under Wine: filling it with 10000 computers, a refresh tick with 10000
// listed, an IP range of 5000 added to 5000 listed; against the test command's network namespace a
// Ping batch over answering addresses and the Scan of a /24 whose addresses are mostly silent, each
// one at a time and with fast checks (up to 32 at once), the refresh tick while 32 workers write,
// and Workgroups resolving 50 names while the window answers paints.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <cstdlib>
#include <memory>
#include <string>

#include <set>

#include "manager/IpRange.h"
#include "model/Text.h"
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

// The fast checks choice, fixed for one measurement.
class FixedChoice : public StoredChoice {
public:
    explicit FixedChoice(bool on) : on_(on) {}
    bool Read() override { return on_; }
    void Write(bool on) override { on_ = on; }

private:
    bool on_;
};

ComputerServices Services(bool fast) {
    ComputerServices services = SystemComputerServices();
    services.fastChecks = std::make_shared<FixedChoice>(fast);
    return services;
}

// The page in a modeless sheet of its own, as the properties sheet shows it.
struct OpenPage {
    ManagerContext context;
    CTaskParams record;
    int action = kActionShutdown;
    std::unique_ptr<CCompList> page;
    HWND sheet = nullptr;

    explicit OpenPage(std::vector<ComputerEntry> computers, ComputerServices services = Services(false)) {
        record.computers = std::move(computers);
        page = std::make_unique<CCompList>(record, action, false, context, std::move(services));
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
        open.page->OnBatchTimer(kTimerRefresh);
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

std::optional<std::uint32_t> EnvAddress(const char* name) {
    const char* text = std::getenv(name);
    if (!text)
        return std::nullopt;
    return ::ntohl(::inet_addr(text));
}

struct BatchTiming {
    double ms = 0;
    double tickMeanMs = 0, tickMaxMs = 0;  // the refresh ticks during the batch
    int answered = 0, kept = 0;
};

// Pumps the page until its batch ends, with a refresh tick of our own every 50 ms timed.
BatchTiming AwaitBatch(OpenPage& open, std::chrono::steady_clock::time_point start) {
    BatchTiming timing;
    int ticks = 0;
    double tickTotal = 0;
    auto nextTick = std::chrono::steady_clock::now();
    while (open.page->logic().batchRunning()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        test::Pump();
        if (std::chrono::steady_clock::now() >= nextTick && open.page->logic().batchRunning()) {
            const auto before = std::chrono::steady_clock::now();
            open.page->OnBatchTimer(kTimerRefresh);
            ::UpdateWindow(open.page->list());
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
            tickTotal += ms;
            timing.tickMaxMs = std::max(timing.tickMaxMs, ms);
            ++ticks;
            nextTick = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
        }
    }
    timing.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    timing.tickMeanMs = ticks ? tickTotal / ticks : 0;
    for (const ComputerEntry& entry : open.page->logic().Computers())
        timing.answered += entry[kTextState] == u"ok" ? 1 : 0;
    timing.kept = open.page->logic().ComputerCount();
    return timing;
}

// Every answering address of the test namespace, pinged by one batch, one at a time and fast.
void PingBatch(bool fast) {
    const auto first = EnvAddress("VELMORA_TEST_PEER_FIRST");
    const char* count = std::getenv("VELMORA_TEST_PEER_COUNT");
    if (!first || !count) {
        std::printf("PingBatch: skipped, no test host addresses (VELMORA_TEST_PEER_FIRST, VELMORA_TEST_PEER_COUNT)\n");
        return;
    }
    const int n = std::atoi(count);
    OpenPage open(Computers(n, *first), Services(fast));
    const HWND list = open.page->list();
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    const auto start = std::chrono::steady_clock::now();
    open.page->Ping();
    const BatchTiming timing = AwaitBatch(open, start);
    std::printf("%-28s %12.1f ms in all, %.1f ms a computer (%d of %d answered; the pause is 20 ms)\n",
                fast ? "PingBatchFast" : "PingBatch", timing.ms, timing.ms / n, timing.answered, n);
}

// One Scan of the addresses from `first`, `count` of them, as the range dialog starts it.
BatchTiming Scan(std::uint32_t first, int count, bool fast) {
    OpenPage open({}, Services(fast));
    std::vector<std::u16string> addresses;
    for (int i = 0; i < count; ++i)
        addresses.push_back(DottedHostOrder(first + static_cast<std::uint32_t>(i)));
    const auto start = std::chrono::steady_clock::now();
    open.page->AddRange(addresses, true);
    return AwaitBatch(open, start);
}

// The /24 of the test host: .1 (this machine's side) and .2 answer, and the two addresses that
// VELMORA_TEST_PEER_FIRST names; the other 250 are silent. One at a time, a slice of one answering
// and four silent addresses is measured and the whole range extrapolated; fast, it is scanned whole.
void ScanOfASubnet() {
    const auto peer = EnvAddress("VELMORA_TEST_PEER_IP");
    const char* count = std::getenv("VELMORA_TEST_PEER_COUNT");
    if (!peer || !count || std::atoi(count) != 2) {
        std::printf("ScanOf254: skipped, the test host needs exactly two more addresses (VELMORA_TEST_PEER_COUNT=2)\n");
        return;
    }
    const std::uint32_t net = *peer & 0xFFFFFF00u;
    const BatchTiming live = Scan(*peer, 1, false);
    const BatchTiming silent = Scan(*peer + 1, 4, false);
    const double perSilent = silent.ms / 4;
    const double extrapolated = 250 * perSilent + 4 * live.ms;
    std::printf("%-28s %12.1f ms an answering address, %.1f ms a silent one: 254 with 250 silent about %.1f s\n",
                "ScanSerialSlice", live.ms, perSilent, extrapolated / 1000);
    const BatchTiming fast = Scan(net + 1, 254, true);
    std::printf("%-28s %12.1f ms in all, %d of 254 kept; refresh tick %.2f ms mean, %.2f ms at most\n", "ScanOf254Fast",
                fast.ms, fast.kept, fast.tickMeanMs, fast.tickMaxMs);
}

// A network whose 50 computers take 80 ms each to resolve, so Workgroups of a wakeup task works for
// about four seconds on its worker thread.
class SlowNetwork : public NetworkBrowser {
public:
    std::intptr_t Open(const std::u16string& container) override { return container.empty() ? 1 : 2; }
    EnumRead Read(std::intptr_t enumeration, std::vector<NetResource>& items) override {
        if (read_.count(enumeration))
            return EnumRead::kNoMore;
        read_.insert(enumeration);
        if (enumeration == 1) {
            items.push_back({kResourceUsageContainer, kResourceTypeAny, u"WORKGROUP"});
            return EnumRead::kItems;
        }
        for (int i = 0; i < 50; ++i)
            items.push_back({kResourceUsageContainer, kResourceTypeAny, u"\\\\PC" + DecimalText(i)});
        return EnumRead::kItems;
    }
    void Close(std::intptr_t) override {}
    std::u16string OwnName() override { return u"SELF"; }
    std::optional<std::u16string> AddressOf(const std::u16string&) override {
        ::Sleep(80);
        ++resolved;
        return u"10.0.0.1";
    }
    std::u16string MacByArpRequest(const std::u16string&) override { return u"001122334455"; }

    std::atomic<int> resolved{0};

private:
    std::set<std::intptr_t> read_;
};

// Workgroups with 50 names to resolve: how long the page's window takes at most to answer a paint
// while it waits, asked every 20 ms from another thread.
void WorkgroupsPaint() {
    ComputerServices services = Services(false);
    auto network = std::make_shared<SlowNetwork>();
    services.network = network;
    OpenPage open({}, services);
    open.action = kActionWakeOnLan;
    std::atomic<bool> done{false}, watched{false};
    double worstMs = 0, worstWaitingMs = 0;
    int asked = 0;
    std::thread watcher([&] {
        while (!done) {
            const bool waiting = network->resolved < 50;
            const auto before = std::chrono::steady_clock::now();
            ::RedrawWindow(open.page->list(), nullptr, nullptr, RDW_INVALIDATE);
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(open.page->list(), WM_PAINT, 0, 0, SMTO_NORMAL, 5000, &answer);
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
            worstMs = std::max(worstMs, ms);
            if (waiting)
                worstWaitingMs = std::max(worstWaitingMs, ms);
            ++asked;
            ::Sleep(20);
        }
        watched = true;
    });
    const auto start = std::chrono::steady_clock::now();
    open.page->Workgroups();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    done = true;
    // A question asked as the command ended is answered here.
    while (!watched) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        test::Pump();
    }
    watcher.join();
    std::printf("%-28s %12.1f ms in all, %d computers added; a paint answered within %.1f ms at most while the names "
                "resolved, %.1f ms at most in all (%d asked)\n",
                "Workgroups50Paint", ms, open.page->logic().ComputerCount(), worstWaitingMs, worstMs, asked);
}

// The two measurements that time only a part of each run print their own lines, after the timed
// benchmarks.
// A part of the measurements below runs when VELMORA_BENCH_PARTS names it, or is unset.
bool Part(const char* name) {
    const char* parts = std::getenv("VELMORA_BENCH_PARTS");
    return !parts || std::string(parts).find(name) != std::string::npos;
}

struct PartialMeasurements {
    ~PartialMeasurements() {
        ComInit com;
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        if (Part("range"))
            RangeIntoList();
        // The Scan wants the subnet mostly silent, the Ping batch many answering addresses: the
        // benchmark script runs them apart.
        if (Part("scan"))
            ScanOfASubnet();
        if (Part("ping")) {
            PingBatch(false);
            PingBatch(true);
        }
        if (Part("workgroups"))
            WorkgroupsPaint();
        ::WSACleanup();
    }
} partialMeasurements;

}  // namespace

BENCHMARK(BM_OpenPageWithComputers)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickAllVisibleChanged)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickAllVisibleUnpainted)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickOneRowChanged)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickNothingChanged)->Arg(10000)->Unit(benchmark::kMillisecond);
