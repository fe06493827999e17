// The tool bar: a window of our own class holding the system's tool bar control, so the presses
// reach the owner as one registered message whatever the button.
#include "controls/win/ToolBar.h"

#include "controls/win/Barrier.h"

namespace velmora {
namespace {

constexpr wchar_t kClassName[] = L"VelmoraToolBar";
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr int kImageSize = 16;

void RegisterToolBarClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kClassName, &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass);
}

}  // namespace

ToolBar::~ToolBar() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

HWND ToolBar::Create(HWND parent, int controlId, const RECT& area, const wchar_t* windowText, UINT pressMessage,
                     int firstButtonId, std::vector<ToolButton> buttons) {
    RegisterToolBarClass(WindowProc);
    pressMessage_ = pressMessage;
    firstButtonId_ = firstButtonId;
    buttons_ = std::move(buttons);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    hwnd_ = ::CreateWindowExW(0, kClassName, windowText, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, nullptr);
    if (!hwnd_)
        return nullptr;
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    toolbar_ = ::CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN, 0,
        0, area.right - area.left, area.bottom - area.top, hwnd_, nullptr, instance, nullptr);
    ::SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    images_.reset(
        ::ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, static_cast<int>(buttons_.size()), 0));
    std::vector<TBBUTTON> items;
    bool arrows = false;
    for (std::size_t k = 0; k < buttons_.size(); ++k) {
        const UniqueGdi<HBITMAP> bitmap(static_cast<HBITMAP>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(buttons_[k].bitmapId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
        const int image = bitmap ? ::ImageList_AddMasked(images_.get(), bitmap.get(), kMaskColour) : I_IMAGENONE;
        TBBUTTON item{};
        item.iBitmap = image;
        item.idCommand = firstButtonId_ + static_cast<int>(k);
        item.fsState = static_cast<BYTE>(buttons_[k].enabled ? TBSTATE_ENABLED : 0);
        item.fsStyle = static_cast<BYTE>(BTNS_BUTTON | (buttons_[k].dropDownCommand ? BTNS_DROPDOWN : 0));
        arrows = arrows || buttons_[k].dropDownCommand;
        items.push_back(item);
    }
    if (arrows)
        ::SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    ::SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));
    ::SendMessageW(toolbar_, TB_ADDBUTTONSW, items.size(), reinterpret_cast<LPARAM>(items.data()));
    return hwnd_;
}

RECT ToolBar::ButtonScreenRect(int k) const {
    RECT rect{};
    ::SendMessageW(toolbar_, TB_GETRECT, static_cast<WPARAM>(firstButtonId_ + k), reinterpret_cast<LPARAM>(&rect));
    ::MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LRESULT CALLBACK ToolBar::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ToolBar*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return Barrier(hwnd, LRESULT{0}, [&] { return self->Handle(message, wParam, lParam); });
}

LRESULT ToolBar::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && lParam == reinterpret_cast<LPARAM>(toolbar_)) {
        const int k = LOWORD(wParam) - firstButtonId_;
        if (k >= 0 && static_cast<std::size_t>(k) < buttons_.size()) {
            ::SendMessageW(::GetParent(hwnd_), pressMessage_,
                           reinterpret_cast<WPARAM>(buttons_[static_cast<std::size_t>(k)].tip.c_str()), k);
        }
        return 0;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TBN_DROPDOWN) {
        const int k = reinterpret_cast<NMTOOLBARW*>(lParam)->iItem - firstButtonId_;
        if (k >= 0 && static_cast<std::size_t>(k) < buttons_.size() &&
            buttons_[static_cast<std::size_t>(k)].dropDownCommand)
            ::SendMessageW(::GetParent(hwnd_), WM_COMMAND,
                           MAKEWPARAM(buttons_[static_cast<std::size_t>(k)].dropDownCommand, 0),
                           reinterpret_cast<LPARAM>(hwnd_));
        return TBDDRET_DEFAULT;
    }
    if (message == WM_NOTIFY) {
        auto* tip = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        if (tip->hdr.code == TTN_GETDISPINFOW) {
            const int k = static_cast<int>(tip->hdr.idFrom) - firstButtonId_;
            if (k >= 0 && static_cast<std::size_t>(k) < buttons_.size())
                tip->lpszText = const_cast<wchar_t*>(buttons_[static_cast<std::size_t>(k)].tip.c_str());
            return 0;
        }
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace velmora
