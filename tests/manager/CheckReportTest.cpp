// A check's result as the row shows it: the State text with the step, the system's text and the
// hint for the common codes, and the info tip with the step's number and the code.
#include "manager/CheckReport.h"

#include <gtest/gtest.h>

#include <map>

#include "manager/ids/ComputerListIds.h"
#include "model/Utf.h"

namespace velmora {
namespace {

// The texts as the string table has them, and a system that knows a few codes (with the trailing
// blank and full stop that system texts carry).
CheckTexts Texts() {
    static const std::map<int, std::u16string> strings = {
        {IDS_CHECK_READY, u"ready"},
        {IDS_CHECK_READY_NOTED, u"ready (%s: %s)"},
        {IDS_CHECK_STATE, u"%s: %s"},
        {IDS_CHECK_STEP_NAMES, u"name|echo|port 445|port 135|admin share|workstation|WMI|MAC|port|address"},
        {IDS_CHECK_HINTS, u"name?|password?|local account?|sharing?|firewall?|WMI rights?|MAC?|port?|route?|on?"},
        {IDS_CHECK_TIP, u"Step %s, %s: code %s."},
        {IDS_CHECK_NOTED_TIP, u"Noted, step %s, %s: code %s."},
        {IDS_CHECK_READY_TIP, u"Every step passed."},
    };
    static const std::map<std::uint32_t, std::u16string> system = {
        {5, u"Access denied. "},
        {53, u"The network path was not found.\r\n"},
        {1326, u"Logon failure. "},
        {1722, u"The RPC server is unavailable. "},
        {11010, u"Request timed out. "},
        {0x80070005, u"Access denied. "},
        {0x800706BA, u"The RPC server is unavailable. "},
    };
    return {[](int id) {
                const auto found = strings.find(id);
                return found == strings.end() ? std::u16string() : found->second;
            },
            [](std::uint32_t code) {
                const auto found = system.find(code);
                return found == system.end() ? std::u16string() : found->second;
            }};
}

std::string U8(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

CheckResult Failed(CheckStep step, std::uint32_t code, std::vector<CheckFinding> notes = {}) {
    CheckResult result;
    result.failure = CheckFinding{step, code};
    result.notes = std::move(notes);
    return result;
}

TEST(CheckReport, StateTextAndTipOfEachOutcome) {
    struct Row {
        CheckResult result;
        std::string state;
        std::string tip;
    };
    const Row rows[] = {
        {{}, "ready", "Every step passed."},
        {Failed(CheckStep::kResolve, 11001), "name: 11001 (name?)", "Step 1, name: code 11001 (0x00002AF9). name?."},
        {Failed(CheckStep::kSharingPort, 10060, {{CheckStep::kEcho, 11010}}), "port 445: 10060 (sharing?)",
         "Step 3, port 445: code 10060 (0x0000274C). sharing?.\r\nNoted, step 2, echo: code 11010 (0x00002B02)."},
        {Failed(CheckStep::kSharingPort, 10065), "port 445: 10065 (on?)",
         "Step 3, port 445: code 10065 (0x00002751). on?."},
        {Failed(CheckStep::kShare, 1326), "admin share: Logon failure (password?)",
         "Step 5, admin share: code 1326 (0x0000052E). password?."},
        {Failed(CheckStep::kShare, 5), "admin share: Access denied (local account?)",
         "Step 5, admin share: code 5 (0x00000005). local account?."},
        {Failed(CheckStep::kShare, 53), "admin share: The network path was not found (sharing?)",
         "Step 5, admin share: code 53 (0x00000035). sharing?."},
        {Failed(CheckStep::kShare, 1222), "admin share: 1222", "Step 5, admin share: code 1222 (0x000004C6)."},
        {Failed(CheckStep::kWorkstation, 1722), "workstation: The RPC server is unavailable (firewall?)",
         "Step 6, workstation: code 1722 (0x000006BA). firewall?."},
        {Failed(CheckStep::kWmi, 0x80070005), "WMI: Access denied (WMI rights?)",
         "Step 7, WMI: code 2147942405 (0x80070005). WMI rights?."},
        {Failed(CheckStep::kWmi, 0x800706BA), "WMI: The RPC server is unavailable (firewall?)",
         "Step 7, WMI: code 2147944122 (0x800706BA). firewall?."},
        {Failed(CheckStep::kWmi, 0x8007052E), "WMI: -2147023570 (password?)",
         "Step 7, WMI: code 2147943726 (0x8007052E). password?."},
        {Failed(CheckStep::kWakeMac, 13), "MAC: 13 (MAC?)", "Step 8, MAC: code 13 (0x0000000D). MAC?."},
        {Failed(CheckStep::kWakeAddress, 10051), "address: 10051 (route?)",
         "Step 10, address: code 10051 (0x00002743). route?."},
        {CheckResult{std::nullopt, {{CheckStep::kEcho, 11010}, {CheckStep::kRpcPort, 10061}}},
         "ready (echo: Request timed out)",
         "Noted, step 2, echo: code 11010 (0x00002B02).\r\nNoted, step 4, port 135: code 10061 (0x0000274D). "
         "firewall?."},
    };
    for (const Row& row : rows) {
        const CheckReport report = MakeCheckReport(row.result, Texts());
        EXPECT_EQ(row.state, U8(report.state));
        EXPECT_EQ(row.tip, U8(report.tip));
    }
}

TEST(CheckReport, PartsOfATextSeparatedByBars) {
    EXPECT_EQ(u"a", PartOf(u"a|bc|", 0));
    EXPECT_EQ(u"bc", PartOf(u"a|bc|", 1));
    EXPECT_EQ(u"", PartOf(u"a|bc|", 2));
    EXPECT_EQ(u"", PartOf(u"a|bc|", 3));
    EXPECT_EQ(u"", PartOf(u"", 1));
}

}  // namespace
}  // namespace velmora
