// Numbers in texts, read and written the one way the whole system uses.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The integer at the start of a text: optional blanks, an optional sign, decimal digits; 0 when
// there are none. Saturates at plus or minus 2^32, so no text wraps into a small valid value.
long long LeadingInteger(std::u16string_view text);
std::u16string DecimalText(long long value);

// Letters A to Z folded to a to z; every other unit is left as it is.
constexpr char16_t FoldAsciiCase(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}
bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// The wider fold of names that the platform compares without case in any script (INI sections and
// keys): A to Z, and the capitals of Latin-1, Greek and Cyrillic whose lower case is one unit.
char16_t FoldCase(char16_t c);
std::u16string FoldedCase(std::u16string_view text);

}  // namespace velmora
