// Reading and writing decimal numbers.
#include "model/Text.h"

#include <algorithm>

namespace velmora {

long long LeadingInteger(std::u16string_view text) {
    constexpr long long kLimit = 1LL << 32;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min(value * 10 + (text[i] - u'0'), kLimit);
    return negative ? -value : value;
}

std::u16string DecimalText(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return FoldAsciiCase(x) == FoldAsciiCase(y);
           });
}

char16_t FoldCase(char16_t c) {
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<char16_t>(c + 0x50);
    return FoldAsciiCase(c);
}

std::u16string FoldedCase(std::u16string_view text) {
    std::u16string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldCase);
    return folded;
}

std::u16string FillIn(std::u16string text, const std::vector<std::u16string>& fillIns) {
    std::size_t from = 0;
    for (const std::u16string& fillIn : fillIns) {
        const std::size_t at = text.find(u"%s", from);
        if (at == std::u16string::npos)
            break;
        text.replace(at, 2, fillIn);
        from = at + fillIn.size();
    }
    return text;
}

}  // namespace velmora
