// The action engine: one action on one computer. Local operations report success as a boolean;
// remote operations return a Windows error code, 0 for success.
#pragma once

#include <cstdint>
#include <string>

#include "actions/PowerApi.h"
#include "actions/RemoteApi.h"
#include "actions/RemoteShutdown.h"
#include "actions/WakeOnLan.h"
#include "actions/Wmi.h"
#include "model/ResultCodes.h"

namespace velmora {

constexpr std::uint32_t kEwxLogoff = 0;
constexpr std::uint32_t kEwxPoweroff = 8;
constexpr std::uint32_t kEwxForceIfHung = 0x10;
constexpr std::uint32_t kReasonPlanned = 0x80000000;
constexpr std::intptr_t kMonitorOn = -1;
constexpr std::intptr_t kMonitorOff = 2;  // off, not the low-power state 1
constexpr char16_t kShutdownPrivilege[] = u"SeShutdownPrivilege";
constexpr char16_t kRemoteShutdownPrivilege[] = u"SeRemoteShutdownPrivilege";
constexpr std::uint32_t kLongestCountdownSeconds = 315360000;  // ten years, the system's limit

// What the executor asks of the engine; the run loop is tested against fakes of it.
class ActionEngine {
public:
    virtual ~ActionEngine() = default;

    virtual bool Shutdown(bool force) = 0;
    virtual bool Restart(bool force) = 0;
    virtual bool PowerOff(bool force) = 0;
    virtual bool Hibernate(bool force) = 0;
    virtual bool Standby(bool force) = 0;
    virtual bool LogOff(bool force) = 0;
    virtual bool Lock() = 0;
    virtual bool MonitorPower(bool on) = 0;

    virtual std::uint32_t RemoteShutdown(const RemoteShutdownRequest& request) = 0;
    virtual std::uint32_t WakeOnLan(const std::u16string& mac, const std::u16string& password,
                                    const std::u16string& broadcast, const std::u16string& port) = 0;
};

// The seams of the remote operations; a system without them reports every remote request as not
// supported.
struct RemoteSeams {
    RemoteApi* remote = nullptr;
    WmiApi* wmi = nullptr;
    DatagramApi* datagram = nullptr;
};

class CActions : public ActionEngine {
public:
    explicit CActions(PowerApi& power, RemoteSeams remote = {}) : power_(power), remote_(remote) {}

    bool EnablePrivilege(const std::u16string& name);

    bool Shutdown(bool force) override;
    bool Restart(bool force) override;
    bool PowerOff(bool force) override;
    bool Hibernate(bool force) override;
    bool Standby(bool force) override;
    bool LogOff(bool force) override;
    bool Lock() override;
    bool MonitorPower(bool on) override;

    std::uint32_t RemoteShutdown(const RemoteShutdownRequest& request) override;
    std::uint32_t WakeOnLan(const std::u16string& mac, const std::u16string& password, const std::u16string& broadcast,
                            const std::u16string& port) override;
    std::uint32_t ShutdownThroughShare(const RemoteShutdownRequest& request);
    HResult WmiShutdown(const std::u16string& computer, const std::u16string& user, const std::u16string& password,
                        std::int32_t flags);
    HResult WmiCreateProcess(const std::u16string& computer, const std::u16string& user, const std::u16string& password,
                             const std::u16string& commandLine);

private:
    bool Suspend(bool hibernate, bool force);
    bool ExitWithPrivilege(std::uint32_t flags, bool force);

    PowerApi& power_;
    RemoteSeams remote_;
};

// The countdown of a remote shutdown request: the delay text's leading integer, 0 without a
// dialog, at most ten years.
std::uint32_t RemoteTimeout(std::u16string_view delay, bool noDialog);
// The WMI flags for a shutdown or restart.
std::int32_t WmiShutdownFlags(bool reboot, bool force);

}  // namespace velmora
