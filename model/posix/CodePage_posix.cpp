// Without a system code page the narrow side is UTF-8.
#include "model/CodePage.h"
#include "model/Utf.h"

namespace velmora {

std::u16string CodePageToWide(std::string_view bytes, unsigned) {
    return Utf8ToUtf16(bytes);
}

std::string WideToCodePage(std::u16string_view text, unsigned, char defaultChar, bool* defaultUsed) {
    // UTF-8 shows every character; only an unpaired surrogate needs the default character.
    if (defaultChar == 0)
        return Utf16ToUtf8(text);
    return Utf16ToUtf8(text, std::string_view(&defaultChar, 1), defaultUsed);
}

}  // namespace velmora
