// Numbers in texts, read and written the one way the whole system uses; case folds; the filling of
// a message's places.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// A string-table text with each "%s" replaced by the next fill-in; a fill-in's own "%s" stays.
std::u16string FillIn(std::u16string text, const std::vector<std::u16string>& fillIns);

}  // namespace velmora
