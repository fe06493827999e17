// The executor's temporary service apart from the system's calls: one run at a time owns the
// service, from its creation until it is gone; the service's own process runs the task and removes
// the service after the run.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "model/ResultCodes.h"

namespace velmora {

// A run waits this long for an earlier run's service: about as long as its work item may run.
constexpr std::uint32_t kWaitForEarlierRunMs = 55 * 60 * 1000;
// How often a waiting run looks at the service again.
constexpr unsigned kServicePollMs = 250;
// A stopped service marked for deletion goes when the last handle to it is closed; a handle kept
// open elsewhere keeps it this long at most before its owner gives it up.
constexpr std::uint32_t kStoppedServiceGoneMs = 30000;

enum class TemporaryServiceState { kGone, kStopped, kStarting, kRunning, kStopping };
enum class ServiceControl { kStop, kInterrogate, kOther };

// The machine-wide lock through which one run at a time owns the service, as a run finds it.
struct OwnershipLock {
    std::uint32_t error = 0;  // it could be neither made nor opened: the system's error
    bool existed = false;     // another process had made it
    std::u16string owner;     // the account that made it ("S-1-5-18"); empty when unreadable
};

// How handing a task to the service ended.
struct HandOverOutcome {
    std::uint32_t error = 0;  // 0 when the service took the task
    // The account that made the lock, when that was neither the system nor the administrators
    // ("?" when it could not be read): the run did not wait for it.
    std::u16string foreignLockOwner;
};

// The service manager's calls for the one temporary service, and the machine-wide ownership of it.
class ServiceManager {
public:
    virtual ~ServiceManager() = default;

    // Makes the lock, or opens it when another process made it first.
    virtual OwnershipLock OpenOwnership() = 0;
    // Waits up to `timeoutMs` to own the service through the opened lock; 0, or the error (258 when
    // the time ran out). An owner that ended without giving it up has left it free.
    virtual std::uint32_t TakeOwnership(std::uint32_t timeoutMs) = 0;
    virtual void GiveUpOwnership() = 0;
    // 0, or the error: 1073 when the service exists, 1072 when it is marked for deletion.
    virtual std::uint32_t Create() = 0;
    virtual std::uint32_t Start(const std::u16string& argument) = 0;
    virtual TemporaryServiceState State() = 0;
    // Marks the service for deletion; the system removes it once it has stopped.
    virtual std::uint32_t Delete() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
    // A millisecond count that may wrap; only differences are used.
    virtual std::uint32_t TickMs() = 0;
};

// Creates and starts the service for a task, then waits until the service's run has ended and the
// service is gone. A lock that someone else made is not waited for: anyone may make an object of
// that name, and hold it for ever.
HandOverOutcome HandToService(ServiceManager& manager, const std::u16string& argument);

// The service manager's side of the service process.
class ServiceHost {
public:
    using Main = std::function<void(const std::u16string& argument)>;
    using Control = std::function<void(ServiceControl control)>;

    virtual ~ServiceHost() = default;
    // Connects to the service manager, which calls `main` with the service's argument and `control`
    // for requests; returns when the service has stopped. False at once when the process was not
    // started by the service manager.
    virtual bool Dispatch(const Main& main, const Control& control) = 0;
    // Reports the service's state; a running service accepts no stop request.
    virtual void Report(TemporaryServiceState state) = 0;
};

// The service process's run: reports running, runs the task, removes the service and reports it
// stopped, whatever the task throws. A stop request leaves the run alone.
class ServiceRun {
public:
    using Task = std::function<void(const std::u16string& argument)>;

    ServiceRun(ServiceManager& manager, ServiceHost& host, Task task)
        : manager_(manager), host_(host), task_(std::move(task)) {}

    void Main(const std::u16string& argument);
    void Control(ServiceControl control);

private:
    ServiceManager& manager_;
    ServiceHost& host_;
    Task task_;
    // Main runs on the service's thread, Control on the dispatcher's.
    std::atomic<TemporaryServiceState> state_{TemporaryServiceState::kStarting};
};

// The "-service" process. Started by hand, it connects to nothing and touches no service: the
// service of that name belongs to a run of its own.
int RunServiceProcess(ServiceHost& host, ServiceManager& manager, const ServiceRun::Task& task);

}  // namespace velmora
