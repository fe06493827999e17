// Code-page conversion through the platform, so encoding 0 means the system's ANSI code page.
#include <windows.h>

#include <climits>

#include "model/CodePage.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

UINT Effective(unsigned codePage) {
    return codePage == kSystemCodePage ? CP_ACP : codePage;
}

}  // namespace

std::u16string CodePageToWide(std::string_view bytes, unsigned codePage) {
    if (bytes.empty() || bytes.size() > INT_MAX)
        return {};
    const UINT cp = Effective(codePage);
    const int size = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(cp, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return {};
    std::u16string out(static_cast<std::size_t>(units), u'\0');
    ::MultiByteToWideChar(cp, 0, bytes.data(), size, W(out), units);
    return out;
}

std::string WideToCodePage(std::u16string_view text, unsigned codePage, char defaultChar, bool* defaultUsed) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const UINT cp = Effective(codePage);
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());  // a view: not NUL-ended
    const int size = static_cast<int>(text.size());
    // UTF-8 and UTF-7 refuse a default character and its flag.
    const bool takesDefault = defaultChar != 0 && cp != CP_UTF8 && cp != CP_UTF7;
    const char* fallback = takesDefault ? &defaultChar : nullptr;
    BOOL used = FALSE;
    BOOL* usedFlag = takesDefault ? &used : nullptr;
    // Without WC_NO_BEST_FIT_CHARS a character would silently become a look-alike ("Ł" as "L")
    // and the default-character flag would not tell; some code pages refuse the flag.
    DWORD flags = takesDefault ? WC_NO_BEST_FIT_CHARS : 0;
    int bytes = ::WideCharToMultiByte(cp, flags, wide, size, nullptr, 0, fallback, usedFlag);
    if (bytes <= 0 && flags != 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        bytes = ::WideCharToMultiByte(cp, flags, wide, size, nullptr, 0, fallback, usedFlag);
    }
    if (bytes <= 0)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    used = FALSE;
    ::WideCharToMultiByte(cp, flags, wide, size, out.data(), bytes, fallback, usedFlag);
    if (used && defaultUsed)
        *defaultUsed = true;
    return out;
}

}  // namespace velmora
