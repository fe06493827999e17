// UTF-16 and UTF-8 conversions used for paths and the UTF-8 code page.
#include <gtest/gtest.h>

#include "model/Utf.h"

namespace velmora {
namespace {

TEST(Utf, RoundTripsEveryPlane) {
    const std::u16string text = u"a\u00fc\u20ac\U0001D11E\uFFFF";
    const std::string bytes = Utf16ToUtf8(text);
    EXPECT_EQ("a\xC3\xBC\xE2\x82\xAC\xF0\x9D\x84\x9E\xEF\xBF\xBF", bytes);
    EXPECT_EQ(text, Utf8ToUtf16(bytes));
}

TEST(Utf, UnpairedSurrogatesAreReplaced) {
    bool replaced = false;
    EXPECT_EQ("x?y?", Utf16ToUtf8(std::u16string(u"x\xD800y\xDC00", 4), "?", &replaced));
    EXPECT_TRUE(replaced);
    EXPECT_EQ("\xEF\xBF\xBD", Utf16ToUtf8(std::u16string(1, char16_t(0xDBFF))));
}

TEST(Utf, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(u"\uFFFD", Utf8ToUtf16("\x80"));
    EXPECT_EQ(u"\uFFFDA", Utf8ToUtf16("\xC3"
                                      "A"));                // cut short
    EXPECT_EQ(u"\uFFFD", Utf8ToUtf16("\xC0\xAF"));          // overlong slash
    EXPECT_EQ(u"\uFFFD", Utf8ToUtf16("\xED\xA0\x80"));      // encoded surrogate
    EXPECT_EQ(u"\uFFFD", Utf8ToUtf16("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_EQ(u"\uFFFD", Utf8ToUtf16("\xF0\x9F\x98"));      // truncated at the end
    EXPECT_EQ(u"\uFFFD", Utf8ToUtf16("\xFF"));
}

}  // namespace
}  // namespace velmora
