// The executor's run of a task over fakes of the system: which operation runs, what is logged and
// where the log is stored.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "executor/Executor.h"
#include "model/TextFile.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;
using Lines = std::vector<std::u16string>;

constexpr char16_t kTime[] = u"12/06/26 21:30:05";
constexpr char16_t kSystemSid[] = u"S-1-5-18";
constexpr char16_t kUserSid[] = u"S-1-5-21-1-2-3-1001";

std::u16string Text(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

class FakePlatform;

class FakeEngine : public ActionEngine {
public:
    explicit FakeEngine(FakePlatform& platform) : platform_(platform) {}
    bool Shutdown(bool force) override { return Local("Shutdown", force); }
    bool Restart(bool force) override { return Local("Restart", force); }
    bool PowerOff(bool force) override { return Local("PowerOff", force); }
    bool Hibernate(bool force) override { return Local("Hibernate", force); }
    bool Standby(bool force) override { return Local("Standby", force); }
    bool LogOff(bool force) override { return Local("LogOff", force); }
    bool Lock() override;
    bool MonitorPower(bool on) override { return Local("MonitorPower", on); }
    std::uint32_t RemoteShutdown(const RemoteShutdownRequest& request) override;
    std::uint32_t WakeOnLan(const std::u16string& mac, const std::u16string& password, const std::u16string& broadcast,
                            const std::u16string& port) override;

private:
    bool Local(const std::string& name, bool flag);
    FakePlatform& platform_;
};

class FakePlatform : public ExecutorPlatform {
public:
    explicit FakePlatform(const TempDir& dir) : folder(dir.Folder()) {}

    // What the dialog does when shown: "ok", "cancel" or "time".
    std::string dialogAnswer = "ok";
    std::uint32_t dialogError = 0;  // the window cannot be shown
    std::function<void()> duringDialog;
    std::optional<std::u16string> account;
    std::uint32_t accountError = 0;
    std::u16string processSid = kUserSid;  // the account this process runs as
    std::uint32_t remoteResult = 0;
    std::map<std::u16string, std::function<void()>> remoteThrows;  // computer -> what its shutdown throws
    std::uint32_t lockError = 0;
    std::u16string folder;

    std::mutex mutex;
    std::vector<std::string> calls;
    int dialogs = 0;
    int usages = 0;
    std::vector<std::u16string> serviceRuns;
    std::atomic<int> activeRemote{0};
    std::atomic<int> mostActiveRemote{0};
    std::uint32_t lastError = 0;

    void Record(const std::string& call) {
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(call);
    }

    std::u16string TimeText() override { return kTime; }
    std::u16string MessageText(std::uint32_t code) override {
        return code == 0 ? u"The operation completed successfully. " : u"text of " + Text(std::to_string(code));
    }
    std::uint32_t LastError() override { return lastError; }
    void ClearLastError() override { lastError = 0; }
    void Sleep(unsigned ms) override { Record("Sleep " + std::to_string(ms)); }
    std::u16string TaskFolder() override { return folder; }
    std::unique_ptr<ActionEngine> CreateActions() override { return std::make_unique<FakeEngine>(*this); }
    CountdownOutcome RunCountdown(CountdownLogic& logic) override {
        ++dialogs;
        if (dialogError != 0)
            return {kDialogCancel, false, dialogError};
        logic.Start();
        lastError = 1400;  // what window calls may leave behind
        if (duringDialog)
            duringDialog();
        if (dialogAnswer == "cancel")
            return {logic.OnCancel() ? kDialogCancel : kDialogOk, false};
        if (dialogAnswer == "time") {
            while (!logic.OnTimer().finished) {
            }
            return {kDialogOk, true};
        }
        logic.OnOk();
        return {kDialogOk, false};
    }
    AccountRead WorkItemAccount(const std::u16string&) override { return {account.value_or(u""), accountError}; }
    std::u16string ProcessAccountSid() override { return processSid; }
    std::uint32_t serviceError = 0;
    std::u16string foreignLockOwner;
    HandOverOutcome RunThroughService(const std::u16string& argument) override {
        serviceRuns.push_back(argument);
        return {serviceError, foreignLockOwner};
    }
    // By default the console is where services run and a user is logged on: the service path.
    SessionFacts sessions{0, 0, 0, ConsoleUser::kLoggedOn};
    SessionFacts Sessions() override { return sessions; }
    // The session's part as the task's process sees it: what it does at each wait, in order; once
    // the script is spent, it has ended.
    struct FakeSession : SessionChannel {
        FakePlatform& platform;
        std::size_t next = 0;
        explicit FakeSession(FakePlatform& p) : platform(p) {}
        SessionEvent Wait(std::optional<unsigned> timeoutMs, std::size_t maxBytes) override {
            platform.Record("Wait " + (timeoutMs ? std::to_string(*timeoutMs) : std::string("-")) + " max " +
                            std::to_string(maxBytes));
            if (next >= platform.sessionScript.size())
                return {SessionEventKind::kEnded, {}};
            SessionEvent event = platform.sessionScript[next++];
            // The clock moves by the whole wait when nothing came, and by 400 ms before bytes came.
            platform.tickMs += event.kind == SessionEventKind::kTime ? timeoutMs.value_or(0) : 400;
            return event;
        }
        bool Send(std::string_view bytes) override {
            platform.Record("Send " + std::string(bytes.substr(0, 4)));
            platform.sessionSent.emplace_back(bytes);
            return platform.sessionSendWorks;
        }
        void End() override { platform.Record("End"); }
    };
    std::uint32_t tickMs = 0xFFFFF000u;  // near the wrap, which the clock must survive
    std::uint32_t TickMs() override { return tickMs; }
    std::vector<std::pair<std::uint32_t, CTaskParams>> sessionRuns;
    std::vector<SessionEvent> sessionScript;
    std::vector<std::string> sessionSent;
    bool sessionSendWorks = true;
    std::uint32_t sessionStartError = 0;
    std::uint32_t LogOffSession(std::uint32_t session) override {
        Record("LogOffSession " + std::to_string(session));
        return 0;
    }
    SessionStart StartSessionPart(std::uint32_t session, const std::u16string& record) override {
        CTaskParams part;
        EXPECT_TRUE(part.Parse(record, true));
        sessionRuns.emplace_back(session, part);
        if (sessionStartError != 0)
            return {nullptr, sessionStartError};
        return {std::make_unique<FakeSession>(*this), 0};
    }
    void PrintUsage() override { ++usages; }
    std::u16string printed;
    void PrintText(const std::u16string& text) override { printed += text; }
    bool privileged = false;
    bool RunsPrivileged() override { return privileged; }
    // Every path is a full one on a local drive, in folders of the administrators alone.
    struct FakeExaminer : PathExaminer {
        std::optional<std::u16string> FullPath(const std::u16string& path) override { return path; }
        bool IsNetworkDrive(const std::u16string&) override { return false; }
        PathStep HoldFolder(const std::u16string&) override {
            PathStep step;
            step.folder = true;
            step.owner = u"S-1-5-32-544";
            step.entries = {{u"S-1-5-32-545", 0x1200A9, true, false}};
            return step;
        }
        PathStep LookAtFile(const std::u16string&) override {
            PathStep missing;
            missing.error = 2;
            return missing;
        }
    };
    std::unique_ptr<PathExaminer> ExaminePaths() override { return std::make_unique<FakeExaminer>(); }
};

bool FakeEngine::Local(const std::string& name, bool flag) {
    platform_.Record(name + " " + std::to_string(flag));
    return true;
}

bool FakeEngine::Lock() {
    platform_.Record("Lock");
    platform_.lastError = platform_.lockError;
    return platform_.lockError == 0;
}

std::uint32_t FakeEngine::RemoteShutdown(const RemoteShutdownRequest& request) {
    const auto& [computer, user, password, noDialog, message, delay, force, reboot] = request;
    const int active = ++platform_.activeRemote;
    int most = platform_.mostActiveRemote;
    while (active > most && !platform_.mostActiveRemote.compare_exchange_weak(most, active)) {
    }
    platform_.Record("RemoteShutdown start " + std::string(computer.begin(), computer.end()));
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    platform_.Record("RemoteShutdown " + std::string(computer.begin(), computer.end()) + " " +
                     std::string(user.begin(), user.end()) + " " + std::string(password.begin(), password.end()) +
                     " noDialog=" + std::to_string(noDialog) + " " + std::string(message.begin(), message.end()) + " " +
                     std::string(delay.begin(), delay.end()) + " force=" + std::to_string(force) +
                     " reboot=" + std::to_string(reboot));
    --platform_.activeRemote;
    if (const auto it = platform_.remoteThrows.find(computer); it != platform_.remoteThrows.end())
        it->second();
    return platform_.remoteResult;
}

std::uint32_t FakeEngine::WakeOnLan(const std::u16string& mac, const std::u16string& password,
                                    const std::u16string& broadcast, const std::u16string& port) {
    platform_.Record("WakeOnLan " + std::string(mac.begin(), mac.end()) + " " +
                     std::string(password.begin(), password.end()) + " " +
                     std::string(broadcast.begin(), broadcast.end()) + " " + std::string(port.begin(), port.end()));
    return mac.empty() ? 87 : 0;
}

// The lines of a run log without their time stamps.
Lines LinesOf(std::u16string_view log) {
    Lines lines;
    while (!log.empty()) {
        const std::size_t end = log.find(u"\r\n");
        std::u16string_view line = log.substr(0, end);
        EXPECT_EQ(0u, line.find(kTime)) << "every line starts with the time";
        line.remove_prefix(std::min(line.size(), std::size(kTime)));
        lines.emplace_back(line);
        log.remove_prefix(end == std::u16string_view::npos ? log.size() : end + 2);
    }
    return lines;
}

// The run log stored last in a task file's history.
std::u16string LastRunIn(const std::u16string& history) {
    const std::size_t at = history.rfind(kRunSeparator);
    EXPECT_NE(std::u16string::npos, at);
    return history.substr(at + std::size(kRunSeparator) - 1);
}

ComputerEntry Computer(const std::u16string& name, const std::u16string& user = u"", const std::u16string& pw = u"") {
    return ComputerEntry{name, user, pw};
}

class ExecutorRun : public ::testing::Test {
protected:
    CTaskParams SavedTask(const std::u16string& name, int action, int noshow = 1) {
        CTaskParams task;
        task.action = action;
        task.noshow = noshow;
        task.delay = u"5";
        task.message = u"Going";
        task.comment = u"keep me";
        EXPECT_TRUE(task.Save(dir.Folder(), name));
        return task;
    }
    CTaskParams Stored(const std::u16string& name) {
        CTaskParams task;
        EXPECT_TRUE(task.Load(dir.Folder(), name, true));
        return task;
    }

    TempDir dir;
    FakePlatform platform{dir};
};

TEST_F(ExecutorRun, LocalTaskWithoutDialogActsAndLogs) {
    CTaskParams task = SavedTask(u"quenep-0a", kActionShutdown, 1);
    task.force = 1;
    task.Save(dir.Folder(), u"quenep-0a");
    Executor executor(platform);
    EXPECT_EQ(kExitNormal, executor.Start(u"quenep-0a"));
    EXPECT_EQ(0, platform.dialogs);
    EXPECT_EQ((std::vector<std::string>{"Shutdown 1"}), platform.calls);
    const CTaskParams stored = Stored(u"quenep-0a");
    EXPECT_EQ((Lines{u"account=", u"Start action=shutdown", u"result=0: The operation completed successfully. "}),
              LinesOf(LastRunIn(stored.history)));
    EXPECT_EQ(u"keep me", stored.comment);
    EXPECT_EQ(0u, stored.history.find(kRunSeparator));
}

TEST_F(ExecutorRun, DialogOkActsCancelSkipsTimeUpActs) {
    SavedTask(u"quenep-0d", kActionHibernate, 0);
    {
        Executor executor(platform);
        EXPECT_EQ(kExitNormal, executor.Start(u"quenep-0d"));
        EXPECT_EQ(
            (Lines{u"account=", u"Start action=hibernate", u"Dialog: time to show=5, allow cancel=1, message=Going",
                   u"Dialog: result=Ok", u"result=0: The operation completed successfully. "}),
            LinesOf(executor.runLog()));
        EXPECT_EQ((std::vector<std::string>{"Hibernate 0"}), platform.calls);
    }
    platform.calls.clear();
    platform.dialogAnswer = "cancel";
    {
        Executor executor(platform);
        executor.Start(u"quenep-0d");
        EXPECT_TRUE(platform.calls.empty());
        // The result line tells the truth about the skipped action, not what the window left behind.
        EXPECT_EQ(
            (Lines{u"account=", u"Start action=hibernate", u"Dialog: time to show=5, allow cancel=1, message=Going",
                   u"Dialog: result=Cancel", u"result=0: The operation completed successfully. "}),
            LinesOf(executor.runLog()));
    }
    platform.dialogAnswer = "time";
    {
        Executor executor(platform);
        EXPECT_EQ(kExitCountdownEnded, executor.Start(u"quenep-0d.job"));
        EXPECT_EQ((std::vector<std::string>{"Hibernate 0"}), platform.calls);
        EXPECT_EQ(
            (Lines{u"account=", u"Start action=hibernate", u"Dialog: time to show=5, allow cancel=1, message=Going",
                   u"result=0: The operation completed successfully. "}),
            LinesOf(executor.runLog()))
            << "no dialog result line when the time runs out";
    }
    EXPECT_EQ(3, platform.dialogs);
    const std::u16string history = Stored(u"quenep-0d").history;
    std::size_t runs = 0;
    for (std::size_t at = 0; (at = history.find(kRunSeparator, at)) != std::u16string::npos; ++at)
        ++runs;
    EXPECT_EQ(3u, runs) << "every run is stored after its own separator";
}

TEST_F(ExecutorRun, CountdownThatCannotBeShownIsTheResultAndNothingHappens) {
    SavedTask(u"quenep-0w", kActionShutdown, 0);
    platform.dialogError = 1400;
    Executor executor(platform);
    executor.Start(u"quenep-0w");
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ(u"result=1400: text of 1400", LinesOf(executor.runLog()).back());
}

TEST_F(ExecutorRun, FailedLocalActionLogsItsError) {
    SavedTask(u"quenep-0l", kActionLock, 1);
    platform.lockError = 120;
    Executor executor(platform);
    executor.Start(u"quenep-0l");
    EXPECT_EQ(u"result=120: text of 120", LinesOf(executor.runLog()).back());
}

TEST_F(ExecutorRun, EveryActionCodeReachesItsOperation) {
    const std::pair<int, std::vector<std::string>> expected[] = {{kActionShutdown, {"Shutdown 0"}},
                                                                 {kActionHibernate, {"Hibernate 0"}},
                                                                 {kActionStandby, {"Standby 0"}},
                                                                 {kActionRestart, {"Restart 0"}},
                                                                 {kActionPowerOff, {"PowerOff 0"}},
                                                                 {kActionLock, {"Lock"}},
                                                                 {kActionLogOff, {"LogOff 0"}},
                                                                 {kActionMonitorOff, {"MonitorPower 0"}},
                                                                 {kActionMonitorOn, {"MonitorPower 1"}},
                                                                 {kActionPopup, {}},
                                                                 {kActionWakeOnLan, {}},
                                                                 {kActionWakeUp, {}}};
    for (const auto& [action, calls] : expected) {
        SavedTask(u"quenep-0x", action, 1);
        platform.calls.clear();
        Executor executor(platform);
        executor.Start(u"quenep-0x");
        EXPECT_EQ(calls, platform.calls) << "action " << action;
        EXPECT_EQ(0u, LinesOf(executor.runLog()).back().find(u"result=0: ")) << "action " << action;
    }
    EXPECT_EQ(0, platform.dialogs);
}

TEST_F(ExecutorRun, MonitorActsAtOnceAndPopupOnlyShowsItsMessage) {
    SavedTask(u"quenep-0m", kActionMonitorOn, 0);
    Executor(platform).Start(u"quenep-0m");
    EXPECT_EQ(0, platform.dialogs);
    SavedTask(u"quenep-0p", kActionPopup, 0);
    platform.calls.clear();
    Executor popup(platform);
    popup.Start(u"quenep-0p");
    EXPECT_EQ(1, platform.dialogs);
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ((Lines{u"account=", u"Start action=popup", u"Dialog: result=Ok",
                     u"result=0: The operation completed successfully. "}),
              LinesOf(popup.runLog()));
}

TEST_F(ExecutorRun, RemoteComputersOneAfterAnotherInListOrder) {
    CTaskParams task = SavedTask(u"quenep-1r", kActionRestart, 1);
    task.force = 1;
    task.computers = {Computer(u"pc1", u"admin", u"pw"), Computer(u"pc2"), Computer(u"pc3")};
    task.Save(dir.Folder(), u"quenep-1r");
    platform.remoteResult = 1326;
    Executor executor(platform);
    executor.Start(u"quenep-1r");
    EXPECT_EQ(1, platform.mostActiveRemote.load()) << "two remote shutdowns overlapped";
    EXPECT_EQ(
        (std::vector<std::string>{
            "Sleep 20", "RemoteShutdown start pc1", "RemoteShutdown pc1 admin pw noDialog=1 Going 5 force=1 reboot=1",
            "Sleep 20", "RemoteShutdown start pc2", "RemoteShutdown pc2   noDialog=1 Going 5 force=1 reboot=1",
            "Sleep 20", "RemoteShutdown start pc3", "RemoteShutdown pc3   noDialog=1 Going 5 force=1 reboot=1"}),
        platform.calls);
    // A remote line carries the system's text, without the number.
    EXPECT_EQ((Lines{u"account=", u"Start action=restart", u"pc1 result=text of 1326", u"pc2 result=text of 1326",
                     u"pc3 result=text of 1326"}),
              LinesOf(LastRunIn(Stored(u"quenep-1r").history)));
    EXPECT_EQ(0, platform.dialogs);
}

// Each computer's line says what its worker's exception was, and the computers after it still run.
TEST_F(ExecutorRun, WorkerThatThrowsIsLoggedAndTheRunGoesOnToStoreItsLog) {
    CTaskParams task = SavedTask(u"quenep-1x", kActionShutdown, 1);
    task.computers = {Computer(u"pc1"), Computer(u"pc2"), Computer(u"pc3"), Computer(u"pc4")};
    ASSERT_TRUE(task.Save(dir.Folder(), u"quenep-1x"));
    platform.remoteThrows[u"pc1"] = [] { throw std::bad_alloc(); };
    platform.remoteThrows[u"pc2"] = [] { throw std::runtime_error("remote shutdown failed by an exception"); };
    platform.remoteThrows[u"pc3"] = [] { throw 42; };
    Executor(platform).Start(u"quenep-1x");
    EXPECT_EQ((Lines{u"account=", u"Start action=shutdown", u"pc1 result=text of 8", u"pc2 result=text of 1359",
                     u"pc3 result=text of 1359", u"pc4 result=The operation completed successfully. "}),
              LinesOf(LastRunIn(Stored(u"quenep-1x").history)));
}

TEST_F(ExecutorRun, RemoteTaskOfALocalOnlyActionDoesNothingToItsComputers) {
    CTaskParams task = SavedTask(u"quenep-1k", kActionLock, 0);
    task.computers = {Computer(u"a"), Computer(u"b"), Computer(u"c")};
    task.Save(dir.Folder(), u"quenep-1k");
    Executor executor(platform);
    executor.Start(u"quenep-1k");
    EXPECT_EQ((std::vector<std::string>{"Sleep 20", "Sleep 20", "Sleep 20"}), platform.calls);
    EXPECT_EQ(
        (Lines{u"account=", u"Start action=lock", u"a result=The operation completed successfully. ",
               u"b result=The operation completed successfully. ", u"c result=The operation completed successfully. "}),
        LinesOf(executor.runLog()));
}

TEST_F(ExecutorRun, WakeOnLanSendsEveryEntryAndLogsCodes) {
    CTaskParams task = SavedTask(u"quenep-1w", kActionWakeOnLan, 0);
    task.computers = {ComputerEntry{u"pc1", u"", u"", u"", u"001122334455", u"A1B2C3D4E5F6", u"10.0.0.255", u"7"},
                      ComputerEntry{u"pc2"}};
    task.Save(dir.Folder(), u"quenep-1w");
    Executor executor(platform);
    executor.Start(u"quenep-1w");
    EXPECT_EQ((std::vector<std::string>{"WakeOnLan 001122334455 A1B2C3D4E5F6 10.0.0.255 7", "WakeOnLan    "}),
              platform.calls);
    EXPECT_EQ((Lines{u"account=", u"Start action=wol", u"pc1 result=0: The operation completed successfully. ",
                     u"pc2 result=87: text of 87"}),
              LinesOf(executor.runLog()));
}

TEST_F(ExecutorRun, RemoteTaskWithoutComputersStoresNothing) {
    SavedTask(u"quenep-1e", kActionShutdown, 1);
    const std::string before = test::ReadBytes(dir.Path() / "quenep-1e.dat");
    Executor executor(platform);
    executor.Start(u"quenep-1e");
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ(before, test::ReadBytes(dir.Path() / "quenep-1e.dat"));
}

TEST_F(ExecutorRun, MissingOrBrokenTaskFileRunsNothing) {
    Executor executor(platform);
    EXPECT_EQ(kExitNormal, executor.Start(u"quenep-0none"));
    test::WriteBytes(dir.Path() / "quenep-0bad.dat", "not a task");
    EXPECT_EQ(kExitNormal, executor.Start(u"quenep-0bad"));
    EXPECT_TRUE(executor.runLog().empty());
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ("not a task", test::ReadBytes(dir.Path() / "quenep-0bad.dat"));
}

TEST_F(ExecutorRun, LocalTaskUnderTheSystemAccountGoesThroughTheService) {
    SavedTask(u"quenep-0s", kActionShutdown, 0);
    platform.processSid = kSystemSid;
    platform.account = u"NT AUTHORITY\\SYSTEM";
    Executor executor(platform);
    EXPECT_EQ(kExitNormal, executor.Start(u"quenep-0s"));
    EXPECT_EQ((std::vector<std::u16string>{u"quenep-0s"}), platform.serviceRuns);
    EXPECT_TRUE(executor.runLog().empty());
    EXPECT_TRUE(Stored(u"quenep-0s").history.empty());
}

TEST_F(ExecutorRun, ServiceThatCannotTakeTheTaskIsLogged) {
    SavedTask(u"quenep-0t", kActionShutdown, 0);
    platform.processSid = kSystemSid;
    platform.account = u"SYSTEM";
    platform.serviceError = 1073;
    Executor(platform).Start(u"quenep-0t");
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ((Lines{u"account=SYSTEM", u"result=1073: text of 1073"}),
              LinesOf(LastRunIn(Stored(u"quenep-0t").history)));

    // A lock of the service that someone else made: the log names its maker.
    platform.serviceError = 5;
    platform.foreignLockOwner = u"S-1-5-21-1-2-3-1001";
    Executor(platform).Start(u"quenep-0t");
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ((Lines{u"account=SYSTEM",
                     u"service lock made by S-1-5-21-1-2-3-1001, not by the system or the administrators: not "
                     u"waited for",
                     u"result=5: text of 5"}),
              LinesOf(LastRunIn(Stored(u"quenep-0t").history)));
}

TEST_F(ExecutorRun, ServiceProcessRunsTheTaskUnderTheSystemAccount) {
    SavedTask(u"quenep-0v", kActionLock, 0);
    Executor service(platform);
    EXPECT_TRUE(service.RunServiceTask(u"quenep-0v"));
    EXPECT_EQ((Lines{u"account=system", u"Start action=lock", u"Dialog: time to show=5, allow cancel=1, message=Going",
                     u"Dialog: result=Ok", u"result=0: The operation completed successfully. "}),
              LinesOf(LastRunIn(Stored(u"quenep-0v").history)));
    EXPECT_EQ((std::vector<std::string>{"Lock"}), platform.calls);
    Executor missing(platform);
    EXPECT_FALSE(missing.RunServiceTask(u"quenep-0none"));
    EXPECT_TRUE(missing.runLog().empty());
}

TEST_F(ExecutorRun, ServiceOnlyForLocalTasksThatShowTheirDialog) {
    platform.processSid = kSystemSid;
    platform.account = u"SYSTEM";
    SavedTask(u"quenep-0n", kActionLock, 1);  // no dialog: runs directly
    Executor direct(platform);
    direct.Start(u"quenep-0n");
    EXPECT_EQ(u"account=SYSTEM", LinesOf(direct.runLog()).front());

    CTaskParams remote = SavedTask(u"quenep-1n", kActionShutdown, 0);
    remote.computers = {Computer(u"pc")};
    remote.Save(dir.Folder(), u"quenep-1n");
    Executor remoteRun(platform);
    remoteRun.Start(u"quenep-1n");
    EXPECT_EQ(u"account=SYSTEM", LinesOf(remoteRun.runLog()).front());

    platform.processSid = kUserSid;
    platform.account = u"LAB\\operator";
    SavedTask(u"quenep-0u", kActionLock, 0);
    Executor user(platform);
    user.Start(u"quenep-0u");
    EXPECT_EQ(u"account=LAB\\operator", LinesOf(user.runLog()).front());
    EXPECT_TRUE(platform.serviceRuns.empty());
}

// Whether the run goes through the service is the process token's word: a work item's account
// name only goes into the log. A user whose name holds the word, or who starts a task of the system
// account from a shortcut, runs it in their own process; an account that cannot be read changes
// only the log line.
TEST_F(ExecutorRun, TheProcessTokenDecidesTheServiceNotTheAccountName) {
    const struct {
        const char* what;
        std::u16string sid;
        std::u16string account;
        std::uint32_t accountError;
        bool service;
        std::u16string firstLine;
    } cases[] = {
        {"the system's process", kSystemSid, u"SYSTEM", 0, true, u"account=SYSTEM"},
        {"the system's process, any name", kSystemSid, u"LAB\\operator", 0, true, u"account=LAB\\operator"},
        {"the system's process, account unread", kSystemSid, u"", 0x80070005, true,
         u"account=? could not be read: -2147024891: text of 2147942405"},
        {"a user started a system task", kUserSid, u"SYSTEM", 0, false, u"account=SYSTEM"},
        {"a user named like the system", kUserSid, u"NT AUTHORITY\\SYSTEM", 0, false, u"account=NT AUTHORITY\\SYSTEM"},
        {"a user whose name holds the word", u"S-1-5-21-1-2-3-1018", u"LAB\\SYSTEMS", 0, false,
         u"account=LAB\\SYSTEMS"},
        {"a token that cannot be read", u"", u"SYSTEM", 0, false, u"account=SYSTEM"},
        {"a look-alike identifier", u"S-1-5-180", u"SYSTEM", 0, false, u"account=SYSTEM"},
        {"a user, account unread", kUserSid, u"", 0x80070005, false,
         u"account=? could not be read: -2147024891: text of 2147942405"},
    };
    for (const auto& c : cases) {
        SavedTask(u"quenep-0r", kActionLock, 0);
        platform.processSid = c.sid;
        platform.account = c.account;
        platform.accountError = c.accountError;
        platform.serviceError = 1073;  // the service's failure is logged, so its run shows the account line
        platform.serviceRuns.clear();
        platform.calls.clear();
        Executor executor(platform);
        EXPECT_EQ(kExitNormal, executor.Start(u"quenep-0r"));
        EXPECT_EQ(c.service ? 1u : 0u, platform.serviceRuns.size()) << c.what;
        EXPECT_EQ(c.service ? std::vector<std::string>{} : std::vector<std::string>{"Lock"}, platform.calls) << c.what;
        const Lines lines = LinesOf(LastRunIn(Stored(u"quenep-0r").history));
        ASSERT_FALSE(lines.empty()) << c.what;
        EXPECT_EQ(c.firstLine, lines.front()) << c.what;
    }
    EXPECT_TRUE(IsSystemAccountSid(u"S-1-5-18"));
    EXPECT_FALSE(IsSystemAccountSid(u"s-1-5-18 "));
}

// Without interactive services a process of the console's user shows the countdown and answers; this
// process keeps the clock, the log and the action. Each case is what that process does, wait by wait.
TEST_F(ExecutorRun, WithoutInteractiveServicesTheUsersSessionOnlyAnswers) {
    using K = SessionEventKind;
    const SessionEvent tick{K::kTime, {}};
    const auto bytes = [](std::string_view b) { return SessionEvent{K::kBytes, std::string(b)}; };
    const SessionEvent ended{K::kEnded, {}};
    const std::u16string success = u"result=0: The operation completed successfully. ";
    const std::u16string opening = u"Dialog: time to show=3, allow cancel=1, message=Going";
    const std::u16string openingNoCancel = u"Dialog: time to show=3, allow cancel=0, message=Going";
    struct Case {
        const char* what;
        int action;
        int cancel;
        std::u16string delay;
        std::vector<SessionEvent> script;  // after it, the part has ended
        std::vector<std::string> calls;    // besides the waits
        Lines lines;                       // after the start line
        std::vector<std::string> waits;    // the first waits, when they matter
    };
    const Case cases[] = {
        {"the time runs out on this process's clock",
         kActionRestart,
         1,
         u"3",
         {tick, tick, tick},
         {"Restart 1", "End"},
         {opening, success},
         {"Wait 1000 max 8", "Wait 1000 max 8", "Wait 1000 max 8"}},
        {"OK",
         kActionRestart,
         1,
         u"3",
         {bytes(kSessionAnswerOk)},
         {"Restart 1", "End"},
         {opening, u"Dialog: result=Ok", success},
         {}},
        {"Cancel where the task allows it",
         kActionRestart,
         1,
         u"3",
         {tick, bytes(kSessionAnswerCancel)},
         {"End"},
         {opening, u"Dialog: result=Cancel", success},
         {}},
        {"Cancel where the task does not allow it",
         kActionRestart,
         0,
         u"3",
         {bytes(kSessionAnswerCancel)},
         {"Restart 1", "End"},
         {openingNoCancel, u"Dialog: result=none, the task cannot be cancelled", success},
         {}},
        // Bytes come as the pipe gives them; the clock keeps its seconds from the start however often
        // they wake this process, and a read never takes more than the rest of one message.
        {"an answer in pieces",
         kActionRestart,
         1,
         u"3",
         {bytes("c"), bytes("ance"), tick, bytes("l  ")},
         {"End"},
         {opening, u"Dialog: result=Cancel", success},
         {"Wait 1000 max 8", "Wait 600 max 7", "Wait 200 max 3", "Wait 1000 max 3"}},
        {"anything else",
         kActionRestart,
         1,
         u"3",
         {bytes("ok     \n")},
         {"Restart 1", "End"},
         {opening, u"Dialog: result=none, the dialog sent something that is no answer", success},
         {}},
        {"more than was asked for",
         kActionRestart,
         1,
         u"3",
         {bytes("ok      ok")},
         {"Restart 1", "End"},
         {opening, u"Dialog: result=none, the dialog sent more than an answer", success},
         {}},
        {"the part ends before an answer",
         kActionPowerOff,
         1,
         u"3",
         {tick},
         {"PowerOff 1", "End"},
         {opening, u"Dialog: result=none, the dialog ended without an answer", success},
         {}},
        {"no time: only the user ends it",
         kActionShutdown,
         1,
         u"0",
         {bytes(kSessionAnswerOk)},
         {"Shutdown 1", "End"},
         {u"Dialog: time to show=0, allow cancel=1, message=Going", u"Dialog: result=Ok", success},
         {"Wait - max 8"}},
        {"a popup only shows its message",
         kActionPopup,
         0,
         u"3",
         {bytes(kSessionAnswerOk)},
         {"End"},
         {u"Dialog: result=Ok", success},
         {}},
        // Lock, log off and the monitor act in the user's session: the part does them on this
        // process's word and reports the result, which is this run's.
        {"a lock done by the part",
         kActionLock,
         1,
         u"3",
         {tick, tick, tick, bytes(SessionDoneMessage(0))},
         {"Send act ", "End"},
         {opening, success},
         {}},
        // A log off that the part does not report is the system's to do.
        {"a log off the part ends instead of doing",
         kActionLogOff,
         0,
         u"3",
         {tick, tick, tick},
         {"Send act ", "LogOffSession 2", "End"},
         {openingNoCancel, success},
         {}},
        {"a log off whose report is an error",
         kActionLogOff,
         1,
         u"3",
         {bytes(kSessionAnswerOk), bytes(SessionDoneMessage(1314))},
         {"Send act ", "End"},
         {opening, u"Dialog: result=Ok", u"result=1314: text of 1314"},
         {}},
        {"an answer that came after the clock, then the report",
         kActionLock,
         0,
         u"1",
         {tick, bytes(kSessionAnswerOk), bytes(SessionDoneMessage(5))},
         {"Send act ", "End"},
         {u"Dialog: time to show=1, allow cancel=0, message=Going", u"result=5: text of 5"},
         {}},
        {"a part that ends instead of acting",
         kActionLock,
         1,
         u"3",
         {bytes(kSessionAnswerOk)},
         {"Send act ", "End"},
         {opening, u"Dialog: result=Ok", u"result=109: text of 109"},
         {}},
        {"a report that is none",
         kActionLock,
         1,
         u"3",
         {bytes(kSessionAnswerOk), bytes("dune1234")},
         {"Send act ", "End"},
         {opening, u"Dialog: result=Ok", u"result=13: text of 13"},
         {}},
        {"the monitor acts at once",
         kActionMonitorOff,
         1,
         u"3",
         {bytes(SessionDoneMessage(0))},
         {"Send act ", "End"},
         {success},
         {}},
    };
    platform.processSid = kSystemSid;
    platform.account = u"SYSTEM";
    platform.sessions = {2, 0, 0, ConsoleUser::kLoggedOn};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTaskParams task = SavedTask(u"quenep-0c", c.action, 0);
        task.force = 1;
        task.cancel = c.cancel;
        task.delay = c.delay;
        task.history = u"older runs";
        task.logFile = u"C:\\ProgramData\\Velmora\\lab.log";
        ASSERT_TRUE(task.Save(dir.Folder(), u"quenep-0c"));
        platform.calls.clear();
        platform.sessionRuns.clear();
        platform.sessionSent.clear();
        platform.sessionScript = c.script;
        Executor executor(platform);
        EXPECT_EQ(kExitNormal, executor.Start(u"quenep-0c"));

        ASSERT_EQ(1u, platform.sessionRuns.size());
        EXPECT_EQ(2u, platform.sessionRuns[0].first);
        const CTaskParams& part = platform.sessionRuns[0].second;
        EXPECT_EQ((std::vector<int>{c.action, 1, c.cancel}), (std::vector<int>{part.action, part.force, part.cancel}));
        EXPECT_TRUE(part.history.empty() && part.logFile.empty()) << "the part gets only what it shows";
        std::vector<std::string> calls, waits;
        for (const std::string& call : platform.calls)
            (call.starts_with("Wait ") ? waits : calls).push_back(call);
        EXPECT_EQ(c.calls, calls);
        waits.resize(std::min(waits.size(), c.waits.size()));
        EXPECT_EQ(c.waits, waits);
        EXPECT_EQ(0, platform.dialogs);
        const Lines expected = [&] {
            Lines lines{u"account=SYSTEM", u"session=2", u"Start action=" + ActionName(c.action)};
            lines.insert(lines.end(), c.lines.begin(), c.lines.end());
            return lines;
        }();
        const std::u16string history = Stored(u"quenep-0c").history;
        EXPECT_EQ(0u, history.find(u"older runs"));
        EXPECT_EQ(expected, LinesOf(LastRunIn(history)));
    }
}

TEST_F(ExecutorRun, SessionPartThatCannotStartIsTheResultAndNothingHappens) {
    SavedTask(u"quenep-0f", kActionRestart, 0);
    platform.processSid = kSystemSid;
    platform.account = u"SYSTEM";
    platform.sessions = {2, 0, 0, ConsoleUser::kLoggedOn};
    platform.sessionStartError = 1314;
    Executor executor(platform);
    executor.Start(u"quenep-0f");
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_EQ((Lines{u"account=SYSTEM", u"session=2", u"Start action=restart", u"result=1314: text of 1314"}),
              LinesOf(executor.runLog()));
}

// With nobody logged on, the countdown runs out unseen and the action follows; a popup has nobody
// to show its message to and ends.
TEST_F(ExecutorRun, NobodyLoggedOnTheCountdownRunsOutUnseen) {
    platform.processSid = kSystemSid;
    platform.account = u"SYSTEM";
    platform.sessions = {1, 0, 0, ConsoleUser::kNone};
    const std::u16string success = u"result=0: The operation completed successfully. ";
    struct Case {
        int action;
        std::u16string delay;
        std::vector<std::string> calls;
        Lines lines;
    };
    const Case cases[] = {
        {kActionLock,
         u"3",
         {"Sleep 1000", "Sleep 1000", "Sleep 1000", "Lock"},
         {u"Start action=lock", u"Dialog: time to show=3, allow cancel=1, message=Going", success}},
        // A countdown without time would wait for a user who is not there.
        {kActionLock,
         u"0",
         {"Lock"},
         {u"Start action=lock", u"Dialog: time to show=0, allow cancel=1, message=Going", success}},
        {kActionPopup, u"3", {}, {u"Start action=popup", success}},
    };
    for (const Case& c : cases) {
        CTaskParams task = SavedTask(u"quenep-0z", c.action, 0);
        task.delay = c.delay;
        ASSERT_TRUE(task.Save(dir.Folder(), u"quenep-0z"));
        platform.calls.clear();
        Executor executor(platform);
        EXPECT_EQ(kExitNormal, executor.Start(u"quenep-0z"));
        EXPECT_EQ(c.calls, platform.calls) << "action " << c.action << " delay " << c.delay.size();
        Lines expected = {u"account=SYSTEM", u"session=none: no user is logged on"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(expected, LinesOf(LastRunIn(Stored(u"quenep-0z").history))) << "action " << c.action;
    }
    EXPECT_EQ(0, platform.dialogs);
    EXPECT_TRUE(platform.serviceRuns.empty());
    EXPECT_TRUE(platform.sessionRuns.empty());
}

// The task's process as the part in the user's session sees it: the bytes it sends, then its end.
struct FakeTask : SessionChannel {
    std::string input;
    std::vector<std::string> sent;
    SessionEvent Wait(std::optional<unsigned>, std::size_t maxBytes) override {
        if (input.empty())
            return {SessionEventKind::kEnded, {}};
        // A pipe gives at most three bytes at a time here, so every read is made whole.
        const std::string bytes = input.substr(0, std::min<std::size_t>({maxBytes, 3}));
        input.erase(0, bytes.size());
        return {SessionEventKind::kBytes, bytes};
    }
    bool Send(std::string_view bytes) override {
        sent.emplace_back(bytes);
        return true;
    }
    void End() override {}
};

// The part shows the countdown, tells only the user's answer, and acts only where the session is the
// place to act, on the task's word. It never logs: the log is the task's process's.
TEST_F(ExecutorRun, SessionPartAnswersAndActsOnlyOnTheTasksWord) {
    const std::string ok(kSessionAnswerOk), cancel(kSessionAnswerCancel), act(kSessionAct);
    struct Case {
        const char* what;
        int action;
        int noshow;
        std::string dialog;  // "": no countdown is shown
        std::string word;    // what the task's process says after the answer
        std::vector<std::string> sent;
        std::vector<std::string> calls;
        int exit;
        std::uint32_t lockError = 0;
    };
    const Case cases[] = {
        {"OK", kActionRestart, 0, "ok", "", {ok}, {}, kExitNormal},
        {"Cancel", kActionRestart, 0, "cancel", "", {cancel}, {}, kExitNormal},
        {"the time ran out: the task's clock says so", kActionRestart, 0, "time", "", {}, {}, kExitCountdownEnded},
        {"a system action is never the part's", kActionRestart, 0, "ok", act, {ok}, {}, kExitNormal},
        {"a lock on the task's word", kActionLock, 0, "ok", act, {ok, SessionDoneMessage(0)}, {"Lock"}, kExitNormal},
        {"a failed lock reports its error",
         kActionLock,
         0,
         "time",
         act,
         {SessionDoneMessage(120)},
         {"Lock"},
         kExitCountdownEnded,
         120},
        {"no word, no lock", kActionLock, 0, "ok", "", {ok}, {}, kExitNormal},
        {"a word that is none", kActionLock, 0, "ok", "act    !", {ok}, {}, kExitNormal},
        {"the monitor shows no countdown",
         kActionMonitorOff,
         0,
         "",
         act,
         {SessionDoneMessage(0)},
         {"MonitorPower 0"},
         kExitNormal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTaskParams task;
        task.action = c.action;
        task.noshow = c.noshow;
        task.delay = u"5";
        task.message = u"Going";
        std::u16string record = task.Serialize();
        EncodeRecordText(record);
        FakeTask from;
        from.input = SessionRecordMessage(record) + c.word;
        platform.calls.clear();
        platform.dialogs = 0;
        platform.lockError = c.lockError;
        platform.dialogAnswer = c.dialog.empty() ? "ok" : c.dialog;
        Executor part(platform);
        EXPECT_EQ(c.exit, part.RunSessionPart(from));
        EXPECT_EQ(c.dialog.empty() ? 0 : 1, platform.dialogs);
        EXPECT_EQ(c.sent, from.sent);
        EXPECT_EQ(c.calls, platform.calls);
        EXPECT_TRUE(part.runLog().empty());
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "the session part stores nothing";
}

// What comes before the record is checked before anything is read or shown.
TEST_F(ExecutorRun, SessionPartRefusesARecordThatIsNone) {
    CTaskParams task;
    task.action = kActionLock;
    std::u16string record = task.Serialize();
    EncodeRecordText(record);
    const std::string good = SessionRecordMessage(record);
    const std::string tooLong = std::string("\x01\x00\x10\x00", 4) + good.substr(4);  // 1 MiB and a byte
    const std::string odd = std::string("\x03\x00\x00\x00", 4) + "abc";
    const std::string cut = good.substr(0, good.size() - 1);
    for (const std::string& input :
         {tooLong, odd, cut, std::string("\x08\x00\x00\x00", 4) + "notarecd", std::string("\x02", 1)}) {
        FakeTask from;
        from.input = input + std::string(kSessionAct);
        Executor part(platform);
        EXPECT_EQ(kExitNormal, part.RunSessionPart(from));
        EXPECT_TRUE(from.sent.empty());
    }
    EXPECT_EQ(0, platform.dialogs);
    EXPECT_TRUE(platform.calls.empty());
}

TEST_F(ExecutorRun, LongHistoryIsCutBeforeTheNewRun) {
    const std::u16string run(100, u'r');
    const std::u16string history = u"A" + std::u16string(149989, u'h');
    const std::u16string stored = AppendRunLog(history, run);
    EXPECT_EQ(149827u + 68u + 100u, stored.size());
    EXPECT_EQ(std::u16string(149827, u'h') + kRunSeparator + run, stored);
    EXPECT_EQ(u"old" + std::u16string(kRunSeparator) + run, AppendRunLog(u"old", run));
    EXPECT_EQ(std::u16string(kRunSeparator) + std::u16string(149950, u'x'),
              AppendRunLog(u"dropped", std::u16string(149950, u'x')));
}

TEST_F(ExecutorRun, StoringReadsTheTaskFileAgainSoEditsMadeMeanwhileSurvive) {
    SavedTask(u"quenep-0e", kActionLock, 0);
    platform.duringDialog = [this] {
        CTaskParams edited = Stored(u"quenep-0e");
        edited.comment = u"edited in the manager";
        edited.delay = u"99";
        ASSERT_TRUE(edited.Save(dir.Folder(), u"quenep-0e"));
    };
    Executor(platform).Start(u"quenep-0e");
    const CTaskParams stored = Stored(u"quenep-0e");
    EXPECT_EQ(u"edited in the manager", stored.comment);
    EXPECT_EQ(u"99", stored.delay);
    EXPECT_EQ(u"result=0: The operation completed successfully. ", LinesOf(LastRunIn(stored.history)).back());
}

TEST_F(ExecutorRun, TaskDeletedDuringTheRunIsNotCreatedAgain) {
    SavedTask(u"quenep-0g", kActionLock, 0);
    platform.duringDialog = [this] { CTaskParams::Remove(dir.Folder(), u"quenep-0g"); };
    Executor executor(platform);
    executor.Start(u"quenep-0g");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "quenep-0g.dat"));
    EXPECT_FALSE(executor.runLog().empty());
}

TEST_F(ExecutorRun, TaskFileBrokenDuringTheRunGetsTheRecordAsLoaded) {
    SavedTask(u"quenep-0b", kActionLock, 0);
    platform.duringDialog = [this] { test::WriteBytes(dir.Path() / "quenep-0b.dat", "garbage"); };
    Executor(platform).Start(u"quenep-0b");
    const CTaskParams stored = Stored(u"quenep-0b");
    EXPECT_EQ(u"keep me", stored.comment);
    EXPECT_FALSE(stored.history.empty());
}

// INI mode ------------------------------------------------------------------------------------

std::u16string WriteIni(const TempDir& dir, const std::string& name, const std::string& settings) {
    test::WriteBytes(dir.Path() / name, "[settings]\r\n" + settings);
    return dir.File(name);
}

TEST_F(ExecutorRun, IniTaskLogsIntoItsLogFile) {
    const std::string log = (dir.Path() / "run.log").string();
    const auto ini = WriteIni(dir, "t.ini", "action=5\r\nnoshow=1\r\nlog file=" + log + "\r\n");
    Executor executor(platform);
    EXPECT_EQ(kExitNormal, executor.Start(ini));
    EXPECT_EQ((std::vector<std::string>{"Lock"}), platform.calls);
    const std::string first = test::ReadBytes(dir.Path() / "run.log");
    EXPECT_EQ(
        "\r\n//------------------------------------------------------------//\r\n"
        "12/06/26 21:30:05 Start action=lock\r\n"
        "12/06/26 21:30:05 result=0: The operation completed successfully. \r\n",
        first);
    Executor again(platform);
    again.Start(ini);
    EXPECT_EQ(first + first, test::ReadBytes(dir.Path() / "run.log"));
}

TEST_F(ExecutorRun, Utf16LogFileIsReadAndRewrittenWithoutMark) {
    {
        CTextFileWrite old(dir.File("w.log"), kEncodingUtf16LittleEndian);
        old.Write(u"older run \u00fc\r\n");
    }
    const auto ini = WriteIni(dir, "u.ini", "action=11\r\nlog file=" + (dir.Path() / "w.log").string() + "\r\n");
    Executor(platform).Start(ini);
    CTextFileRead reader(dir.File("w.log"));
    EXPECT_EQ(kEncodingCodePage, reader.GetEncoding());
    std::u16string text;
    reader.ReadAll(text);
    EXPECT_EQ(0u, text.find(u"older run \u00fc\r\n\r\n//---"));
    EXPECT_NE(std::u16string::npos, text.find(u"Start action=\r\n"));
}

// Whatever the ANSI code page cannot show stays intact (a lone surrogate fits no code page); a log
// that fits it keeps the plain form.
TEST_F(ExecutorRun, LogFileKeepsEveryCharacter) {
    const std::u16string half(1, char16_t(0xD800));
    const struct {
        int oldEncoding;  // -1: no older log
        std::u16string oldLog, line;
        int encoding;  // -1: whichever keeps the text on this system
    } cases[] = {{-1, u"", u"pc-01 result=ok", kEncodingCodePage},
                 {-1, u"", u"pc-" + half + u" result=ok", kEncodingUtf16LittleEndian},
                 {-1, u"", u"\u0141\u00f3d\u017a result=ok", -1},
                 {kEncodingUtf8, u"\u65e5\u672c run", u"pc-02 result=ok", -1},
                 {kEncodingUtf16LittleEndian, u"\u0416 run" + half, u"pc-03 result=ok", kEncodingUtf16LittleEndian}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& c = cases[i];
        const std::u16string path = dir.File(std::to_string(i) + ".log");
        if (c.oldEncoding >= 0)
            CTextFileWrite(path, c.oldEncoding).Write(std::u16string_view(c.oldLog));
        Executor executor(platform);
        executor.SetIniMode(true);
        executor.task().logFile = path;
        executor.AddLogLine(c.line);
        ASSERT_TRUE(executor.StoreLog(u"task.ini"));
        CTextFileRead reader(path);
        std::u16string text;
        reader.ReadAll(text);
        EXPECT_EQ(AppendRunLog(c.oldLog, executor.runLog()), text);
        EXPECT_TRUE(c.encoding < 0 || c.encoding == reader.GetEncoding());
    }
}

// A run with high rights writes its log only along a path no one else could have laid; a refused
// one keeps the log from the file, says why on the console, and the action has run all the same.
TEST_F(ExecutorRun, PrivilegedIniRunRefusesALogPathOthersCouldLay) {
    platform.privileged = true;
    const std::string log = "\\\\server\\logs\\lab.log";
    const auto ini = WriteIni(dir, "p.ini", "action=5\r\nnoshow=1\r\nlog file=" + log + "\r\n");
    Executor executor(platform);
    EXPECT_EQ(kExitNormal, executor.Start(ini));
    EXPECT_EQ((std::vector<std::string>{"Lock"}), platform.calls);
    const Lines lines{u"Start action=lock", u"result=0: The operation completed successfully. ",
                      u"log file=\\\\server\\logs\\lab.log refused: it is a network or device path"};
    EXPECT_EQ(lines, LinesOf(executor.runLog()));
    EXPECT_EQ(executor.runLog(), platform.printed);
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.Path()), {})) << "only the INI file";

    // A path that is not a full local one is refused too; without high rights a full local path is
    // written as before.
    const auto relative = WriteIni(dir, "r.ini", "action=5\r\nnoshow=1\r\nlog file=run.log\r\n");
    platform.printed.clear();
    Executor refused(platform);
    refused.Start(relative);
    const Lines printed = LinesOf(platform.printed);
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(u"log file=run.log refused: it is not a full local path", printed.back());
    EXPECT_FALSE(std::filesystem::exists("run.log"));
    const std::string local = (dir.Path() / "run.log").string();
    const auto other = WriteIni(dir, "q.ini", "action=5\r\nnoshow=1\r\nlog file=" + local + "\r\n");
    platform.privileged = false;
    platform.printed.clear();
    Executor plain(platform);
    plain.Start(other);
    EXPECT_EQ(u"", platform.printed);
    EXPECT_NE(std::string::npos, test::ReadBytes(dir.Path() / "run.log").find("Start action=lock"));
}

TEST_F(ExecutorRun, IniTaskWithoutLogFileStoresNothing) {
    const auto ini = WriteIni(dir, "n.ini", "action=5\r\nnoshow=1\r\n");
    Executor executor(platform);
    executor.Start(ini);
    EXPECT_EQ((std::vector<std::string>{"Lock"}), platform.calls);
    EXPECT_FALSE(executor.StoreLog(ini));
}

TEST_F(ExecutorRun, UnwritableLogFileIsLeftAsItWas) {
    std::filesystem::create_directory(dir.Path() / "folder.log");
    const auto ini = WriteIni(dir, "f.ini", "action=11\r\nlog file=" + (dir.Path() / "folder.log").string() + "\r\n");
    Executor executor(platform);
    executor.Start(ini);
    EXPECT_FALSE(executor.StoreLog(ini));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder.log"));
    const auto missingFolder =
        WriteIni(dir, "g.ini", "action=11\r\nlog file=" + (dir.Path() / "no" / "x.log").string() + "\r\n");
    Executor other(platform);
    other.Start(missingFolder);
    EXPECT_FALSE(other.StoreLog(missingFolder));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "no")) << "the missing folder is not made";
}

TEST_F(ExecutorRun, RemoteIniTaskWithoutComputersDoesNothing) {
    const auto ini =
        WriteIni(dir, "quenep-1lab.ini", "action=0\r\nlog file=" + (dir.Path() / "r.log").string() + "\r\n");
    Executor executor(platform);
    executor.Start(ini);
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "r.log"));
}

TEST_F(ExecutorRun, MissingIniFileOrUnknownArgumentPrintsUsage) {
    Executor executor(platform);
    executor.Start(dir.File("none.ini"));
    executor.Start(u"-R");
    executor.Start(std::nullopt);
    EXPECT_EQ(3, platform.usages);
    EXPECT_TRUE(executor.runLog().empty());
}

TEST_F(ExecutorRun, PendingIsReportedAsSuccess) {
    Executor executor(platform);
    EXPECT_EQ(u"0: The operation completed successfully. ", executor.FormatResult(997));
    EXPECT_EQ(u"-2147024891: text of 2147942405", executor.FormatResult(0x80070005));
}

}  // namespace
}  // namespace velmora
