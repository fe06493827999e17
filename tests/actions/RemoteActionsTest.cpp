// Remote shutdown, its WMI fall-back and Wake-on-LAN, over fakes that record every call.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "actions/Actions.h"

namespace velmora {
namespace {

std::string N(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

class NoPower : public PowerApi {
public:
    std::vector<std::string> privileges;
    bool EnableTokenPrivilege(const std::u16string& name) override {
        privileges.push_back(N(name));
        return false;  // the remote path ignores the outcome
    }
    WindowsVersion Version() override { return {6, 1}; }
    bool ExitWindowsEx(std::uint32_t, std::uint32_t) override { return false; }
    bool InitiateSystemShutdownEx(std::uint32_t, bool, bool, std::uint32_t) override { return false; }
    bool IsPwrHibernateAllowed() override { return false; }
    bool IsPwrSuspendAllowed() override { return false; }
    bool SetSuspendState(bool, bool, bool) override { return false; }
    bool LockWorkStation() override { return false; }
    void SendMonitorPower(std::intptr_t) override {}
};

class FakeRemote : public RemoteApi {
public:
    std::vector<std::string> calls;
    std::vector<std::uint32_t> connectResults{0};  // one per attempt; the last repeats
    std::optional<Ipv4> resolved;
    std::optional<WindowsVersion> version;
    std::uint32_t requestResult = 0;

    std::uint32_t CancelConnection(const std::u16string& path, std::uint32_t flags, bool force) override {
        calls.push_back("Cancel " + N(path) + " " + std::to_string(flags) + " " + std::to_string(force));
        return 0;
    }
    std::uint32_t AddConnection(const std::u16string& path, const std::u16string* password,
                                const std::u16string* user) override {
        calls.push_back("Add " + N(path) + " user=" + (user ? N(*user) : "<absent>") +
                        " password=" + (password ? N(*password) : "<absent>"));
        const std::uint32_t result = connectResults.front();
        if (connectResults.size() > 1)
            connectResults.erase(connectResults.begin());
        return result;
    }
    std::optional<Ipv4> ResolveHost(const std::u16string& name) override {
        calls.push_back("Resolve " + N(name));
        return resolved;
    }
    std::optional<WindowsVersion> WorkstationVersion(const std::u16string& server) override {
        calls.push_back("Workstation " + N(server));
        return version;
    }
    std::uint32_t WorkstationStatus(const std::u16string& server) override {
        calls.push_back("Workstation " + N(server));
        return version ? 0 : 53;
    }
    std::uint32_t InitiateShutdown(const std::u16string& computer, const std::u16string& message, std::uint32_t timeout,
                                   bool force, bool reboot, std::uint32_t reason) override {
        char text[64];
        std::snprintf(text, sizeof text, " timeout=%u force=%d reboot=%d reason=0x%x", timeout, force, reboot, reason);
        calls.push_back("Shutdown " + N(computer) + " '" + N(message) + "'" + text);
        return requestResult;
    }
};

// A WMI fake that hands out numbered objects and checks they all come back.
class FakeWmi : public WmiApi {
public:
    std::vector<std::string> calls;
    std::map<std::string, HResult> failAt;  // step name -> result
    std::set<WmiHandle> live;
    WmiHandle next = 1;
    int initialized = 0;
    AuthIdentity lastIdentity;
    std::int32_t returnValue = 0;
    bool noInstance = false;
    bool noOutParameters = false;  // the method succeeds but hands back no out-parameters

    HResult Step(const std::string& name, const std::string& detail = "") {
        calls.push_back(name + (detail.empty() ? "" : " " + detail));
        const auto it = failAt.find(name);
        return it == failAt.end() ? 0 : it->second;
    }
    HResult Make(const std::string& name, WmiHandle& out, const std::string& detail = "") {
        const HResult hr = Step(name, detail);
        if (hr >= 0) {
            out = next++;
            live.insert(out);
        }
        return hr;
    }

    HResult Initialize() override {
        const HResult hr = Step("CoInitialize");
        initialized += hr >= 0;
        return hr;
    }
    void Uninitialize() override {
        calls.push_back("CoUninitialize");
        --initialized;
    }
    HResult InitializeSecurity() override { return Step("InitializeSecurity"); }
    HResult CreateLocator(WmiHandle& locator) override { return Make("CreateLocator", locator); }
    HResult ConnectServer(WmiHandle, const std::u16string& path, const std::u16string* user,
                          const std::u16string* password, WmiHandle& services) override {
        return Make("ConnectServer", services,
                    N(path) + " user=" + (user ? N(*user) : "<absent>") +
                        " password=" + (password ? N(*password) : "<absent>"));
    }
    HResult SetProxyBlanket(WmiHandle, const AuthIdentity& identity) override {
        lastIdentity = identity;
        return Step("SetProxyBlanket", "flags=" + std::to_string(identity.flags) + " user=" + N(identity.user));
    }
    HResult GetObject(WmiHandle, const std::u16string& path, WmiHandle& object) override {
        return Make("GetObject", object, N(path));
    }
    HResult GetMethod(WmiHandle, const std::u16string& method, WmiHandle& definition) override {
        return Make("GetMethod", definition, N(method));
    }
    HResult SpawnInstance(WmiHandle, WmiHandle& instance) override { return Make("SpawnInstance", instance); }
    HResult PutInt32(WmiHandle, const std::u16string& name, std::int32_t value) override {
        return Step("Put", N(name) + "=" + std::to_string(value));
    }
    HResult PutString(WmiHandle, const std::u16string& name, const std::u16string& value) override {
        return Step("Put", N(name) + "=" + N(value));
    }
    HResult CreateInstanceEnum(WmiHandle, const std::u16string& name, std::int32_t flags,
                               WmiHandle& enumerator) override {
        return Make("CreateInstanceEnum", enumerator, N(name) + " flags=" + std::to_string(flags));
    }
    HResult Next(WmiHandle, WmiHandle& object) override {
        if (noInstance)
            return Step("Next");
        return Make("Next", object);
    }
    HResult GetString(WmiHandle, const std::u16string& name, std::u16string& value) override {
        value = u"\\\\PC\\root\\cimv2:Win32_OperatingSystem=@";
        return Step("Get", N(name));
    }
    HResult GetInt32(WmiHandle object, const std::u16string& name, std::int32_t& value) override {
        EXPECT_NE(kNoWmiObject, object) << "a property read from no object crashes the real call";
        value = returnValue;
        return Step("Get", N(name));
    }
    HResult ExecMethod(WmiHandle, const std::u16string& path, const std::u16string& method, WmiHandle,
                       WmiHandle* out) override {
        if (out && noOutParameters)
            return Step("ExecMethod", N(path) + " " + N(method) + " out");
        if (out)
            return Make("ExecMethod", *out, N(path) + " " + N(method) + " out");
        return Step("ExecMethod", N(path) + " " + N(method));
    }
    void Release(WmiHandle object) override { EXPECT_EQ(1u, live.erase(object)) << "released twice or never obtained"; }
};

class RemoteShutdownTest : public ::testing::Test {
protected:
    std::uint32_t Shutdown(bool noDialog, bool force, bool reboot, const std::u16string& user = u"admin",
                           const std::u16string& delay = u"30") {
        CActions actions(power, RemoteSeams{&remote, &wmi, nullptr});
        return actions.RemoteShutdown({.computer = u"pc1",
                                       .user = user,
                                       .password = u"pw",
                                       .noDialog = noDialog,
                                       .message = u"Bye",
                                       .delay = delay,
                                       .force = force,
                                       .reboot = reboot});
    }
    bool WmiUsed() const { return !wmi.calls.empty(); }

    NoPower power;
    FakeRemote remote;
    FakeWmi wmi;
};

TEST_F(RemoteShutdownTest, ConnectsRequestsAndDisconnects) {
    EXPECT_EQ(0u, Shutdown(false, false, false));
    EXPECT_EQ((std::vector<std::string>{"SeRemoteShutdownPrivilege"}), power.privileges);
    EXPECT_EQ((std::vector<std::string>{
                  "Cancel \\\\pc1\\admin$ 1 1", "Add \\\\pc1\\admin$ user=admin password=pw", "Workstation \\\\pc1",
                  "Shutdown pc1 'Bye' timeout=30 force=0 reboot=0 reason=0x80000000", "Cancel \\\\pc1\\admin$ 0 0"}),
              remote.calls);
    EXPECT_FALSE(WmiUsed());
}

TEST_F(RemoteShutdownTest, EmptyUserConnectsWithTheCurrentLogon) {
    Shutdown(false, true, true, u"");
    EXPECT_EQ("Add \\\\pc1\\admin$ user=<absent> password=<absent>", remote.calls[1]);
    EXPECT_EQ("Shutdown pc1 'Bye' timeout=30 force=1 reboot=1 reason=0x80000000", remote.calls[3]);
}

TEST_F(RemoteShutdownTest, TimeoutIsZeroWithoutDialogAndClampedToTenYears) {
    Shutdown(true, false, false);
    EXPECT_EQ("Shutdown pc1 'Bye' timeout=0 force=0 reboot=0 reason=0x80000000", remote.calls[3]);
    EXPECT_EQ(315360000u, RemoteTimeout(u"999999999", false));
    EXPECT_EQ(315360000u, RemoteTimeout(u"-5", false));  // compared as an unsigned number
    EXPECT_EQ(315360000u, RemoteTimeout(u"-4294967295", false)) << "no negative text wraps to a short countdown";
    EXPECT_EQ(315360000u, RemoteTimeout(u"-99999999999", false));
    EXPECT_EQ(30u, RemoteTimeout(u"  30 seconds", false));
    EXPECT_EQ(0u, RemoteTimeout(u"abc", false));
    EXPECT_EQ(0u, RemoteTimeout(u"600", true));
    EXPECT_EQ(315360000u, RemoteTimeout(u"315360000", false));
    EXPECT_EQ(315359999u, RemoteTimeout(u"315359999", false));
}

TEST_F(RemoteShutdownTest, StopCodesNeverReachWmi) {
    for (std::uint32_t code : {53u, 1231u, 1326u}) {
        remote = FakeRemote();
        remote.connectResults = {code};
        remote.requestResult = 5;
        wmi.calls.clear();
        EXPECT_EQ(code, Shutdown(true, false, false)) << code;
        EXPECT_FALSE(WmiUsed()) << code;
        // The query and the request are still made after a failed connection.
        EXPECT_EQ(5u, remote.calls.size());
    }
}

TEST_F(RemoteShutdownTest, OtherFailuresFallBackToWmiOnlyWithoutDialog) {
    remote.connectResults = {5};
    remote.requestResult = 1722;
    EXPECT_EQ(5u, Shutdown(false, false, false)) << "without the no-dialog setting there is no fall-back";
    EXPECT_FALSE(WmiUsed());

    const struct {
        bool reboot, force;
        std::int32_t flags;
    } cases[] = {{false, false, 8}, {false, true, 12}, {true, false, 2}, {true, true, 6}};
    for (const auto& c : cases) {
        wmi = FakeWmi();
        remote = FakeRemote();
        remote.connectResults = {5};
        remote.requestResult = 1722;
        EXPECT_EQ(0u, Shutdown(true, c.force, c.reboot));
        EXPECT_NE(wmi.calls.end(),
                  std::find(wmi.calls.begin(), wmi.calls.end(), "Put Reserved=" + std::to_string(c.flags)));
    }
}

TEST_F(RemoteShutdownTest, FailedRequestAfterAGoodConnectionIsNoSuccess) {
    remote.requestResult = 1115;
    EXPECT_EQ(1115u, Shutdown(false, false, false));
    remote = FakeRemote();
    remote.requestResult = 1115;
    EXPECT_EQ(0u, Shutdown(true, false, false)) << "with no dialog the request's error leads to WMI";
    EXPECT_TRUE(WmiUsed());
}

TEST_F(RemoteShutdownTest, CredentialConflictRetriesOnTheDottedAddress) {
    remote.connectResults = {1219, 0};
    remote.resolved = Ipv4{{192, 168, 5, 20}};
    EXPECT_EQ(0u, Shutdown(false, false, false));
    EXPECT_EQ((std::vector<std::string>{"Cancel \\\\pc1\\admin$ 1 1", "Add \\\\pc1\\admin$ user=admin password=pw",
                                        "Resolve pc1", "Add \\\\192.168.5.20\\admin$ user=admin password=pw",
                                        "Workstation \\\\192.168.5.20",
                                        "Shutdown 192.168.5.20 'Bye' timeout=30 force=0 reboot=0 reason=0x80000000",
                                        "Cancel \\\\192.168.5.20\\admin$ 0 0"}),
              remote.calls);
}

TEST_F(RemoteShutdownTest, CredentialConflictWithoutAnAddressKeepsTheName) {
    remote.connectResults = {1219};
    remote.requestResult = 5;
    EXPECT_EQ(1219u, Shutdown(false, false, false));
    EXPECT_EQ("Workstation \\\\pc1", remote.calls[3]);
}

TEST_F(RemoteShutdownTest, Windows2000IsAskedThroughWmiFirst) {
    remote.version = WindowsVersion{5, 0};
    EXPECT_EQ(0u, Shutdown(true, true, false));
    EXPECT_EQ((std::vector<std::string>{"Cancel \\\\pc1\\admin$ 1 1", "Add \\\\pc1\\admin$ user=admin password=pw",
                                        "Workstation \\\\pc1", "Cancel \\\\pc1\\admin$ 0 0"}),
              remote.calls);
    EXPECT_NE(wmi.calls.end(), std::find(wmi.calls.begin(), wmi.calls.end(), "Put Reserved=12"));

    // When WMI fails, the request is still made.
    remote = FakeRemote();
    remote.version = WindowsVersion{5, 0};
    remote.requestResult = 0;
    wmi = FakeWmi();
    wmi.failAt["ExecMethod"] = static_cast<HResult>(0x80041002);
    EXPECT_EQ(0u, Shutdown(true, false, false));
    EXPECT_EQ(5u, remote.calls.size());

    // With a dialog, or on Windows XP, WMI is not asked first.
    remote = FakeRemote();
    remote.version = WindowsVersion{5, 0};
    wmi = FakeWmi();
    Shutdown(false, false, false);
    EXPECT_FALSE(WmiUsed());
    remote = FakeRemote();
    remote.version = WindowsVersion{5, 1};
    Shutdown(true, false, false);
    EXPECT_FALSE(WmiUsed());
}

TEST_F(RemoteShutdownTest, ComputerGivenWithBackslashes) {
    CActions actions(power, RemoteSeams{&remote, &wmi, nullptr});
    RemoteShutdownRequest request;
    request.computer = u"\\\\pc9";
    actions.RemoteShutdown(request);
    EXPECT_EQ("Cancel \\\\pc9\\admin$ 1 1", remote.calls[0]);
}

// WMI ------------------------------------------------------------------------------------------

TEST(WmiCommands, ShutdownSequenceAndArguments) {
    FakeWmi wmi;
    EXPECT_EQ(0, WmiShutdown(wmi, u"pc1", u"admin", u"pw", 12));
    EXPECT_EQ((std::vector<std::string>{
                  "CoInitialize", "InitializeSecurity", "CreateLocator",
                  "ConnectServer \\\\pc1\\root\\cimv2 user=admin password=pw", "SetProxyBlanket flags=2 user=admin",
                  "GetObject Win32_OperatingSystem", "GetMethod Win32Shutdown", "SpawnInstance", "Put Flags=12",
                  "Put Reserved=12", "CreateInstanceEnum Win32_OperatingSystem flags=48",
                  "SetProxyBlanket flags=2 user=admin", "Next", "Get __PATH",
                  "ExecMethod \\\\PC\\root\\cimv2:Win32_OperatingSystem=@ Win32Shutdown", "CoUninitialize"}),
              wmi.calls);
    EXPECT_TRUE(wmi.live.empty());
    EXPECT_EQ(0, wmi.initialized);
}

TEST(WmiCommands, EmptyUserPassesNoCredentialsButAUnicodeIdentity) {
    FakeWmi wmi;
    WmiShutdown(wmi, u"pc1", u"", u"ignored", 8);
    EXPECT_EQ("ConnectServer \\\\pc1\\root\\cimv2 user=<absent> password=<absent>", wmi.calls[3]);
    EXPECT_FALSE(wmi.lastIdentity.hasUser);
    EXPECT_TRUE(wmi.lastIdentity.password.empty());
    EXPECT_EQ(kIdentityUnicode, wmi.lastIdentity.flags);
}

TEST(WmiCommands, SecurityAlreadySetIsAcceptedOtherFailuresEndTheCall) {
    FakeWmi late;
    late.failAt["InitializeSecurity"] = kRpcTooLate;
    EXPECT_EQ(0, WmiShutdown(late, u"pc1", u"a", u"b", 8));
    FakeWmi denied;
    denied.failAt["InitializeSecurity"] = static_cast<HResult>(0x80070005);
    EXPECT_EQ(static_cast<HResult>(0x80070005), WmiShutdown(denied, u"pc1", u"a", u"b", 8));
    EXPECT_EQ("CoUninitialize", denied.calls.back());
}

TEST(WmiCommands, EveryObjectIsReleasedOnEveryPath) {
    const char* steps[] = {
        "CreateLocator",      "ConnectServer", "SetProxyBlanket", "GetObject", "GetMethod", "SpawnInstance", "Put",
        "CreateInstanceEnum", "Next",          "ExecMethod",      "Get"};
    for (const char* step : steps) {
        for (bool create : {false, true}) {
            FakeWmi wmi;
            wmi.failAt[step] = static_cast<HResult>(0x80041001);
            const HResult result =
                create ? WmiCreateProcess(wmi, u"pc", u"u", u"p", u"cmd") : WmiShutdown(wmi, u"pc", u"u", u"p", 8);
            EXPECT_TRUE(wmi.live.empty()) << step << " left objects unreleased";
            EXPECT_EQ(0, wmi.initialized) << step;
            EXPECT_EQ("CoUninitialize", wmi.calls.back()) << step;
            // Steps whose result the operation examines end it with that result; the others do not.
            static const std::set<std::string> shutdownExamined = {
                "CreateLocator", "ConnectServer", "SetProxyBlanket",    "GetObject", "GetMethod",
                "SpawnInstance", "Put",           "CreateInstanceEnum", "Next",      "ExecMethod"};
            static const std::set<std::string> createExamined = {"CreateLocator", "ConnectServer", "SetProxyBlanket",
                                                                 "GetObject",     "GetMethod",     "SpawnInstance",
                                                                 "Put",           "ExecMethod",    "Get"};
            const bool examined = (create ? createExamined : shutdownExamined).count(step) > 0;
            EXPECT_EQ(examined ? static_cast<HResult>(0x80041001) : 0, result) << step << " create=" << create;
        }
    }
    FakeWmi failedInit;
    failedInit.failAt["CoInitialize"] = static_cast<HResult>(0x80010106);
    EXPECT_EQ(static_cast<HResult>(0x80010106), WmiShutdown(failedInit, u"pc", u"", u"", 8));
    EXPECT_EQ((std::vector<std::string>{"CoInitialize"}), failedInit.calls) << "nothing to release, no uninitialise";
}

TEST(WmiCommands, OnlyTheSecondPutDecidesAndNoInstanceStillExecutes) {
    FakeWmi wmi;
    wmi.noInstance = true;
    WmiShutdown(wmi, u"pc", u"", u"", 8);
    EXPECT_EQ(wmi.calls.end(), std::find(wmi.calls.begin(), wmi.calls.end(), "Get __PATH"));
    EXPECT_EQ("ExecMethod  Win32Shutdown", wmi.calls[wmi.calls.size() - 2]);
    EXPECT_TRUE(wmi.live.empty());
}

TEST(WmiCommands, CreateProcessReturnsTheMethodsReturnValue) {
    FakeWmi wmi;
    wmi.returnValue = 9;
    EXPECT_EQ(9, WmiCreateProcess(wmi, u"pc2", u"", u"", u"rundll32.exe powrprof.dll,SetSuspendState"));
    const std::vector<std::string> tail(wmi.calls.begin() + 5, wmi.calls.end());
    EXPECT_EQ((std::vector<std::string>{"GetObject Win32_Process", "GetMethod Create", "SpawnInstance",
                                        "Put CommandLine=rundll32.exe powrprof.dll,SetSuspendState",
                                        "ExecMethod Win32_Process Create out", "Get ReturnValue", "CoUninitialize"}),
              tail);
    EXPECT_TRUE(wmi.live.empty());
}

TEST(WmiCommands, CreateProcessWithoutOutParametersIsAFailure) {
    FakeWmi wmi;
    wmi.noOutParameters = true;
    EXPECT_EQ(kWbemNotFound, WmiCreateProcess(wmi, u"pc", u"", u"", u"cmd"));
    EXPECT_EQ(wmi.calls.end(), std::find(wmi.calls.begin(), wmi.calls.end(), "Get ReturnValue"));
    EXPECT_EQ("CoUninitialize", wmi.calls.back());
    EXPECT_TRUE(wmi.live.empty());
}

TEST(RemoteActions, WithoutSeamsEveryRemoteRequestIsNotSupported) {
    NoPower power;
    CActions actions(power);
    RemoteShutdownRequest request;
    request.computer = u"pc";
    request.noDialog = true;
    EXPECT_EQ(kErrorNotSupported, actions.RemoteShutdown(request));
    EXPECT_EQ(kErrorNotSupported, actions.WakeOnLan(u"001122334455", u"", u"", u""));
    EXPECT_EQ(static_cast<std::int32_t>(kErrorNotSupported), actions.WmiShutdown(u"pc", u"", u"", 8));
}

}  // namespace
}  // namespace velmora
