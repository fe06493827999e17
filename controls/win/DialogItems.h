// A dialog's controls: their texts in the system's wide text and from the string table, check
// boxes, text limits, the refusal of a field, and the blanking of a secret one.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "model/SecretText.h"
#include "platform/win/ResourceText.h"
#include "platform/win/WideText.h"

namespace velmora {

inline std::u16string ItemText(HWND dialog, int control) {
    const HWND item = ::GetDlgItem(dialog, control);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return FromWide(text);
}

inline void SetItemText(HWND dialog, int control, const std::u16string& text) {
    ::SetDlgItemTextW(dialog, control, W(text));
}

// A secret's text read straight into a buffer that is wiped when it goes: no other copy is made.
inline SecretText SecretItemText(HWND dialog, int control) {
    const HWND item = ::GetDlgItem(dialog, control);
    SecretText text;
    const int room = ::GetWindowTextLengthW(item) + 1;
    const int length =
        ::GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.Buffer(static_cast<std::size_t>(room))), room);
    text.Resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

// A refusal's flash: the title bar flashes once and is left as it was (active or not).
inline void FlashOnce(HWND window) {
    ::FlashWindow(window, TRUE);
    ::FlashWindow(window, FALSE);
}

// A field the dialog refuses: the dialog manager moves the keys to it (selecting an edit control's
// text) and `window`, the dialog or a page's sheet, flashes once. Posted, so a sheet that was
// pressed on another page shows the refusing page first.
inline void RefuseField(HWND window, HWND field, bool flash = true) {
    ::PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    if (flash)
        FlashOnce(window);
}

inline bool IsChecked(HWND dialog, int control) {
    return ::IsDlgButtonChecked(dialog, control) == BST_CHECKED;
}
inline void SetChecked(HWND dialog, int control, bool checked) {
    ::CheckDlgButton(dialog, control, checked ? BST_CHECKED : BST_UNCHECKED);
}

// Each control's text from the string table: pairs of control id and string id.
inline void SetItemTexts(HWND dialog, std::initializer_list<std::pair<int, int>> controlTexts) {
    for (const auto& [control, stringId] : controlTexts)
        ::SetDlgItemTextW(dialog, control, LoadText(stringId).c_str());
}

// Labels whose texts the string table keeps under the controls' own numbers.
inline void SetItemTextsUnderOwnIds(HWND dialog, std::initializer_list<int> controls) {
    for (const int control : controls)
        ::SetDlgItemTextW(dialog, control, LoadText(control).c_str());
}

// How many characters an edit control takes.
inline void LimitText(HWND dialog, int control, int characters) {
    ::SendDlgItemMessageW(dialog, control, EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

// An edit control's own copy of a secret is overwritten and emptied before the window goes.
inline void WipeItem(HWND dialog, int control) {
    const int length = ::GetWindowTextLengthW(::GetDlgItem(dialog, control));
    ::SetDlgItemTextW(dialog, control, std::wstring(static_cast<std::size_t>(length), L' ').c_str());
    ::SetDlgItemTextW(dialog, control, L"");
}

}  // namespace velmora
