// The temporary service's hand-over over a fake service manager: runs that overlap, stop requests,
// hand-started service processes, failed starts and services left behind.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "executor/TemporaryService.h"

namespace velmora {
namespace {

using Events = std::vector<std::string>;

// One machine's service manager: the one service of the name, its ownership, and the processes the
// manager starts for the service (threads here).
struct FakeMachine {
    struct Service {
        TemporaryServiceState state = TemporaryServiceState::kStopped;
        bool markedForDelete = false;
        int creator = 0;
        ServiceHost::Control control;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<Service> service;
    int owner = 0;
    // The lock as the next run finds it; by default a run of ours made it, or nobody has.
    std::optional<OwnershipLock> lock;
    int opened = 0;
    int waitingForOwnership = 0;
    bool ownedForever = false;
    std::uint32_t now = 0;
    std::uint32_t startError = 0;
    int creations = 0;
    int deletesOfOthersServices = 0;
    Events events;
    std::function<void()> onLook;                     // each look at the service, with the lock held
    std::function<void(const std::u16string&)> task;  // what the service process runs
    std::vector<std::thread> processes;

    ~FakeMachine() { Join(); }
    void Join() {
        for (std::thread& process : processes)
            process.join();
        processes.clear();
    }
    void Event(const std::string& event) {
        const std::lock_guard<std::mutex> lock(mutex);
        events.push_back(event);
    }
    // The service manager refuses a stop that the service does not accept; the handler is asked all
    // the same, to prove that it ignores it.
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
    void Settle() {
        if (service && service->markedForDelete && service->state == TemporaryServiceState::kStopped)
            service.reset();
        changed.notify_all();
    }
};

// The machine as one run (id > 0) sees it, or as the service's process (id 0).
class FakeManager : public ServiceManager, public ServiceHost {
public:
    FakeManager(FakeMachine& machine, int id, std::u16string argument = {}, bool handStarted = false)
        : m_(machine), id_(id), argument_(std::move(argument)), handStarted_(handStarted) {}

    OwnershipLock OpenOwnership() override {
        const std::lock_guard<std::mutex> lock(m_.mutex);
        ++m_.opened;
        if (m_.lock)
            return *m_.lock;
        return {0, m_.owner != 0, u"S-1-5-32-544"};
    }
    std::uint32_t TakeOwnership(std::uint32_t timeoutMs) override {
        std::unique_lock<std::mutex> lock(m_.mutex);
        if (m_.ownedForever) {
            m_.now += timeoutMs;
            return kErrorWaitTimeout;
        }
        ++m_.waitingForOwnership;
        m_.changed.notify_all();
        m_.changed.wait(lock, [this] { return m_.owner == 0; });
        --m_.waitingForOwnership;
        m_.owner = id_;
        return 0;
    }
    void GiveUpOwnership() override {
        const std::lock_guard<std::mutex> lock(m_.mutex);
        m_.owner = 0;
        m_.changed.notify_all();
    }
    std::uint32_t Create() override {
        const std::lock_guard<std::mutex> lock(m_.mutex);
        if (m_.service)
            return m_.service->markedForDelete ? kErrorServiceMarkedForDelete : kErrorServiceExists;
        m_.service = FakeMachine::Service{TemporaryServiceState::kStopped, false, id_, {}};
        ++m_.creations;
        m_.events.push_back("created by run " + std::to_string(id_));
        return 0;
    }
    std::uint32_t Start(const std::u16string& argument) override {
        const std::lock_guard<std::mutex> lock(m_.mutex);
        if (m_.startError != 0)
            return m_.startError;
        m_.service->state = TemporaryServiceState::kStarting;
        m_.processes.emplace_back([&machine = m_, argument] {
            FakeManager process(machine, 0, argument);
            RunServiceProcess(process, process, machine.task);
        });
        return 0;
    }
    TemporaryServiceState State() override {
        const std::lock_guard<std::mutex> lock(m_.mutex);
        if (m_.onLook)
            m_.onLook();
        return m_.service ? m_.service->state : TemporaryServiceState::kGone;
    }
    std::uint32_t Delete() override {
        const std::lock_guard<std::mutex> lock(m_.mutex);
        if (!m_.service || m_.service->markedForDelete)
            return kErrorServiceMarkedForDelete;
        if (id_ != 0 && m_.service->creator != id_ && m_.service->state != TemporaryServiceState::kStopped)
            ++m_.deletesOfOthersServices;
        if (id_ != 0 && m_.service->creator != id_ && m_.service->creator == m_.owner)
            ++m_.deletesOfOthersServices;
        m_.service->markedForDelete = true;
        m_.events.push_back(id_ == 0 ? "deleted by its process" : "deleted by run " + std::to_string(id_));
        m_.Settle();
        return 0;
    }
    void Sleep(unsigned milliseconds) override {
        {
            const std::lock_guard<std::mutex> lock(m_.mutex);
            m_.now += milliseconds;
        }
        std::this_thread::yield();
    }
    std::uint32_t TickMs() override {
        const std::lock_guard<std::mutex> lock(m_.mutex);
        return m_.now;
    }

    // The dispatcher refuses a process that the service manager did not start (1063).
    bool Dispatch(const Main& main, const Control& control) override {
        if (handStarted_)
            return false;
        {
            const std::lock_guard<std::mutex> lock(m_.mutex);
            m_.service->control = control;
        }
        main(argument_);
        return true;
    }
    void Report(TemporaryServiceState state) override {
        const std::lock_guard<std::mutex> lock(m_.mutex);
        m_.events.push_back(state == TemporaryServiceState::kStopped ? "reported stopped" : "reported running");
        if (m_.service)
            m_.service->state = state;
        m_.Settle();
    }

private:
    FakeMachine& m_;
    int id_;
    std::u16string argument_;
    bool handStarted_;
};

class TemporaryServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine.task = [this](const std::u16string& argument) { machine.Event("ran " + Narrow(argument)); };
    }
    static std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }
    std::uint32_t Hand(int run, const std::u16string& task) {
        FakeManager manager(machine, run);
        return HandToService(manager, task).error;
    }

    FakeMachine machine;
};

// Two tasks of the same minute: the second run used to take the first's fresh service for debris
// and delete it between its creation and its start. Now it waits until the first run is over.
TEST_F(TemporaryServiceTest, TwoRunsStartedTogetherBothRun) {
    bool overlapped = false;
    machine.task = [&](const std::u16string& argument) {
        if (argument == u"quenep-0one") {
            std::unique_lock<std::mutex> lock(machine.mutex);
            overlapped = machine.changed.wait_for(lock, std::chrono::seconds(10),
                                                  [&] { return machine.waitingForOwnership == 1; });
        }
        machine.Event("ran " + Narrow(argument));
    };
    std::uint32_t results[2] = {1, 1};
    std::thread first([&] { results[0] = Hand(1, u"quenep-0one"); });
    // The second run comes once the first has created its service.
    for (bool created = false; !created; std::this_thread::yield()) {
        const std::lock_guard<std::mutex> lock(machine.mutex);
        created = machine.creations == 1;
    }
    std::thread second([&] { results[1] = Hand(2, u"quenep-0two"); });
    first.join();
    second.join();
    machine.Join();

    EXPECT_TRUE(overlapped) << "the runs did not overlap";
    EXPECT_EQ(0u, results[0]);
    EXPECT_EQ(0u, results[1]);
    EXPECT_EQ(Events({"created by run 1", "reported running", "ran quenep-0one", "deleted by its process",
                      "reported stopped", "created by run 2", "reported running", "ran quenep-0two",
                      "deleted by its process", "reported stopped"}),
              machine.events);
    EXPECT_EQ(0, machine.deletesOfOthersServices);
    EXPECT_FALSE(machine.service) << "a service remains";
}

TEST_F(TemporaryServiceTest, StopRequestDuringTheCountdownDoesNotEndTheRun) {
    std::uint32_t refused = 0;
    machine.task = [&](const std::u16string&) {
        machine.Event("countdown");
        refused = machine.RequestStop();
        machine.Event("action, log stored");
    };
    EXPECT_EQ(0u, Hand(1, u"quenep-0stop"));
    machine.Join();
    EXPECT_EQ(kErrorInvalidServiceControl, refused);
    // The handler answers with the state as it is; the service goes after its run.
    EXPECT_EQ(Events({"created by run 1", "reported running", "countdown", "stop requested", "reported running",
                      "action, log stored", "deleted by its process", "reported stopped"}),
              machine.events);
}

TEST_F(TemporaryServiceTest, HandStartedServiceProcessLeavesARunningServiceAlone) {
    machine.service = FakeMachine::Service{TemporaryServiceState::kRunning, false, 1, {}};
    FakeManager byHand(machine, 0, u"", true);
    EXPECT_EQ(0, RunServiceProcess(byHand, byHand, machine.task));
    EXPECT_TRUE(machine.events.empty());
    ASSERT_TRUE(machine.service);
    EXPECT_EQ(TemporaryServiceState::kRunning, machine.service->state);
    EXPECT_FALSE(machine.service->markedForDelete);
}

TEST_F(TemporaryServiceTest, ServiceWhoseStartFailedIsRemoved) {
    machine.startError = 1053;
    EXPECT_EQ(1053u, Hand(1, u"quenep-0x"));
    EXPECT_EQ(Events({"created by run 1", "deleted by run 1"}), machine.events);
    EXPECT_FALSE(machine.service) << "a service that never ran blocks later runs";
    EXPECT_EQ(0, machine.owner);
}

TEST_F(TemporaryServiceTest, TaskThatThrowsStillRemovesTheServiceAndReportsItStopped) {
    machine.task = [](const std::u16string&) { throw std::runtime_error("broken"); };
    EXPECT_EQ(0u, Hand(1, u"quenep-0x"));
    machine.Join();
    EXPECT_EQ(Events({"created by run 1", "reported running", "deleted by its process", "reported stopped"}),
              machine.events);
}

// What a run finds when it comes to own the service: a stopped service belongs to no run and is
// removed; a running one belongs to a run whose owner ended, and is waited for, never deleted.
TEST_F(TemporaryServiceTest, ServiceFoundByTheOwnerIsDebrisOnlyWhenStopped) {
    struct Case {
        const char* what;
        std::optional<FakeMachine::Service> found;
        int endsAfterLooks;  // the found service's run ends and removes it; -1 never
        bool ownedForever;
        std::uint32_t result;
    };
    const FakeMachine::Service running{TemporaryServiceState::kRunning, false, 9, {}};
    const FakeMachine::Service lingering{TemporaryServiceState::kStopped, true, 9, {}};  // a handle elsewhere keeps it
    const Case cases[] = {
        {"nothing", std::nullopt, -1, false, 0},
        {"debris of a run that ended early", FakeMachine::Service{TemporaryServiceState::kStopped, false, 9, {}}, -1,
         false, 0},
        {"a run whose owner ended, still counting down", running, 3, false, 0},
        {"a service that is starting", FakeMachine::Service{TemporaryServiceState::kStarting, false, 9, {}}, 2, false,
         0},
        {"a run that never ends", running, -1, false, kErrorServiceExists},
        {"a stopped service that does not go", lingering, -1, false, kErrorServiceMarkedForDelete},
        {"a run that keeps the ownership", std::nullopt, -1, true, kErrorWaitTimeout},
    };
    for (const Case& c : cases) {
        FakeMachine local;
        local.service = c.found;
        local.ownedForever = c.ownedForever;
        local.task = [](const std::u16string&) {};
        int looks = 0;
        local.onLook = [&] {
            if (++looks == c.endsAfterLooks && local.service && local.service->creator == 9) {
                local.service->state = TemporaryServiceState::kStopped;
                local.service->markedForDelete = true;
                local.Settle();
            }
        };
        FakeManager manager(local, 1);
        EXPECT_EQ(c.result, HandToService(manager, u"quenep-0x").error) << c.what;
        local.Join();
        EXPECT_EQ(c.result == 0 ? 1 : 0, local.creations) << c.what;
        EXPECT_EQ(0, local.deletesOfOthersServices) << c.what;
        if (c.result == 0) {
            EXPECT_FALSE(local.service) << c.what;
        } else if (c.result == kErrorServiceExists) {
            EXPECT_GE(local.now, kWaitForEarlierRunMs) << c.what << ": gave up too early";
        } else if (c.result == kErrorServiceMarkedForDelete) {
            EXPECT_LT(local.now, kStoppedServiceGoneMs + 2 * kServicePollMs) << c.what;
        }
    }
}

// Anyone may make an object of the lock's name first and hold it for ever: a lock that neither the
// system nor the administrators made is told and never waited for, and no service is made.
TEST_F(TemporaryServiceTest, ALockMadeBySomeoneElseIsToldNotWaitedFor) {
    const struct {
        const char* what;
        OwnershipLock lock;
        std::uint32_t error;
        std::u16string foreignOwner;
        bool handedOver;
    } cases[] = {
        {"made by the system", {0, true, u"S-1-5-18"}, 0, u"", true},
        {"made by the administrators", {0, true, u"S-1-5-32-544"}, 0, u"", true},
        {"made by this run", {0, false, u"S-1-5-32-544"}, 0, u"", true},
        {"made by a user", {0, true, u"S-1-5-21-1-2-3-1001"}, kErrorAccessDenied, u"S-1-5-21-1-2-3-1001", false},
        {"made by a user who shut us out",
         {kErrorAccessDenied, true, u"S-1-5-21-1-2-3-1001"},
         kErrorAccessDenied,
         u"S-1-5-21-1-2-3-1001",
         false},
        {"made by someone unreadable", {kErrorAccessDenied, true, u""}, kErrorAccessDenied, u"?", false},
        {"an owner that is no account", {0, true, u""}, kErrorAccessDenied, u"?", false},
        {"could not be made", {1307, false, u""}, 1307, u"", false},
    };
    for (const auto& c : cases) {
        FakeMachine local;
        local.lock = c.lock;
        local.task = [](const std::u16string&) {};
        FakeManager manager(local, 1);
        const HandOverOutcome outcome = HandToService(manager, u"quenep-0x");
        local.Join();
        EXPECT_EQ(c.error, outcome.error) << c.what;
        EXPECT_EQ(c.foreignOwner, outcome.foreignLockOwner) << c.what;
        EXPECT_EQ(c.handedOver ? 1 : 0, local.creations) << c.what;
        EXPECT_EQ(1, local.opened) << c.what;
        if (!c.handedOver) {
            EXPECT_EQ(0u, local.now) << c.what << ": waited";
            EXPECT_EQ(0, local.owner) << c.what;
        }
    }
}

}  // namespace
}  // namespace velmora
