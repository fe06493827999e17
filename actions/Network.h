// Shared pieces of the network operations: IPv4 addresses and the dotted text form.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// An IPv4 address as its four bytes in network order.
struct Ipv4 {
    std::array<std::uint8_t, 4> bytes{};
    bool operator==(const Ipv4&) const = default;
};

// A text of four decimal numbers 0..255 separated by dots, nothing else.
std::optional<Ipv4> ParseDottedIpv4(std::u16string_view text);
std::u16string DottedText(const Ipv4& address);

constexpr std::uint32_t kErrorInvalidArgument = 10022;  // WSAEINVAL

}  // namespace velmora
