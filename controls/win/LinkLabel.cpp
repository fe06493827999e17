// Link labels: an underlined copy of the dialog's font and the colours of a link.
#include "controls/win/LinkLabel.h"

namespace velmora {

void LinkLabels::Attach(HWND dialog, std::initializer_list<int> ids) {
    dialog_ = dialog;
    ids_.assign(ids);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfUnderline = TRUE;
    font_.reset(::CreateFontIndirectW(&font));
    for (const int id : ids_)
        ::SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

bool LinkLabels::IsLabel(HWND window) const {
    for (const int id : ids_)
        if (::GetDlgItem(dialog_, id) == window)
            return true;
    return false;
}

HBRUSH LinkLabels::ControlColor(HDC dc, HWND control) const {
    if (!IsLabel(control))
        return nullptr;
    ::SetTextColor(dc, ::IsWindowEnabled(control) ? RGB(0, 0, 204) : ::GetSysColor(COLOR_GRAYTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return ::GetSysColorBrush(COLOR_BTNFACE);
}

bool LinkLabels::SetCursor(HWND window) const {
    if (!IsLabel(window) || !::IsWindowEnabled(window))
        return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return true;
}

}  // namespace velmora
