// The drag-ordered list: its subclass procedure moves the dragged rows and tells the owner when a
// drag ends.
#include "controls/win/MListCtrl.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "controls/win/Barrier.h"

namespace velmora {

CMListCtrl::~CMListCtrl() {
    if (list_ && ::IsWindow(list_))
        ::RemoveWindowSubclass(list_, SubclassProc, reinterpret_cast<UINT_PTR>(this));
}

void CMListCtrl::Attach(HWND list, UINT endedMessage, Move move) {
    list_ = list;
    endedMessage_ = endedMessage;
    move_ = std::move(move);
    ::SetWindowSubclass(list_, SubclassProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
}

void CMListCtrl::BeginDrag(int row) {
    dragging_ = true;
    current_ = row;
    ::SetCapture(list_);
}

int CMListCtrl::TargetRow(POINT client) const {
    const int count = static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    if (count == 0)
        return -1;
    const int top = static_cast<int>(::SendMessageW(list_, LVM_GETTOPINDEX, 0, 0));
    const int perPage = static_cast<int>(::SendMessageW(list_, LVM_GETCOUNTPERPAGE, 0, 0));
    RECT first{};
    first.left = LVIR_BOUNDS;
    ::SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&first));
    RECT area{};
    ::GetClientRect(list_, &area);
    const int height = std::max<int>(1, first.bottom - first.top);
    if (client.y < first.top)
        return top - 1;
    if (client.y >= area.bottom)
        return top + perPage;
    const int row = top + (client.y - first.top) / height;
    return row < count ? row : top + perPage;
}

void CMListCtrl::EndDrag() {
    if (!dragging_)
        return;
    dragging_ = false;
    if (::GetCapture() == list_)
        ::ReleaseCapture();
    ::PostMessageW(::GetParent(list_), endedMessage_, 0, 0);
}

LRESULT CALLBACK CMListCtrl::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
    auto* self = reinterpret_cast<CMListCtrl*>(data);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, SubclassProc, reinterpret_cast<UINT_PTR>(self));
        self->list_ = nullptr;
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    return Barrier(window, LRESULT{0}, [&] {
        try {
            return self->Handle(message, wParam, lParam);
        } catch (...) {
            // A drag whose step failed ends: the mouse goes back to the other windows.
            self->EndDrag();
            throw;
        }
    });
}

LRESULT CMListCtrl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            return ::DefSubclassProc(list_, message, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_MOUSEMOVE:
            if (dragging_) {
                const int count = static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
                const int target = TargetRow({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                if (target >= 0 && target < count && target != current_) {
                    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
                    // Drawn again whether the move succeeds or throws.
                    const std::unique_ptr<HWND__, void (*)(HWND)> redraw(list_, [](HWND list) {
                        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
                        ::InvalidateRect(list, nullptr, FALSE);
                    });
                    move_(current_, target);
                    current_ = target;
                }
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            if (dragging_) {
                EndDrag();
                return 0;
            }
            break;
        // A drag that loses the mouse ends as a release does.
        case WM_CAPTURECHANGED:
            EndDrag();
            break;
        case WM_KEYDOWN:
            if (dragging_ && wParam == VK_ESCAPE) {
                EndDrag();
                return 0;
            }
            break;
        default:
            break;
    }
    return ::DefSubclassProc(list_, message, wParam, lParam);
}

}  // namespace velmora
