// Conversion between a narrow code page and UTF-16. On Windows the platform converts (code page 0 is
// the system's ANSI code page); elsewhere every code page is taken as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

constexpr unsigned kSystemCodePage = 0;

std::u16string CodePageToWide(std::string_view bytes, unsigned codePage);
// Characters the code page cannot show become `defaultChar` when it is not 0 (then `defaultUsed` is
// set), otherwise the platform's own replacement.
std::string WideToCodePage(std::u16string_view text, unsigned codePage, char defaultChar, bool* defaultUsed);

}  // namespace velmora
