// Local power actions: which Windows call serves which action, with which flags and fall-backs.
#include "actions/Actions.h"

#include <algorithm>

#include "model/Text.h"

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

// --- remote ---------------------------------------------------------------------------------

std::uint32_t RemoteTimeout(std::u16string_view delay, bool noDialog) {
    if (noDialog)
        return 0;
    // A negative text reads as a huge unsigned number and is clamped like one; wrapping it would
    // turn some negative texts into a shutdown at once.
    const long long value = LeadingInteger(delay);
    if (value < 0)
        return kLongestCountdownSeconds;
    const auto timeout = static_cast<std::uint32_t>(std::min<long long>(value, 0xFFFFFFFFLL));
    return std::min(timeout, kLongestCountdownSeconds);
}

std::int32_t WmiShutdownFlags(bool reboot, bool force) {
    return (reboot ? kWmiReboot : kWmiPowerOff) | (force ? kWmiForced : 0);
}

std::uint32_t CActions::RemoteShutdown(const RemoteShutdownRequest& request) {
    if (!remote_.remote)
        return kErrorNotSupported;
    EnablePrivilege(kRemoteShutdownPrivilege);
    const std::uint32_t code = ShutdownThroughShare(request);
    // Unreachable, a wrong path or a refused logon would fail through WMI the same way; and WMI
    // cannot show the countdown message, so it serves only tasks without a dialog.
    if (code == 0 || code == kErrorNetworkUnreachable || code == kErrorBadNetPath || code == kErrorLogonFailure ||
        !request.noDialog)
        return code;
    return static_cast<std::uint32_t>(
        WmiShutdown(request.computer, request.user, request.password, WmiShutdownFlags(request.reboot, request.force)));
}

std::uint32_t CActions::ShutdownThroughShare(const RemoteShutdownRequest& request) {
    RemoteApi& api = *remote_.remote;
    const std::u16string& user = request.user;
    const std::u16string& password = request.password;
    std::u16string computer = request.computer;
    const auto sharePath = [](const std::u16string& name) {
        return name.starts_with(u"\\") ? name + u"\\admin$" : u"\\\\" + name + u"\\admin$";
    };
    std::u16string path = sharePath(computer);
    api.CancelConnection(path, kConnectUpdateProfile, true);
    const auto connect = [&] {
        return user.empty() ? api.AddConnection(path, nullptr, nullptr) : api.AddConnection(path, &password, &user);
    };
    std::uint32_t saved = connect();
    // A connection to the same computer under other credentials: go again by its address, which
    // the system counts as another server.
    if (saved == kErrorSessionCredentialConflict) {
        if (const std::optional<Ipv4> address = api.ResolveHost(computer)) {
            computer = DottedText(*address);
            path = sharePath(computer);
            saved = connect();
        }
    }
    const std::optional<WindowsVersion> version = api.WorkstationVersion(u"\\\\" + computer);
    // Windows 2000 is asked through WMI first when no dialog is wanted.
    if (version && request.noDialog && version->major == 5 && version->minor == 0) {
        const HResult wmi = WmiShutdown(computer, user, password, WmiShutdownFlags(request.reboot, request.force));
        if (wmi == 0) {
            api.CancelConnection(path, 0, false);
            return 0;
        }
        saved = static_cast<std::uint32_t>(wmi);
    }
    const std::uint32_t requested =
        api.InitiateShutdown(computer, request.message, RemoteTimeout(request.delay, request.noDialog), request.force,
                             request.reboot, kReasonPlanned);
    api.CancelConnection(path, 0, false);
    if (requested == 0)
        return 0;
    // A connection that succeeded must not turn a failed request into success.
    return saved != 0 ? saved : requested;
}

HResult CActions::WmiShutdown(const std::u16string& computer, const std::u16string& user,
                              const std::u16string& password, std::int32_t flags) {
    if (!remote_.wmi)
        return static_cast<HResult>(kErrorNotSupported);
    return velmora::WmiShutdown(*remote_.wmi, computer, user, password, flags);
}

HResult CActions::WmiCreateProcess(const std::u16string& computer, const std::u16string& user,
                                   const std::u16string& password, const std::u16string& commandLine) {
    if (!remote_.wmi)
        return static_cast<HResult>(kErrorNotSupported);
    return velmora::WmiCreateProcess(*remote_.wmi, computer, user, password, commandLine);
}

std::uint32_t CActions::WakeOnLan(const std::u16string& mac, const std::u16string& password,
                                  const std::u16string& broadcast, const std::u16string& port) {
    if (!remote_.datagram)
        return kErrorNotSupported;
    return SendWakeOnLan(*remote_.datagram, mac, password, broadcast, port);
}

}  // namespace velmora
