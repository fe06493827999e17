// Task names and the small work item rules.
#include <gtest/gtest.h>

#include <set>

#include "scheduler/TaskName.h"

namespace velmora {
namespace {

TEST(TaskName, KeepsTheFormOfPrefixAndLowercaseHexadecimalChunks) {
    // The C runtime's generator seeded with 1 gives 41, 18467, 6334, 26500, 19169, 15724 first.
    CrtRandom random(1);
    EXPECT_EQ(41, random.Next());
    EXPECT_EQ(18467, random.Next());
    CrtRandom fresh(1);
    // 41/789 = 0 gives "0"; 18467/789 = 23 gives 23 * 175140001 mod 2^32 = 0xf019c277, and so on;
    // the name is cut to 34 characters, the last chunk partly.
    const std::u16string name = DrawTaskName(TaskKind::kLocal, fresh);
    EXPECT_EQ(u"quenep-00f019c27753836508587e00c1f", name);
    for (char16_t c : name.substr(8))
        EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'));
    CrtRandom remote(1);
    EXPECT_EQ(0u, DrawTaskName(TaskKind::kRemote, remote).find(u"quenep-1"));
}

TEST(TaskName, NeverHandsOutATakenName) {
    std::set<std::u16string> taken;
    // The same starting value every time, as when many tasks are made in one second.
    for (int i = 0; i < 50; ++i) {
        const std::u16string name =
            MakeTaskName(TaskKind::kLocal, 12345, [&taken](const std::u16string& n) { return taken.count(n) > 0; });
        EXPECT_TRUE(taken.insert(name).second) << "name handed out twice";
        EXPECT_LE(name.size(), kTaskNameLength);
    }
}

TEST(WorkItemRules, ResultTextsAndTheExecutorsName) {
    EXPECT_EQ(u"0x0", ResultText(0, false));
    EXPECT_EQ(u"0x0", ResultText(300, false));
    EXPECT_EQ(u"0x80070005", ResultText(0x80070005, false));
    EXPECT_EQ(u"0x1", ResultText(1, false));
    EXPECT_EQ(u"Ok", ResultText(0, true));
    EXPECT_EQ(u"Ok", ResultText(300, true));
    EXPECT_EQ(u"Error", ResultText(44, true));
    EXPECT_TRUE(IsExecutorApplication(u"quenex"));
    EXPECT_TRUE(IsExecutorApplication(u"QueNex"));
    EXPECT_FALSE(IsExecutorApplication(u"quenex.exe"));
    EXPECT_FALSE(IsExecutorApplication(u"C:\\quenex"));
    EXPECT_TRUE(IsAccountError(static_cast<HResult>(0x80070005)));
    EXPECT_TRUE(IsAccountError(static_cast<HResult>(0x80041310)));
    EXPECT_TRUE(IsAccountError(static_cast<HResult>(0x8004130F)));
    EXPECT_FALSE(IsAccountError(kOk));
    EXPECT_FALSE(IsAccountError(kFail));
}

// Only a real failure to read makes the account unknown; an item without account information (in
// either of the scheduler's answers for it) keeps counting as the system's.
TEST(WorkItemRules, AccountUnreadableOnlyOnARealFailure) {
    const std::pair<std::uint32_t, bool> cases[] = {
        {0x00000000, false},  // read: empty for the system account
        {0x00000001, false},  // S_FALSE is no failure
        {0x8004130F, false},  // SCHED_E_ACCOUNT_INFORMATION_NOT_SET
        {0x80070002, false},  // Windows XP's and Wine's form of it
        {0x80070005, true},   // access denied
        {0x80004005, true},   // unspecified failure
        {0x8007000E, true},   // out of memory
        {0x80041311, true},   // SCHED_E_SERVICE_NOT_RUNNING
    };
    for (const auto& [read, unreadable] : cases)
        EXPECT_EQ(unreadable, AccountUnreadable(static_cast<HResult>(read))) << std::hex << read;
}

}  // namespace
}  // namespace velmora
