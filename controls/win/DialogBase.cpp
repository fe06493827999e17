// The dialog procedures shared by all dialogs and property pages.
#include "controls/win/DialogBase.h"

namespace velmora {

DialogBase::~DialogBase() {
    // The object is half gone already: detach it first, so the window's last messages find none.
    if (const HWND window = hwnd(); modeless_ && window) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        ::DestroyWindow(window);
    }
}

INT_PTR DialogBase::RunModal(int templateId, HWND owner) {
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Procedure,
                             reinterpret_cast<LPARAM>(this));
}

HWND DialogBase::CreateModeless(int templateId, HWND owner) {
    modeless_ = true;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Procedure,
                                reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogBase::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBase* created = message == WM_INITDIALOG ? reinterpret_cast<DialogBase*>(lParam) : nullptr;
    return Dispatch(created, hwnd, message, wParam, lParam);
}

INT_PTR DialogBase::Dispatch(DialogBase* created, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (created) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(created));
        created->hwnd_ = hwnd;
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
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        if (const HBRUSH brush = OnControlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<INT_PTR>(brush);
    }
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return TRUE;  // the system puts the focus on the default button
        case WM_COMMAND: {
            const auto handler = commands_.find({LOWORD(wParam), HIWORD(wParam)});
            if (handler != commands_.end()) {
                handler->second();
                return TRUE;
            }
            break;
        }
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lParam);
            const int code = static_cast<int>(header.code);
            NotifyHandler* handler = nullptr;
            if (const auto byId = notifies_.find({static_cast<int>(header.idFrom), code}); byId != notifies_.end())
                handler = &byId->second;
            else if (const auto byCode = notifyCodes_.find(code); byCode != notifyCodes_.end())
                handler = &byCode->second;
            if (handler) {
                SetResult((*handler)(header));
                return TRUE;
            }
            break;
        }
        default:
            break;
    }
    return OnMessage(message, wParam, lParam) ? TRUE : FALSE;
}

HPROPSHEETPAGE PropertyPage::CreatePage(int templateId, DWORD flags, std::wstring title) {
    title_ = std::move(title);
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = flags | (title_.empty() ? 0 : PSP_USETITLE);
    page.hInstance = ::GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    page.pszTitle = title_.empty() ? nullptr : title_.c_str();
    page.pfnDlgProc = PageProcedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return ::CreatePropertySheetPageW(&page);
}

INT_PTR CALLBACK PropertyPage::PageProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // A page gets its creation record, whose own parameter is the page object.
    DialogBase* created = message == WM_INITDIALOG
                              ? reinterpret_cast<PropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam)
                              : nullptr;
    return Dispatch(created, hwnd, message, wParam, lParam);
}

}  // namespace velmora
