// The Windows calls behind the local power actions, one function each, so the choice of call,
// flags and fall-backs can be tested with a fake.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// How long the monitor command waits for the foreground window to take it.
constexpr unsigned kMonitorSendTimeoutMs = 5000;

struct WindowsVersion {
    unsigned major = 0;
    unsigned minor = 0;
};

class PowerApi {
public:
    virtual ~PowerApi() = default;

    // The token steps: open the process token for adjusting, look the privilege up on the local
    // system and enable it.
    virtual bool EnableTokenPrivilege(const std::u16string& name) = 0;
    virtual WindowsVersion Version() = 0;
    virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
    // InitiateSystemShutdownExW with no machine name and no message: the local computer.
    virtual bool InitiateSystemShutdownEx(std::uint32_t timeoutSeconds, bool forceAppsClosed, bool reboot,
                                          std::uint32_t reason) = 0;
    virtual bool IsPwrHibernateAllowed() = 0;
    virtual bool IsPwrSuspendAllowed() = 0;
    virtual bool SetSuspendState(bool hibernate, bool forceCritical, bool disableWakeEvent) = 0;
    virtual bool LockWorkStation() = 0;
    // Sends WM_SYSCOMMAND with SC_MONITORPOWER and `argument` to the foreground window, waiting at
    // most kMonitorSendTimeoutMs for it.
    virtual void SendMonitorPower(std::intptr_t argument) = 0;
};

// The real calls; defined on Windows only.
PowerApi& SystemPowerApi();

}  // namespace velmora
