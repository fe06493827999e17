// The text form of a security identifier ("S-1-5-18", "S-1-5-21-…"), in which owners and account
// entries are compared.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <string>

#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {

// Empty when there is no identifier or it cannot be written.
inline std::u16string SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!sid || !::ConvertSidToStringSidW(sid, &text))
        return {};
    const UniqueLocal owner(text);
    return FromWide(text);
}

}  // namespace velmora
