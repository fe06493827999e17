// Workgroups over a fake network provider, and the names of a directory search.
#include "manager/NetworkBrowsing.h"

#include <gtest/gtest.h>

#include <map>

namespace velmora {
namespace {

// A network of workgroups whose enumerations hand out `perRead` resources a read.
class FakeNetwork : public NetworkBrowser {
public:
    std::intptr_t Open(const std::u16string& container) override {
        opened.push_back(container);
        const auto found = contents.find(container);
        if (found == contents.end())
            return 0;
        reading[++handles] = {found->second, 0};
        return handles;
    }
    EnumRead Read(std::intptr_t enumeration, std::vector<NetResource>& items) override {
        auto& [resources, at] = reading.at(enumeration);
        if (failReads)
            return EnumRead::kFailed;
        if (at >= resources.size())
            return EnumRead::kNoMore;
        for (std::size_t n = 0; n < perRead && at < resources.size(); ++n)
            items.push_back(resources[at++]);
        return EnumRead::kItems;
    }
    void Close(std::intptr_t enumeration) override { reading.erase(enumeration); }
    std::u16string OwnName() override { return ownName; }
    std::optional<std::u16string> AddressOf(const std::u16string& name) override {
        const auto found = addresses.find(name);
        if (found == addresses.end())
            return std::nullopt;
        return found->second;
    }
    std::u16string MacByArpRequest(const std::u16string& address) override {
        arpRequests.push_back(address);
        return address == u"10.0.0.1" ? u"0011223344AA" : u"";
    }

    static NetResource Computer(std::u16string name) {
        return {kResourceUsageContainer, kResourceTypeAny, std::move(name)};
    }

    std::u16string ownName = u"MYSELF";
    std::map<std::u16string, std::vector<NetResource>> contents;
    std::map<std::u16string, std::u16string> addresses;
    std::map<std::intptr_t, std::pair<std::vector<NetResource>, std::size_t>> reading;
    std::vector<std::u16string> opened, arpRequests;
    std::intptr_t handles = 0;
    std::size_t perRead = 15;
    bool failReads = false;
};

std::vector<std::u16string> NamesOf(const std::vector<ComputerEntry>& entries) {
    std::vector<std::u16string> names;
    for (const ComputerEntry& entry : entries)
        names.push_back(entry[kTextName]);
    return names;
}

std::vector<NetResource> Numbered(const std::u16string& prefix, int count) {
    std::vector<NetResource> resources;
    for (int i = 0; i < count; ++i)
        resources.push_back(
            FakeNetwork::Computer(u"\\\\" + prefix + std::u16string(1, static_cast<char16_t>(u'A' + i))));
    return resources;
}

TEST(Workgroups, TakesEveryComputerOnceWithoutBackslashesOrTheLocalComputer) {
    FakeNetwork network;
    network.contents[u""] = {FakeNetwork::Computer(u"WORK"),
                             {kResourceUsageContainer, kResourceTypeAny, std::nullopt},
                             {1, kResourceTypeAny, u"PRINTERS"},
                             FakeNetwork::Computer(u"HOME")};
    network.contents[u"WORK"] = {FakeNetwork::Computer(u"\\\\ALPHA"),
                                 FakeNetwork::Computer(u"\\\\myself"),
                                 {kResourceUsageContainer, 1, u"\\\\DISK"},
                                 FakeNetwork::Computer(u"\\\\Bravo")};
    network.contents[u"HOME"] = {FakeNetwork::Computer(u"\\\\bravo"), FakeNetwork::Computer(u"CHARLIE")};
    NameSet listed;
    listed.Insert(u"alpha");
    const auto found = BrowseWorkgroups(network, false, 10000, listed);
    EXPECT_EQ((std::vector<std::u16string>{u"Bravo", u"CHARLIE"}), NamesOf(found));
    EXPECT_EQ(u"", found[0][kTextMac]);
    EXPECT_TRUE(network.arpRequests.empty()) << "names only for a shutdown task";
    EXPECT_TRUE(listed.Contains(u"charlie"));
    EXPECT_TRUE(network.reading.empty()) << "every enumeration closed";
}

// Names are compared as the platform compares them without case, beyond A to Z: the capitals of
// Latin-1, Greek and Cyrillic meet their small letters.
TEST(Workgroups, TheOwnNameAndTheListedNamesMatchInAnyScript) {
    FakeNetwork network;
    network.ownName = u"\u00c9COLE";  // ÉCOLE
    network.contents[u""] = {FakeNetwork::Computer(u"WORK"), FakeNetwork::Computer(u"HOME")};
    network.contents[u"WORK"] = {FakeNetwork::Computer(u"\\\\\u00e9cole"),                 // école: this computer
                                 FakeNetwork::Computer(u"\\\\\u0416\u0423\u041a"),         // ЖУК, listed as жук
                                 FakeNetwork::Computer(u"\\\\\u0391\u039b\u03a6\u0391")};  // ΑΛΦΑ
    network.contents[u"HOME"] = {FakeNetwork::Computer(u"\\\\\u03b1\u03bb\u03c6\u03b1"),   // αλφα, found before
                                 FakeNetwork::Computer(u"\\\\\u00dcBER")};                 // ÜBER
    NameSet listed;
    listed.Insert(u"\u0436\u0443\u043a");
    const auto found = BrowseWorkgroups(network, false, 10000, listed);
    EXPECT_EQ((std::vector<std::u16string>{u"\u0391\u039b\u03a6\u0391", u"\u00dcBER"}), NamesOf(found));
    EXPECT_TRUE(listed.Contains(u"\u00fcber"));
}

TEST(Workgroups, ReadsEachEnumerationUntilTheProviderHasNoMore) {
    FakeNetwork network;
    network.contents[u""] = {FakeNetwork::Computer(u"BIG")};
    network.contents[u"BIG"] = Numbered(u"PC", 26);
    NameSet listed;
    EXPECT_EQ(26u, BrowseWorkgroups(network, false, 10000, listed).size()) << "two reads of 15";

    network.failReads = true;
    NameSet none;
    EXPECT_TRUE(BrowseWorkgroups(network, false, 10000, none).empty());
    network.failReads = false;
    network.contents.erase(u"");
    EXPECT_TRUE(BrowseWorkgroups(network, false, 10000, none).empty()) << "no network: nothing, no failure";
}

TEST(Workgroups, TheFreeRoomCountsResourcesByPositionAndHoldsForTheWholeCommand) {
    FakeNetwork network;
    network.contents[u""] = {FakeNetwork::Computer(u"ONE")};
    std::vector<NetResource> thirty = Numbered(u"W", 30);
    thirty[2].remoteName.reset();  // skipped, and counted
    network.contents[u"ONE"] = thirty;
    // 9990 listed and a workgroup of 30: at most its first 10 resources.
    NameSet listed;
    auto found = BrowseWorkgroups(network, false, 10, listed);
    ASSERT_EQ(9u, found.size());
    EXPECT_EQ(u"WJ", found.back()[kTextName]);

    // A second workgroup gets only what the first left of the room.
    network.contents[u""].push_back(FakeNetwork::Computer(u"TWO"));
    network.contents[u"TWO"] = Numbered(u"V", 30);
    struct Case {
        int freeRoom;
        std::size_t added;
    };
    for (const Case& c : {Case{10, 10}, Case{0, 0}, Case{-20, 0}, Case{35, 35}, Case{100, 59}}) {
        NameSet none;
        found = BrowseWorkgroups(network, false, c.freeRoom, none);
        EXPECT_EQ(c.added, found.size()) << "room " << c.freeRoom;
    }
    EXPECT_EQ(u"VA", BrowseWorkgroups(network, false, 10, listed = NameSet()).back()[kTextName]);
}

TEST(Workgroups, AWakeupTaskGetsTheMacAndLeavesOutNamesThatDoNotResolve) {
    FakeNetwork network;
    network.contents[u""] = {FakeNetwork::Computer(u"WORK")};
    network.contents[u"WORK"] = {FakeNetwork::Computer(u"\\\\A"), FakeNetwork::Computer(u"\\\\B"),
                                 FakeNetwork::Computer(u"\\\\C")};
    network.addresses = {{u"A", u"10.0.0.1"}, {u"C", u"10.0.0.3"}};
    NameSet listed;
    const auto found = BrowseWorkgroups(network, true, 10000, listed);
    EXPECT_EQ((std::vector<std::u16string>{u"A", u"C"}), NamesOf(found));
    EXPECT_EQ(u"0011223344AA", found[0][kTextMac]);
    EXPECT_EQ(u"", found[1][kTextMac]) << "a failed ARP request leaves the MAC empty";
    EXPECT_EQ((std::vector<std::u16string>{u"10.0.0.1", u"10.0.0.3"}), network.arpRequests);
}

TEST(DirectorySearch, NamesBetweenTheFirstEqualsAndTheNextComma) {
    struct Case {
        std::u16string path, name;
    };
    const Case cases[] = {
        {u"LDAP://corp.example/CN=PC-7,OU=Desks,DC=corp,DC=example", u"PC-7"},
        {u"CN=LAST", u"LAST"},  // no comma: the rest of the text
        {u"LDAP://server", u""},
        {u"CN=,OU=x", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.name, NameOfDirectoryPath(c.path));
}

TEST(DirectorySearch, AddsTheNamesNotListedInOrderUpToTheLimit) {
    const std::vector<std::u16string> paths = {u"LDAP://x/CN=Beta,DC=x", u"LDAP://x/CN=ALPHA,DC=x",
                                               u"LDAP://x/CN=Gamma,DC=x"};
    NameSet listed;
    listed.Insert(u"alpha");
    EXPECT_EQ((std::vector<std::u16string>{u"Beta", u"Gamma"}), NewDirectoryNames(paths, listed, 5));
    NameSet empty;
    EXPECT_EQ(std::vector<std::u16string>{u"Beta"}, NewDirectoryNames(paths, empty, 9999));
    NameSet over;
    EXPECT_TRUE(NewDirectoryNames(paths, over, 10500).empty());

    // Beyond A to Z too: ÜBER is listed as über, and the second ПК is the first one again.
    NameSet wide;
    wide.Insert(u"\u00fcber");
    EXPECT_EQ(std::vector<std::u16string>{u"\u041f\u041a"},
              NewDirectoryNames({u"CN=\u00dcBER,DC=x", u"CN=\u041f\u041a,DC=x", u"CN=\u043f\u043a,DC=x"}, wide, 0));
}

}  // namespace
}  // namespace velmora
