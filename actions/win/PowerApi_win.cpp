// The real power calls.
#include <windows.h>
#include <powrprof.h>

#include "actions/PowerApi.h"
#include "actions/win/MonitorPower.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

class SystemPower final : public PowerApi {
public:
    bool EnableTokenPrivilege(const std::u16string& name) override {
        HANDLE raw = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &raw))
            return false;
        const UniqueHandle token(raw);
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!::LookupPrivilegeValueW(nullptr, W(name), &privileges.Privileges[0].Luid))
            return false;
        // Success without the privilege assigned (ERROR_NOT_ALL_ASSIGNED) still counts: the call
        // that needs it reports its own failure.
        return ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) != FALSE;
    }

    WindowsVersion Version() override {
        // GetVersionEx is shimmed for programs without a manifest entry for newer systems; the
        // kernel's own call is not.
        using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
            auto get =
                reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
            if (get && get(&info) == 0)
                return {info.dwMajorVersion, info.dwMinorVersion};
        }
        return {};
    }

    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        return ::ExitWindowsEx(flags, reason) != FALSE;
    }

    bool InitiateSystemShutdownEx(std::uint32_t timeoutSeconds, bool forceAppsClosed, bool reboot,
                                  std::uint32_t reason) override {
        return ::InitiateSystemShutdownExW(nullptr, nullptr, timeoutSeconds, forceAppsClosed, reboot, reason) != FALSE;
    }

    bool IsPwrHibernateAllowed() override { return ::IsPwrHibernateAllowed() != FALSE; }
    bool IsPwrSuspendAllowed() override { return ::IsPwrSuspendAllowed() != FALSE; }

    bool SetSuspendState(bool hibernate, bool forceCritical, bool disableWakeEvent) override {
        return ::SetSuspendState(hibernate, forceCritical, disableWakeEvent) != FALSE;
    }

    bool LockWorkStation() override { return ::LockWorkStation() != FALSE; }

    void SendMonitorPower(std::intptr_t argument) override {
        SendMonitorPowerTo(::GetForegroundWindow(), argument, kMonitorSendTimeoutMs);
    }
};

}  // namespace

// The foreground window may belong to any program: a plain send would wait for ever on one that
// hangs, and the executor, or the service that runs it, would never end.
bool SendMonitorPowerTo(HWND window, std::intptr_t argument, unsigned timeoutMs) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_SYSCOMMAND, SC_MONITORPOWER, static_cast<LPARAM>(argument),
                                 SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0;
}

PowerApi& SystemPowerApi() {
    static SystemPower power;
    return power;
}

}  // namespace velmora
