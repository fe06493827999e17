// The Wake-on-LAN datagram and its sending.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "actions/Network.h"

namespace velmora {

constexpr std::size_t kWakePacketSize = 108;
constexpr int kMsgDontRoute = 4;
using WakePacket = std::array<std::uint8_t, kWakePacketSize>;

// A pair of hexadecimal digits read as the C library's strtol does in base 16; 0 for texts of three
// or more characters, texts that are no number, and results at the limits.
std::uint8_t HexByte(std::u16string_view text);
// Six 0xFF, the MAC sixteen times, the password (zeros when there is none).
WakePacket BuildWakePacket(std::u16string_view mac, std::u16string_view password);
// The port text read as a decimal number, truncated toward zero; its low 16 bits.
std::uint16_t WakePort(std::u16string_view text);

// The socket calls the sending needs.
class DatagramApi : public HostResolver {
public:
    virtual ~DatagramApi() = default;
    // A UDP socket bound to any local address and port; `error` is the socket error on failure.
    virtual bool OpenUdpSocket(std::intptr_t& socket, std::uint32_t& error) = 0;
    virtual bool EnableBroadcast(std::intptr_t socket) = 0;
    // Sends one datagram; the bytes sent, or nothing with `error` set.
    virtual std::optional<std::size_t> SendTo(std::intptr_t socket, const std::uint8_t* data, std::size_t size,
                                              const Ipv4& address, std::uint16_t port, int flags,
                                              std::uint32_t& error) = 0;
    virtual void Close(std::intptr_t socket) = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
};

// Sends the wake-up datagram once; 0 when all 108 bytes went out, else the system's error.
std::uint32_t SendWakeOnLan(DatagramApi& api, std::u16string_view mac, std::u16string_view password,
                            std::u16string_view address, std::u16string_view port);

}  // namespace velmora
