// The message loop of the Wine tests and benchmarks that drive windows on their own thread, and the
// modeless sheet they show a single page in.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace velmora::test {

// Handles every message waiting for this thread's windows, and returns when none is left.
inline void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
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
