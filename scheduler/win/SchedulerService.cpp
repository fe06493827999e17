// Querying and starting the "Schedule" service.
#include "scheduler/win/SchedulerService.h"

#include <windows.h>

namespace velmora {
namespace {

constexpr wchar_t kSchedulerService[] = L"Schedule";

// Opens the service with query and start access; the manager's handle is not needed after that.
SC_HANDLE OpenSchedulerService() {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager)
        return nullptr;
    SC_HANDLE service = ::OpenServiceW(manager, kSchedulerService, SERVICE_QUERY_STATUS | SERVICE_START);
    ::CloseServiceHandle(manager);
    return service;
}

}  // namespace

std::optional<ServiceState> SchedulerServiceCalls::QuerySchedulerService() {
    SC_HANDLE service = OpenSchedulerService();
    if (!service)
        return std::nullopt;
    SERVICE_STATUS status{};
    const bool queried = ::QueryServiceStatus(service, &status) != FALSE;
    ::CloseServiceHandle(service);
    if (!queried)
        return std::nullopt;
    if (status.dwCurrentState == SERVICE_STOPPED)
        return ServiceState::kStopped;
    return status.dwCurrentState == SERVICE_RUNNING ? ServiceState::kRunning : ServiceState::kOther;
}

bool SchedulerServiceCalls::StartSchedulerService() {
    SC_HANDLE service = OpenSchedulerService();
    if (!service)
        return false;
    const bool started = ::StartServiceW(service, 0, nullptr) != FALSE;
    ::CloseServiceHandle(service);
    return started;
}

}  // namespace velmora
