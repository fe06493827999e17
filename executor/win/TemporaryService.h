// The executor's temporary service on Windows: a task that runs under the system account shows its
// countdown on the user's desktop through an interactive service, which runs one task and removes
// itself. One run at a time owns the service, through a machine-wide mutex.
#pragma once

#include <cstdint>
#include <string>

#include "executor/TemporaryService.h"
#include "platform/win/Unique.h"

namespace velmora {

constexpr wchar_t kServiceName[] = L"Velmora";
// Held by the run that owns the service, from before its creation until it is gone.
constexpr wchar_t kServiceOwnershipName[] = L"Global\\Velmora.TemporaryService";

// Creates the service, which runs `program` (this program when empty) with "-service"; 0, or the
// Windows error of the creation.
std::uint32_t InstallService(const std::u16string& program = {});
// Starts the service with the task argument as its one service argument; 0 or the error.
std::uint32_t LaunchService(const std::u16string& argument);
// Marks the service for deletion; the system deletes it once it has stopped. 0 or the error.
std::uint32_t RemoveService();

class SystemServiceManager : public ServiceManager {
public:
    explicit SystemServiceManager(std::u16string program = {}) : program_(std::move(program)) {}

    OwnershipLock OpenOwnership() override;
    std::uint32_t TakeOwnership(std::uint32_t timeoutMs) override;
    void GiveUpOwnership() override;
    std::uint32_t Create() override { return InstallService(program_); }
    std::uint32_t Start(const std::u16string& argument) override { return LaunchService(argument); }
    TemporaryServiceState State() override;
    std::uint32_t Delete() override { return RemoveService(); }
    void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
    std::uint32_t TickMs() override { return ::GetTickCount(); }

private:
    std::u16string program_;
    UniqueHandle ownership_;
};

// The service process ("-service"): runs the task the service was started with; returns when the
// service has stopped, or at once when the process was not started by the service manager.
int RunServiceMode();

}  // namespace velmora
