// Texts of the program's own string table, loaded by number.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/Text.h"
#include "platform/win/WideText.h"

namespace velmora {

// The text under `id`; empty when there is none. With no buffer the system hands out the
// resource's own text, which is not NUL-ended, so its length is taken as well.
inline std::wstring LoadText(int id) {
    const wchar_t* text = nullptr;
    const int length =
        ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

// The text under `id` with its "%s" places filled in order.
inline std::wstring LoadFilledText(int id, const std::vector<std::u16string>& fillIns) {
    return ToWide(FillIn(FromWide(LoadText(id)), fillIns));
}

}  // namespace velmora
