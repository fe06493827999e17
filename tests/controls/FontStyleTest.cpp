// Style flags of the font static control.
#include <gtest/gtest.h>

#include "controls/FontStyle.h"

namespace velmora {
namespace {

TEST(FontStyle, DefaultsAreSmallPlainBlackAndLeft) {
    const FontStyle style;
    EXPECT_EQ(u"MS Sans Serif", style.face);
    EXPECT_EQ(8, style.height);
    EXPECT_EQ(0u, style.textColor);
    EXPECT_FALSE(style.bold || style.italic || style.underline || style.strikeOut || style.smooth);
    EXPECT_EQ(TextAlign::kLeft, style.align);
}

TEST(FontStyle, FlagsOnlySetStylesAndAlignmentIsAlwaysReplaced) {
    FontStyle style;
    style.Apply(u"MS Sans Serif", 20, 0, kFontBold | kFontCenter);
    EXPECT_TRUE(style.bold);
    EXPECT_EQ(TextAlign::kCenter, style.align);
    EXPECT_EQ(20, style.height);
    style.Apply(u"Arial", 12, 0x0000FF, kFontUnderline | kFontStrikeOut | kFontSmooth | kFontItalic | kFontRight);
    EXPECT_TRUE(style.bold) << "a clear flag leaves the style as it was";
    EXPECT_TRUE(style.italic && style.underline && style.strikeOut && style.smooth);
    EXPECT_EQ(TextAlign::kRight, style.align);
    EXPECT_EQ(u"Arial", style.face);
    EXPECT_EQ(0x0000FFu, style.textColor);
    style.Apply(u"Arial", 12, 0, kFontCenter | kFontRight);
    EXPECT_EQ(TextAlign::kCenter, style.align) << "centre wins over right";
    style.Apply(u"Arial", 12, 0, 0);
    EXPECT_EQ(TextAlign::kLeft, style.align);
}

}  // namespace
}  // namespace velmora
