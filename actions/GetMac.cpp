// Ping, host names and MAC addresses.
#include "actions/GetMac.h"

#include <algorithm>

namespace velmora {

std::optional<Ipv4> ConvertedAddress(ProbeApi& api, const std::u16string& text) {
    const Ipv4 address = api.ConvertAddress(text);
    if (address == Ipv4{{255, 255, 255, 255}})
        return std::nullopt;  // INADDR_NONE
    return address;
}

std::optional<Ipv4> AddressOfHost(ProbeApi& api, const std::u16string& host) {
    if (std::count(host.begin(), host.end(), u'.') == 3)
        return ConvertedAddress(api, host);
    if (const std::optional<Ipv4> address = api.ResolveHost(host))
        return address;
    return ConvertedAddress(api, host);
}

std::u16string MacText(const std::vector<std::uint8_t>& bytes) {
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string text;
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text;
}

// A target that is no address gets no request at all: sent as INADDR_NONE it would be a
// broadcast that any host may answer.
bool CGetMac::Echo(const std::optional<Ipv4>& target, int attempts, unsigned waitMs, bool& ran) {
    ran = false;
    if (!api_.OpenEcho()) {
        api_.UnloadEchoLibrary();
        return false;
    }
    ran = true;
    std::uint32_t status = kIpBadDestination;
    for (int attempt = 0; target && attempt < attempts; ++attempt) {
        status = api_.SendEcho(*target, waitMs);
        if (status == kIpSuccess)
            break;
    }
    api_.CloseEcho();
    return status == kIpSuccess;
}

bool CGetMac::Ping(const std::u16string& host, int attempts) {
    if (!api_.LoadEchoLibrary())
        return false;
    // The name is resolved before the entry points are looked up.
    const std::optional<Ipv4> target = AddressOfHost(api_, host);
    bool ran = false;
    return Echo(target, attempts, kEchoWaitMs, ran);
}

bool CGetMac::LookUpArp(const Ipv4& target) {
    const std::optional<std::vector<ArpRow>> table = api_.ReadArpTable();
    if (!table)
        return false;
    std::u16string found;
    for (const ArpRow& row : *table) {
        if (!found.empty())
            break;
        if (row.address == target)
            found = velmora::MacText(std::vector<std::uint8_t>(
                row.physical.begin(), row.physical.begin() + std::min<std::size_t>(row.physical.size(), 8)));
    }
    if (!found.empty())
        macText_ = found;
    return true;
}

bool CGetMac::GetMacByIp(const std::u16string& address) {
    const std::optional<Ipv4> target = ConvertedAddress(api_, address);
    if (!api_.LoadEchoLibrary())
        return false;
    // The request only makes the system learn the hardware address; its answer does not count.
    bool ran = false;
    Echo(target, 1, kMacEchoWaitMs, ran);
    if (!ran || !target)
        return false;
    const std::u16string before = macText_;
    macText_.clear();
    const bool found = LookUpArp(*target) && !macText_.empty();
    if (!found)
        macText_ = before;
    return found;
}

std::u16string CGetMac::GetMacByName(const std::u16string& name) {
    if (const std::optional<Ipv4> address = api_.ResolveHost(name))
        GetMacByIp(DottedText(*address));
    return macText_;
}

bool CGetMac::ProbeHost(const std::u16string& address, int attempts) {
    if (!api_.LoadEchoLibrary())
        return false;
    const std::optional<Ipv4> target = ConvertedAddress(api_, address);
    bool ran = false;
    if (!Echo(target, attempts, kEchoWaitMs, ran) || !target)
        return false;
    if (const std::optional<std::u16string> name = api_.HostNameOf(*target))
        hostName_ = *name;
    return LookUpArp(*target);
}

std::u16string GetMacByArpRequest(ProbeApi& api, const std::u16string& host) {
    const std::optional<Ipv4> target = AddressOfHost(api, host);
    if (!target)
        return {};
    return MacText(api.SendArp(*target));
}

}  // namespace velmora
