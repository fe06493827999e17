// The real network calls under Wine, on loopback and, where the test command could make one, a
// host in a network namespace of the test's own (VELMORA_TEST_PEER_IP, _MAC, VELMORA_TEST_SILENT_IP).
#include <winsock2.h>
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "actions/Actions.h"
#include "actions/ComputerCheck.h"
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

// --- a computer's check over the real calls -----------------------------------------------------

TEST(RealCheck, APortProbeConnectsClosesAndIsRefusedByAClosedPort) {
    UniqueSocket listener(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    ASSERT_TRUE(listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, ::listen(listener.get(), 1));
    int length = sizeof address;
    ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
    const std::uint16_t port = ntohs(address.sin_port);
    const Ipv4 loopback{{127, 0, 0, 1}};

    EXPECT_EQ(0u, SystemPortApi().ConnectPort(loopback, port, kPortWaitMs));
    // The probe's connection arrives and is closed already: the first read ends at once.
    const UniqueSocket accepted(::accept(listener.get(), nullptr, nullptr));
    ASSERT_TRUE(accepted);
    const DWORD timeout = 5000;
    ::setsockopt(accepted.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    char byte;
    EXPECT_EQ(0, ::recv(accepted.get(), &byte, 1, 0)) << "the probe left its connection open";

    listener.reset();
    EXPECT_EQ(static_cast<std::uint32_t>(WSAECONNREFUSED), SystemPortApi().ConnectPort(loopback, port, kPortWaitMs));
    EXPECT_EQ(0u, SystemPortApi().CanSendTo(loopback, 9));
}

std::string Described(const CheckResult& result) {
    std::string text = result.failure ? "stops at step " + std::to_string(static_cast<int>(result.failure->step)) +
                                            " with " + std::to_string(result.failure->code)
                                      : "ready";
    for (const CheckFinding& note : result.notes)
        text += ", noted step " + std::to_string(static_cast<int>(note.step)) + " with " + std::to_string(note.code);
    return text;
}

CheckResult CheckOverSystem(const std::u16string& computer) {
    const auto probe = MakeSystemProbeApi();
    return CheckComputer({probe.get(), &SystemPortApi(), &SystemRemoteApi(), &SystemWmiApi()}, computer, u"", u"");
}

// What the platform answers at each step: loopback, the live test host and a silent address of the
// test namespace, none of which serves file sharing.
TEST(RealCheck, LoopbackLiveAndSilentAddressesStopWhereSharingIsMissing) {
    const CheckResult loopback = CheckOverSystem(u"127.0.0.1");
    std::printf("check of 127.0.0.1: %s\n", Described(loopback).c_str());
    EXPECT_TRUE(loopback.notes.empty() || loopback.notes[0].step != CheckStep::kEcho) << "loopback answers echoes";
    ASSERT_TRUE(loopback.failure);
    EXPECT_GE(static_cast<int>(loopback.failure->step), static_cast<int>(CheckStep::kSharingPort));

    EXPECT_EQ(kErrorHostNotFound, CheckOverSystem(u"no-such-host.invalid").failure.value().code);

    const std::u16string peer = Env("VELMORA_TEST_PEER_IP"), silent = Env("VELMORA_TEST_SILENT_IP");
    if (peer.empty() || silent.empty())
        GTEST_SKIP() << "no test namespace: the test command could not make one on this machine";
    const CheckResult live = CheckOverSystem(peer);
    std::printf("check of the test host: %s\n", Described(live).c_str());
    EXPECT_EQ("stops at step 3 with 10061", Described(live)) << "the host answers and refuses port 445";

    const DWORD start = ::GetTickCount();
    const CheckResult quiet = CheckOverSystem(silent);
    const DWORD elapsed = ::GetTickCount() - start;
    std::printf("check of the silent address: %s in %lu ms\n", Described(quiet).c_str(),
                static_cast<unsigned long>(elapsed));
    // Nothing answers for the address: the port's wait runs out, or the system, which asked for the
    // address's hardware address during the echo and got no answer, refuses at once.
    EXPECT_THAT(Described(quiet), ::testing::AnyOf("stops at step 3 with 10060, noted step 2 with 11010",
                                                   "stops at step 3 with 10065, noted step 2 with 11010"));
    EXPECT_LE(elapsed, kCheckEchoWaitMs + kPortWaitMs + 1500) << "one echo wait and one port wait";
}

// The steps past the ports, asked of the platform one by one: Wine has no shares and no remote
// workstation query, and its WMI takes the computer's names but not an address.
TEST(RealCheck, TheShareWorkstationAndWmiStepsAnswerWithThePlatformsCodes) {
    const std::uint32_t share = SystemRemoteApi().AddConnection(u"\\\\127.0.0.1\\admin$", nullptr, nullptr);
    const std::uint32_t workstation = SystemRemoteApi().WorkstationStatus(u"\\\\127.0.0.1");
    const HResult byName = WmiConnect(SystemWmiApi(), u"localhost", u"", u"");
    const HResult byAddress = WmiConnect(SystemWmiApi(), u"127.0.0.1", u"", u"");
    std::printf("share %u, workstation query %u, WMI localhost 0x%08X, WMI 127.0.0.1 0x%08X\n", share, workstation,
                static_cast<unsigned>(byName), static_cast<unsigned>(byAddress));
    if (share == 0)
        SystemRemoteApi().CancelConnection(u"\\\\127.0.0.1\\admin$", 0, false);
    EXPECT_NE(0u, workstation) << "no remote workstation service on loopback here";
    EXPECT_EQ(0, byName);
}

}  // namespace
}  // namespace velmora
