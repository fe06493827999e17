// The real network calls under Wine, on loopback and, where the test command could make one, a
// host in a network namespace of the test's own (VELMORA_TEST_PEER_IP, _MAC, VELMORA_TEST_SILENT_IP).
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "actions/Actions.h"
#include "actions/GetMac.h"
#include "actions/win/SystemApis.h"
#include "model/Utf.h"
#include "platform/win/Unique.h"
#include "tests/support/win/Winsock.h"

namespace velmora {
namespace {

VELMORA_TEST_USES_WINSOCK;

std::u16string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? Utf8ToUtf16(value) : u"";
}

TEST(RealProbe, LoopbackAnswersAnEcho) {
    const auto api = MakeSystemProbeApi();
    CGetMac probe(*api);
    EXPECT_TRUE(probe.Ping(u"127.0.0.1", 2));
    EXPECT_TRUE(probe.Ping(u"localhost", 2));
    EXPECT_FALSE(probe.Ping(u"1.2.3.x", 2)) << "no address, nothing sent";
}

TEST(RealProbe, ShortenedAndOctalAddressFormsReachLoopback) {
    const auto api = MakeSystemProbeApi();
    EXPECT_TRUE(CGetMac(*api).Ping(u"0177.0.0.1", 1));
    EXPECT_TRUE(CGetMac(*api).ProbeHost(u"127.1", 1));
    EXPECT_TRUE(CGetMac(*api).ProbeHost(u"0x7f000001", 1));
    EXPECT_FALSE(CGetMac(*api).ProbeHost(u"255.255.255.255", 1)) << "no address, nothing sent";
}

TEST(RealProbe, HostInTheTestNamespaceGivesItsMac) {
    const std::u16string peer = Env("VELMORA_TEST_PEER_IP");
    if (peer.empty())
        GTEST_SKIP() << "no test namespace: the test command could not make one on this machine";
    const auto api = MakeSystemProbeApi();
    CGetMac probe(*api);
    EXPECT_TRUE(probe.Ping(peer, 2));
    EXPECT_TRUE(probe.GetMacByIp(peer));
    EXPECT_EQ(Env("VELMORA_TEST_PEER_MAC"), probe.MacText());
    CGetMac scan(*api);
    EXPECT_TRUE(scan.ProbeHost(peer, 2));
    EXPECT_EQ(Env("VELMORA_TEST_PEER_MAC"), scan.MacText());
}

TEST(RealProbe, SilentHostCostsAtMostTwoWaits) {
    const std::u16string silent = Env("VELMORA_TEST_SILENT_IP");
    if (silent.empty())
        GTEST_SKIP() << "no test namespace: the test command could not make one on this machine";
    const auto api = MakeSystemProbeApi();
    CGetMac probe(*api);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(probe.Ping(silent, 2));
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_LE(elapsed, 2 * kEchoWaitMs + 1500) << elapsed << " ms";
    std::printf("ping of a silent host: %lu ms\n", static_cast<unsigned long>(elapsed));
}

TEST(RealRemote, ShutdownPathReturnsThePlatformsCodesWithoutCrashing) {
    CActions actions(SystemPowerApi(), RemoteSeams{&SystemRemoteApi(), &SystemWmiApi(), &SystemDatagramApi()});
    // Wine has no network shares (1222) and turns the shutdown request into a no-op that succeeds.
    RemoteShutdownRequest request;
    request.computer = u"127.0.0.1";
    request.message = u"Test";
    request.delay = u"30";
    const std::uint32_t withDialog = actions.RemoteShutdown(request);
    EXPECT_EQ(0u, withDialog);
    EXPECT_EQ(1222u, SystemRemoteApi().AddConnection(u"\\\\127.0.0.1\\admin$", nullptr, nullptr));
    EXPECT_FALSE(SystemRemoteApi().WorkstationVersion(u"\\\\127.0.0.1").has_value());
}

TEST(RealRemote, WmiReachesTheLocalService) {
    CActions actions(SystemPowerApi(), RemoteSeams{&SystemRemoteApi(), &SystemWmiApi(), &SystemDatagramApi()});
    // Wine's Win32_OperatingSystem has no Win32Shutdown method: the call fails without effect.
    const std::int32_t shutdown = actions.WmiShutdown(u"localhost", u"", u"", kWmiLogOff);
    EXPECT_LT(shutdown, 0);
    EXPECT_EQ(0, actions.WmiCreateProcess(u"localhost", u"", u"", u"cmd.exe /c exit 0"));
    // A second operation finds the process's security set and goes on.
    EXPECT_EQ(0, actions.WmiCreateProcess(u"localhost", u"", u"", u"cmd.exe /c exit 0"));
}

TEST(RealDatagram, WakeUpPacketArrivesOnLoopback) {
    const UniqueSocket listener(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    ASSERT_TRUE(listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address));
    int length = sizeof address;
    ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
    const DWORD timeout = 5000;
    ::setsockopt(listener.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    const std::string port = std::to_string(ntohs(address.sin_port));

    CActions actions(SystemPowerApi(), RemoteSeams{&SystemRemoteApi(), &SystemWmiApi(), &SystemDatagramApi()});
    EXPECT_EQ(0u, actions.WakeOnLan(u"001122AABBCC", u"A1B2C3D4E5F6", u"127.0.0.1", Utf8ToUtf16(port)));
    char received[256];
    const int size = ::recv(listener.get(), received, sizeof received, 0);
    ASSERT_EQ(108, size);
    const WakePacket expected = BuildWakePacket(u"001122AABBCC", u"A1B2C3D4E5F6");
    EXPECT_EQ(0, std::memcmp(expected.data(), received, 108));
    EXPECT_EQ(10022u, actions.WakeOnLan(u"001122AABBCC", u"", u"no-such-host.invalid", Utf8ToUtf16(port)));
}

}  // namespace
}  // namespace velmora
