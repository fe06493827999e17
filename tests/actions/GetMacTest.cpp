// The network probe over a fake of the echo, name and ARP calls.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "actions/GetMac.h"

namespace velmora {
namespace {

class FakeProbe : public ProbeApi {
public:
    std::vector<std::string> calls;
    bool library = true;
    bool echo = true;
    std::vector<std::uint32_t> statuses{0};  // one per request; the last repeats
    std::map<std::u16string, Ipv4> names;
    std::optional<std::vector<ArpRow>> table = std::vector<ArpRow>{};
    std::vector<std::uint8_t> arpReply;
    int loaded = 0;

    static std::string N(const std::u16string& s) { return std::string(s.begin(), s.end()); }

    bool LoadEchoLibrary() override {
        calls.push_back("LoadLibrary");
        loaded += library;
        return library;
    }
    void UnloadEchoLibrary() override {
        calls.push_back("Unload");
        --loaded;
    }
    bool OpenEcho() override {
        calls.push_back("OpenEcho");
        return echo;
    }
    std::uint32_t SendEcho(const Ipv4& target, unsigned wait) override {
        calls.push_back("Echo " + N(DottedText(target)) + " " + std::to_string(wait));
        const std::uint32_t status = statuses.front();
        if (statuses.size() > 1)
            statuses.erase(statuses.begin());
        return status;
    }
    void CloseEcho() override {
        calls.push_back("CloseEcho");
        --loaded;
    }
    std::optional<Ipv4> ResolveHost(const std::u16string& name) override {
        calls.push_back("Resolve " + N(name));
        const auto it = names.find(name);
        return it == names.end() ? std::nullopt : std::optional<Ipv4>(it->second);
    }
    // The platform's conversion: dotted texts as they are, the shortened and octal forms that a test
    // lists, and INADDR_NONE for anything else.
    std::map<std::u16string, Ipv4> conversions;
    Ipv4 ConvertAddress(const std::u16string& text) override {
        if (const auto it = conversions.find(text); it != conversions.end())
            return it->second;
        return ParseDottedIpv4(text).value_or(Ipv4{{255, 255, 255, 255}});
    }
    std::optional<std::u16string> HostNameOf(const Ipv4&) override {
        calls.push_back("HostNameOf");
        return u"lab-pc";
    }
    std::optional<std::vector<ArpRow>> ReadArpTable() override {
        calls.push_back("ReadArpTable");
        return table;
    }
    std::vector<std::uint8_t> SendArp(const Ipv4& target) override {
        calls.push_back("SendArp " + N(DottedText(target)));
        return arpReply;
    }
};

using Calls = std::vector<std::string>;

TEST(Ping, AnswerToTheFirstRequestSendsNoSecond) {
    FakeProbe api;
    EXPECT_TRUE(CGetMac(api).Ping(u"10.0.0.7", 2));
    EXPECT_EQ((Calls{"LoadLibrary", "OpenEcho", "Echo 10.0.0.7 3000", "CloseEcho"}), api.calls);
    EXPECT_EQ(0, api.loaded);
}

TEST(Ping, SilentHostCostsTwoWaitsAndAnErrorStatusIsNoAnswer) {
    FakeProbe api;
    api.statuses = {11010, 11003};
    EXPECT_FALSE(CGetMac(api).Ping(u"10.0.0.9", 2));
    EXPECT_EQ((Calls{"LoadLibrary", "OpenEcho", "Echo 10.0.0.9 3000", "Echo 10.0.0.9 3000", "CloseEcho"}), api.calls);
    FakeProbe second;
    second.statuses = {11010, 0};
    EXPECT_TRUE(CGetMac(second).Ping(u"10.0.0.9", 2));
}

TEST(Ping, ThreeDotsAreAnAddressAndOtherTextsAreNames) {
    FakeProbe api;
    api.names[u"lab.pc.local"] = Ipv4{{10, 1, 1, 1}};
    CGetMac probe(api);
    EXPECT_TRUE(probe.Ping(u"lab.pc.local", 2));
    EXPECT_EQ("Resolve lab.pc.local", api.calls[1]) << "resolved before the entry points are looked up";
    EXPECT_EQ("Echo 10.1.1.1 3000", api.calls[3]);
    // A name with three dots is taken as an address, fails, and sends nothing.
    FakeProbe dotted;
    dotted.names[u"a.b.c.d"] = Ipv4{{10, 1, 1, 2}};
    EXPECT_FALSE(CGetMac(dotted).Ping(u"a.b.c.d", 2));
    EXPECT_EQ((Calls{"LoadLibrary", "OpenEcho", "CloseEcho"}), dotted.calls);
    // An unknown name sends nothing either.
    FakeProbe unknown;
    EXPECT_FALSE(CGetMac(unknown).Ping(u"nowhere", 2));
    EXPECT_EQ((Calls{"LoadLibrary", "Resolve nowhere", "OpenEcho", "CloseEcho"}), unknown.calls);
}

TEST(Ping, MissingLibraryOrEntryPointsFailQuietly) {
    FakeProbe noLibrary;
    noLibrary.library = false;
    EXPECT_FALSE(CGetMac(noLibrary).Ping(u"10.0.0.1", 2));
    EXPECT_EQ((Calls{"LoadLibrary"}), noLibrary.calls);
    FakeProbe noEcho;
    noEcho.echo = false;
    EXPECT_FALSE(CGetMac(noEcho).Ping(u"10.0.0.1", 2));
    EXPECT_EQ((Calls{"LoadLibrary", "OpenEcho", "Unload"}), noEcho.calls);
    EXPECT_EQ(0, noEcho.loaded);
    FakeProbe none;
    EXPECT_FALSE(CGetMac(none).Ping(u"10.0.0.1", 0)) << "no request, no answer";
}

ArpRow Row(Ipv4 address, std::vector<std::uint8_t> physical) {
    return ArpRow{address, std::move(physical)};
}

TEST(MacDiscovery, GetMacByIpTakesTheFirstNonEmptyMatchingRow) {
    FakeProbe api;
    api.statuses = {11010};  // the echo's answer does not count
    api.table = std::vector<ArpRow>{Row({{10, 0, 0, 1}}, {1, 2, 3, 4, 5, 6}), Row({{10, 0, 0, 7}}, {}),
                                    Row({{10, 0, 0, 7}}, {0x00, 0x15, 0x5d, 0x01, 0xaa, 0x0f}),
                                    Row({{10, 0, 0, 7}}, {9, 9, 9, 9, 9, 9})};
    CGetMac probe(api);
    EXPECT_TRUE(probe.GetMacByIp(u"10.0.0.7"));
    EXPECT_EQ(u"00155D01AA0F", probe.MacText());
    EXPECT_EQ((Calls{"LoadLibrary", "OpenEcho", "Echo 10.0.0.7 5000", "CloseEcho", "ReadArpTable"}), api.calls);
}

TEST(MacDiscovery, UnreadableTableOrNoRowGivesFalseAndKeepsAnEarlierMac) {
    FakeProbe api;
    api.table = std::vector<ArpRow>{Row({{10, 0, 0, 1}}, {1, 2, 3, 4, 5, 6})};
    CGetMac probe(api);
    EXPECT_TRUE(probe.GetMacByIp(u"10.0.0.1"));
    EXPECT_FALSE(probe.GetMacByIp(u"10.0.0.2"));
    EXPECT_EQ(u"010203040506", probe.MacText());
    api.table = std::nullopt;  // more than 100 rows
    EXPECT_FALSE(probe.GetMacByIp(u"10.0.0.1"));
    FakeProbe noName;
    EXPECT_EQ(u"", CGetMac(noName).GetMacByName(u"nowhere"));
    EXPECT_EQ((Calls{"Resolve nowhere"}), noName.calls) << "no echo for a name that does not resolve";
}

TEST(MacDiscovery, EightBytesAtMost) {
    FakeProbe api;
    api.table = std::vector<ArpRow>{Row({{10, 0, 0, 1}}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})};
    CGetMac probe(api);
    probe.GetMacByIp(u"10.0.0.1");
    EXPECT_EQ(u"0102030405060708", probe.MacText());
}

TEST(MacDiscovery, ProbeHostNamesAndMacs) {
    FakeProbe api;
    api.table = std::vector<ArpRow>{Row({{10, 0, 0, 3}}, {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF})};
    CGetMac probe(api);
    EXPECT_TRUE(probe.ProbeHost(u"10.0.0.3", 2));
    EXPECT_EQ(u"lab-pc", probe.HostName());
    EXPECT_EQ(u"AABBCCDDEEFF", probe.MacText());
    // A host that answered but whose table cannot be read counts as a failure.
    FakeProbe full;
    full.table = std::nullopt;
    EXPECT_FALSE(CGetMac(full).ProbeHost(u"10.0.0.3", 2));
    FakeProbe silent;
    silent.statuses = {11010};
    EXPECT_FALSE(CGetMac(silent).ProbeHost(u"10.0.0.4", 2));
    EXPECT_EQ(silent.calls.end(), std::find(silent.calls.begin(), silent.calls.end(), "ReadArpTable"));
    // A host that answered with no row for it still counts.
    FakeProbe empty;
    EXPECT_TRUE(CGetMac(empty).ProbeHost(u"10.0.0.5", 2));
}

// Every operation takes an address text as the platform converts it, and sends nothing to the
// value that marks a text as no address.
TEST(MacDiscovery, AddressFormsAreThePlatformsAndNoAddressSendsNothing) {
    const struct {
        const char16_t* text;
        Ipv4 converted;
        const char* echo;  // the request sent, "" for none
    } cases[] = {{u"10.1", {{10, 0, 0, 1}}, "Echo 10.0.0.1"},
                 {u"0177.0.0.01", {{127, 0, 0, 1}}, "Echo 127.0.0.1"},
                 {u"255.255.255.255", {{255, 255, 255, 255}}, ""},
                 {u"0xffffffff", {{255, 255, 255, 255}}, ""}};
    const std::function<void(CGetMac&, const std::u16string&)> operations[] = {
        [](CGetMac& probe, const std::u16string& text) { probe.Ping(text, 1); },
        [](CGetMac& probe, const std::u16string& text) { probe.GetMacByIp(text); },
        [](CGetMac& probe, const std::u16string& text) { probe.ProbeHost(text, 1); }};
    for (const auto& c : cases) {
        for (const auto& operation : operations) {
            FakeProbe api;
            api.conversions[c.text] = c.converted;
            CGetMac probe(api);
            operation(probe, c.text);
            std::string sent;
            for (const std::string& call : api.calls)
                sent = sent.empty() && call.starts_with("Echo ") ? call.substr(0, call.rfind(' ')) : sent;
            EXPECT_EQ(c.echo, sent) << FakeProbe::N(c.text);
        }
    }
}

TEST(MacDiscovery, ArpRequestByNameOrAddress) {
    FakeProbe api;
    api.names[u"printer"] = Ipv4{{10, 0, 0, 30}};
    api.arpReply = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    EXPECT_EQ(u"001122334455", GetMacByArpRequest(api, u"printer"));
    EXPECT_EQ("SendArp 10.0.0.30", api.calls.back());
    api.arpReply.clear();
    EXPECT_EQ(u"", GetMacByArpRequest(api, u"10.0.0.31"));
}

}  // namespace
}  // namespace velmora
