// The computer list's batch engine against fake remote operations and a test-driven clock: order,
// one worker at a time, appending, refusals, the end of a batch and of a Scan; then sorting,
// dragging, Delete, Edit and the context menu.
#include "manager/CompListLogic.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>
#include <set>
#include <thread>

#include "manager/ids/ActionTextIds.h"
#include "manager/ids/ComputerListIds.h"
#include "model/Text.h"
#include "tests/manager/CompListFakes.h"

namespace velmora {
namespace {

using testing_fakes::FakeOperations;
using testing_fakes::FakeTimers;
using testing_fakes::QueuedLauncher;
using testing_fakes::ThreadLauncher;

ComputerEntry Computer(const std::u16string& name, const std::u16string& state = {}, const std::u16string& mac = {}) {
    ComputerEntry entry;
    entry[kTextName] = name;
    entry[kTextState] = state;
    entry[kTextMac] = mac;
    return entry;
}

std::vector<std::u16string> Names(const CompListLogic& logic) {
    std::vector<std::u16string> names;
    for (int row = 0; row < logic.RowCount(); ++row)
        names.push_back(logic.Row(row).cells[0]);
    return names;
}

std::vector<std::u16string> Stored(const CompListLogic& logic) {
    std::vector<std::u16string> names;
    for (const ComputerEntry& entry : logic.Computers())
        names.push_back(entry[kTextName]);
    return names;
}

class CompListBatch : public ::testing::Test {
protected:
    void SetUp() override {
        logic.SetComputers({Computer(u"a"), Computer(u"b"), Computer(u"c")});
        logic.Fill(false);
    }
    TickResult Tick(int timer) { return logic.Tick(timer, task, 0, 20); }
    // Ticks the start timer, running each worker, until the batch ends; the number of ticks.
    int RunToEnd(int timer) {
        for (int ticks = 1; ticks < 100; ++ticks) {
            if (Tick(timer).ended)
                return ticks;
            launcher->RunNext();
        }
        return -1;
    }

    std::shared_ptr<FakeOperations> operations = std::make_shared<FakeOperations>();
    std::shared_ptr<QueuedLauncher> launcher = std::make_shared<QueuedLauncher>();
    std::shared_ptr<FakeTimers> timers = std::make_shared<FakeTimers>();
    CompListLogic logic{operations, launcher, timers};
    TaskValues task;
};

TEST_F(CompListBatch, RunsItsComputersOneAtATimeInWorkListOrderAndEnds) {
    operations->answering = {u"a", u"c"};
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kPing, {2, 0, 1}, kActionShutdown));
    EXPECT_EQ(3u, logic.workCount());

    EXPECT_FALSE(Tick(kTimerPing).ended);
    EXPECT_EQ(1u, launcher->jobs.size());
    EXPECT_EQ(1u, logic.nextIndex());
    // While the worker runs, neither a start tick nor a refresh starts another one.
    EXPECT_FALSE(Tick(kTimerPing).ended);
    EXPECT_FALSE(Tick(kTimerRefresh).ended);
    EXPECT_EQ(1u, launcher->jobs.size());
    EXPECT_EQ(1, logic.busyCount());
    EXPECT_EQ(1u, logic.nextIndex());
    // A refresh tick in the gap between two workers starts nothing and ends nothing.
    launcher->RunNext();
    EXPECT_FALSE(Tick(kTimerRefresh).ended);
    EXPECT_TRUE(launcher->jobs.empty());
    EXPECT_TRUE(logic.batchRunning());

    EXPECT_EQ(3, RunToEnd(kTimerPing));
    EXPECT_EQ((std::vector<std::u16string>{u"ping a", u"ping b", u"ping c"}), operations->Calls());
    EXPECT_EQ(60u, operations->sleptMs) << "20 ms after each computer";
    EXPECT_FALSE(logic.batchRunning());
    EXPECT_EQ(0u, logic.nextIndex());
    EXPECT_EQ(0u, logic.workCount());
    EXPECT_EQ(u"ok", logic.Row(0).cells[1]);
    EXPECT_EQ(u"not reply", logic.Row(1).cells[1]);
    EXPECT_EQ(u"ok", logic.Row(2).cells[1]);
}

TEST_F(CompListBatch, ABatchKeepsItsStartTimerAndTheRefreshTimerUntilItEnds) {
    struct Case {
        BatchKind kind;
        int startTimer;
    };
    for (const Case c : {Case{BatchKind::kRun, kTimerRun}, Case{BatchKind::kGetMac, kTimerGetMac},
                         Case{BatchKind::kPing, kTimerPing}, Case{BatchKind::kScan, kTimerScan}}) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        if (c.kind == BatchKind::kScan) {
            ASSERT_TRUE(logic.BeginRange());
            ASSERT_TRUE(logic.TakeRange({u"10.3.0.1"}, true, false));
        } else {
            ASSERT_EQ(StartResult::kStarted, logic.Start(c.kind, {0, 1}, kActionShutdown));
        }
        const std::map<int, unsigned> running = {{c.startTimer, 1}, {kTimerRefresh, 500}};
        EXPECT_EQ(running, timers->running);
        ASSERT_NE(-1, RunToEnd(c.startTimer));
        EXPECT_TRUE(timers->running.empty()) << "the end of the batch kills its timers";
    }
    EXPECT_EQ(StartResult::kWokenUp, logic.Start(BatchKind::kRun, {0}, kActionWakeOnLan));
    EXPECT_TRUE(timers->running.empty()) << "the wake-up packets go at once";
}

// A timer that cannot be made would leave the page busy for good: the batch ends at once, and the
// state of each of its computers says why (the system's text for the timer's error).
TEST_F(CompListBatch, ATimerThatCannotBeMadeEndsItsBatchAndTheRowsSayWhy) {
    const std::u16string why = u"Insufficient system resources exist to complete the requested service.";
    operations->texts[1450] = why;
    struct Case {
        BatchKind kind;
        int refused;
    };
    for (const Case c :
         {Case{BatchKind::kPing, kTimerPing}, Case{BatchKind::kPing, kTimerRefresh}, Case{BatchKind::kRun, kTimerRun},
          Case{BatchKind::kScan, kTimerScan}, Case{BatchKind::kScan, kTimerRefresh}}) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " without timer " << c.refused);
        logic.SetComputers({Computer(u"a", u"ok"), Computer(u"b", u"ok"), Computer(u"c", u"not reply")});
        logic.Fill(false);
        timers->refused = {c.refused};
        if (c.kind == BatchKind::kScan) {
            ASSERT_TRUE(logic.BeginRange());
            EXPECT_FALSE(logic.TakeRange({u"10.4.0.1", u"b"}, true, false)) << "no Scan runs";
            EXPECT_EQ((std::vector<std::u16string>{u"a", u"b", u"c", u"10.4.0.1"}), Names(logic))
                << "nothing was scanned, so nothing goes";
            EXPECT_EQ(u"ok", logic.Row(1).cells[1]) << "a listed computer's generated twin is not shown";
            EXPECT_EQ(why, logic.Row(3).cells[1]);
        } else {
            EXPECT_EQ(StartResult::kFailed, logic.Start(c.kind, {0, 2}, kActionShutdown));
            EXPECT_EQ(
                (std::vector<std::u16string>{why, u"ok", why}),
                (std::vector<std::u16string>{logic.Row(0).cells[1], logic.Row(1).cells[1], logic.Row(2).cells[1]}));
            EXPECT_EQ(why, logic.Computers()[2][kTextState]);
        }
        EXPECT_FALSE(logic.batchRunning());
        EXPECT_EQ(0u, logic.workCount());
        EXPECT_EQ(0u, logic.nextIndex());
        EXPECT_TRUE(timers->running.empty()) << "the timer that was made goes too";
        EXPECT_TRUE(launcher->jobs.empty());
        // Once timers can be made again, the next command starts its batch.
        timers->refused.clear();
        EXPECT_EQ(StartResult::kStarted, logic.Start(BatchKind::kPing, {0}, kActionShutdown));
        RunToEnd(kTimerPing);
    }
}

// A worker whose thread cannot start leaves no older "ok" behind: its row says why, and the batch
// goes on with the next computer.
TEST_F(CompListBatch, AWorkerThatCannotStartWritesWhyInItsRowAndTheBatchGoesOn) {
    const std::u16string why = u"Not enough memory resources are available to process this command.";
    operations->texts[8] = why;
    operations->answering = {u"a", u"b", u"c"};
    logic.SetComputers({Computer(u"a", u"ok"), Computer(u"b", u"ok"), Computer(u"c")});
    logic.Fill(false);
    launcher->refusals = {8, 0, 8};
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kPing, {0, 1, 2}, kActionShutdown));
    EXPECT_NE(-1, RunToEnd(kTimerPing));
    EXPECT_EQ(3, launcher->launches);
    EXPECT_EQ(std::vector<std::u16string>{u"ping b"}, operations->Calls());
    EXPECT_EQ((std::vector<std::u16string>{why, u"ok", why}),
              (std::vector<std::u16string>{logic.Row(0).cells[1], logic.Row(1).cells[1], logic.Row(2).cells[1]}));
    EXPECT_EQ(why, logic.Computers()[0][kTextState]);
    EXPECT_FALSE(logic.batchRunning());
    EXPECT_TRUE(timers->running.empty());
}

TEST_F(CompListBatch, TheSameCommandAppendsAnotherKindIsIgnored) {
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kPing, {0}, kActionShutdown));
    // Pressed again before the first tick too: the first selection is not lost.
    EXPECT_EQ(StartResult::kAppended, logic.Start(BatchKind::kPing, {1}, kActionShutdown));
    Tick(kTimerPing);
    EXPECT_EQ(StartResult::kAppended, logic.Start(BatchKind::kPing, {2}, kActionShutdown));
    EXPECT_EQ(StartResult::kIgnored, logic.Start(BatchKind::kRun, {2}, kActionShutdown));
    EXPECT_EQ(StartResult::kIgnored, logic.Start(BatchKind::kGetMac, {2}, kActionWakeOnLan));
    EXPECT_EQ(StartResult::kIgnored, logic.Start(BatchKind::kRun, {2}, kActionWakeOnLan));
    EXPECT_EQ(3u, logic.workCount());
    launcher->RunNext();
    RunToEnd(kTimerPing);
    EXPECT_EQ((std::vector<std::u16string>{u"ping a", u"ping b", u"ping c"}), operations->Calls());
}

TEST_F(CompListBatch, PingDuringARunDoesNothing) {
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kRun, {0}, kActionShutdown));
    EXPECT_EQ(StartResult::kIgnored, logic.Start(BatchKind::kPing, {1, 2}, kActionShutdown));
    EXPECT_EQ(1u, logic.workCount());
    EXPECT_EQ(BatchKind::kRun, logic.batchKind());
    // The Ping timer neither starts the Run's computers nor ends the Run.
    Tick(kTimerPing);
    EXPECT_TRUE(launcher->jobs.empty());
    EXPECT_TRUE(logic.batchRunning());
}

TEST_F(CompListBatch, DeleteRangeAndEmptyingAreRefusedWhileABatchRuns) {
    logic.Start(BatchKind::kGetMac, {1}, kActionWakeOnLan);
    EXPECT_FALSE(logic.Delete({0}).done);
    EXPECT_FALSE(logic.BeginRange()) << "the worker holds an item of the work list";
    Tick(kTimerGetMac);
    EXPECT_FALSE(logic.Delete({0}).done);
    EXPECT_FALSE(logic.BeginRange());
    EXPECT_EQ(3, logic.ComputerCount());
    EXPECT_EQ(1u, logic.workCount());
    launcher->RunNext();
    RunToEnd(kTimerGetMac);
    EXPECT_TRUE(logic.Delete({0}).done);
}

// Every value a Run worker hands on, and the text of every result it gets back.
TEST_F(CompListBatch, RunWorkersCallTheActionOfTheTaskWithEveryValueAndShowTheResultText) {
    enum class Sent { kNothing, kShutdown, kProcess, kLogOff };
    struct Case {
        int action;
        bool force;
        bool noshow;
        std::uint32_t result;  // what the remote call returns
        Sent sent;
        std::u16string call;
        std::u16string state;
    };
    const std::u16string success = u"The operation completed successfully.";
    const std::u16string logonFailure = u"Logon failure: unknown user name or bad password.";
    const Case cases[] = {
        {kActionShutdown, false, true, 0, Sent::kShutdown, u"shutdown a as u", success},
        {kActionShutdown, true, false, 1326, Sent::kShutdown, u"shutdown a as u", logonFailure},
        {kActionRestart, true, true, 53, Sent::kShutdown, u"reboot a as u", u"53"},
        {kActionHibernate, false, false, 0, Sent::kProcess, u"process a rundll32.exe powrprof.dll,SetSuspendState",
         success},
        {kActionHibernate, false, false, 0x80041003, Sent::kProcess,
         u"process a rundll32.exe powrprof.dll,SetSuspendState", u"-2147217405"},
        {kActionLogOff, true, false, 0, Sent::kLogOff, u"logoff a forced", success},
        {kActionLogOff, false, false, 1326, Sent::kLogOff, u"logoff a", logonFailure},
        {kActionMonitorOff, false, false, 1326, Sent::kNothing, u"", success},  // ping: nothing is sent
        {kActionPopup, true, true, 1326, Sent::kNothing, u"", success},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "action " << c.action << " result " << c.result);
        auto ops = std::make_shared<FakeOperations>();
        ops->texts[1326] = logonFailure;
        ops->shutdownResult = c.result;
        ops->wmiResult = static_cast<HResult>(c.result);
        CompListLogic one(ops, launcher);
        ComputerEntry entry = Computer(u"a", u"ok");
        entry[kTextUser] = u"u";
        entry[kTextPassword] = u"secret";
        one.SetComputers({entry});
        one.Fill(false);
        task.action = c.action;
        task.force = c.force;
        task.noshow = c.noshow;
        task.delay = u"45";
        task.message = u"Saving is over";
        ASSERT_EQ(StartResult::kStarted, one.Start(BatchKind::kRun, {0}, c.action));
        one.Tick(kTimerRun, task, 0, 10);
        launcher->RunNext();
        EXPECT_TRUE(one.Tick(kTimerRun, task, 0, 10).ended);
        const auto calls = ops->Calls();
        EXPECT_EQ(c.call.empty() ? 0u : 1u, calls.size());
        if (!c.call.empty() && !calls.empty()) {
            EXPECT_EQ(c.call, calls[0]);
        }
        if (c.sent == Sent::kShutdown && ops->shutdowns.size() == 1) {
            const RemoteShutdownRequest& sent = ops->shutdowns[0];
            EXPECT_EQ(u"a", sent.computer);
            EXPECT_EQ(u"u", sent.user);
            EXPECT_EQ(u"secret", sent.password);
            EXPECT_EQ(c.noshow, sent.noDialog);
            EXPECT_EQ(u"Saving is over", sent.message);
            EXPECT_EQ(u"45", sent.delay);
            EXPECT_EQ(c.force, sent.force);
            EXPECT_EQ(c.action == kActionRestart, sent.reboot);
        }
        if (c.sent == Sent::kProcess || c.sent == Sent::kLogOff) {
            ASSERT_EQ(1u, ops->wmiCalls.size());
            const FakeOperations::WmiCall& sent = ops->wmiCalls[0];
            EXPECT_EQ(u"a", sent.computer);
            EXPECT_EQ(u"u", sent.user);
            EXPECT_EQ(u"secret", sent.password);
            EXPECT_EQ(c.sent == Sent::kProcess ? std::u16string(kHibernateCommand) : u"", sent.commandLine);
            EXPECT_EQ(c.sent == Sent::kProcess ? -1 : (c.force ? 4 : 0), sent.flags);
        }
        EXPECT_EQ(c.sent == Sent::kShutdown ? 1u : 0u, ops->shutdowns.size());
        EXPECT_EQ(c.state, one.Row(0).cells[1]);
        EXPECT_EQ(c.state, one.Computers()[0][kTextState]);
        EXPECT_EQ(20u, ops->sleptMs);
    }
}

TEST_F(CompListBatch, AResultWithoutMessageTextShowsItsNumber) {
    operations->shutdownResult = 1326;
    operations->texts[1326] = u"Logon failure: unknown user name or bad password.";
    EXPECT_EQ(u"Logon failure: unknown user name or bad password.", ResultStateText(*operations, 1326));
    EXPECT_EQ(u"12345", ResultStateText(*operations, 12345));
    EXPECT_EQ(u"-2147217405", ResultStateText(*operations, 0x80041003));
    operations->texts[7] = u" \r\n";
    EXPECT_EQ(u"7", ResultStateText(*operations, 7)) << "a blank text is no text";
}

TEST_F(CompListBatch, GetMacShowsTheFoundMacOrElseTheStoredOne) {
    logic.SetComputers({Computer(u"a", u"", u"001122334455"), Computer(u"b", u"", u"AABBCCDDEEFF")});
    logic.Fill(true);
    operations->macs[u"b"] = u"0A0B0C0D0E0F";
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kGetMac, {0, 1}, kActionWakeOnLan));
    task.action = kActionWakeOnLan;
    RunToEnd(kTimerGetMac);
    const auto stored = logic.Computers();
    EXPECT_EQ(u"001122334455", stored[0][kTextMac]);
    EXPECT_EQ(u"001122334455", stored[0][kTextState]) << "no answer: the stored MAC";
    EXPECT_EQ(u"0A0B0C0D0E0F", stored[1][kTextMac]);
    EXPECT_EQ(u"0A0B0C0D0E0F", logic.Row(1).cells[1]);
}

TEST_F(CompListBatch, WakeUpRunSendsAtOnceInSelectionOrderAndChangesNoState) {
    ComputerEntry first = Computer(u"a", u"earlier", u"001122334455");
    first[kTextBroadcast] = u"10.0.0.255";
    first[kTextPort] = u"9";
    ComputerEntry second = Computer(u"b", u"", u"AABBCCDDEEFF");
    second[kTextWolPassword] = u"1234";
    logic.SetComputers({Computer(u"c"), first, second});
    logic.Fill(true);
    EXPECT_EQ(StartResult::kWokenUp, logic.Start(BatchKind::kRun, {2, 1}, kActionWakeOnLan));
    EXPECT_EQ((std::vector<std::u16string>{u"wake 001122334455  10.0.0.255 9", u"wake AABBCCDDEEFF 1234  "}),
              operations->Calls());
    EXPECT_FALSE(logic.batchRunning());
    EXPECT_EQ(0u, logic.workCount());
    EXPECT_TRUE(launcher->jobs.empty());
    EXPECT_EQ(u"earlier", logic.Computers()[1][kTextState]);
}

TEST_F(CompListBatch, TheEndOfAScanRemovesEveryNotReplyAlsoOneAnEarlierPingMarked) {
    logic.SetComputers({Computer(u"10.0.0.9", u"not reply"), Computer(u"10.0.0.2"), Computer(u"10.0.0.50", u"ok")});
    logic.Fill(false);
    operations->probes[u"10.0.0.1"] = {true, u"alpha.example", u"0011223344AA"};
    operations->probes[u"10.0.0.2"] = {true, u"", u"0011223344BB"};
    ASSERT_TRUE(logic.BeginRange());
    ASSERT_TRUE(logic.TakeRange({u"10.0.0.1", u"10.0.0.2", u"10.0.0.3"}, true, false));
    EXPECT_EQ(5, logic.ComputerCount()) << "10.0.0.2 was listed already";
    EXPECT_EQ(3u, logic.workCount());
    EXPECT_EQ(BatchKind::kScan, logic.batchKind());
    EXPECT_FALSE(logic.BeginRange()) << "no second range while the Scan runs";
    const TickResult end = [&] {
        for (int i = 0; i < 20; ++i) {
            const TickResult tick = Tick(kTimerScan);
            if (tick.ended)
                return tick;
            launcher->RunNext();
        }
        return TickResult{};
    }();
    EXPECT_TRUE(end.ended);
    EXPECT_TRUE(end.refilled);
    EXPECT_EQ((std::vector<std::u16string>{u"probe 10.0.0.1", u"probe 10.0.0.2", u"probe 10.0.0.3"}),
              operations->Calls());
    // The generated 10.0.0.2 was scanned but its result dropped; the listed one kept its texts.
    EXPECT_EQ((std::vector<std::u16string>{u"10.0.0.2", u"10.0.0.50", u"alpha.example"}), Stored(logic));
    EXPECT_EQ(Stored(logic), Names(logic));
    const auto stored = logic.Computers();
    EXPECT_EQ(u"", stored[0][kTextMac]);
    EXPECT_EQ(u"0011223344AA", stored[2][kTextMac]);
    EXPECT_EQ(u"ok", stored[2][kTextState]);
    EXPECT_EQ(u"10.0.0.1", stored[2][kTextRangeAddress]);
    EXPECT_EQ(0u, logic.workCount());
}

// A computer that answers without a name from the reverse lookup keeps the name it has, in the
// list and on screen; one that answers with a name takes it.
TEST_F(CompListBatch, AScanLeavesTheNameAloneWhereTheProbeFoundNoHostName) {
    logic.SetComputers({});
    logic.Fill(false);
    operations->probes[u"10.2.0.1"] = {true, u"", u"00AA00BB00C1"};
    operations->probes[u"10.2.0.2"] = {true, u"named.example", u""};
    ASSERT_TRUE(logic.BeginRange());
    ASSERT_TRUE(logic.TakeRange({u"10.2.0.1", u"10.2.0.2"}, true, false));
    RunToEnd(kTimerScan);
    ASSERT_EQ(2, logic.RowCount());
    const auto stored = logic.Computers();
    EXPECT_EQ(u"10.2.0.1", stored[0][kTextName]);
    EXPECT_EQ(u"10.2.0.1", logic.Row(0).cells[0]);
    EXPECT_EQ(u"00AA00BB00C1", stored[0][kTextMac]);
    EXPECT_EQ(u"named.example", stored[1][kTextName]);
    EXPECT_EQ(u"named.example", logic.Row(1).cells[0]);
    EXPECT_EQ(u"10.2.0.2", stored[1][kTextRangeAddress]);
}

TEST_F(CompListBatch, AScanOfAWakeupTaskShowsTheMacAsState) {
    logic.SetComputers({});
    logic.Fill(true);
    operations->probes[u"10.1.1.1"] = {true, u"", u"0011223344AA"};
    task.action = kActionWakeOnLan;
    ASSERT_TRUE(logic.BeginRange());
    ASSERT_TRUE(logic.TakeRange({u"10.1.1.1"}, true, true));
    RunToEnd(kTimerScan);
    ASSERT_EQ(1, logic.RowCount());
    EXPECT_EQ(u"0011223344AA", logic.Computers()[0][kTextState]);
    EXPECT_EQ(u"0011223344AA", logic.Row(0).cells[1]);
}

TEST_F(CompListBatch, RangeWithoutAutoScanAddsTheNewAddressesIgnoringCase) {
    logic.SetComputers({Computer(u"HOST-A"), Computer(u"10.0.0.1")});
    logic.Fill(false);
    ASSERT_TRUE(logic.BeginRange());
    EXPECT_FALSE(logic.TakeRange({u"10.0.0.1", u"host-a", u"10.0.0.2"}, false, false));
    EXPECT_EQ((std::vector<std::u16string>{u"HOST-A", u"10.0.0.1", u"10.0.0.2"}), Names(logic));
    EXPECT_FALSE(logic.batchRunning());
    EXPECT_EQ(0u, logic.workCount());
}

TEST(CompListNames, DuplicatesAreFoundWithTheWiderCaseFold) {
    struct Case {
        std::u16string listed, other;
        bool same;
    };
    const Case cases[] = {
        {u"HOST-A", u"host-a", true},
        {u"\u00c9COLE", u"\u00e9cole", true},                              // Latin-1
        {u"\u0391\u039b\u03a6\u0391", u"\u03b1\u03bb\u03c6\u03b1", true},  // Greek
        {u"\u0416\u0423\u041a", u"\u0436\u0443\u043a", true},              // Cyrillic
        {u"\u00d7", u"\u00f7", false},                                     // two signs, not a case pair
        {u"host", u"host-a", false},
    };
    for (const Case& c : cases) {
        NameSet names;
        names.Insert(c.listed);
        EXPECT_EQ(c.same, names.Contains(c.other)) << c.listed.size();
        EXPECT_EQ(!c.same, names.Insert(c.other)) << c.listed.size();
    }
}

TEST_F(CompListBatch, RefreshRewritesOnlyTheVisibleRowsAndNotTheNamesDuringAScan) {
    std::vector<ComputerEntry> many;
    for (int i = 0; i < 100; ++i)
        many.push_back(Computer(u"10.9.0." + std::u16string(1, static_cast<char16_t>(u'0' + i % 10))));
    logic.SetComputers(many);
    logic.Fill(false);
    for (const ComputerRef& entry : logic.pageList())
        entry->SetText(kTextState, u"x");
    const TickResult tick = logic.Tick(kTimerRefresh, task, 40, 10);
    EXPECT_EQ(40, tick.firstRow);
    EXPECT_EQ(11, tick.rowCount) << "the rows of a page and the one cut by its edge";
    EXPECT_EQ(u"", logic.Row(39).cells[1]);
    EXPECT_EQ(u"x", logic.Row(40).cells[1]);
    EXPECT_EQ(u"x", logic.Row(50).cells[1]);
    EXPECT_EQ(u"", logic.Row(51).cells[1]);
    const TickResult last = logic.Tick(kTimerRefresh, task, 95, 10);
    EXPECT_EQ(5, last.rowCount) << "limited to the rows there are";
    EXPECT_EQ(0, logic.Tick(kTimerRefresh, task, 95, 10).rowCount) << "nothing changed: nothing to paint";
    logic.pageList()[97]->SetText(kTextState, u"ok");
    logic.pageList()[98]->SetText(kTextName, u"renamed");
    const TickResult changed = logic.Tick(kTimerRefresh, task, 95, 10);
    EXPECT_EQ(97, changed.firstRow);
    EXPECT_EQ(2, changed.rowCount);
    EXPECT_EQ(u"renamed", logic.Row(98).cells[0]);
}

// A worker that has not finished when the page goes: nobody waits for it, it ends its one
// operation on the entry it holds, and nothing it touches is freed under it.
TEST(CompListWorker, APageDestroyedWhileItsWorkerRunsNeitherWaitsNorIsTouched) {
    auto operations = std::make_shared<FakeOperations>();
    auto launcher = std::make_shared<ThreadLauncher>();
    operations->answering = {u"a"};
    operations->Hold();
    std::weak_ptr<SharedComputer> held;
    {
        CompListLogic logic(operations, launcher);
        logic.SetComputers({Computer(u"a")});
        logic.Fill(false);
        held = logic.pageList()[0];
        logic.Start(BatchKind::kPing, {0}, kActionShutdown);
        logic.Tick(kTimerPing, {}, 0, 10);
        operations->AwaitHeldCall();
        EXPECT_TRUE(logic.workerRunning());
    }
    EXPECT_FALSE(held.expired()) << "the worker still shares its entry";
    operations->Release();
    launcher->JoinAll();
    EXPECT_TRUE(held.expired()) << "the entry went with the worker's result";
    EXPECT_EQ(std::vector<std::u16string>{u"ping a"}, operations->Calls());
}

// Workers on real threads while the page refreshes, edits and sorts: under ThreadSanitizer no text is
// read while another thread replaces it.
TEST(CompListWorker, WorkersRacingRefreshesEditsAndSortsShareNoTextUnguarded) {
    auto operations = std::make_shared<FakeOperations>();
    auto launcher = std::make_shared<ThreadLauncher>();
    std::vector<ComputerEntry> computers;
    for (int i = 0; i < 40; ++i) {
        const std::u16string address = u"10.7.0." + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) +
                                       std::u16string(1, static_cast<char16_t>(u'a' + i / 26));
        computers.push_back(Computer(address));
        operations->probes[address] = {i % 3 != 0, u"host-" + address, u"00AA00BB00CC"};
    }
    {
        CompListLogic logic(operations, launcher);
        logic.Fill(false);
        ASSERT_TRUE(logic.BeginRange());
        std::vector<std::u16string> addresses;
        for (const ComputerEntry& entry : computers)
            addresses.push_back(entry[kTextName]);
        ASSERT_TRUE(logic.TakeRange(addresses, true, false));
        TaskValues task;
        bool ended = false;
        for (int tick = 0; tick < 200000 && !ended; ++tick) {
            ended = logic.Tick(kTimerScan, task, 0, 50).ended;
            logic.Tick(kTimerRefresh, task, tick % 40, 10);
            if (tick % 7 == 0 && tick % 40 < logic.RowCount()) {
                ComputerEntry edited = logic.EditSource(tick % 40);
                edited[kTextUser] = u"admin";
                logic.ApplyEdit(EditKind::kComputer, logic.EntriesOf({tick % 40}), edited);
            }
            if (tick % 11 == 0)
                logic.ClickColumn(tick % 2, false);
            std::this_thread::yield();
        }
        EXPECT_TRUE(ended);
        EXPECT_EQ(26, logic.ComputerCount()) << "every third address did not answer";
    }
    launcher->JoinAll();
}

// --- fast checks ----------------------------------------------------------------------------------

using testing_fakes::FakeChoice;

// 45 addresses, every third silent, some with a host name; answering ones have a MAC.
std::vector<std::u16string> FastAddresses(FakeOperations& operations) {
    std::vector<std::u16string> addresses;
    for (int i = 1; i <= 45; ++i) {
        const std::u16string address = u"10.9.0." + DecimalText(i);
        addresses.push_back(address);
        if (i % 3 != 0) {
            operations.probes[address] = {true, i % 2 == 0 ? u"pc" + DecimalText(i) + u".example" : u"",
                                          u"0011223344" + DecimalText(10 + i)};
            operations.answering.insert(address);
            operations.macs[address] = u"00AA00BB" + DecimalText(1000 + i);
        }
    }
    return addresses;
}

struct BatchOutcome {
    std::vector<ComputerEntry> stored;
    std::vector<std::u16string> rows, states;
    std::multiset<std::u16string> calls;
    int peakQueued = 0;
    int launches = 0;
    std::u16string counter;
};

// One batch over the same inputs, its workers finishing last-started first, so that a parallel
// run meets its results in another order than a serial one.
BatchOutcome RunBatch(BatchKind kind, bool fast, bool wakeup) {
    auto operations = std::make_shared<FakeOperations>();
    auto launcher = std::make_shared<QueuedLauncher>();
    CompListLogic logic(operations, launcher, std::make_shared<FakeTimers>(), std::make_shared<FakeChoice>(fast));
    const std::vector<std::u16string> addresses = FastAddresses(*operations);
    TaskValues task;
    task.action = wakeup ? kActionWakeOnLan : kActionShutdown;
    logic.SetComputers({Computer(u"10.9.0.3", u"not reply"), Computer(u"listed", u"ok")});
    logic.Fill(wakeup);
    int timer = StartTimerOf(kind);
    if (kind == BatchKind::kScan) {
        EXPECT_TRUE(logic.BeginRange());
        EXPECT_TRUE(logic.TakeRange(addresses, true, wakeup));
    } else {
        for (const std::u16string& address : addresses) {
            ComputerEntry entry = Computer(address);
            entry[kTextMac] = u"STORED";
            logic.Append(entry, wakeup);
        }
        std::vector<int> all(static_cast<std::size_t>(logic.RowCount()));
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(StartResult::kStarted, logic.Start(kind, all, task.action));
    }
    BatchOutcome outcome;
    for (int tick = 0; tick < 500; ++tick) {
        if (logic.Tick(timer, task, 0, 100).ended)
            break;
        outcome.peakQueued = std::max(outcome.peakQueued, static_cast<int>(launcher->jobs.size()));
        logic.Tick(kTimerRefresh, task, 0, 100);
        // The newest job first, and only a few per tick.
        for (int k = 0; k < 5 && !launcher->jobs.empty(); ++k) {
            auto job = std::move(launcher->jobs.back());
            launcher->jobs.pop_back();
            job();
        }
    }
    EXPECT_FALSE(logic.batchRunning());
    outcome.stored = logic.Computers();
    for (int row = 0; row < logic.RowCount(); ++row) {
        outcome.rows.push_back(logic.Row(row).cells[0]);
        outcome.states.push_back(logic.Row(row).cells[1]);
    }
    const auto calls = operations->Calls();
    outcome.calls = {calls.begin(), calls.end()};
    outcome.launches = launcher->launches;
    outcome.counter = CounterText(0, logic.ComputerCount());
    return outcome;
}

TEST(CompListFastChecks, ABatchGivesTheSameListTextsAndCounterAsTheSerialOneWithUpTo32WorkersAtOnce) {
    struct Case {
        BatchKind kind;
        bool wakeup;
    };
    for (const Case& c : {Case{BatchKind::kScan, false}, Case{BatchKind::kScan, true}, Case{BatchKind::kPing, false},
                          Case{BatchKind::kGetMac, true}, Case{BatchKind::kCheck, false}, Case{BatchKind::kCheck, true}}) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        const BatchOutcome serial = RunBatch(c.kind, false, c.wakeup);
        const BatchOutcome fast = RunBatch(c.kind, true, c.wakeup);
        EXPECT_EQ(serial.stored, fast.stored);
        EXPECT_EQ(serial.rows, fast.rows);
        EXPECT_EQ(serial.states, fast.states);
        EXPECT_EQ(serial.calls, fast.calls);
        EXPECT_EQ(serial.counter, fast.counter);
        EXPECT_EQ(serial.launches, fast.launches);
        EXPECT_EQ(1, serial.peakQueued);
        EXPECT_EQ(kFastCheckWorkers, fast.peakQueued);
    }
    // The Scan's list keeps its order: the answering range addresses after the listed one.
    const BatchOutcome scan = RunBatch(BatchKind::kScan, true, false);
    ASSERT_EQ(31u, scan.rows.size());
    EXPECT_EQ(u"listed", scan.rows[0]);
    EXPECT_EQ(u"10.9.0.1", scan.rows[1]);
    EXPECT_EQ(u"pc2.example", scan.rows[2]);
    EXPECT_EQ(u"pc4.example", scan.rows[3]);
    EXPECT_EQ(u"10.9.0.5", scan.rows[4]);
}

// Whatever the choice, Run starts one computer at a time and the wake-up packets go at once on the
// page's thread; the choice is read once and written only when it changes, and a running batch
// keeps the way it started.
TEST(CompListFastChecks, RunStaysOneAtATimeAndTheChoiceIsKeptAndAppliesToTheNextBatch) {
    auto operations = std::make_shared<FakeOperations>();
    auto launcher = std::make_shared<QueuedLauncher>();
    auto choice = std::make_shared<FakeChoice>(true);
    CompListLogic logic(operations, launcher, std::make_shared<FakeTimers>(), choice);
    EXPECT_TRUE(logic.fastChecks());
    logic.SetComputers({Computer(u"a"), Computer(u"b"), Computer(u"c"), Computer(u"d")});
    logic.Fill(false);
    TaskValues task;
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kRun, {0, 1, 2, 3}, kActionShutdown));
    EXPECT_EQ(1, logic.workerLimit());
    for (int tick = 0; tick < 3; ++tick)
        logic.Tick(kTimerRun, task, 0, 10);
    EXPECT_EQ(1, launcher->launches);
    while (!logic.Tick(kTimerRun, task, 0, 10).ended) {
        EXPECT_LE(launcher->jobs.size(), 1u);
        launcher->RunNext();
    }
    EXPECT_EQ(4u, operations->shutdowns.size());

    EXPECT_EQ(StartResult::kWokenUp, logic.Start(BatchKind::kRun, {0, 1}, kActionWakeOnLan));
    EXPECT_EQ(4, launcher->launches) << "no thread for wake-up packets";

    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kPing, {0, 1, 2, 3}, kActionShutdown));
    logic.SetFastChecks(false);
    EXPECT_EQ(kFastCheckWorkers, logic.workerLimit()) << "the running batch keeps its way";
    logic.Tick(kTimerPing, task, 0, 10);
    EXPECT_EQ(4u, launcher->jobs.size());
    while (!logic.Tick(kTimerPing, task, 0, 10).ended)
        launcher->RunNext();
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kPing, {0, 1, 2}, kActionShutdown));
    EXPECT_EQ(1, logic.workerLimit());
    EXPECT_FALSE(choice->value);
    logic.SetFastChecks(false);
    EXPECT_EQ(1, choice->writes);
}

// Stopping a Scan keeps only what was checked: answered addresses stay, those that did not reply
// go as at any Scan's end, and those never started or still being probed are not stored.
TEST(CompListFastChecks, AStoppedScanKeepsOnlyTheAddressesCheckedSoFar) {
    struct Case {
        bool fast;
        int finished;  // workers that end before the stop, oldest first, one after each start tick
        std::vector<std::u16string> kept;
    };
    const std::vector<Case> cases = {
        // Serial: 10.5.0.1 answered, 10.5.0.2 silent, 10.5.0.3 (it would answer) being probed.
        {false, 2, {u"listed", u"10.5.0.1"}},
        // Fast: all five started at the first tick; two finished before the stop.
        {true, 2, {u"listed", u"10.5.0.1"}},
        {true, 3, {u"listed", u"10.5.0.1", u"10.5.0.3"}},
        {false, 0, {u"listed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fast);
        auto operations = std::make_shared<FakeOperations>();
        auto launcher = std::make_shared<QueuedLauncher>();
        CompListLogic logic(operations, launcher, std::make_shared<FakeTimers>(), std::make_shared<FakeChoice>(c.fast));
        operations->probes[u"10.5.0.1"] = {true, u"", u"001122334455"};
        operations->probes[u"10.5.0.3"] = {true, u"", u"001122334466"};
        logic.SetComputers({Computer(u"listed")});
        logic.Fill(false);
        ASSERT_TRUE(logic.BeginRange());
        ASSERT_TRUE(logic.TakeRange({u"10.5.0.1", u"10.5.0.2", u"10.5.0.3", u"10.5.0.4", u"10.5.0.5"}, true, false));
        TaskValues task;
        for (int ran = 0;; ++ran) {
            logic.Tick(kTimerScan, task, 0, 10);
            if (ran == c.finished)
                break;
            launcher->RunNext();
        }
        EXPECT_EQ(static_cast<std::size_t>(c.finished), logic.CheckedCount());
        EXPECT_EQ(5u, logic.workCount());
        EXPECT_TRUE(logic.StopScan(false));
        EXPECT_FALSE(logic.batchRunning());
        EXPECT_EQ(c.kept, Stored(logic));
        EXPECT_EQ(c.kept, Names(logic));
        EXPECT_FALSE(logic.StopScan(false)) << "nothing left to stop";
        // A worker still probing finishes into an entry that nobody lists.
        while (launcher->RunNext()) {
        }
        EXPECT_EQ(c.kept, Stored(logic));
    }
}

// A fast Scan on real threads while the page refreshes, edits, tries to delete and finally goes
// away with workers still running: under ThreadSanitizer no text is shared unguarded.
TEST(CompListWorker, AFastScanRacingEditsADeleteRefusalAndThePageClosingSharesNoTextUnguarded) {
    auto operations = std::make_shared<FakeOperations>();
    auto launcher = std::make_shared<ThreadLauncher>();
    const std::vector<std::u16string> addresses = FastAddresses(*operations);
    int peak = 0;
    {
        CompListLogic logic(operations, launcher, nullptr, std::make_shared<FakeChoice>(true));
        logic.Fill(false);
        operations->Hold();
        operations->KeepHeld({u"10.9.0.44"});
        ASSERT_TRUE(logic.BeginRange());
        ASSERT_TRUE(logic.TakeRange(addresses, true, false));
        TaskValues task;
        for (int tick = 0; tick < 400; ++tick) {
            logic.Tick(kTimerScan, task, 0, 50);
            peak = std::max(peak, logic.RunningWorkers());
            logic.Tick(kTimerRefresh, task, tick % 40, 10);
            if (tick % 5 == 0) {
                ComputerEntry edited = logic.EditSource(tick % 40);
                edited[kTextUser] = u"admin";
                logic.ApplyEdit(EditKind::kComputer, logic.EntriesOf({tick % 40}), edited);
            }
            EXPECT_FALSE(logic.Delete({tick % 40}).done);
            if (tick % 11 == 0)
                logic.ClickColumn(tick % 2, false);
            if (tick == 200) {
                operations->AwaitHeldCalls(kFastCheckWorkers);
                operations->Release();
            }
            std::this_thread::yield();
        }
        EXPECT_TRUE(logic.batchRunning()) << "the page closes while the Scan runs";
    }
    EXPECT_EQ(kFastCheckWorkers, peak);
    EXPECT_EQ(kFastCheckWorkers, operations->PeakCalls());
    operations->KeepHeld({});
    launcher->JoinAll();
}

// --- sorting, dragging, Delete, Edit ---------------------------------------------------------------

class CompListRows : public ::testing::Test {
protected:
    void SetUp() override {
        logic.SetComputers(
            {Computer(u"delta", u"b"), Computer(u"alpha", u"c"), Computer(u"Charlie", u"a"), Computer(u"bravo", u"d")});
        logic.Fill(false);
    }
    std::shared_ptr<FakeOperations> operations = std::make_shared<FakeOperations>();
    std::shared_ptr<QueuedLauncher> launcher = std::make_shared<QueuedLauncher>();
    CompListLogic logic{operations, launcher};
};

TEST_F(CompListRows, HeaderClicksSortUpDownAndBackToTheStoredOrder) {
    const std::vector<std::u16string> stored = {u"delta", u"alpha", u"Charlie", u"bravo"};
    const std::vector<std::u16string> byName = {u"Charlie", u"alpha", u"bravo", u"delta"};  // code units
    const std::vector<std::u16string> byNameDown = {u"delta", u"bravo", u"alpha", u"Charlie"};
    const std::vector<std::u16string> byState = {u"Charlie", u"delta", u"alpha", u"bravo"};
    const std::vector<std::u16string> byStateDown = {u"bravo", u"alpha", u"delta", u"Charlie"};
    struct Click {
        int column;
        bool sorted;
        int key;
        const std::vector<std::u16string>* order;
    };
    const Click clicks[] = {
        {0, true, 1, &byName},  {0, true, -1, &byNameDown},  {0, false, -1, &stored},
        {1, true, 2, &byState}, {1, true, -2, &byStateDown}, {1, true, 2, &byState},
        {1, false, 2, &stored}, {0, true, 1, &byName},       {1, true, 2, &byState},
    };
    int n = 0;
    for (const Click& click : clicks) {
        SCOPED_TRACE(testing::Message() << "click " << ++n);
        EXPECT_EQ(click.sorted, logic.ClickColumn(click.column, false));
        EXPECT_EQ(click.key, logic.sortKey());
        EXPECT_EQ(*click.order, Names(logic));
        EXPECT_EQ(stored, Stored(logic)) << "a sort changes only the display";
    }
}

TEST_F(CompListRows, SortingTheSecondColumnOfAWakeupTaskComparesStatesNotMacs) {
    logic.SetComputers({Computer(u"a", u"2", u"1"), Computer(u"b", u"1", u"2")});
    logic.Fill(true);
    EXPECT_EQ(u"1", logic.Row(0).cells[1]);
    logic.ClickColumn(1, true);
    EXPECT_EQ((std::vector<std::u16string>{u"b", u"a"}), Names(logic));
}

TEST_F(CompListRows, DraggingTwoRowsThreePlacesDownKeepsTheirOrderAndIsStored) {
    logic.SetComputers({Computer(u"0"), Computer(u"1"), Computer(u"2"), Computer(u"3"), Computer(u"4"), Computer(u"5"),
                        Computer(u"6")});
    logic.Fill(false);
    std::vector<int> selected = logic.DragStep(1, 4, {1, 2});
    EXPECT_EQ((std::vector<int>{4, 5}), selected);
    EXPECT_EQ((std::vector<std::u16string>{u"0", u"3", u"4", u"5", u"1", u"2", u"6"}), Names(logic));
    EXPECT_EQ((std::vector<std::u16string>{u"0", u"1", u"2", u"3", u"4", u"5", u"6"}), Stored(logic));
    logic.StoreDisplayedOrder();
    EXPECT_EQ(Names(logic), Stored(logic));

    // On towards the end: the lower row would leave the list, so neither moves.
    selected = logic.DragStep(4, 6, selected);
    EXPECT_EQ((std::vector<int>{4, 5}), selected);
    selected = logic.DragStep(4, 5, selected);
    EXPECT_EQ((std::vector<int>{5, 6}), selected);
    EXPECT_EQ((std::vector<std::u16string>{u"0", u"3", u"4", u"5", u"6", u"1", u"2"}), Names(logic));
    // Up again past the top stops at the first row that would leave.
    selected = logic.DragStep(5, 0, selected);
    EXPECT_EQ((std::vector<int>{0, 1}), selected);
    EXPECT_EQ((std::vector<std::u16string>{u"1", u"2", u"0", u"3", u"4", u"5", u"6"}), Names(logic));
    selected = logic.DragStep(0, 1, {0, 6});
    EXPECT_EQ((std::vector<int>{0, 6}), selected) << "the last row cannot go further down";
}

TEST_F(CompListRows, DeleteSelectsTheRowAboveOrTheNewFirstAndStoresTheDisplayedOrder) {
    logic.ClickColumn(0, false);  // Charlie alpha bravo delta
    struct Case {
        std::vector<int> selected;
        std::vector<std::u16string> left;
        int select;
    };
    const Case cases[] = {
        {{0}, {u"alpha", u"bravo", u"delta"}, 0},
        {{1}, {u"alpha", u"delta"}, 0},
        {{1}, {u"alpha"}, 0},
    };
    for (const Case& c : cases) {
        const DeleteResult result = logic.Delete(c.selected);
        EXPECT_TRUE(result.done);
        EXPECT_EQ(c.left, Names(logic));
        EXPECT_EQ(c.left, Stored(logic));
        EXPECT_EQ(c.select, result.select);
    }
    logic.SetComputers({Computer(u"a"), Computer(u"b"), Computer(u"c"), Computer(u"d"), Computer(u"e")});
    logic.Fill(false);
    const DeleteResult middle = logic.Delete({2});
    EXPECT_EQ(1, middle.select);
    EXPECT_EQ(1, middle.show);
    const DeleteResult several = logic.Delete({3, 0});
    EXPECT_TRUE(several.done);
    EXPECT_EQ(-1, several.select);
    EXPECT_EQ((std::vector<std::u16string>{u"b", u"d"}), Stored(logic));
    EXPECT_TRUE(logic.Delete({0, 1}).done);
    EXPECT_FALSE(logic.Delete({0}).done) << "nothing left";
}

TEST_F(CompListRows, EditCopiesBackOnlyTheDialogsTexts) {
    logic.SetComputers({Computer(u"a", u"s", u"001122334455"), Computer(u"b", u"s", u"AABBCCDDEEFF")});
    logic.Fill(true);
    ComputerEntry edited;
    for (std::size_t i = 0; i < kComputerTextCount; ++i)
        edited[i] = u"e" + std::u16string(1, static_cast<char16_t>(u'0' + i));
    EXPECT_EQ(EditKind::kWakeSeveral, PlanEdit(2, true));
    logic.ApplyEdit(EditKind::kWakeSeveral, logic.EntriesOf({0, 1}), edited);
    for (const ComputerEntry& entry : logic.Computers()) {
        EXPECT_EQ(u"e6", entry[kTextBroadcast]);
        EXPECT_EQ(u"e7", entry[kTextPort]);
        EXPECT_NE(u"e0", entry[kTextName]);
        EXPECT_NE(u"e4", entry[kTextMac]);
    }
    logic.ApplyEdit(EditKind::kWakeOne, logic.EntriesOf({1}), edited);
    const ComputerEntry one = logic.Computers()[1];
    EXPECT_EQ((std::array<std::u16string, 5>{u"e0", u"e4", u"e5", u"e6", u"e7"}),
              (std::array<std::u16string, 5>{one[0], one[4], one[5], one[6], one[7]}));
    EXPECT_EQ(u"", one[kTextUser]);
    EXPECT_EQ(u"e0", logic.Row(1).cells[0]);
    EXPECT_EQ(u"e4", logic.Row(1).cells[1]);

    logic.ApplyEdit(EditKind::kComputer, logic.EntriesOf({0}), edited);
    const ComputerEntry computer = logic.Computers()[0];
    EXPECT_EQ(u"e1", computer[kTextUser]);
    EXPECT_EQ(u"e2", computer[kTextPassword]);
    EXPECT_EQ(u"e6", computer[kTextBroadcast]) << "from the edit of several, not this one";
    EXPECT_EQ(EditKind::kNone, PlanEdit(2, false));
    EXPECT_EQ(EditKind::kComputer, PlanEdit(1, false));
    EXPECT_EQ(EditKind::kNone, PlanEdit(0, true));
}

TEST(CompListMenu, RunItemPerActionAndGetMacForWakeupTasks) {
    struct Case {
        int action;
        int runStringId;
        bool getMac;
    };
    const Case cases[] = {
        {kActionShutdown, IDS_ACT_SHUTDOWN, false}, {kActionRestart, IDS_ACT_REBOOT, false},
        {kActionLogOff, IDS_ACT_LOG_OFF, false},    {kActionHibernate, IDS_ACT_HIBERNATE, false},
        {kActionWakeOnLan, IDS_ACT_WAKEUP, true},   {kActionMonitorOff, 0, false},
        {kActionPopup, IDS_ACT_WAKEUP, false},
    };
    for (const Case& c : cases) {
        const ContextMenuPlan plan = PlanContextMenu(c.action, false);
        EXPECT_EQ(c.runStringId, plan.runStringId) << c.action;
        EXPECT_EQ(c.getMac, plan.getMac) << c.action;
        EXPECT_FALSE(plan.accelerator);
    }
    EXPECT_TRUE(PlanContextMenu(kActionShutdown, true).accelerator);
    EXPECT_EQ(u"2/10000", CounterText(2, 10000));
}

TEST_F(CompListBatch, CheckGoesOverEveryRowWhenNoneIsSelectedAndLeavesStateAndTip) {
    operations->strings = {{IDS_CHECK_READY, u"ready"},
                           {IDS_CHECK_STATE, u"%s: %s"},
                           {IDS_CHECK_STEP_NAMES, u"name|echo|445|135|share"},
                           {IDS_CHECK_TIP, u"Step %s, %s: code %s."},
                           {IDS_CHECK_READY_TIP, u"all passed"}};
    operations->texts[kErrorLogonFailure] = u"Logon failure. ";
    CheckResult refused;
    refused.failure = CheckFinding{CheckStep::kShare, kErrorLogonFailure};
    operations->checks[u"b"] = refused;
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kCheck, {}, kActionShutdown));
    EXPECT_EQ(3u, logic.workCount()) << "no row selected: all of them";
    EXPECT_EQ(kStartTimerMs, timers->running[kTimerCheck]);
    EXPECT_EQ(StartResult::kIgnored, logic.Start(BatchKind::kPing, {0}, kActionShutdown));
    ASSERT_GT(RunToEnd(kTimerCheck), 0);
    EXPECT_EQ((std::vector<std::u16string>{u"check a as ", u"check b as ", u"check c as "}), operations->Calls())
        << "one at a time, in row order, and nothing else";
    EXPECT_TRUE(timers->running.empty());
    EXPECT_EQ(u"ready", logic.Row(0).cells[1]);
    EXPECT_EQ(u"all passed", logic.Row(0).entry->Tip());
    EXPECT_EQ(u"share: Logon failure", logic.Row(1).cells[1]);
    EXPECT_EQ(u"Step 5, share: code 1326 (0x0000052E).", logic.Row(1).entry->Tip());

    // Another batch's result takes the check's tip away with its state.
    operations->answering = {u"b"};
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kPing, {1}, kActionShutdown));
    ASSERT_GT(RunToEnd(kTimerPing), 0);
    EXPECT_EQ(u"ok", logic.Row(1).cells[1]);
    EXPECT_EQ(u"", logic.Row(1).entry->Tip());
}

TEST_F(CompListBatch, CheckOfAWakeupTaskLooksAtThePacketsTextsAndSendsNothing) {
    ComputerEntry wake = Computer(u"w", {}, u"001122AABBCC");
    wake[kTextBroadcast] = u"10.0.0.255";
    wake[kTextPort] = u"9";
    logic.SetComputers({wake, Computer(u"x")});
    logic.Fill(true);
    task.action = kActionWakeOnLan;
    operations->strings = {{IDS_CHECK_STATE, u"%s: %s"}, {IDS_CHECK_STEP_NAMES, u"1|2|3|4|5|6|7|MAC"}};
    operations->wakeCheck.failure = CheckFinding{CheckStep::kWakeMac, kErrorInvalidData};
    ASSERT_EQ(StartResult::kStarted, logic.Start(BatchKind::kCheck, {0}, kActionWakeOnLan));
    ASSERT_GT(RunToEnd(kTimerCheck), 0);
    EXPECT_EQ((std::vector<std::u16string>{u"check wake 001122AABBCC 10.0.0.255 9"}), operations->Calls());
    EXPECT_EQ(u"MAC: 13", logic.Row(0).cells[1]);
    EXPECT_EQ(u"", logic.Row(1).cells[1]) << "only the selected row";
}

}  // namespace
}  // namespace velmora
