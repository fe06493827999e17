// The dialog procedure shared by all dialogs.
#include "controls/win/DialogBase.h"

namespace velmora {

INT_PTR DialogBase::RunModal(int templateId, HWND owner) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Procedure,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogBase*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<DialogBase*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    if (message == WM_NCDESTROY) {
        // No late message may reach an object that is going away.
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    try {
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        // No exception crosses the system's message dispatch.
        return FALSE;
    }
}

INT_PTR DialogBase::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return TRUE;  // the system puts the focus on the default button
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                const auto handler = commands_.find(LOWORD(wParam));
                if (handler != commands_.end()) {
                    handler->second();
                    return TRUE;
                }
            }
            break;
        default:
            break;
    }
    return OnMessage(message, wParam, lParam) ? TRUE : FALSE;
}

}  // namespace velmora
