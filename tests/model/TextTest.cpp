// The case folds that names are compared by: ASCII only for program and file names, the wider one
// for INI sections and keys.
#include <gtest/gtest.h>

#include "model/Text.h"

namespace velmora {
namespace {

TEST(Text, CaseFoldsMoveOnlyCapitalsWithAOneUnitLowerCase) {
    struct Case {
        char16_t unit;
        char16_t ascii;
        char16_t wide;
    };
    const Case cases[] = {
        {u'A', u'a', u'a'},    {u'Z', u'z', u'z'},    {u'@', u'@', u'@'},  // the neighbours of A to Z
        {u'[', u'[', u'['},    {u'a', u'a', u'a'},    {u'0', u'0', u'0'},
        {0xC0, 0xC0, 0xE0},    {0xDE, 0xDE, 0xFE},    {0xD7, 0xD7, 0xD7},     // the multiplication sign
        {0xDF, 0xDF, 0xDF},                                                   // sharp s has no capital here
        {0x391, 0x391, 0x3B1}, {0x3AB, 0x3AB, 0x3CB}, {0x3A2, 0x3A2, 0x3A2},  // no capital final sigma
        {0x400, 0x400, 0x450}, {0x40F, 0x40F, 0x45F}, {0x410, 0x410, 0x430},
        {0x42F, 0x42F, 0x44F}, {0x430, 0x430, 0x430}, {0x3B1, 0x3B1, 0x3B1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.ascii, FoldAsciiCase(c.unit)) << std::hex << static_cast<int>(c.unit);
        EXPECT_EQ(c.wide, FoldCase(c.unit)) << std::hex << static_cast<int>(c.unit);
    }
}

TEST(Text, NamesCompareWithoutCaseByTheirFold) {
    struct Case {
        std::u16string_view a;
        std::u16string_view b;
        bool ascii;
        bool wide;
    };
    const Case cases[] = {
        {u"QUENEX.exe", u"quenex.EXE", true, true},
        {u"", u"", true, true},
        {u"ab", u"abc", false, false},
        {u"\u00dcBER", u"\u00fcber", false, true},
        {u"\u0414\u0410", u"\u0434\u0430", false, true},
        {u"\u00d7", u"\u00f7", false, false},  // signs, not a case pair
        {u"a@", u"a`", false, false},          // one apart from the letters, not folded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.ascii, EqualsIgnoringAsciiCase(c.a, c.b)) << c.a.size();
        EXPECT_EQ(c.ascii, EqualsIgnoringAsciiCase(c.b, c.a)) << c.a.size();
        EXPECT_EQ(c.wide, FoldedCase(c.a) == FoldedCase(c.b)) << c.a.size();
    }
}

}  // namespace
}  // namespace velmora
