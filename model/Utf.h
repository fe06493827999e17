// Conversions between UTF-16 and UTF-8 that never fail: what cannot be converted becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Surrogate pairs become one four-byte sequence; an unpaired surrogate becomes `replacement`
// (the bytes of U+FFFD when it is empty) and sets `replaced` when given.
std::string Utf16ToUtf8(std::u16string_view text, std::string_view replacement = {}, bool* replaced = nullptr);
// Invalid, overlong and truncated sequences become one U+FFFD per offending byte run.
std::u16string Utf8ToUtf16(std::string_view bytes);

}  // namespace velmora
