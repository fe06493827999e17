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

// Pixel sizes are given for 96 dots per inch and grow with the window's resolution, so the
// countdown's texts keep their size against a window that the system scales.
TEST(FontStyle, HeightsScaleWithTheWindowsDotsPerInch) {
    const struct {
        int height;
        int dpi;
        int scaled;
    } cases[] = {{20, 96, 20},  {8, 96, 8},   {20, 120, 25}, {8, 120, 10}, {20, 144, 30},  {8, 144, 12},
                 {20, 192, 40}, {8, 192, 16}, {7, 144, 11},  {20, 0, 20},  {-20, 144, -30}};
    for (const auto& c : cases)
        EXPECT_EQ(c.scaled, ScaledHeight(c.height, c.dpi)) << c.height << " at " << c.dpi;
}

}  // namespace
}  // namespace velmora
