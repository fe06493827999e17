// Finding the executor's argument and choosing its mode.
#include <gtest/gtest.h>

#include "executor/CommandLine.h"

namespace velmora {
namespace {

using Args = std::vector<std::u16string>;

TEST(CommandLine, SplitsByThePlatformsRules) {
    EXPECT_EQ((Args{u"a", u"b c", u"d"}), SplitArguments(u"  a \"b c\"\td  "));
    EXPECT_EQ((Args{u"C:\\x\\y.ini"}), SplitArguments(u"C:\\x\\y.ini"));
    EXPECT_EQ((Args{u"a\\\"b"}), SplitArguments(u"a\\\\\\\"b"));      // 3 backslashes + quote
    EXPECT_EQ((Args{u"a\\\\b c"}), SplitArguments(u"\"a\\\\b c\""));  // backslashes alone stay
    EXPECT_EQ((Args{u"a\\", u"b"}), SplitArguments(u"\"a\\\\\" b"));  // 2 backslashes + quote
    EXPECT_EQ((Args{u"say \"hi\""}), SplitArguments(u"\"say \"\"hi\"\"\""));
    EXPECT_EQ((Args{u"C:\\dir\\"}), SplitArguments(u"C:\\dir\\"));
    EXPECT_EQ((Args{u""}), SplitArguments(u"\"\""));
    EXPECT_EQ(Args{}, SplitArguments(u"   "));
}

TEST(CommandLine, ArgumentIsFoundWithOrWithoutTheProgramName) {
    const auto first = [](std::u16string_view line) { return FirstArgument(line, u"quenex"); };
    EXPECT_EQ(u"quenep-0abc", first(u"quenex quenep-0abc"));
    EXPECT_EQ(u"quenep-0abc", first(u"quenep-0abc"));  // Wine's scheduler passes the parameters only
    EXPECT_EQ(u"quenep-0abc", first(u"\"C:\\Program Files\\Velmora\\quenex.exe\" quenep-0abc more"));
    EXPECT_EQ(u"quenep-0abc", first(u"C:\\Windows\\QUENEX.EXE quenep-0abc"));
    EXPECT_EQ(u"C:\\My Files\\t.ini", first(u"quenex.exe \"C:\\My Files\\t.ini\""));
    EXPECT_EQ(u"quenex.ini", first(u"quenex.ini"));  // an INI file named like the program is no program
    EXPECT_EQ(u"quenex.ini", first(u"quenex quenex.ini"));
    EXPECT_EQ(std::nullopt, first(u"quenex"));
    EXPECT_EQ(std::nullopt, first(u"\"C:\\a b\\quenex.exe\""));
    EXPECT_EQ(std::nullopt, first(u""));
    EXPECT_EQ(u"-r", first(u"  quenex.exe   -r"));
}

TEST(CommandLine, ModeByTheFirstArgumentInOrder) {
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(std::nullopt));
    EXPECT_EQ(ExecutorMode::kRemoval, ChooseMode(u"-r"));
    EXPECT_EQ(ExecutorMode::kService, ChooseMode(u"-service"));
    // The comparisons are exact and case-sensitive.
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(u"-R"));
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(u"-Service"));
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(u"-r "));
    // The internal session mode takes exactly its own word; a task name after it is no part of it.
    EXPECT_EQ(ExecutorMode::kSessionPart, ChooseMode(u"-session"));
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(u"-Session"));
    EXPECT_EQ(ExecutorMode::kTask, ChooseMode(u"-session:quenep-0abc"));
    EXPECT_EQ(ExecutorMode::kIni, ChooseMode(u"C:\\tasks\\night.ini"));
    EXPECT_EQ(ExecutorMode::kIni, ChooseMode(u"C:\\TASKS\\NIGHT.INI"));
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(u"C:\\tasks\\night.Ini"));
    EXPECT_EQ(ExecutorMode::kIni, ChooseMode(u"quenep-1lab.ini"));  // both: INI mode wins
    EXPECT_EQ(ExecutorMode::kTask, ChooseMode(u"quenep-0abc.job"));
    EXPECT_EQ(ExecutorMode::kTask, ChooseMode(u"quenep-1f00"));
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(u"Quenep-0abc"));
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(u"quenep-2abc"));
    EXPECT_EQ(ExecutorMode::kUsage, ChooseMode(u""));
}

TEST(CommandLine, UsageText) {
    std::u16string text;
    for (const auto& piece : UsagePieces())
        text += piece;
    EXPECT_EQ(0u, text.find(u"\n\nVelmora LT v3.3 for Windows 2000/XP/2003\n"));
    EXPECT_NE(std::u16string::npos,
              text.find(u"\n\nUsage: quenex.exe [.ini file]\n\nExample: quenex.exe C:\\shutdown.ini\n"));
    EXPECT_EQ(8u, UsagePieces().size());
}

}  // namespace
}  // namespace velmora
