// The system's own text of a result code, as both programs show it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {

// One line in the user's language (the width flag 0xFF turns line breaks into blanks); empty when
// the system has no text for the code.
inline std::u16string SystemMessageText(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | 0xFF, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocal owner(buffer);
    if (length == 0 || !buffer)
        return {};
    return FromWide(buffer, length);
}

}  // namespace velmora
