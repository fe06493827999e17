// Shared pieces of the network operations: IPv4 addresses and the dotted text form.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/ResultCodes.h"

namespace velmora {

// An IPv4 address as its four bytes in network order.
struct Ipv4 {
    std::array<std::uint8_t, 4> bytes{};
    bool operator==(const Ipv4&) const = default;
};

// A text of four decimal numbers 0..255 separated by dots, nothing else.
std::optional<Ipv4> ParseDottedIpv4(std::u16string_view text);
std::u16string DottedText(const Ipv4& address);

// Name resolution, for every seam whose operation takes a computer by name.
class HostResolver {
public:
    virtual ~HostResolver() = default;
    // gethostbyname: the first IPv4 address of a host name; nothing when it cannot be resolved.
    virtual std::optional<Ipv4> ResolveHost(const std::u16string& name) = 0;
};

}  // namespace velmora
