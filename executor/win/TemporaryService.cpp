// Creating, starting and deleting the executor's temporary service, its ownership, and the service
// process's side of the service manager.
#include "executor/win/TemporaryService.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <winsock2.h>

#include <mutex>
#include <string>

#include "executor/Executor.h"
#include "executor/win/SystemExecutorPlatform.h"
#include "platform/win/SidText.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;  // 0x110

std::wstring ServiceCommandLine(const std::u16string& program) {
    wchar_t path[MAX_PATH] = {};
    if (program.empty())
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    // Quoted: an unquoted path with blanks would make the system try its leading words as programs.
    return L"\"" + (program.empty() ? std::wstring(path) : ToWide(program)) + L"\" -service";
}

std::u16string ObjectOwner(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return {};
    const UniqueLocal descriptorOwner(descriptor);
    return SidText(owner);
}

UniqueService OpenTemporaryService(DWORD access, DWORD managerAccess = SC_MANAGER_CONNECT) {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, managerAccess));
    if (!manager)
        return UniqueService();
    return UniqueService(::OpenServiceW(manager.get(), kServiceName, access));
}

class SystemServiceHost : public ServiceHost {
public:
    bool Dispatch(const Main& main, const Control& control) override;
    void Report(TemporaryServiceState state) override;
};

// The dispatcher calls plain functions: what they forward to is kept here for the process's one
// service.
const ServiceHost::Main* dispatchedMain = nullptr;
const ServiceHost::Control* dispatchedControl = nullptr;
SERVICE_STATUS_HANDLE statusHandle = nullptr;
// The control handler runs on the dispatcher's thread, the task on the service's.
std::mutex statusLock;

DWORD StateCode(TemporaryServiceState state) {
    switch (state) {
        case TemporaryServiceState::kStarting:
            return SERVICE_START_PENDING;
        case TemporaryServiceState::kRunning:
            return SERVICE_RUNNING;
        case TemporaryServiceState::kStopping:
            return SERVICE_STOP_PENDING;
        default:
            return SERVICE_STOPPED;
    }
}

void WINAPI ControlHandler(DWORD control) {
    try {
        (*dispatchedControl)(control == SERVICE_CONTROL_STOP          ? ServiceControl::kStop
                             : control == SERVICE_CONTROL_INTERROGATE ? ServiceControl::kInterrogate
                                                                      : ServiceControl::kOther);
    } catch (...) {
        // Nothing may cross into the service manager's code.
    }
}

void WINAPI ServiceMain(DWORD argc, LPWSTR* argv) {
    statusHandle = ::RegisterServiceCtrlHandlerW(kServiceName, ControlHandler);
    if (!statusHandle)
        return;
    try {
        (*dispatchedMain)(argc > 1 ? FromWide(argv[1]) : u"");
    } catch (...) {
        // The run itself catches what its task throws; whatever got out, the service has stopped.
        SystemServiceHost().Report(TemporaryServiceState::kStopped);
    }
}

bool SystemServiceHost::Dispatch(const Main& main, const Control& control) {
    dispatchedMain = &main;
    dispatchedControl = &control;
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L"Kv"), ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) != FALSE;
}

void SystemServiceHost::Report(TemporaryServiceState state) {
    const std::lock_guard<std::mutex> lock(statusLock);
    SERVICE_STATUS status{};
    status.dwServiceType = kServiceType;
    status.dwCurrentState = StateCode(state);
    // No stop is accepted: the service ends when its run has, with the run's log stored.
    status.dwControlsAccepted = 0;
    ::SetServiceStatus(statusHandle, &status);
}

void RunTaskOfService(const std::u16string& argument) {
    WSADATA sockets;
    if (::WSAStartup(MAKEWORD(2, 2), &sockets) != 0)
        return;
    SystemExecutorPlatform platform;
    Executor executor(platform);
    executor.RunServiceTask(argument);
    ::WSACleanup();
}

}  // namespace

std::uint32_t InstallService(const std::u16string& program) {
    const std::wstring command = ServiceCommandLine(program);
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return ::GetLastError();
    UniqueService service(::CreateServiceW(manager.get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS, kServiceType,
                                           SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr,
                                           nullptr, nullptr, nullptr, nullptr));
    return service ? 0 : ::GetLastError();
}

std::uint32_t LaunchService(const std::u16string& argument) {
    UniqueService service = OpenTemporaryService(SERVICE_START, SC_MANAGER_ALL_ACCESS);
    if (!service)
        return ::GetLastError();
    const wchar_t* arguments[] = {W(argument)};
    return ::StartServiceW(service.get(), 1, arguments) ? 0 : ::GetLastError();
}

std::uint32_t RemoveService() {
    UniqueService service = OpenTemporaryService(DELETE, SC_MANAGER_ALL_ACCESS);
    if (!service)
        return ::GetLastError();
    return ::DeleteService(service.get()) ? 0 : ::GetLastError();
}

// The lock is made owned by the administrators, which the system account and an elevated
// administrator may name as owner and nobody else may; only they may wait on it. A lock that is
// there already keeps whatever descriptor its maker gave it, so its owner is read.
OwnershipLock SystemServiceManager::OpenOwnership() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:(A;;GA;;;SY)(A;;GA;;;BA)", SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        return {::GetLastError(), false, {}};
    const UniqueLocal descriptorOwner(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    ownership_.reset(::CreateMutexW(&security, FALSE, kServiceOwnershipName));
    const DWORD error = ::GetLastError();
    if (!ownership_) {
        if (error != ERROR_ACCESS_DENIED)
            return {error, false, {}};
        // Made by someone whose descriptor shuts this run out: whose it is may still be readable.
        const UniqueHandle other(::OpenMutexW(READ_CONTROL, FALSE, kServiceOwnershipName));
        return {error, true, other ? ObjectOwner(other.get()) : std::u16string()};
    }
    if (error != ERROR_ALREADY_EXISTS)
        return {0, false, u"S-1-5-32-544"};
    return {0, true, ObjectOwner(ownership_.get())};
}

std::uint32_t SystemServiceManager::TakeOwnership(std::uint32_t timeoutMs) {
    if (!ownership_)
        return ERROR_INVALID_HANDLE;
    switch (::WaitForSingleObject(ownership_.get(), timeoutMs)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:  // its owner ended without giving it up
            return 0;
        case WAIT_TIMEOUT:
            ownership_.reset();
            return WAIT_TIMEOUT;
        default: {
            const DWORD error = ::GetLastError();
            ownership_.reset();
            return error;
        }
    }
}

void SystemServiceManager::GiveUpOwnership() {
    if (ownership_)
        ::ReleaseMutex(ownership_.get());
    ownership_.reset();
}

// A service that cannot be queried counts as running: it is waited for, never deleted.
TemporaryServiceState SystemServiceManager::State() {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return TemporaryServiceState::kGone;
    UniqueService service(::OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
    if (!service)
        return ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? TemporaryServiceState::kGone
                                                                : TemporaryServiceState::kRunning;
    SERVICE_STATUS status{};
    if (!::QueryServiceStatus(service.get(), &status))
        return TemporaryServiceState::kRunning;
    switch (status.dwCurrentState) {
        case SERVICE_STOPPED:
            return TemporaryServiceState::kStopped;
        case SERVICE_START_PENDING:
            return TemporaryServiceState::kStarting;
        case SERVICE_STOP_PENDING:
            return TemporaryServiceState::kStopping;
        default:
            return TemporaryServiceState::kRunning;
    }
}

int RunServiceMode() {
    SystemServiceHost host;
    SystemServiceManager manager;
    return RunServiceProcess(host, manager, RunTaskOfService);
}

}  // namespace velmora
