// The steps of a computer's check, each over its seam, stopping at the first sure failure.
#include "actions/ComputerCheck.h"

#include <algorithm>

#include "actions/WakeOnLan.h"

namespace velmora {
namespace {

// The computer as the network knows it: the remote shutdown takes "\\name" as well as "name".
std::u16string BareName(const std::u16string& computer) {
    const std::size_t start = computer.find_first_not_of(u'\\');
    return start == std::u16string::npos ? std::u16string() : computer.substr(start);
}

std::optional<Ipv4> Resolve(HostResolver& resolver, const std::u16string& name) {
    if (const std::optional<Ipv4> address = ParseDottedIpv4(name))
        return address;
    return resolver.ResolveHost(name);
}

// One echo request; its status, or the failure to make one.
std::uint32_t Echo(ProbeApi& probe, const Ipv4& address) {
    if (!probe.LoadEchoLibrary())
        return kErrorNotSupported;
    if (!probe.OpenEcho()) {
        probe.UnloadEchoLibrary();
        return kErrorNotSupported;
    }
    const std::uint32_t status = probe.SendEcho(address, kCheckEchoWaitMs);
    probe.CloseEcho();
    return status;
}

bool IsHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// The result so far, ended by the step that failed for sure.
CheckResult Failed(CheckResult result, CheckStep step, std::uint32_t code) {
    result.failure = CheckFinding{step, code};
    return result;
}

}  // namespace

CheckResult CheckComputer(const CheckSeams& seams, const std::u16string& computer, const std::u16string& user,
                          const std::u16string& password) {
    CheckResult result;
    const auto fail = [&](CheckStep step, std::uint32_t code) { return Failed(result, step, code); };
    const std::u16string name = BareName(computer);
    const std::optional<Ipv4> address = Resolve(*seams.probe, name);
    if (!address)
        return fail(CheckStep::kResolve, kErrorHostNotFound);

    // A firewall may drop echoes alone: a silent computer is noted, and the ports tell the rest.
    if (const std::uint32_t status = Echo(*seams.probe, *address); status != kIpSuccess)
        result.notes.push_back({CheckStep::kEcho, status});
    if (const std::uint32_t code = seams.ports->ConnectPort(*address, kSharingPort, kPortWaitMs); code != 0)
        return fail(CheckStep::kSharingPort, code);
    // Only WMI, the fall-back, goes through the end-point mapper.
    if (const std::uint32_t code = seams.ports->ConnectPort(*address, kRpcPort, kPortWaitMs); code != 0)
        result.notes.push_back({CheckStep::kRpcPort, code});

    // The remote shutdown's first call: its share with the account. An existing connection of the
    // user's is left alone (the shutdown drops it; a check changes nothing).
    RemoteApi& remote = *seams.remote;
    std::u16string target = computer;
    const auto sharePath = [](const std::u16string& text) {
        return text.starts_with(u"\\") ? text + u"\\admin$" : u"\\\\" + text + u"\\admin$";
    };
    std::u16string path = sharePath(target);
    const auto connect = [&] {
        return user.empty() ? remote.AddConnection(path, nullptr, nullptr) : remote.AddConnection(path, &password, &user);
    };
    std::uint32_t connected = connect();
    if (connected == kErrorSessionCredentialConflict) {
        // As the shutdown does: the address is another server to the system.
        target = DottedText(*address);
        path = sharePath(target);
        connected = connect();
    }
    if (connected != 0)
        return fail(CheckStep::kShare, connected);
    // The query goes while the connection carries the account, as in the shutdown.
    const std::uint32_t query = remote.WorkstationStatus(u"\\\\" + target);
    remote.CancelConnection(path, 0, false);
    if (query != 0)
        return fail(CheckStep::kWorkstation, query);

    if (!seams.wmi)
        return fail(CheckStep::kWmi, kErrorNotSupported);
    if (const HResult hr = WmiConnect(*seams.wmi, target, user, password); hr < 0)
        return fail(CheckStep::kWmi, static_cast<std::uint32_t>(hr));
    return result;
}

CheckResult CheckWakeUp(const CheckSeams& seams, const std::u16string& mac, const std::u16string& broadcast,
                        const std::u16string& port) {
    CheckResult result;
    const auto fail = [&](CheckStep step, std::uint32_t code) { return Failed(result, step, code); };
    // The packet reads the text pair by pair: anything but twelve digits gives other bytes.
    if (mac.size() != 12 || !std::all_of(mac.begin(), mac.end(), IsHexDigit))
        return fail(CheckStep::kWakeMac, kErrorInvalidData);
    const std::uint16_t portNumber = WakePort(port.empty() ? u"7" : port);
    if (portNumber == 0)
        return fail(CheckStep::kWakePort, kErrorInvalidArgument);
    const std::optional<Ipv4> address = Resolve(*seams.probe, broadcast.empty() ? u"255.255.255.255" : broadcast);
    if (!address)
        return fail(CheckStep::kWakeAddress, kErrorHostNotFound);
    if (const std::uint32_t code = seams.ports->CanSendTo(*address, portNumber); code != 0)
        return fail(CheckStep::kWakeAddress, code);
    return result;
}

}  // namespace velmora
