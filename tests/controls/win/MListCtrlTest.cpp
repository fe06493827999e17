// The drag-ordered list with the mouse through the system's input: each way a drag can end gives
// the mouse back and tells the owner once, and a move that fails ends the drag and is told.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "controls/win/Barrier.h"
#include "controls/win/MListCtrl.h"
#include "tests/support/win/Input.h"
#include "tests/support/win/SheetDriver.h"

namespace velmora {
namespace {

constexpr UINT kEnded = WM_APP + 1;
constexpr int kListId = 100;

// A top-level window holding the list; it starts the drag the list reports and counts its ends.
struct Host {
    CMListCtrl list;
    int ended = 0;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Host*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_BEGINDRAG) {
            self->list.BeginDrag(reinterpret_cast<NMLISTVIEW*>(lParam)->iItem);
            return 0;
        }
        if (self && message == kEnded) {
            ++self->ended;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

enum class DragEnd { kRelease, kEscape, kFailedMove };

TEST(MListCtrl, EveryEndOfADragGivesTheMouseBackAndTellsTheOwnerOnce) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Host::Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VelmoraMListHost";
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&windowClass);
    std::vector<std::string> told;
    SetFailureTeller([&](HWND, const std::exception* failure) { told.emplace_back(failure ? failure->what() : "?"); });

    const struct {
        DragEnd end;
        std::vector<std::pair<int, int>> moves;  // the steps the drag asked for
        std::vector<std::string> told;
    } cases[] = {
        {DragEnd::kRelease, {{1, 2}, {2, 3}, {3, 4}}, {}},
        {DragEnd::kEscape, {{1, 2}, {2, 3}, {3, 4}}, {}},
        // The first step throws: no later move is asked for, though the mouse goes on.
        {DragEnd::kFailedMove, {{1, 2}}, {"moved nowhere"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.end));
        told.clear();
        Host host;
        const HWND window = ::CreateWindowExW(0, L"VelmoraMListHost", L"drag", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                              40, 40, 320, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
        const HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300,
                                            250, window, reinterpret_cast<HMENU>(kListId), nullptr, nullptr);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = 200;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        for (int row = 0; row < 6; ++row) {
            std::wstring text = L"row " + std::to_wstring(row);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.pszText = text.data();
            ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        std::vector<std::pair<int, int>> moves;
        host.list.Attach(list, kEnded, [&](int current, int target) {
            moves.emplace_back(current, target);
            if (c.end == DragEnd::kFailedMove)
                throw std::runtime_error("moved nowhere");
        });
        EXPECT_EQ(DLGC_WANTALLKEYS, ::SendMessageW(list, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS)
            << "Tab and Enter reach the list's owner through it";

        test::ReadyForInput(window);
        const POINT first = test::RowCentre(list, 1);
        test::MouseTo(list, first, MOUSEEVENTF_LEFTDOWN);
        test::MouseTo(list, {first.x, first.y + 10});  // out of the still area: the list reports a drag
        test::PumpUntil([&] { return host.list.dragging(); }, 5000);
        ASSERT_TRUE(host.list.dragging());
        for (const int row : {2, 3, 4}) {
            test::MouseTo(list, test::RowCentre(list, row));
            test::PumpUntil([&] { return moves.size() == static_cast<std::size_t>(row - 1) || !host.list.dragging(); },
                            2000);
        }
        if (c.end == DragEnd::kEscape) {
            ::SetFocus(list);
            test::PressKey(VK_ESCAPE);
            test::PumpUntil([&] { return !host.list.dragging(); }, 3000);
        }
        test::MouseTo(list, test::RowCentre(list, 4), MOUSEEVENTF_LEFTUP);
        test::PumpUntil([&] { return host.ended > 0; }, 3000);
        test::MouseTo(list, test::RowCentre(list, 0));
        test::PumpUntil([] { return false; }, 200);

        EXPECT_EQ(c.moves, moves);
        EXPECT_FALSE(host.list.dragging());
        EXPECT_NE(list, ::GetCapture()) << "the mouse went back";
        EXPECT_EQ(1, host.ended) << "the owner hears of the end once";
        EXPECT_EQ(c.told, told);
        ::DestroyWindow(window);
    }
    SetFailureTeller(nullptr);
}

}  // namespace
}  // namespace velmora
