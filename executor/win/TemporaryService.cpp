// Creating, starting, running and removing the executor's temporary service.
#include "executor/win/TemporaryService.h"

#include <windows.h>
#include <winsock2.h>

#include <mutex>
#include <string>

#include "executor/Executor.h"
#include "executor/win/SystemExecutorPlatform.h"

namespace velmora {
namespace {

constexpr DWORD kServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;  // 0x110
// The overlapping run may count down for as long as the work item may run; a little less, so this
// run still has time of its own.
constexpr DWORD kWaitForEarlierRunMs = 55 * 60 * 1000;

class UniqueService {
public:
    explicit UniqueService(SC_HANDLE handle) : handle_(handle) {}
    ~UniqueService() {
        if (handle_)
            ::CloseServiceHandle(handle_);
    }
    UniqueService(const UniqueService&) = delete;
    UniqueService& operator=(const UniqueService&) = delete;
    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    SC_HANDLE handle_;
};

SERVICE_STATUS serviceStatus{};
SERVICE_STATUS_HANDLE statusHandle = nullptr;
// The control handler runs on the dispatcher's thread, the task on the service's.
std::mutex statusLock;

void Report(DWORD state) {
    const std::lock_guard<std::mutex> lock(statusLock);
    serviceStatus.dwCurrentState = state;
    serviceStatus.dwWin32ExitCode = 0;
    serviceStatus.dwServiceSpecificExitCode = 0;
    serviceStatus.dwCheckPoint = 0;
    serviceStatus.dwWaitHint = 0;
    ::SetServiceStatus(statusHandle, &serviceStatus);
}

void WINAPI ControlHandler(DWORD control) {
    if (control == SERVICE_CONTROL_STOP)
        Report(SERVICE_STOPPED);
}

void WINAPI ServiceMain(DWORD argc, LPWSTR* argv) {
    serviceStatus = SERVICE_STATUS{};
    serviceStatus.dwServiceType = kServiceType;
    serviceStatus.dwCurrentState = SERVICE_START_PENDING;
    serviceStatus.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    statusHandle = ::RegisterServiceCtrlHandlerW(kServiceName, ControlHandler);
    if (!statusHandle)
        return;
    Report(SERVICE_RUNNING);
    WSADATA sockets;
    if (::WSAStartup(MAKEWORD(2, 2), &sockets) == 0) {
        const std::u16string argument = argc > 1 ? reinterpret_cast<const char16_t*>(argv[1]) : u"";
        SystemExecutorPlatform platform;
        Executor executor(platform);
        executor.RunServiceTask(argument);
        ::WSACleanup();
    }
    // Reported on every path, so the dispatcher returns and the service is removed.
    Report(SERVICE_STOPPED);
}

}  // namespace

std::uint32_t InstallService() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    // Quoted: an unquoted path with blanks would make the system try its leading words as programs.
    const std::wstring command = L"\"" + std::wstring(path) + L"\" -service";
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return ::GetLastError();
    UniqueService service(::CreateServiceW(manager.get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS, kServiceType,
                                           SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr,
                                           nullptr, nullptr, nullptr, nullptr));
    return service ? 0 : ::GetLastError();
}

std::uint32_t LaunchService(const std::u16string& argument) {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return ::GetLastError();
    UniqueService service(::OpenServiceW(manager.get(), kServiceName, SERVICE_START));
    if (!service)
        return ::GetLastError();
    const wchar_t* arguments[] = {reinterpret_cast<const wchar_t*>(argument.c_str())};
    return ::StartServiceW(service.get(), 1, arguments) ? 0 : ::GetLastError();
}

void RemoveService() {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return;
    UniqueService service(::OpenServiceW(manager.get(), kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service)
        return;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    const bool queried = ::QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                                sizeof status, &needed);
    if (!queried || status.dwCurrentState != SERVICE_STOPPED) {
        SERVICE_STATUS ignored{};
        ::ControlService(service.get(), SERVICE_CONTROL_STOP, &ignored);
    }
    ::DeleteService(service.get());
}

// True when the service exists and is stopped: left behind by a run that ended without removing it.
bool ServiceIsLeftOver() {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    UniqueService service(manager ? ::OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS status{};
    return service && ::QueryServiceStatus(service.get(), &status) && status.dwCurrentState == SERVICE_STOPPED;
}

std::uint32_t HandToService(const std::u16string& argument) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const std::uint32_t error = InstallService();
        if (error == 0)
            break;
        const bool busy = error == ERROR_SERVICE_EXISTS || error == ERROR_SERVICE_MARKED_FOR_DELETE;
        if (!busy || ::GetTickCount() - start > kWaitForEarlierRunMs)
            return error;
        // A stopped service is debris of a run that could not remove it: remove it now. A running
        // one belongs to an overlapping run: wait for it to go rather than lose this run.
        if (error == ERROR_SERVICE_EXISTS && ServiceIsLeftOver())
            RemoveService();
        ::Sleep(1000);
    }
    ::Sleep(800);
    const std::uint32_t launched = LaunchService(argument);
    if (launched != 0)
        RemoveService();  // a service that never ran must not block later runs
    return launched;
}

int RunServiceProcess() {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L"Kv"), ServiceMain}, {nullptr, nullptr}};
    ::StartServiceCtrlDispatcherW(table);
    ::Sleep(100);
    RemoveService();
    return kExitNormal;
}

}  // namespace velmora
