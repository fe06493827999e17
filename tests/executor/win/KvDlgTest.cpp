// The countdown dialog under the real window manager, driven by control id and message.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "controls/win/FontStatic.h"
#include "executor/win/KvDlg.h"
#include "executor/win/resource.h"
#include "model/TaskParams.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

std::u16string TextOf(HWND dialog, int id) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(dialog, id, text, 512);
    return FromWide(text);
}

// The control's own visibility, whether or not the dialog is on the screen yet.
bool Visible(HWND dialog, int id) {
    return (::GetWindowLongPtrW(::GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT RectOf(HWND dialog, int id) {
    RECT rect;
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    return rect;
}

// Waits until `done` holds, for at most two seconds.
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 400; ++i) {
        if (done())
            return true;
        ::Sleep(5);
    }
    return false;
}

struct DrivenRun {
    std::vector<std::u16string> log;
    CountdownOutcome outcome;
};

// Shows the dialog on this thread while `drive` works on it from another, as a user would. The
// dialog is closed afterwards if the driver left it open.
DrivenRun Drive(int action, const std::u16string& delay, const std::u16string& message, int allowCancel,
                const std::function<void(HWND)>& drive) {
    DrivenRun run;
    CountdownLogic logic(action, delay, message, allowCancel,
                         [&run](const std::u16string& line) { run.log.push_back(line); });
    CKvDlg dialog(logic);
    std::thread driver([&] {
        HWND window = nullptr;
        if (!WaitFor([&] { return (window = dialog.hwnd()) != nullptr && ::IsWindowVisible(window); })) {
            ADD_FAILURE() << "the dialog did not appear";
            if (window)
                ::PostMessageW(window, WM_COMMAND, IDOK, 0);
            return;
        }
        drive(window);
        if (dialog.hwnd())
            ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    });
    run.outcome = dialog.Run();
    driver.join();
    return run;
}

void Tick(HWND dialog) {
    ::SendMessageW(dialog, WM_TIMER, kCountdownTimerId, 0);
}

TEST(CountdownDialog, CountsDownAndClosesItselfWithOk) {
    const DrivenRun run = Drive(kActionShutdown, u"30", u"Bye\r\nnow", 1, [](HWND dialog) {
        EXPECT_EQ(u"Velmora", [&] {
            wchar_t caption[64] = {};
            ::GetWindowTextW(dialog, caption, 64);
            return FromWide(caption);
        }());
        EXPECT_EQ(u"Bye\r\nnow", TextOf(dialog, IDC_COUNTDOWN_MESSAGE));
        EXPECT_EQ(u"Time before shutdown 30 sec.", TextOf(dialog, IDC_COUNTDOWN_TEXT));
        HWND progress = ::GetDlgItem(dialog, IDC_COUNTDOWN_PROGRESS);
        EXPECT_TRUE(Visible(dialog, IDC_COUNTDOWN_PROGRESS));
        EXPECT_EQ(30, ::SendMessageW(progress, PBM_GETRANGE, FALSE, 0));
        EXPECT_EQ(0, ::SendMessageW(progress, PBM_GETRANGE, TRUE, 0));
        EXPECT_TRUE(Visible(dialog, IDOK));
        EXPECT_TRUE(Visible(dialog, IDCANCEL));
        for (int i = 0; i < 29; ++i)
            Tick(dialog);
        EXPECT_EQ(u"Time before shutdown 1 sec.", TextOf(dialog, IDC_COUNTDOWN_TEXT));
        EXPECT_EQ(29, ::SendMessageW(progress, PBM_GETPOS, 0, 0));
        EXPECT_TRUE(::IsWindow(dialog));
        Tick(dialog);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    });
    EXPECT_EQ(kDialogOk, run.outcome.result);
    EXPECT_TRUE(run.outcome.endedByTimer);
    EXPECT_EQ((std::vector<std::u16string>{u"Dialog: time to show=30, allow cancel=1, message=Bye\r\nnow"}), run.log);
}

TEST(CountdownDialog, DayLongCountdownUsesTheWholeRange) {
    const DrivenRun run = Drive(kActionRestart, u"86400", u"", 1, [](HWND dialog) {
        HWND progress = ::GetDlgItem(dialog, IDC_COUNTDOWN_PROGRESS);
        EXPECT_EQ(86400, ::SendMessageW(progress, PBM_GETRANGE, FALSE, 0));
        Tick(dialog);
        EXPECT_EQ(1, ::SendMessageW(progress, PBM_GETPOS, 0, 0));
        EXPECT_EQ(u"Time before restart 86399 sec.", TextOf(dialog, IDC_COUNTDOWN_TEXT));
        EXPECT_TRUE(::IsWindow(dialog));
    });
    EXPECT_EQ(kDialogOk, run.outcome.result);
    EXPECT_FALSE(run.outcome.endedByTimer);
}

TEST(CountdownDialog, WithoutCancelOkTakesCancelsPlaceAndEscapeIsIgnored) {
    const DrivenRun run = Drive(kActionLock, u"0", u"m", 0, [](HWND dialog) {
        const RECT ok = RectOf(dialog, IDOK);
        const RECT cancel = RectOf(dialog, IDCANCEL);
        EXPECT_FALSE(Visible(dialog, IDCANCEL));
        EXPECT_FALSE(Visible(dialog, IDC_COUNTDOWN_PROGRESS));
        EXPECT_EQ(cancel.left, ok.left);
        EXPECT_EQ(cancel.top, ok.top);
        EXPECT_EQ(u"Time before lock 0 sec.", TextOf(dialog, IDC_COUNTDOWN_TEXT));
        // Escape, as the keyboard sends it, and a click on the hidden Cancel button.
        ::PostMessageW(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ::Sleep(100);
        EXPECT_TRUE(::IsWindow(dialog));
        ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    });
    EXPECT_EQ(kDialogOk, run.outcome.result);
    EXPECT_FALSE(run.outcome.endedByTimer);
    EXPECT_EQ((std::vector<std::u16string>{u"Dialog: time to show=0, allow cancel=0, message=m", u"Dialog: result=Ok"}),
              run.log);
}

TEST(CountdownDialog, CancelButtonEndsWithCancelWhenAllowed) {
    const DrivenRun run = Drive(kActionRestart, u"60", u"", 1, [](HWND dialog) {
        ::SendMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    });
    EXPECT_EQ(kDialogCancel, run.outcome.result);
    EXPECT_EQ(u"Dialog: result=Cancel", run.log.back());
}

TEST(CountdownDialog, PopupShowsOnlyItsMessageAndEscapeClosesIt) {
    const DrivenRun run = Drive(kActionPopup, u"30", u"Lunch is ready", 0, [](HWND dialog) {
        EXPECT_EQ(u"Lunch is ready", TextOf(dialog, IDC_COUNTDOWN_MESSAGE));
        EXPECT_FALSE(Visible(dialog, IDC_COUNTDOWN_PROGRESS));
        EXPECT_TRUE(Visible(dialog, IDCANCEL));
        EXPECT_EQ(u"", TextOf(dialog, IDC_COUNTDOWN_TEXT));
        ::PostMessageW(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    });
    EXPECT_EQ(kDialogCancel, run.outcome.result);
    EXPECT_EQ((std::vector<std::u16string>{u"Dialog: result=Cancel"}), run.log);
}

TEST(CountdownDialog, EnterPressesOk) {
    const DrivenRun run = Drive(kActionLogOff, u"45", u"x", 1, [](HWND dialog) {
        ::PostMessageW(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(WaitFor([&] { return !::IsWindow(dialog); }));
    });
    EXPECT_EQ(kDialogOk, run.outcome.result);
    EXPECT_EQ(u"Dialog: result=Ok", run.log.back());
}

TEST(CountdownDialog, MessageUsesTheLargeBoldFontAndBothTextsNotify) {
    CountdownLogic logic(kActionLock, u"5", u"m", 1, [](const std::u16string&) {});
    CKvDlg dialog(logic);
    std::thread driver([&] {
        HWND window = nullptr;
        if (!WaitFor([&] { return (window = dialog.hwnd()) != nullptr && ::IsWindowVisible(window); })) {
            ADD_FAILURE() << "the dialog did not appear";
            return;
        }
        for (int id : {IDC_COUNTDOWN_MESSAGE, IDC_COUNTDOWN_TEXT})
            EXPECT_TRUE(::GetWindowLongPtrW(::GetDlgItem(window, id), GWL_STYLE) & SS_NOTIFY) << id;
        const FontStyle message = dialog.MessageStyle();
        EXPECT_EQ(u"MS Sans Serif", message.face);
        EXPECT_EQ(20, message.height);
        EXPECT_TRUE(message.bold);
        EXPECT_EQ(TextAlign::kCenter, message.align);
        const FontStyle countdown = dialog.CountdownStyle();
        EXPECT_EQ(8, countdown.height);
        EXPECT_FALSE(countdown.bold);
        EXPECT_EQ(TextAlign::kLeft, countdown.align);
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(kDialogOk, dialog.Run().result);
    driver.join();
}

TEST(FontStatic, SetFontKeepsSetStylesAndReplacesTheAlignment) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"text", WS_POPUP, 0, 0, 200, 40, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    {
        CFontStatic control;
        ASSERT_TRUE(control.Attach(window));
        EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_STYLE) & SS_NOTIFY);
        EXPECT_EQ(u"MS Sans Serif", control.style().face);
        EXPECT_EQ(8, control.style().height);
        control.SetFont(u"Tahoma", 20, RGB(1, 2, 3), kFontBold | kFontCenter);
        control.SetFont(u"Tahoma", 22, RGB(1, 2, 3), kFontItalic | kFontRight);
        EXPECT_TRUE(control.style().bold);
        EXPECT_TRUE(control.style().italic);
        EXPECT_EQ(TextAlign::kRight, control.style().align);
        EXPECT_EQ(22, control.style().height);
        control.SetFont(u"Tahoma", 22, 0, 0);  // no alignment flag is left
        EXPECT_EQ(TextAlign::kLeft, control.style().align);
        HDC screen = ::GetDC(nullptr);
        EXPECT_EQ(ScaledHeight(22, ::GetDeviceCaps(screen, LOGPIXELSY)), control.PixelHeight())
            << "the font grows with the screen's resolution";
        ::ReleaseDC(nullptr, screen);
        ::ShowWindow(window, SW_SHOW);
        ::UpdateWindow(window);  // paints through the control's own painting
    }
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace velmora
