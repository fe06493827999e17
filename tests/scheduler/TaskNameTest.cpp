// Task names and the small work item rules.
#include <gtest/gtest.h>

#include <set>

#include "scheduler/TaskName.h"

namespace velmora {
namespace {

// Every digit comes from the random source, four bits at a time, lowest first, up to 34 characters.
TEST(TaskName, PrefixThenDigitsFromTheRandomSource) {
    std::uint32_t next = 0x89abcdefu;
    const RandomSource counting = [&next] { return next++; };
    const std::u16string name = DrawTaskName(TaskKind::kLocal, counting);
    EXPECT_EQ(u"quenep-0fedcba980fdcba981fdcba982f", name);
    EXPECT_EQ(kTaskNameLength, name.size());
    EXPECT_EQ(0u, DrawTaskName(TaskKind::kRemote, counting).find(u"quenep-1"));
}

TEST(TaskName, NeverHandsOutATakenNameAndEndsWithABrokenSource) {
    std::set<std::u16string> taken;
    std::uint32_t next = 7;
    const RandomSource repeating = [&next] { return (next++ / 3) * 0x01010101u; };  // each value three times
    for (int i = 0; i < 50; ++i) {
        const std::u16string name =
            MakeTaskName(TaskKind::kLocal, repeating, [&taken](const std::u16string& n) { return taken.count(n) > 0; });
        EXPECT_TRUE(taken.insert(name).second) << "name handed out twice";
        EXPECT_EQ(kTaskNameLength, name.size());
    }
    // A source stuck on one value gives up instead of looping for ever.
    const std::u16string stuck = MakeTaskName(
        TaskKind::kLocal, [] { return 0u; }, [](const std::u16string&) { return true; });
    EXPECT_EQ(u"quenep-0" + std::u16string(26, u'0'), stuck);
}

TEST(WorkItemRules, ResultTextsAndTheExecutorsName) {
    EXPECT_EQ(u"0x0", ResultText(0, false));
    EXPECT_EQ(u"0x0", ResultText(300, false));
    EXPECT_EQ(u"0x80070005", ResultText(0x80070005, false));
    EXPECT_EQ(u"0x1", ResultText(1, false));
    EXPECT_EQ(u"Ok", ResultText(0, true));
    EXPECT_EQ(u"Ok", ResultText(300, true));
    EXPECT_EQ(u"Error", ResultText(44, true));
    // The system folder's copy by its full path, and the bare name of tasks made earlier; no other
    // program of that name, wherever it lies.
    const std::u16string system = u"C:\\Windows\\system32";
    EXPECT_EQ(u"C:\\Windows\\system32\\quenex.exe", ExecutorPath(system));
    EXPECT_EQ(u"C:\\Windows\\system32\\quenex.exe", ExecutorPath(u"C:\\Windows\\system32\\"));
    const std::pair<std::u16string, bool> applications[] = {
        {u"quenex", true},
        {u"QueNex", true},
        {u"C:\\Windows\\system32\\quenex.exe", true},
        {u"c:\\WINDOWS\\System32\\QUENEX.EXE", true},
        {u"quenex.exe", false},
        {u"C:\\quenex", false},
        {u"C:\\Tools\\quenex.exe", false},
        {u"C:\\Windows\\system32\\quenex.exe.bat", false},
        {u"", false},
    };
    for (const auto& [application, executor] : applications)
        EXPECT_EQ(executor, IsExecutorApplication(application, system))
            << std::string(application.begin(), application.end());
    EXPECT_FALSE(IsExecutorApplication(u"\\quenex.exe", u"")) << "no system folder known: the bare name only";
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
