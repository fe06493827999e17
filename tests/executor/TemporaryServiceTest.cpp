// The temporary service's hand-over over a fake service manager: runs that overlap, stop requests,
// hand-started service processes, failed starts and services left behind.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "executor/Executor.h"
#include "executor/TemporaryService.h"
#include "model/Text.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;

// One machine's service manager: the one service of the name, its ownership, and the processes the
// manager starts for the service (threads here). Each run and each service process has its own view.
class FakeMachine {
public:
    struct Service {
        TemporaryServiceState state = TemporaryServiceState::kStopped;
        bool markedForDelete = false;
        int creator = 0;  // the run that created it
        ServiceHost::Control control;
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Service> service;
    int owner = 0;  // the run that owns the service; 0 when nobody does
    bool ownedForever = false;
    int waitingForOwnership = 0;
    std::uint32_t now = 0;
    std::uint32_t startError = 0;
    std::vector<std::string> events;
    int creations = 0;
    int deletesOfOthersServices = 0;  // a run deleted a service that another run created and owns
    // What the service process runs, on its own thread.
    std::function<void(ServiceHost&, ServiceManager&, const std::u16string&)> serviceProcess;
    std::vector<std::thread> processes;

    ~FakeMachine() { JoinProcesses(); }
    void JoinProcesses() {
        for (std::thread& process : processes)
            process.join();
        processes.clear();
    }
    void Event(const std::string& event) {
        const std::lock_guard<std::mutex> lock(mutex);
        events.push_back(event);
    }
    // An administrator's or another program's stop request: the service manager refuses it while the
    // service accepts none, but the service's handler is asked all the same, to prove it ignores it.
    std::uint32_t RequestStop() {
        ServiceHost::Control control;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            events.push_back("stop requested");
            if (service)
                control = service->control;
        }
        if (control)
            control(ServiceControl::kStop);
        return kErrorInvalidServiceControl;
    }
    // Called with the lock held: a stopped service marked for deletion goes.
    void Settle() {
        if (service && service->markedForDelete && service->state == TemporaryServiceState::kStopped)
            service.reset();
        changed.notify_all();
    }
};

// The service manager as one run (id > 0) or one service process (id 0) sees it.
class FakeManager : public ServiceManager {
public:
    FakeManager(FakeMachine& machine, int id) : machine_(machine), id_(id) {}

    std::uint32_t TakeOwnership(std::uint32_t timeoutMs) override {
        std::unique_lock<std::mutex> lock(machine_.mutex);
        if (machine_.ownedForever) {
            machine_.now += timeoutMs;
            return kErrorWaitTimeout;
        }
        ++machine_.waitingForOwnership;
        machine_.changed.notify_all();
        machine_.changed.wait(lock, [this] { return machine_.owner == 0; });
        --machine_.waitingForOwnership;
        machine_.owner = id_;
        return 0;
    }
    void GiveUpOwnership() override {
        const std::lock_guard<std::mutex> lock(machine_.mutex);
        EXPECT_EQ(id_, machine_.owner);
        machine_.owner = 0;
        machine_.changed.notify_all();
    }
    std::uint32_t Create() override {
        const std::lock_guard<std::mutex> lock(machine_.mutex);
        if (machine_.service)
            return machine_.service->markedForDelete ? kErrorServiceMarkedForDelete : kErrorServiceExists;
        machine_.service = FakeMachine::Service{TemporaryServiceState::kStopped, false, id_, {}};
        ++machine_.creations;
        machine_.events.push_back("created by run " + std::to_string(id_));
        return 0;
    }
    std::uint32_t Start(const std::u16string& argument) override {
        const std::lock_guard<std::mutex> lock(machine_.mutex);
        if (machine_.startError != 0)
            return machine_.startError;
        if (!machine_.service || machine_.service->state != TemporaryServiceState::kStopped ||
            machine_.service->markedForDelete)
            return 1056;
        machine_.service->state = TemporaryServiceState::kStarting;
        FakeMachine& machine = machine_;
        machine_.processes.emplace_back([&machine, argument] {
            FakeManager manager(machine, 0);
            FakeHost host(machine, argument);
            machine.serviceProcess(host, manager, argument);
        });
        return 0;
    }
    TemporaryServiceState State() override {
        const std::lock_guard<std::mutex> lock(machine_.mutex);
        return machine_.service ? machine_.service->state : TemporaryServiceState::kGone;
    }
    std::uint32_t Delete() override {
        const std::lock_guard<std::mutex> lock(machine_.mutex);
        if (!machine_.service)
            return 1060;
        if (id_ != 0 && machine_.service->creator != id_ && machine_.service->creator == machine_.owner)
            ++machine_.deletesOfOthersServices;
        if (machine_.service->markedForDelete)
            return kErrorServiceMarkedForDelete;
        machine_.service->markedForDelete = true;
        machine_.events.push_back(id_ == 0 ? "deleted by its process" : "deleted by run " + std::to_string(id_));
        machine_.Settle();
        return 0;
    }
    void Sleep(unsigned milliseconds) override {
        {
            const std::lock_guard<std::mutex> lock(machine_.mutex);
            machine_.now += milliseconds;
        }
        std::this_thread::yield();
    }
    std::uint32_t TickMs() override {
        const std::lock_guard<std::mutex> lock(machine_.mutex);
        return machine_.now;
    }

    // The dispatcher of a process that the service manager started.
    class FakeHost : public ServiceHost {
    public:
        FakeHost(FakeMachine& machine, std::u16string argument) : machine_(machine), argument_(std::move(argument)) {}
        bool Dispatch(const Main& main, const Control& control) override {
            {
                const std::lock_guard<std::mutex> lock(machine_.mutex);
                machine_.service->control = control;
            }
            main(argument_);
            return true;
        }
        void Report(TemporaryServiceState state) override {
            const std::lock_guard<std::mutex> lock(machine_.mutex);
            machine_.events.push_back(state == TemporaryServiceState::kStopped ? "reported stopped"
                                                                               : "reported running");
            if (machine_.service) {
                machine_.service->state = state;
                if (state == TemporaryServiceState::kStopped)
                    machine_.service->control = nullptr;
            }
            machine_.Settle();
        }

    private:
        FakeMachine& machine_;
        std::u16string argument_;
    };

private:
    FakeMachine& machine_;
    int id_;
};

// The system behind one executor process, with the task folder shared by all of them.
class FakeSystem : public ExecutorPlatform {
public:
    FakeSystem(const std::u16string& folder, FakeMachine& machine, int run)
        : folder_(folder), machine_(machine), run_(run) {}

    std::function<void()> duringCountdown;

    std::u16string TimeText() override { return u"12/06/26 21:30:05"; }
    std::u16string MessageText(std::uint32_t code) override { return u"text of " + DecimalText(code); }
    std::uint32_t LastError() override { return 0; }
    void ClearLastError() override {}
    void Sleep(unsigned) override {}
    std::u16string TaskFolder() override { return folder_; }
    std::unique_ptr<ActionEngine> CreateActions() override { return std::make_unique<Engine>(machine_); }
    CountdownOutcome RunCountdown(CountdownLogic& logic) override {
        logic.Start();
        machine_.Event("countdown");
        if (duringCountdown)
            duringCountdown();
        logic.OnOk();
        return {kDialogOk, false, 0};
    }
    AccountRead WorkItemAccount(const std::u16string&) override { return {u"SYSTEM", 0}; }
    std::uint32_t RunThroughService(const std::u16string& argument) override {
        FakeManager manager(machine_, run_);
        return HandToService(manager, argument);
    }
    SessionFacts Sessions() override { return {0, 0, 0, ConsoleUser::kLoggedOn}; }
    SessionOutcome RunInSession(std::uint32_t, const std::u16string&) override {
        ADD_FAILURE() << "interactive services reach the console here";
        return {};
    }
    void PrintUsage() override {}

private:
    class Engine : public ActionEngine {
    public:
        explicit Engine(FakeMachine& machine) : machine_(machine) {}
        bool Shutdown(bool) override { return false; }
        bool Restart(bool) override { return false; }
        bool PowerOff(bool) override { return false; }
        bool Hibernate(bool) override { return false; }
        bool Standby(bool) override { return false; }
        bool LogOff(bool) override { return false; }
        bool Lock() override {
            machine_.Event("lock");
            return true;
        }
        bool MonitorPower(bool) override { return false; }
        std::uint32_t RemoteShutdown(const std::u16string&, const std::u16string&, const std::u16string&, bool,
                                     const std::u16string&, const std::u16string&, bool, bool) override {
            return 0;
        }
        std::uint32_t WakeOnLan(const std::u16string&, const std::u16string&, const std::u16string&,
                                const std::u16string&) override {
            return 0;
        }

    private:
        FakeMachine& machine_;
    };

    std::u16string folder_;
    FakeMachine& machine_;
    int run_;
};

using Lines = std::vector<std::u16string>;

const Lines kServiceRunOfLock = {u"account=system", u"Start action=lock",
                                 u"Dialog: time to show=5, allow cancel=1, message=Going", u"Dialog: result=Ok",
                                 u"result=0: text of 0"};

Lines LastRunLines(const std::u16string& history) {
    const std::size_t at = history.rfind(kRunSeparator);
    if (at == std::u16string::npos)
        return {};
    Lines lines;
    std::u16string_view rest = std::u16string_view(history).substr(at + std::size(kRunSeparator) - 1);
    while (!rest.empty()) {
        const std::size_t end = rest.find(u"\r\n");
        lines.emplace_back(rest.substr(18, end - 18));
        rest.remove_prefix(end + 2);
    }
    return lines;
}

class TemporaryServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine.serviceProcess = [this](ServiceHost& host, ServiceManager& manager, const std::u16string&) {
            RunServiceProcess(host, manager, [this](const std::u16string& name) {
                FakeSystem system(dir.Folder(), machine, 0);
                system.duringCountdown = duringServiceCountdown;
                Executor(system).RunServiceTask(name);
                machine.Event("stored");
            });
        };
    }
    void SaveLockTask(const std::u16string& name) {
        CTaskParams task;
        task.action = kActionLock;
        task.noshow = 0;
        task.delay = u"5";
        task.message = u"Going";
        ASSERT_TRUE(task.Save(dir.Folder(), name));
    }
    Lines StoredRun(const std::u16string& name) {
        CTaskParams task;
        EXPECT_TRUE(task.Load(dir.Folder(), name, true));
        return LastRunLines(task.history);
    }
    // A scheduled start of the task, as run `run` of the machine.
    std::uint32_t ScheduledStart(const std::u16string& name, int run) {
        FakeSystem system(dir.Folder(), machine, run);
        return static_cast<std::uint32_t>(Executor(system).Start(name));
    }

    TempDir dir;
    FakeMachine machine;
    std::function<void()> duringServiceCountdown;
};

// Two tasks of the same minute: the second run waits while the first owns the service, which
// used to be taken for debris and deleted between its creation and its start.
TEST_F(TemporaryServiceTest, TwoRunsStartedTogetherBothRunAndBothLog) {
    SaveLockTask(u"quenep-0one");
    SaveLockTask(u"quenep-0two");
    bool overlapped = false;
    duringServiceCountdown = [&] {
        // The first service's countdown lasts until the other run waits for the service.
        std::unique_lock<std::mutex> lock(machine.mutex);
        if (machine.creations == 1)
            overlapped = machine.changed.wait_for(lock, std::chrono::seconds(10),
                                                  [&] { return machine.waitingForOwnership == 1; });
    };
    std::thread first([&] { EXPECT_EQ(0u, ScheduledStart(u"quenep-0one", 1)); });
    std::thread second([&] { EXPECT_EQ(0u, ScheduledStart(u"quenep-0two", 2)); });
    first.join();
    second.join();
    machine.JoinProcesses();

    EXPECT_TRUE(overlapped) << "the runs did not overlap";
    EXPECT_EQ(kServiceRunOfLock, StoredRun(u"quenep-0one"));
    EXPECT_EQ(kServiceRunOfLock, StoredRun(u"quenep-0two"));
    EXPECT_EQ(2, machine.creations);
    EXPECT_EQ(0, machine.deletesOfOthersServices);
    EXPECT_FALSE(machine.service) << "a service remains";
    EXPECT_EQ(0, machine.owner);
}

TEST_F(TemporaryServiceTest, StopRequestDuringTheCountdownDoesNotEndTheRun) {
    SaveLockTask(u"quenep-0stop");
    std::uint32_t refused = 0;
    duringServiceCountdown = [&] { refused = machine.RequestStop(); };
    EXPECT_EQ(0u, ScheduledStart(u"quenep-0stop", 1));
    machine.JoinProcesses();

    EXPECT_EQ(kErrorInvalidServiceControl, refused);
    EXPECT_EQ(kServiceRunOfLock, StoredRun(u"quenep-0stop"));
    // The handler answers the stop with the state as it is; the service goes only after its run, its
    // log stored first.
    EXPECT_EQ(
        (std::vector<std::string>{"created by run 1", "reported running", "countdown", "stop requested",
                                  "reported running", "lock", "stored", "deleted by its process", "reported stopped"}),
        machine.events);
    EXPECT_FALSE(machine.service);
}

TEST_F(TemporaryServiceTest, HandStartedServiceProcessLeavesARunningServiceAlone) {
    machine.service = FakeMachine::Service{TemporaryServiceState::kRunning, false, 1, {}};
    machine.owner = 1;
    // The dispatcher refuses a process that the service manager did not start (1063).
    class HandStarted : public ServiceHost {
    public:
        bool Dispatch(const Main&, const Control&) override { return false; }
        void Report(TemporaryServiceState) override { ADD_FAILURE() << "a hand-started process reported a state"; }
    } host;
    FakeManager manager(machine, 0);
    bool ran = false;
    EXPECT_EQ(0, RunServiceProcess(host, manager, [&](const std::u16string&) { ran = true; }));
    EXPECT_FALSE(ran);
    ASSERT_TRUE(machine.service);
    EXPECT_EQ(TemporaryServiceState::kRunning, machine.service->state);
    EXPECT_FALSE(machine.service->markedForDelete);
    EXPECT_TRUE(machine.events.empty());
}

TEST_F(TemporaryServiceTest, ServiceWhoseStartFailedIsRemoved) {
    SaveLockTask(u"quenep-0fail");
    machine.startError = 1053;
    ScheduledStart(u"quenep-0fail", 1);
    EXPECT_FALSE(machine.service) << "a service that never ran blocks later runs";
    EXPECT_EQ((std::vector<std::string>{"created by run 1", "deleted by run 1"}), machine.events);
    EXPECT_EQ(0, machine.owner);
    EXPECT_EQ((Lines{u"account=SYSTEM", u"result=1053: text of 1053"}), StoredRun(u"quenep-0fail"));
}

TEST_F(TemporaryServiceTest, TaskThatThrowsStillRemovesTheServiceAndReportsItStopped) {
    machine.serviceProcess = [](ServiceHost& host, ServiceManager& manager, const std::u16string&) {
        RunServiceProcess(host, manager, [](const std::u16string&) { throw std::runtime_error("broken"); });
    };
    FakeManager run(machine, 1);
    EXPECT_EQ(0u, HandToService(run, u"quenep-0x"));
    machine.JoinProcesses();
    EXPECT_EQ((std::vector<std::string>{"created by run 1", "reported running", "deleted by its process",
                                        "reported stopped"}),
              machine.events);
    EXPECT_FALSE(machine.service);
}

// What a run finds when it comes to own the service, and what it does about it.
TEST_F(TemporaryServiceTest, ServiceFoundByTheOwnerIsDebrisOnlyWhenStopped) {
    struct Case {
        const char* what;
        std::optional<FakeMachine::Service> found;
        bool ownedForever;
        int endsAfterPolls;  // a running service's run ends after this many looks; -1 never
        std::uint32_t result;
        int creations;
    };
    const Case cases[] = {
        {"nothing", std::nullopt, false, 0, 0, 1},
        {"debris of a run that ended early", FakeMachine::Service{TemporaryServiceState::kStopped, false, 9, {}}, false,
         0, 0, 1},
        {"a run whose owner ended, still counting down",
         FakeMachine::Service{TemporaryServiceState::kRunning, false, 9, {}}, false, 3, 0, 1},
        {"a service that is starting", FakeMachine::Service{TemporaryServiceState::kStarting, false, 9, {}}, false, 2,
         0, 1},
        {"a run that never ends", FakeMachine::Service{TemporaryServiceState::kRunning, false, 9, {}}, false, -1,
         kErrorServiceExists, 0},
        {"a run that keeps the ownership", std::nullopt, true, 0, kErrorWaitTimeout, 0},
    };
    for (const Case& c : cases) {
        FakeMachine local;
        local.service = c.found;
        local.ownedForever = c.ownedForever;
        int looks = 0;
        bool deletedWhileRunning = false;
        local.serviceProcess = [](ServiceHost& host, ServiceManager& manager, const std::u16string&) {
            RunServiceProcess(host, manager, [](const std::u16string&) {});
        };
        class Watching : public FakeManager {
        public:
            Watching(FakeMachine& machine, const Case& c, int& looks, bool& deletedWhileRunning)
                : FakeManager(machine, 1), machine_(machine), c_(c), looks_(looks), deleted_(deletedWhileRunning) {}
            TemporaryServiceState State() override {
                // The earlier run's service ends on its own after a while, and removes itself.
                if (c_.endsAfterPolls >= 0 && ++looks_ == c_.endsAfterPolls + 1 && machine_.service &&
                    machine_.service->creator == 9) {
                    machine_.service->markedForDelete = true;
                    machine_.service->state = TemporaryServiceState::kStopped;
                    machine_.Settle();
                }
                return FakeManager::State();
            }
            std::uint32_t Delete() override {
                if (machine_.service && machine_.service->state != TemporaryServiceState::kStopped)
                    deleted_ = true;
                return FakeManager::Delete();
            }

        private:
            FakeMachine& machine_;
            const Case& c_;
            int& looks_;
            bool& deleted_;
        } manager(local, c, looks, deletedWhileRunning);
        EXPECT_EQ(c.result, HandToService(manager, u"quenep-0x")) << c.what;
        local.JoinProcesses();
        EXPECT_EQ(c.creations, local.creations) << c.what;
        EXPECT_FALSE(deletedWhileRunning) << c.what;
        if (c.result == 0) {
            EXPECT_FALSE(local.service) << c.what;
        } else if (c.result == kErrorServiceExists) {
            EXPECT_GE(local.now, kWaitForEarlierRunMs) << c.what << ": gave up too early";
        }
    }
}

// A stopped service marked for deletion goes when its last handle closes; one held open elsewhere
// is given up after a while rather than waited for without end.
TEST_F(TemporaryServiceTest, StoppedServiceThatDoesNotGoIsGivenUp) {
    class Lingering : public FakeManager {
    public:
        using FakeManager::FakeManager;
        std::uint32_t Delete() override { return kErrorServiceMarkedForDelete; }
    };
    machine.service = FakeMachine::Service{TemporaryServiceState::kStopped, true, 9, {}};
    Lingering manager(machine, 1);
    EXPECT_EQ(kErrorServiceMarkedForDelete, HandToService(manager, u"quenep-0x"));
    EXPECT_GE(machine.now, kStoppedServiceGoneMs);
    EXPECT_LT(machine.now, kStoppedServiceGoneMs + 2 * kServicePollMs);
    EXPECT_EQ(0, machine.creations);
    EXPECT_EQ(0, machine.owner);
}

}  // namespace
}  // namespace velmora
