// The check of one computer before a remote task's night: each thing a remote shutdown (or a
// wake-up packet) needs, asked in order without changing anything on the computer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/GetMac.h"
#include "actions/RemoteApi.h"
#include "actions/Wmi.h"

namespace velmora {

// The steps, in the order they are made. The numbers are part of the row's info tip.
enum class CheckStep : int {
    kResolve = 1,      // the name gives an address
    kEcho = 2,         // the computer answers an echo
    kSharingPort = 3,  // TCP 445, file and printer sharing
    kRpcPort = 4,      // TCP 135, the RPC end-point mapper
    kShare = 5,        // the administrative share takes the account's connection
    kWorkstation = 6,  // the remote workstation query answers
    kWmi = 7,          // WMI's root\cimv2 takes the account
    kWakeMac = 8,      // a wake-up task: six MAC bytes
    kWakePort = 9,     // a port that is a number above 0
    kWakeAddress = 10, // a broadcast address that resolves and can be sent to
};

constexpr std::uint16_t kSharingPort = 445;
constexpr std::uint16_t kRpcPort = 135;
constexpr unsigned kPortWaitMs = 2000;
constexpr unsigned kCheckEchoWaitMs = 3000;
constexpr std::uint32_t kErrorHostNotFound = 11001;  // WSAHOST_NOT_FOUND

// The socket probes of a check; each socket is closed before the call returns.
class PortApi {
public:
    virtual ~PortApi() = default;
    // A TCP connection to the port within the wait, closed at once: 0, or the socket error
    // (WSAETIMEDOUT when nothing answered in time).
    virtual std::uint32_t ConnectPort(const Ipv4& address, std::uint16_t port, unsigned waitMs) = 0;
    // A UDP socket with broadcasting allowed, connected to the address and port, then closed:
    // the system's route and permission for a datagram, with nothing sent. 0, or the socket error.
    virtual std::uint32_t CanSendTo(const Ipv4& address, std::uint16_t port) = 0;
};

// The seams a check is made over: the probe's resolver and echo, the ports, the remote
// shutdown's connection and workstation query, and WMI's connection. Nothing else is called:
// no shutdown request, no abort, no file, no service.
struct CheckSeams {
    ProbeApi* probe = nullptr;
    PortApi* ports = nullptr;
    RemoteApi* remote = nullptr;
    WmiApi* wmi = nullptr;
};

struct CheckFinding {
    CheckStep step;
    std::uint32_t code;  // a Windows error, a socket error, an echo status or an HRESULT
    bool operator==(const CheckFinding&) const = default;
};

struct CheckResult {
    // The step that failed for sure and stopped the check; none when the computer is ready.
    std::optional<CheckFinding> failure;
    // Steps that failed but may only be filtered, or serve only the fall-back: the check went on.
    std::vector<CheckFinding> notes;
    bool ready() const { return !failure; }
};

// What one entry of a shutdown or restart task needs, with its user and password (the current
// logon's when the user is empty).
CheckResult CheckComputer(const CheckSeams& seams, const std::u16string& computer, const std::u16string& user,
                          const std::u16string& password);
// What one entry of a wake-up task needs: the MAC, the port and the broadcast address, as the
// wake-up packet would take them; nothing is sent.
CheckResult CheckWakeUp(const CheckSeams& seams, const std::u16string& mac, const std::u16string& broadcast,
                        const std::u16string& port);

}  // namespace velmora
