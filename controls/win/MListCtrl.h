// A list view whose rows the user orders by dragging them with the left button.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

namespace velmora {

// A list view that takes every key, so Tab and Enter reach the page, and moves the
// selected rows while the left button drags them. The end of a drag reaches the page as a private
// message, also when the drag loses the mouse (Alt+Tab, Escape).
class CMListCtrl {
public:
    using Move = std::function<void(int current, int target)>;

    CMListCtrl() = default;
    ~CMListCtrl();
    CMListCtrl(const CMListCtrl&) = delete;
    CMListCtrl& operator=(const CMListCtrl&) = delete;

    void Attach(HWND list, UINT endedMessage, Move move);
    void BeginDrag(int row);
    HWND hwnd() const { return list_; }
    bool dragging() const { return dragging_; }
    // The row under a point of the list, or the one a cursor above or below the rows points to;
    // beside the list only the height counts.
    int TargetRow(POINT client) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void EndDrag();

    HWND list_ = nullptr;
    UINT endedMessage_ = 0;
    Move move_;
    bool dragging_ = false;
    int current_ = 0;
};

}  // namespace velmora
