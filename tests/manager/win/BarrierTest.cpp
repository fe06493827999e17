// An exception in an operation stops that operation, the user is told why, and the window goes on
// answering: a click that throws, then a click that works, in one of the manager's dialogs.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "controls/win/Barrier.h"
#include "controls/win/DialogBase.h"
#include "manager/ids/AccountIds.h"
#include "manager/ids/SheetIds.h"
#include "manager/win/VesperApp.h"
#include "platform/win/ResourceText.h"
#include "tests/support/win/Input.h"
#include "tests/support/win/Messages.h"
#include "tests/support/win/SheetDriver.h"

namespace velmora {
namespace {

// The account dialog's template with handlers of the test's own: OK throws, the user field's
// label counts clicks, Cancel closes.
class Thrower : public DialogBase {
public:
    Thrower() {
        OnCommand(IDOK, [] { throw std::runtime_error("the disk is full"); });
        OnCommand(IDCANCEL, [this] { ::DestroyWindow(hwnd()); });
        OnCommand(IDC_ACCOUNT_USER, EN_CHANGE, [this] { ++changes; });
    }
    using DialogBase::CreateModeless;
    int changes = 0;
};

TEST(Barrier, AnOperationThatThrowsIsToldAndTheWindowGoesOn) {
    struct Told {
        HWND window;
        std::wstring text;
    };
    std::vector<Told> told;
    SetFailureTeller([&](HWND window, const std::exception* failure) {
        told.push_back({window, FailureText(failure)});
        throw std::logic_error("a failure while telling is not told again");
    });
    Thrower dialog;
    const HWND window = dialog.CreateModeless(IDD_ACCOUNT, nullptr);
    ASSERT_TRUE(window);
    ::ShowWindow(window, SW_SHOW);
    ASSERT_TRUE(test::BringToFront(window));
    test::Click(::GetDlgItem(window, IDOK));
    test::PumpUntil([&] { return !told.empty(); }, 3000);
    ASSERT_EQ(1u, told.size());
    EXPECT_EQ(window, told[0].window);
    EXPECT_EQ(LoadFilledText(IDS_OPERATION_FAILED, {u"the disk is full"}), told[0].text);
    EXPECT_NE(std::wstring::npos, told[0].text.find(L"the disk is full"));

    // The dialog still takes keys and clicks.
    test::Click(::GetDlgItem(window, IDC_ACCOUNT_USER));
    test::PressKey('A');
    test::PumpUntil([&] { return dialog.changes > 0; }, 3000);
    EXPECT_EQ(1, dialog.changes);
    test::PressKey(VK_ESCAPE);
    test::PumpUntil([&] { return !::IsWindow(window); }, 3000);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(1u, told.size());
    SetFailureTeller(nullptr);
}

}  // namespace
}  // namespace velmora
