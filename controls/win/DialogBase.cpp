// The dialog procedures shared by all dialogs and property pages.
#include "controls/win/DialogBase.h"

#include "controls/win/Barrier.h"

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
    return Barrier(hwnd, INT_PTR{FALSE}, [&] { return self->Handle(message, wParam, lParam); });
}

void DialogBase::OnToolBarPress(UINT pressMessage, int firstId, std::function<void()> after) {
    OnMessageNumber(pressMessage, [this, firstId, after = std::move(after)](WPARAM, LPARAM k) {
        if (const auto handler = commands_.find({firstId + static_cast<int>(k), BN_CLICKED});
            handler != commands_.end())
            handler->second();
        if (after)
            after();
        return true;
    });
}

void DialogBase::OnContextMenu(int id, std::function<void(POINT at, bool byKey)> handler) {
    OnMessageNumber(WM_CONTEXTMENU, [this, id, handler = std::move(handler)](WPARAM wParam, LPARAM lParam) {
        if (reinterpret_cast<HWND>(wParam) != Item(id))
            return false;
        // The position's two halves, signed: from the keyboard they are (-1, -1), which 64-bit
        // Windows sends as 0xFFFFFFFF rather than -1.
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        handler(at, at.x == -1 && at.y == -1);
        return true;
    });
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
        case WM_TIMER:
            if (const auto handler = timers_.find(wParam); handler != timers_.end()) {
                handler->second();
                return TRUE;
            }
            break;
        default:
            if (const auto handler = messages_.find(message); handler != messages_.end())
                return handler->second(wParam, lParam) ? TRUE : FALSE;
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

void PropertyPage::HelpOpens(const std::function<void(HWND sheet)>& open) {
    OnNotifyCode(PSN_HELP, [this, &open](NMHDR&) {
        if (open)
            open(Sheet());
        return LRESULT{0};
    });
}

INT_PTR CALLBACK PropertyPage::PageProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // A page gets its creation record, whose own parameter is the page object.
    DialogBase* created = message == WM_INITDIALOG
                              ? reinterpret_cast<PropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam)
                              : nullptr;
    return Dispatch(created, hwnd, message, wParam, lParam);
}

}  // namespace velmora
