// Handing a task to the temporary service, and the service process's run.
#include "executor/TemporaryService.h"

#include <optional>

#include "model/File.h"

namespace velmora {
namespace {

bool Busy(std::uint32_t error) {
    return error == kErrorServiceExists || error == kErrorServiceMarkedForDelete;
}

// Waits until no service of the name exists. Called only by the owner, so a stopped service belongs
// to no run: it is debris of a run that ended before removing it, or this run's own service after
// its run, and it is deleted. A service that runs belongs to a run whose owner ended meanwhile (or
// to this run): it is waited for, never deleted, and it removes itself after its run. Without a
// deadline the wait lasts as long as the service runs.
std::uint32_t WaitUntilGone(ServiceManager& manager, std::uint32_t start, std::optional<std::uint32_t> limitMs) {
    std::optional<std::uint32_t> stoppedSince;
    for (;;) {
        const TemporaryServiceState state = manager.State();
        if (state == TemporaryServiceState::kGone)
            return 0;
        const std::uint32_t now = manager.TickMs();
        if (state == TemporaryServiceState::kStopped) {
            manager.Delete();
            if (!stoppedSince)
                stoppedSince = now;
            else if (now - *stoppedSince >= kStoppedServiceGoneMs)
                return kErrorServiceMarkedForDelete;
        } else {
            stoppedSince.reset();
        }
        if (limitMs && now - start >= *limitMs)
            return kErrorServiceExists;
        manager.Sleep(kServicePollMs);
    }
}

}  // namespace

HandOverOutcome HandToService(ServiceManager& manager, const std::u16string& argument) {
    const std::uint32_t start = manager.TickMs();
    // Only the system and the administrators may make the lock: they alone can create the service.
    const OwnershipLock lock = manager.OpenOwnership();
    if (lock.existed && !IsTrustedOwner(lock.owner, u""))
        return {kErrorAccessDenied, lock.owner.empty() ? u"?" : lock.owner};
    if (lock.error != 0)
        return {lock.error, {}};
    if (const std::uint32_t error = manager.TakeOwnership(kWaitForEarlierRunMs); error != 0)
        return {error, {}};
    struct Ownership {
        ServiceManager& manager;
        ~Ownership() { manager.GiveUpOwnership(); }
    } ownership{manager};

    std::uint32_t created;
    do {
        if (const std::uint32_t error = WaitUntilGone(manager, start, kWaitForEarlierRunMs); error != 0)
            return {error, {}};
        // A service made meanwhile by a program that does not take ownership is waited for too.
        created = manager.Create();
    } while (Busy(created) && manager.TickMs() - start < kWaitForEarlierRunMs);
    if (created != 0)
        return {created, {}};

    const std::uint32_t started = manager.Start(argument);
    if (started != 0)
        manager.Delete();  // it never ran: it must not block later runs
    // The run goes on in the service's own process, which removes the service after it. Ownership is
    // kept until the service is gone, so no other run can take this run's service for debris.
    WaitUntilGone(manager, start, std::nullopt);
    return {started, {}};
}

void ServiceRun::Main(const std::u16string& argument) {
    state_ = TemporaryServiceState::kRunning;
    host_.Report(state_);
    try {
        task_(argument);
    } catch (...) {
        // The service must still be removed and reported stopped, or it would block later runs.
    }
    // Removed while it still runs, so the name cannot belong to another run yet; the system deletes
    // it once it has stopped.
    try {
        manager_.Delete();
    } catch (...) {
    }
    state_ = TemporaryServiceState::kStopped;
    host_.Report(state_);
}

// A stop would end a countdown or an action half-way and lose the run's log; the run's status
// stays as it is and the service ends when its run has.
void ServiceRun::Control(ServiceControl control) {
    if (control == ServiceControl::kStop || control == ServiceControl::kInterrogate)
        host_.Report(state_);
}

int RunServiceProcess(ServiceHost& host, ServiceManager& manager, const ServiceRun::Task& task) {
    ServiceRun run(manager, host, task);
    host.Dispatch([&run](const std::u16string& argument) { run.Main(argument); },
                  [&run](ServiceControl control) { run.Control(control); });
    return 0;
}

}  // namespace velmora
