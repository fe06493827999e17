// Querying and starting the "Schedule" service.
#include "scheduler/win/SchedulerService.h"

#include <windows.h>

#include "platform/win/Unique.h"

namespace velmora {
namespace {

constexpr wchar_t kSchedulerService[] = L"Schedule";

// Opens the service with query and start access; the manager's handle is not needed after that.
UniqueService OpenSchedulerService() {
    const UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return UniqueService();
    return UniqueService(::OpenServiceW(manager.get(), kSchedulerService, SERVICE_QUERY_STATUS | SERVICE_START));
}

}  // namespace

std::optional<ServiceState> SchedulerServiceCalls::QuerySchedulerService() {
    const UniqueService service = OpenSchedulerService();
    if (!service)
        return std::nullopt;
    SERVICE_STATUS status{};
    if (!::QueryServiceStatus(service.get(), &status))
        return std::nullopt;
    if (status.dwCurrentState == SERVICE_STOPPED)
        return ServiceState::kStopped;
    return status.dwCurrentState == SERVICE_RUNNING ? ServiceState::kRunning : ServiceState::kOther;
}

bool SchedulerServiceCalls::StartSchedulerService() {
    const UniqueService service = OpenSchedulerService();
    return service && ::StartServiceW(service.get(), 0, nullptr) != FALSE;
}

}  // namespace velmora
