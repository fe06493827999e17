// The message loop of the Wine tests and benchmarks that drive windows on their own thread, and the
// modeless sheet they show a single page in.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string_view>

#include "controls/win/SheetControls.h"

namespace velmora::test {

// A property sheet or wizard of the system's: it has the sheet's tab control or its Finish button.
inline bool IsPropertySheet(HWND window) {
    return ::GetDlgItem(window, kSheetTabControl) || ::GetDlgItem(window, kWizardFinishButton);
}

// The dialog manager's turn at a message, as the product's loops give it: a property sheet's own
// (Ctrl+Tab, then the dialog keys) for a sheet, the plain one for any other dialog.
inline bool DialogManagerTakes(MSG& message) {
    const HWND root = message.hwnd ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (!root)
        return false;
    wchar_t name[16] = {};
    ::GetClassNameW(root, name, 16);
    if (std::wstring_view(name) != L"#32770")
        return false;
    if (IsPropertySheet(root))
        return ::SendMessageW(root, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&message)) != 0;
    return ::IsDialogMessageW(root, &message) != 0;
}

// Handles every message waiting for this thread's windows, and returns when none is left. Keys
// meet the dialog manager first, as they do in the sheet's own loop.
inline void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (DialogManagerTakes(message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Shows one page alone in a modeless sheet on this thread, as the properties sheet shows it; the
// sheet's window, which the caller destroys.
inline HWND ShowPageInModelessSheet(HPROPSHEETPAGE page, const wchar_t* caption) {
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = caption;
    header.nPages = 1;
    header.phpage = &page;
    const HWND sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
    Pump();
    return sheet;
}

}  // namespace velmora::test
