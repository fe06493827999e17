// Painting of the font static control.
#include "controls/win/FontStatic.h"

#include <commctrl.h>

#include <string>

#include "controls/win/Barrier.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

constexpr UINT_PTR kSubclassId = 0x46535443;  // "FSTC"

// The window's dots per inch. GetDpiForWindow (Windows 10 1607 on) follows the monitor the window
// is on, as a program that declares per-monitor awareness must; older systems have one resolution,
// the device's.
int WindowDpi(HWND window, HDC dc) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window); dpi != 0)
            return static_cast<int>(dpi);
    }
    return ::GetDeviceCaps(dc, LOGPIXELSY);
}

}  // namespace

CFontStatic::~CFontStatic() {
    if (hwnd_)
        ::RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
}

bool CFontStatic::Attach(HWND control) {
    if (!control || hwnd_)
        return false;
    hwnd_ = control;
    ::SetWindowLongPtrW(control, GWL_STYLE, ::GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY);
    return ::SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void CFontStatic::SetFont(const std::u16string& face, int height, COLORREF color, unsigned flags) {
    style_.Apply(face, height, color, flags);
    if (hwnd_)
        ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CFontStatic::SetText(const std::u16string& text) {
    if (hwnd_)
        ::SetWindowTextW(hwnd_, W(text));
}

LRESULT CALLBACK CFontStatic::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<CFontStatic*>(data);
    switch (message) {
        case WM_PAINT:
            return Barrier(hwnd, LRESULT{0}, [&] {
                self->Paint();
                return LRESULT{0};
            });
        case WM_ERASEBKGND:
            return 1;  // the paint fills the whole control
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
            self->hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

int CFontStatic::PixelHeight() const {
    HDC dc = ::GetDC(hwnd_);
    const int height = ScaledHeight(style_.height, WindowDpi(hwnd_, dc));
    ::ReleaseDC(hwnd_, dc);
    return height;
}

void CFontStatic::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd_, &paint);
    RECT rect;
    ::GetClientRect(hwnd_, &rect);
    const int length = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));

    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetTextColor(dc, style_.textColor);
    ::SetBkMode(dc, TRANSPARENT);
    const UniqueGdi<HFONT> font(::CreateFontW(
        ScaledHeight(style_.height, WindowDpi(hwnd_, dc)), 0, 0, 0, style_.bold ? 900 : 400, style_.italic,
        style_.underline, style_.strikeOut, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS,
        style_.smooth ? ANTIALIASED_QUALITY : DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, W(style_.face)));
    const HGDIOBJ previous = ::SelectObject(dc, font.get());
    const UINT align = style_.align == TextAlign::kCenter  ? DT_CENTER
                       : style_.align == TextAlign::kRight ? DT_RIGHT
                                                           : DT_LEFT;
    ::DrawTextW(dc, text.c_str(), length, &rect, align | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, previous);
    ::EndPaint(hwnd_, &paint);
}

}  // namespace velmora
