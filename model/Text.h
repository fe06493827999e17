// Numbers in texts, read and written the one way the whole system uses.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The integer at the start of a text: optional blanks, an optional sign, decimal digits; 0 when
// there are none. Saturates at plus or minus 2^32, so no text wraps into a small valid value.
long long LeadingInteger(std::u16string_view text);
std::u16string DecimalText(long long value);

}  // namespace velmora
