// The computer dialogs' checks in their order, and the IP range's arithmetic.
#include "manager/AddCompLogic.h"

#include <gtest/gtest.h>

#include "manager/IpRange.h"

namespace velmora {
namespace {

TEST(IpRange, AddressesFromStartUpToButNotIncludingTheEnd) {
    struct Case {
        std::uint32_t start, end;
        int freeRoom;
        std::size_t count;
        std::u16string first, last;
    };
    const Case cases[] = {
        {kRangeDefaultStart, kRangeDefaultEnd, 10000, 254, u"192.168.1.1", u"192.168.1.254"},
        {0x0A000005, 0x0A000005, 10000, 0, u"", u""},                         // start equal to end
        {0x0A0000FA, 0x0A000105, 10000, 11, u"10.0.0.250", u"10.0.1.4"},      // across an octet
        {0x0A000010, 0x0A000001, 10000, 5000, u"10.0.0.16", u"10.0.19.151"},  // end below start wraps
        {0x0A000000, 0x0A000000 + 6000, 10000, 5000, u"10.0.0.0", u"10.0.19.135"},
        {0x0A000000, 0x0A000000 + 6000, 100, 100, u"10.0.0.0", u"10.0.0.99"},  // 9900 listed
        {0x0A000000, 0x0A000000 + 6000, 0, 0, u"", u""},
        {0x0A000000, 0x0A000000 + 6000, -5, 0, u"", u""},  // a list above the limit
        {0xFFFFFFFE, 0x00000001, 10000, 3, u"255.255.255.254", u"0.0.0.0"},
    };
    for (const Case& c : cases) {
        const auto addresses = RangeAddresses(c.start, c.end, c.freeRoom);
        SCOPED_TRACE(testing::Message() << std::hex << c.start << " to " << c.end << std::dec << " room "
                                        << c.freeRoom);
        ASSERT_EQ(c.count, addresses.size());
        if (c.count) {
            EXPECT_EQ(c.first, addresses.front());
            EXPECT_EQ(c.last, addresses.back());
        }
    }
    EXPECT_EQ(u"10.0.0.255", RangeAddresses(0x0A0000FA, 0x0A000105, 100)[5]);
    EXPECT_EQ(u"10.0.1.0", RangeAddresses(0x0A0000FA, 0x0A000105, 100)[6]);
}

TEST(IpRange, FreeRoomIsNeverBelowZero) {
    EXPECT_EQ(10000, FreeRoom(0));
    EXPECT_EQ(100, FreeRoom(9900));
    EXPECT_EQ(0, FreeRoom(10000));
    EXPECT_EQ(0, FreeRoom(12000));
}

TEST(ComputerDialog, OpensWithTheAccountAndRefusesAnEmptyName) {
    ComputerEntry entry;
    entry[kTextName] = u"pc";
    entry[kTextUser] = u"CORP\\ann";
    entry[kTextPassword] = u"secret";
    ComputerForm form = OpenComputerForm(entry, kActionShutdown);
    EXPECT_TRUE(form.logon);
    EXPECT_TRUE(form.logonEnabled);
    EXPECT_EQ(u"CORP\\ann", form.user);

    // A ping task sends no credentials: the box is unticked, disabled, and the account emptied.
    form = OpenComputerForm(entry, kActionMonitorOff);
    EXPECT_FALSE(form.logon);
    EXPECT_FALSE(form.logonEnabled);
    EXPECT_EQ(u"", form.user);
    EXPECT_EQ(u"", form.password);

    struct Case {
        std::u16string name, user;
        bool logon;
        bool accept;
        std::u16string storedName, storedUser;
    };
    const Case cases[] = {
        {u"pc one", u"  Ann Smith  ", true, true, u"pc", u"Ann Smith"},  // inner blanks of a user stay
        {u"", u"ann", true, false, u"", u""},
        {u" pc", u"ann", true, false, u"", u""},   // cut at the first blank: nothing left
        {u"pc", u"ann", false, true, u"pc", u""},  // unticked: no account
    };
    for (const Case& c : cases) {
        ComputerForm typed;
        typed.name = c.name;
        typed.user = c.user;
        typed.password = u" pass word ";
        typed.logon = c.logon;
        ApplyLogonBox(typed);
        ComputerEntry stored;
        stored[kTextState] = u"kept";
        const FormCheck check = CheckComputerForm(typed, stored);
        EXPECT_EQ(c.accept, check.accept) << std::string(c.name.begin(), c.name.end());
        if (!c.accept) {
            EXPECT_EQ(kCtlCompName, check.focus);
            EXPECT_EQ(u"", stored[kTextName]);
            continue;
        }
        EXPECT_EQ(c.storedName, stored[kTextName]);
        EXPECT_EQ(c.storedUser, stored[kTextUser]);
        EXPECT_EQ(c.logon ? u" pass word " : u"", stored[kTextPassword]) << "a password is kept as typed";
        EXPECT_EQ(u"kept", stored[kTextState]);
    }
}

TEST(WakeDialog, OpeningShowsTheDefaultsAndTicksOptionalOnlyForOtherValues) {
    struct Case {
        std::u16string broadcast, port;
        bool optional;
        std::u16string shownBroadcast, shownPort;
    };
    const Case cases[] = {
        {u"", u"", false, u"255.255.255.255", u"7"},
        {u"192.168.1.255", u"9", true, u"192.168.1.255", u"9"},
        {u"", u"9", true, u"255.255.255.255", u"9"},
        {u"255.255.255.255", u"7", false, u"255.255.255.255", u"7"},
    };
    for (const Case& c : cases) {
        ComputerEntry entry;
        entry[kTextBroadcast] = c.broadcast;
        entry[kTextPort] = c.port;
        const WakeForm form = OpenWakeForm(entry, false);
        EXPECT_EQ(c.optional, form.optional);
        EXPECT_EQ(c.shownBroadcast, form.broadcast);
        EXPECT_EQ(c.shownPort, form.port);
    }
}

TEST(WakeDialog, ChecksInOrderRefusingAtTheirField) {
    struct Case {
        std::u16string name, mac, broadcast, port;
        bool optional, several;
        int focus;  // 0: accepted
        std::u16string macAfter;
    };
    const Case cases[] = {
        {u"pc", u"0011223344AA", u"", u"", false, false, 0, u"0011223344AA"},
        {u"pc", u"00-11-22-33-4", u"", u"", false, false, kCtlWakeMac, u"00"},  // hyphens: the cut leaves 2
        {u"pc", u"0011223344AG", u"", u"", false, false, kCtlWakeMac, u"0011223344A"},
        {u"pc", u"0011223344a", u"", u"", false, false, kCtlWakeMac, u"0011223344a"},
        {u"", u"0011223344AA", u"", u"", false, false, kCtlWakeName, u"0011223344AA"},
        {u"", u"", u"", u"", false, true, 0, u""},  // several computers: no name, no MAC
        {u"pc", u"00", u"", u"9", true, false, kCtlWakeBroadcast, u"00"},
        {u"pc", u"00", u"10.0.0.x", u"9", true, false, kCtlWakeBroadcast, u"00"},
        {u"pc", u"00", u"10.0.255", u"", true, false, kCtlWakePort, u"00"},
        {u"pc", u"00", u"10.0.255", u"9", true, false, kCtlWakeMac, u"00"},  // three numbers pass the broadcast
        {u"pc", u"0011223344AA", u"10.0.0.255 x", u"9 9", true, false, 0, u"0011223344AA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mac.begin(), c.mac.end()) + " " +
                     std::string(c.broadcast.begin(), c.broadcast.end()));
        WakeForm form;
        form.name = c.name;
        form.mac = c.mac;
        form.broadcast = c.broadcast;
        form.port = c.port;
        form.optional = c.optional;
        form.several = c.several;
        ComputerEntry entry;
        const FormCheck check = CheckWakeForm(form, entry);
        EXPECT_EQ(c.focus == 0, check.accept);
        EXPECT_EQ(c.focus, check.focus);
        EXPECT_EQ(c.macAfter, form.mac) << "the cut stays in the field";
    }
}

TEST(WakeDialog, OptionalUntickedStoresEmptyBroadcastAndPortAndReopensWithTheDefaults) {
    ComputerEntry entry;
    entry[kTextBroadcast] = u"10.0.0.255";
    entry[kTextPort] = u"9";
    WakeForm form = OpenWakeForm(entry, false);
    ASSERT_TRUE(form.optional);
    form.optional = false;
    ApplyOptional(form);
    EXPECT_EQ(u"255.255.255.255", form.broadcast);
    EXPECT_EQ(u"7", form.port);
    form.name = u"pc two";
    form.mac = u"0011223344aa";
    form.password = u"ABCD";
    ASSERT_TRUE(CheckWakeForm(form, entry).accept);
    EXPECT_EQ(u"pc", entry[kTextName]);
    EXPECT_EQ(u"0011223344aa", entry[kTextMac]);
    EXPECT_EQ(u"ABCD", entry[kTextWolPassword]);
    EXPECT_EQ(u"", entry[kTextBroadcast]);
    EXPECT_EQ(u"", entry[kTextPort]);
    const WakeForm again = OpenWakeForm(entry, false);
    EXPECT_FALSE(again.optional);
    EXPECT_EQ(u"255.255.255.255", again.broadcast);
    EXPECT_EQ(u"7", again.port);

    // Ticked with a subnet broadcast and port 9: both stored, and it reopens ticked.
    form = again;
    form.optional = true;
    form.broadcast = u"192.168.1.255";
    form.port = u"9";
    ASSERT_TRUE(CheckWakeForm(form, entry).accept);
    EXPECT_EQ(u"192.168.1.255", entry[kTextBroadcast]);
    EXPECT_EQ(u"9", entry[kTextPort]);
    EXPECT_TRUE(OpenWakeForm(entry, false).optional);
}

}  // namespace
}  // namespace velmora
