// The Wake-on-LAN datagram byte by byte, and the rules of its sending.
#include <gtest/gtest.h>

#include "actions/WakeOnLan.h"

namespace velmora {
namespace {

std::vector<std::uint8_t> Expected(const std::vector<std::uint8_t>& mac, const std::vector<std::uint8_t>& password) {
    std::vector<std::uint8_t> packet(6, 0xFF);
    for (int i = 0; i < 16; ++i)
        packet.insert(packet.end(), mac.begin(), mac.end());
    packet.insert(packet.end(), password.begin(), password.end());
    return packet;
}

std::vector<std::uint8_t> Bytes(const WakePacket& packet) {
    return std::vector<std::uint8_t>(packet.begin(), packet.end());
}

TEST(WakePacket, MacRepeatedSixteenTimesAfterSixFFAndThePassword) {
    EXPECT_EQ(Expected({0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}, {0, 0, 0, 0, 0, 0}),
              Bytes(BuildWakePacket(u"001122AABBCC", u"")));
    EXPECT_EQ(Expected({0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}, {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6}),
              Bytes(BuildWakePacket(u"001122aabbcc", u"A1B2C3D4E5F6")));
}

TEST(WakePacket, ShortAndBrokenMacTexts) {
    EXPECT_EQ(Expected({0x00, 0x11, 0x22, 0xAA, 0xBB, 0x0C}, {0, 0, 0, 0, 0, 0}),
              Bytes(BuildWakePacket(u"001122AABBC", u"")));
    EXPECT_EQ(Expected({0x00, 0x11, 0x22, 0xAA, 0xBB, 0x00}, {0, 0, 0, 0, 0, 0}),
              Bytes(BuildWakePacket(u"001122AABB", u"")));
    EXPECT_EQ(Expected({0x00, 0x11, 0x00, 0xAA, 0xBB, 0xCC}, {0, 0, 0, 0, 0, 0}),
              Bytes(BuildWakePacket(u"0011ZZAABBCC", u"")));
    // Separators shift the pairs ("00", "-1", "1-", ...) and give wrong bytes: entries must hold the
    // twelve-character form.
    EXPECT_EQ(0xFF, BuildWakePacket(u"00-11-22-AA-BB-CC", u"")[6 + 1]);
    EXPECT_EQ(0x01, BuildWakePacket(u"00-11-22-AA-BB-CC", u"")[6 + 2]);
}

TEST(WakePacket, HexByteFollowsStrtol) {
    EXPECT_EQ(0x0C, HexByte(u"C"));
    EXPECT_EQ(0xAB, HexByte(u"ab"));
    EXPECT_EQ(0, HexByte(u"ZZ"));
    EXPECT_EQ(0, HexByte(u"00"));
    EXPECT_EQ(0, HexByte(u""));
    EXPECT_EQ(0, HexByte(u"ABC"));
    EXPECT_EQ(0x0F, HexByte(u" F"));
    EXPECT_EQ(0xFF, HexByte(u"-1"));
    EXPECT_EQ(0x01, HexByte(u"1Z"));
}

TEST(WakePacket, PortIsTheTruncatedDecimalNumber) {
    EXPECT_EQ(9, WakePort(u"9"));
    EXPECT_EQ(9, WakePort(u"9.7"));
    EXPECT_EQ(0, WakePort(u"abc"));
    EXPECT_EQ(40000, WakePort(u"40000"));
    EXPECT_EQ(4464, WakePort(u"70000"));  // low 16 bits
    EXPECT_EQ(0xFFFF, WakePort(u"-1"));
    EXPECT_EQ(0, WakePort(u"1e300"));
}

class FakeDatagram : public DatagramApi {
public:
    std::vector<std::string> calls;
    bool socketWorks = true;
    std::optional<Ipv4> resolved;
    std::uint32_t sendError = 0;
    std::vector<std::uint8_t> sent;
    Ipv4 to;
    std::uint16_t port = 0;
    int flags = -1;

    bool OpenUdpSocket(std::intptr_t& socket, std::uint32_t& error) override {
        calls.push_back("Open");
        socket = 42;
        error = socketWorks ? 0 : 10047;
        return socketWorks;
    }
    bool EnableBroadcast(std::intptr_t socket) override {
        calls.push_back("Broadcast " + std::to_string(socket));
        return true;
    }
    std::optional<Ipv4> ResolveHost(const std::u16string& name) override {
        calls.push_back("Resolve " + std::string(name.begin(), name.end()));
        return resolved;
    }
    std::optional<std::size_t> SendTo(std::intptr_t, const std::uint8_t* data, std::size_t size, const Ipv4& address,
                                      std::uint16_t portNumber, int sendFlags, std::uint32_t& error) override {
        calls.push_back("Send");
        sent.assign(data, data + size);
        to = address;
        port = portNumber;
        flags = sendFlags;
        error = sendError;
        if (sendError != 0)
            return std::nullopt;
        return size;
    }
    void Close(std::intptr_t) override { calls.push_back("Close"); }
    void Sleep(unsigned ms) override { calls.push_back("Sleep " + std::to_string(ms)); }
};

TEST(WakeOnLanSend, DefaultsToTheBroadcastAddressAndPortSeven) {
    FakeDatagram api;
    EXPECT_EQ(0u, SendWakeOnLan(api, u"001122AABBCC", u"", u"", u""));
    EXPECT_EQ((std::vector<std::string>{"Open", "Broadcast 42", "Send", "Close", "Sleep 10"}), api.calls);
    EXPECT_EQ(Bytes(BuildWakePacket(u"001122AABBCC", u"")), api.sent);
    EXPECT_EQ((Ipv4{{255, 255, 255, 255}}), api.to);
    EXPECT_EQ(7, api.port);
    EXPECT_EQ(kMsgDontRoute, api.flags);
}

TEST(WakeOnLanSend, GivenAddressNameAndPort) {
    FakeDatagram api;
    EXPECT_EQ(0u, SendWakeOnLan(api, u"001122AABBCC", u"", u"192.168.1.255", u"9.7"));
    EXPECT_EQ((Ipv4{{192, 168, 1, 255}}), api.to);
    EXPECT_EQ(9, api.port);
    FakeDatagram named;
    named.resolved = Ipv4{{10, 1, 2, 3}};
    EXPECT_EQ(0u, SendWakeOnLan(named, u"001122AABBCC", u"", u"gateway", u"9"));
    EXPECT_EQ("Resolve gateway", named.calls.front());
    EXPECT_EQ((Ipv4{{10, 1, 2, 3}}), named.to);
}

TEST(WakeOnLanSend, UnknownAddressSendsNothing) {
    FakeDatagram api;
    EXPECT_EQ(10022u, SendWakeOnLan(api, u"001122AABBCC", u"", u"no-such-host", u"9"));
    EXPECT_EQ((std::vector<std::string>{"Resolve no-such-host"}), api.calls);
    FakeDatagram bad;
    EXPECT_EQ(10022u, SendWakeOnLan(bad, u"001122AABBCC", u"", u"300.1.1.1", u"9"));
    EXPECT_TRUE(bad.sent.empty());
}

TEST(WakeOnLanSend, SocketAndSendErrorsAreReturned) {
    FakeDatagram noSocket;
    noSocket.socketWorks = false;
    EXPECT_EQ(10047u, SendWakeOnLan(noSocket, u"001122AABBCC", u"", u"", u""));
    EXPECT_EQ((std::vector<std::string>{"Open"}), noSocket.calls);
    FakeDatagram failing;
    failing.sendError = 10051;
    EXPECT_EQ(10051u, SendWakeOnLan(failing, u"001122AABBCC", u"", u"", u""));
    EXPECT_EQ("Sleep 10", failing.calls.back());
}

TEST(DottedAddress, StrictFourPartForm) {
    EXPECT_EQ((Ipv4{{127, 0, 0, 1}}), ParseDottedIpv4(u"127.0.0.1"));
    EXPECT_EQ((Ipv4{{255, 255, 255, 255}}), ParseDottedIpv4(u"255.255.255.255"));
    EXPECT_EQ(std::nullopt, ParseDottedIpv4(u"256.0.0.1"));
    EXPECT_EQ(std::nullopt, ParseDottedIpv4(u"1.2.3"));
    EXPECT_EQ(std::nullopt, ParseDottedIpv4(u"1.2.3.4.5"));
    EXPECT_EQ(std::nullopt, ParseDottedIpv4(u"1.2.3.x"));
    EXPECT_EQ(std::nullopt, ParseDottedIpv4(u""));
    EXPECT_EQ(u"10.0.0.255", DottedText(Ipv4{{10, 0, 0, 255}}));
}

}  // namespace
}  // namespace velmora
