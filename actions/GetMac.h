// The network probe: does a computer answer an echo, what is its name and its hardware address.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/Network.h"
#include "model/ResultCodes.h"

namespace velmora {

constexpr unsigned kEchoWaitMs = 3000;
constexpr unsigned kMacEchoWaitMs = 5000;

struct ArpRow {
    Ipv4 address;
    std::vector<std::uint8_t> physical;  // as many bytes as the row states, at most 8
};

// The system calls of the probe. One object serves one operation at a time on one thread: the
// echo library and handle live from OpenEcho to CloseEcho.
class ProbeApi : public HostResolver {
public:
    virtual ~ProbeApi() = default;
    virtual bool LoadEchoLibrary() = 0;
    virtual void UnloadEchoLibrary() = 0;
    // Looks up the echo entry points, opens an echo handle and allocates the reply buffer; on any
    // failure releases what it obtained (the library stays loaded) and returns false.
    virtual bool OpenEcho() = 0;
    // One echo request with the 32-byte payload; the status of the reply. A request that brought
    // no reply record gives the failure's own code, never success.
    virtual std::uint32_t SendEcho(const Ipv4& target, unsigned waitMs) = 0;
    // Closes the handle, frees the buffer and unloads the library.
    virtual void CloseEcho() = 0;
    // The platform's conversion of an address text (inet_addr), which also takes shortened forms
    // such as "10.1" and octal or hexadecimal parts; 255.255.255.255 for a text that is no address.
    virtual Ipv4 ConvertAddress(const std::u16string& text) = 0;
    virtual std::optional<std::u16string> HostNameOf(const Ipv4& address) = 0;
    // The system's ARP table, read into room for 100 rows; nothing when it cannot be read.
    virtual std::optional<std::vector<ArpRow>> ReadArpTable() = 0;
    // An ARP request for one address; the hardware address bytes, empty when none came back.
    virtual std::vector<std::uint8_t> SendArp(const Ipv4& target) = 0;
};

// The platform's conversion of an address text; nothing for the value that marks a text as no
// address, which a request would send as a broadcast.
std::optional<Ipv4> ConvertedAddress(ProbeApi& api, const std::u16string& text);
// The address of a host text: exactly three dots make it an address as it stands; anything else is
// looked up by name, and converted as it stands when the lookup finds nothing.
std::optional<Ipv4> AddressOfHost(ProbeApi& api, const std::u16string& host);
// Bytes as upper-case hexadecimal pairs without separators.
std::u16string MacText(const std::vector<std::uint8_t>& bytes);

class CGetMac {
public:
    explicit CGetMac(ProbeApi& api) : api_(api) {}
    virtual ~CGetMac() = default;

    bool Ping(const std::u16string& host, int attempts);
    bool GetMacByIp(const std::u16string& address);
    std::u16string GetMacByName(const std::u16string& name);
    bool ProbeHost(const std::u16string& address, int attempts);

    std::u16string HostName() const { return hostName_; }
    std::u16string MacText() const { return macText_; }

private:
    // The echo procedure: true when the status read last is success.
    bool Echo(const std::optional<Ipv4>& target, int attempts, unsigned waitMs, bool& ran);
    // Reads the ARP table for the target; false when the table could not be read.
    bool LookUpArp(const Ipv4& target);

    ProbeApi& api_;
    std::u16string hostName_;
    std::u16string macText_;
};

std::u16string GetMacByArpRequest(ProbeApi& api, const std::u16string& host);

}  // namespace velmora
