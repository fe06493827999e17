// Local power actions: which Windows call serves which action, with which flags and fall-backs.
#include "actions/Actions.h"

namespace velmora {
namespace {

std::uint32_t WithForce(std::uint32_t flags, bool force) {
    // EWX_FORCE is never used: a forced request still lets applications that answer in time
    // decide, and ends only hung ones.
    return force ? flags | kEwxForceIfHung : flags;
}

}  // namespace

bool CActions::EnablePrivilege(const std::u16string& name) {
    return power_.EnableTokenPrivilege(name);
}

bool CActions::Shutdown(bool force) {
    if (!EnablePrivilege(kShutdownPrivilege))
        return false;
    const WindowsVersion version = power_.Version();
    // Windows 2000 powers off only through ExitWindowsEx.
    if (version.major == 5 && version.minor == 0)
        return power_.ExitWindowsEx(WithForce(kEwxPoweroff, force), kReasonPlanned);
    return power_.InitiateSystemShutdownEx(0, force, false, kReasonPlanned);
}

bool CActions::Restart(bool force) {
    if (!EnablePrivilege(kShutdownPrivilege))
        return false;
    return power_.InitiateSystemShutdownEx(0, force, true, kReasonPlanned);
}

bool CActions::PowerOff(bool force) {
    return ExitWithPrivilege(kEwxPoweroff, force);
}

bool CActions::ExitRestart(bool force) {
    return ExitWithPrivilege(kEwxReboot, force);
}

bool CActions::ExitShutdown(bool force) {
    return ExitWithPrivilege(kEwxShutdown, force);
}

bool CActions::ExitWithPrivilege(std::uint32_t flags, bool force) {
    if (!EnablePrivilege(kShutdownPrivilege))
        return false;
    return power_.ExitWindowsEx(WithForce(flags, force), kReasonPlanned);
}

bool CActions::Hibernate(bool force) {
    return Suspend(true, force);
}

bool CActions::Standby(bool force) {
    return Suspend(false, force);
}

// When the system does not allow the suspension the computer is shut down instead, and the
// operation still reports that the suspension did not happen.
bool CActions::Suspend(bool hibernate, bool force) {
    const bool allowed = hibernate ? power_.IsPwrHibernateAllowed() : power_.IsPwrSuspendAllowed();
    if (!allowed) {
        Shutdown(force);
        return false;
    }
    if (!EnablePrivilege(kShutdownPrivilege))
        return false;
    return power_.SetSuspendState(hibernate, force, false);
}

bool CActions::LogOff(bool force) {
    return power_.ExitWindowsEx(WithForce(kEwxLogoff, force), kReasonPlanned);
}

bool CActions::Lock() {
    return power_.LockWorkStation();
}

bool CActions::MonitorPower(bool on) {
    power_.SendMonitorPower(on ? kMonitorOn : kMonitorOff);
    return false;
}

// The remote side (the administrative share, WMI and the wake-up datagram) is not built yet:
// until it is, every remote request reports that it is not supported, so a run logs that plainly.
std::uint32_t CActions::RemoteShutdown(const std::u16string&, const std::u16string&, const std::u16string&, bool,
                                       const std::u16string&, const std::u16string&, bool, bool) {
    return kErrorNotSupported;
}

std::uint32_t CActions::WakeOnLan(const std::u16string&, const std::u16string&, const std::u16string&,
                                  const std::u16string&) {
    return kErrorNotSupported;
}

}  // namespace velmora
