// Building and sending the wake-up datagram.
#include "actions/WakeOnLan.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace velmora {
namespace {

std::string Ascii(std::u16string_view text) {
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

std::uint8_t HexByte(std::u16string_view text) {
    if (text.size() >= 3)
        return 0;
    const long value = std::strtol(Ascii(text).c_str(), nullptr, 16);
    if (value == 0 || value == LONG_MAX || value == LONG_MIN)
        return 0;
    return static_cast<std::uint8_t>(value & 0xFF);
}

WakePacket BuildWakePacket(std::u16string_view mac, std::u16string_view password) {
    WakePacket packet{};
    const auto pair = [](std::u16string_view text, std::size_t i) {
        return 2 * i < text.size() ? text.substr(2 * i, 2) : std::u16string_view();
    };
    for (std::size_t i = 0; i < 6; ++i) {
        packet[i] = 0xFF;
        packet[6 + i] = HexByte(pair(mac, i));
        packet[102 + i] = password.empty() ? 0 : HexByte(pair(password, i));
    }
    for (std::size_t slot = 1; slot < 16; ++slot) {
        for (std::size_t i = 0; i < 6; ++i)
            packet[6 + 6 * slot + i] = packet[6 + i];
    }
    return packet;
}

std::uint16_t WakePort(std::u16string_view text) {
    const double value = std::strtod(Ascii(text).c_str(), nullptr);
    if (!std::isfinite(value) || std::fabs(value) > 1e15)
        return 0;
    return static_cast<std::uint16_t>(static_cast<long long>(value) & 0xFFFF);
}

std::uint32_t SendWakeOnLan(DatagramApi& api, std::u16string_view mac, std::u16string_view password,
                            std::u16string_view address, std::u16string_view port) {
    const WakePacket packet = BuildWakePacket(mac, password);
    const std::u16string target = address.empty() ? u"255.255.255.255" : std::u16string(address);
    const std::uint16_t portNumber = WakePort(port.empty() ? u"7" : port);

    // A text that is neither an address nor a known name must not go out as a broadcast.
    std::optional<Ipv4> destination = ParseDottedIpv4(target);
    if (!destination)
        destination = api.ResolveHost(target);
    if (!destination)
        return kErrorInvalidArgument;

    std::intptr_t socket = 0;
    std::uint32_t error = 0;
    if (!api.OpenUdpSocket(socket, error))
        return error != 0 ? error : kErrorInvalidArgument;
    api.EnableBroadcast(socket);  // a refusal shows in the send's own result
    const std::optional<std::size_t> sent =
        api.SendTo(socket, packet.data(), packet.size(), *destination, portNumber, kMsgDontRoute, error);
    const std::uint32_t result = sent == kWakePacketSize ? 0 : (error != 0 ? error : kErrorInvalidArgument);
    api.Close(socket);
    api.Sleep(10);
    return result;
}

}  // namespace velmora
