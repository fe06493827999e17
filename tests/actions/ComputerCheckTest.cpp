// A computer's check over one fake of every seam it may use: where each step's failure stops it,
// which failures it goes past, that it never asks for anything that changes a computer, and that
// every connection and COM object it made is gone when it returns.
#include "actions/ComputerCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

namespace velmora {
namespace {

std::string N(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

// Answers every seam of the check from its tables; anything a check must never do fails the test.
class FakeNetwork : public ProbeApi, public PortApi, public RemoteApi, public WmiApi {
public:
    std::vector<std::string> calls;
    std::map<std::string, Ipv4> names{{"pc1", {{10, 0, 0, 5}}}};
    std::uint32_t echo = kIpSuccess;
    std::map<std::uint16_t, std::uint32_t> ports;  // port -> error; absent ones accept
    std::vector<std::uint32_t> connects{0};        // one per attempt; the last repeats
    std::uint32_t workstation = 0;
    std::map<std::string, HResult> wmiFails;       // step -> result
    std::uint32_t sendTo = 0;
    // What the check left behind.
    std::set<std::u16string> connections;
    std::set<WmiHandle> live;
    int apartments = 0;
    WmiHandle nextObject = 100;
    bool echoOpen = false;

    // --- the probe
    std::optional<Ipv4> ResolveHost(const std::u16string& name) override {
        calls.push_back("resolve " + N(name));
        const auto found = names.find(N(name));
        return found == names.end() ? std::nullopt : std::optional<Ipv4>(found->second);
    }
    bool LoadEchoLibrary() override { return true; }
    void UnloadEchoLibrary() override {}
    bool OpenEcho() override { return echoOpen = true; }
    std::uint32_t SendEcho(const Ipv4& target, unsigned) override {
        calls.push_back("echo " + N(DottedText(target)));
        return echo;
    }
    void CloseEcho() override { echoOpen = false; }
    Ipv4 ConvertAddress(const std::u16string&) override { return Never("ConvertAddress"), Ipv4{}; }
    std::optional<std::u16string> HostNameOf(const Ipv4&) override { return Never("HostNameOf"), std::nullopt; }
    std::optional<std::vector<ArpRow>> ReadArpTable() override { return Never("ReadArpTable"), std::nullopt; }
    std::vector<std::uint8_t> SendArp(const Ipv4&) override { return Never("SendArp"), std::vector<std::uint8_t>{}; }

    // --- the ports
    std::uint32_t ConnectPort(const Ipv4& address, std::uint16_t port, unsigned waitMs) override {
        EXPECT_LE(waitMs, 5000u) << "a short wait";
        calls.push_back("port " + N(DottedText(address)) + ":" + std::to_string(port));
        const auto found = ports.find(port);
        return found == ports.end() ? 0 : found->second;
    }
    std::uint32_t CanSendTo(const Ipv4& address, std::uint16_t port) override {
        calls.push_back("route " + N(DottedText(address)) + ":" + std::to_string(port));
        return sendTo;
    }

    // --- the remote shutdown's calls
    std::uint32_t CancelConnection(const std::u16string& path, std::uint32_t flags, bool force) override {
        calls.push_back("cancel " + N(path));
        EXPECT_EQ(1u, connections.erase(path)) << "only its own connection is dropped: " << N(path);
        EXPECT_EQ(0u, flags) << "the user's profile is not touched";
        EXPECT_FALSE(force);
        return 0;
    }
    std::uint32_t AddConnection(const std::u16string& path, const std::u16string* password,
                                const std::u16string* user) override {
        calls.push_back("connect " + N(path) + " as " + (user ? N(*user) + "/" + N(*password) : "<logon>"));
        const std::uint32_t result = connects.front();
        if (connects.size() > 1)
            connects.erase(connects.begin());
        if (result == 0)
            connections.insert(path);
        return result;
    }
    std::optional<WindowsVersion> WorkstationVersion(const std::u16string&) override {
        return Never("WorkstationVersion"), std::nullopt;
    }
    std::uint32_t WorkstationStatus(const std::u16string& server) override {
        calls.push_back("workstation " + N(server) + (connections.empty() ? " unconnected" : ""));
        return workstation;
    }
    std::uint32_t InitiateShutdown(const std::u16string&, const std::u16string&, std::uint32_t, bool, bool,
                                   std::uint32_t) override {
        return Never("InitiateShutdown");
    }

    // --- WMI: the connection only
    HResult Step(const std::string& name) {
        const auto found = wmiFails.find(name);
        return found == wmiFails.end() ? 0 : found->second;
    }
    HResult Make(const std::string& name, WmiHandle& out) {
        const HResult hr = Step(name);
        if (hr >= 0)
            live.insert(out = nextObject++);
        return hr;
    }
    HResult Initialize() override {
        const HResult hr = Step("CoInitialize");
        apartments += hr >= 0;
        return hr;
    }
    void Uninitialize() override { --apartments; }
    HResult InitializeSecurity() override { return Step("InitializeSecurity"); }
    HResult CreateLocator(WmiHandle& locator) override { return Make("CreateLocator", locator); }
    HResult ConnectServer(WmiHandle, const std::u16string& path, const std::u16string* user, const std::u16string*,
                          WmiHandle& services) override {
        calls.push_back("wmi " + N(path) + " as " + (user ? N(*user) : "<logon>"));
        return Make("ConnectServer", services);
    }
    HResult SetProxyBlanket(WmiHandle, const AuthIdentity&) override { return Step("SetProxyBlanket"); }
    HResult GetObject(WmiHandle, const std::u16string&, WmiHandle&) override { return Never("GetObject"); }
    HResult GetMethod(WmiHandle, const std::u16string&, WmiHandle&) override { return Never("GetMethod"); }
    HResult SpawnInstance(WmiHandle, WmiHandle&) override { return Never("SpawnInstance"); }
    HResult PutInt32(WmiHandle, const std::u16string&, std::int32_t) override { return Never("PutInt32"); }
    HResult PutString(WmiHandle, const std::u16string&, const std::u16string&) override { return Never("PutString"); }
    HResult CreateInstanceEnum(WmiHandle, const std::u16string&, std::int32_t, WmiHandle&) override {
        return Never("CreateInstanceEnum");
    }
    HResult Next(WmiHandle, WmiHandle&) override { return Never("Next"); }
    HResult GetString(WmiHandle, const std::u16string&, std::u16string&) override { return Never("GetString"); }
    HResult GetInt32(WmiHandle, const std::u16string&, std::int32_t&) override { return Never("GetInt32"); }
    HResult ExecMethod(WmiHandle, const std::u16string&, const std::u16string&, WmiHandle, WmiHandle*) override {
        return Never("ExecMethod");
    }
    void Release(WmiHandle object) override { EXPECT_EQ(1u, live.erase(object)) << "released twice or never obtained"; }

    CheckSeams Seams() { return {this, this, this, this}; }

private:
    // A call that could change a computer or that a check has no use for.
    static std::int32_t Never(const char* what) {
        ADD_FAILURE() << "a check called " << what;
        return static_cast<std::int32_t>(kFail);
    }
};

std::string Finding(const std::optional<CheckFinding>& finding) {
    return finding ? std::to_string(static_cast<int>(finding->step)) + ":" + std::to_string(finding->code) : "ready";
}

std::string Notes(const CheckResult& result) {
    std::string text;
    for (const CheckFinding& note : result.notes)
        text += (text.empty() ? "" : " ") + Finding(note);
    return text;
}

constexpr std::uint32_t kTimedOut = 10060, kRefused = 10061;
constexpr HResult kWmiAccessDenied = kAccessDenied, kRpcUnavailable = static_cast<HResult>(0x800706BA);

TEST(ComputerCheck, EachStepsFailureStopsOrIsPassedWithItsCode) {
    struct Row {
        const char* what;
        std::u16string computer;
        std::function<void(FakeNetwork&)> arrange;
        std::string failure;
        std::string notes;
        std::string lastCall;
    };
    const Row rows[] = {
        {"every step answers", u"pc1", [](FakeNetwork&) {}, "ready", "", "wmi \\\\pc1\\root\\cimv2 as admin"},
        {"an address is not resolved", u"10.0.0.9", [](FakeNetwork&) {}, "ready", "",
         "wmi \\\\10.0.0.9\\root\\cimv2 as admin"},
        {"the name does not resolve", u"ghost", [](FakeNetwork&) {}, "1:11001", "", "resolve ghost"},
        {"a silent echo goes on", u"pc1", [](FakeNetwork& f) { f.echo = kIpRequestTimedOut; }, "ready", "2:11010",
         "wmi \\\\pc1\\root\\cimv2 as admin"},
        {"sharing filtered", u"pc1",
         [](FakeNetwork& f) {
             f.echo = kIpRequestTimedOut;
             f.ports[kSharingPort] = kTimedOut;
         },
         "3:10060", "2:11010", "port 10.0.0.5:445"},
        {"sharing refused", u"pc1", [](FakeNetwork& f) { f.ports[kSharingPort] = kRefused; }, "3:10061", "",
         "port 10.0.0.5:445"},
        {"RPC blocked serves only the fall-back", u"pc1", [](FakeNetwork& f) { f.ports[kRpcPort] = kTimedOut; },
         "ready", "4:10060", "wmi \\\\pc1\\root\\cimv2 as admin"},
        {"wrong password", u"pc1", [](FakeNetwork& f) { f.connects = {kErrorLogonFailure}; }, "5:1326", "",
         "connect \\\\pc1\\admin$ as admin/secret"},
        {"access denied at the share", u"pc1", [](FakeNetwork& f) { f.connects = {kErrorAccessDenied}; }, "5:5", "",
         "connect \\\\pc1\\admin$ as admin/secret"},
        {"a credential conflict goes again by address", u"pc1",
         [](FakeNetwork& f) { f.connects = {kErrorSessionCredentialConflict, 0}; }, "ready", "",
         "wmi \\\\10.0.0.5\\root\\cimv2 as admin"},
        {"the workstation query fails", u"pc1", [](FakeNetwork& f) { f.workstation = 1722; }, "6:1722", "",
         "cancel \\\\pc1\\admin$"},
        {"WMI refuses the account", u"pc1", [](FakeNetwork& f) { f.wmiFails["ConnectServer"] = kWmiAccessDenied; },
         "7:2147942405", "", "wmi \\\\pc1\\root\\cimv2 as admin"},
        {"WMI unreachable", u"pc1", [](FakeNetwork& f) { f.wmiFails["ConnectServer"] = kRpcUnavailable; },
         "7:2147944122", "", "wmi \\\\pc1\\root\\cimv2 as admin"},
        {"COM security set already is accepted", u"pc1",
         [](FakeNetwork& f) { f.wmiFails["InitializeSecurity"] = kRpcTooLate; }, "ready", "",
         "wmi \\\\pc1\\root\\cimv2 as admin"},
        {"the proxy refuses its blanket", u"pc1", [](FakeNetwork& f) { f.wmiFails["SetProxyBlanket"] = kFail; },
         "7:2147500037", "", "wmi \\\\pc1\\root\\cimv2 as admin"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FakeNetwork fake;
        row.arrange(fake);
        const CheckResult result = CheckComputer(fake.Seams(), row.computer, u"admin", u"secret");
        EXPECT_EQ(row.failure, Finding(result.failure));
        EXPECT_EQ(row.failure == "ready", result.ready());
        EXPECT_EQ(row.notes, Notes(result));
        ASSERT_FALSE(fake.calls.empty());
        EXPECT_EQ(row.lastCall, fake.calls.back());
        EXPECT_TRUE(fake.connections.empty()) << "a connection was left open";
        EXPECT_TRUE(fake.live.empty()) << "a WMI object was left";
        EXPECT_EQ(0, fake.apartments) << "COM was left initialised";
        EXPECT_FALSE(fake.echoOpen);
    }
}

TEST(ComputerCheck, GoesTheRemoteShutdownsWayWithTheEntrysAccount) {
    FakeNetwork fake;
    EXPECT_TRUE(CheckComputer(fake.Seams(), u"\\\\pc1", u"", u"").ready());
    const std::vector<std::string> expected = {
        "resolve pc1",
        "echo 10.0.0.5",
        "port 10.0.0.5:445",
        "port 10.0.0.5:135",
        "connect \\\\pc1\\admin$ as <logon>",
        "workstation \\\\\\\\pc1",  // the shutdown's own "\\%s" of the text as written
        "cancel \\\\pc1\\admin$",
        "wmi \\\\\\\\pc1\\root\\cimv2 as <logon>",
    };
    EXPECT_EQ(expected, fake.calls);
}

TEST(ComputerCheck, AWakeUpEntryNeedsSixMacBytesAPortAndAnAddressThatCanBeSentTo) {
    struct Row {
        std::u16string mac, broadcast, port;
        std::uint32_t route;
        std::string failure;
        std::string lastCall;
    };
    const Row rows[] = {
        {u"001122AABBCC", u"", u"", 0, "ready", "route 255.255.255.255:7"},
        {u"001122aabbcc", u"10.0.0.255", u"9", 0, "ready", "route 10.0.0.255:9"},
        {u"001122AABBCC", u"pc1", u"9.7", 0, "ready", "route 10.0.0.5:9"},
        {u"001122AABBC", u"", u"", 0, "8:13", ""},
        {u"00-11-22-AA-BB-CC", u"", u"", 0, "8:13", ""},
        {u"0011223344ZZ", u"", u"", 0, "8:13", ""},
        {u"", u"", u"", 0, "8:13", ""},
        {u"001122AABBCC", u"", u"0", 0, "9:10022", ""},
        {u"001122AABBCC", u"", u"port", 0, "9:10022", ""},
        {u"001122AABBCC", u"ghost", u"", 0, "10:11001", "resolve ghost"},
        {u"001122AABBCC", u"", u"", 10051, "10:10051", "route 255.255.255.255:7"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(N(row.mac) + " " + N(row.broadcast) + " " + N(row.port));
        FakeNetwork fake;
        fake.sendTo = row.route;
        const CheckResult result = CheckWakeUp(fake.Seams(), row.mac, row.broadcast, row.port);
        EXPECT_EQ(row.failure, Finding(result.failure));
        EXPECT_EQ(row.lastCall, fake.calls.empty() ? "" : fake.calls.back());
    }
}

}  // namespace
}  // namespace velmora
