// Texts of the manager's string table.
#include "manager/win/ManagerContext.h"

namespace velmora {

std::wstring LoadText(int id) {
    const wchar_t* text = nullptr;
    // With no buffer the system hands out the resource's own text, which is not NUL-ended.
    const int length =
        ::LoadStringW(::GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace velmora
