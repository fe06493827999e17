// The countdown dialog's window: shows what the countdown logic decides.
#include "executor/win/KvDlg.h"

#include <commctrl.h>

#include "executor/win/resource.h"

namespace velmora {
namespace {

constexpr UINT kSimpleBeep = 0xFFFFFFFF;

}  // namespace

CKvDlg::CKvDlg(CountdownLogic& logic) : logic_(logic) {
    OnCommand(IDOK, [this] {
        logic_.OnOk();
        End(IDOK);
    });
    OnCommand(IDCANCEL, [this] {
        if (logic_.OnCancel())
            End(IDCANCEL);
    });
}

CountdownOutcome CKvDlg::Run() {
    const INT_PTR result = RunModal(IDD_COUNTDOWN);
    if (result == -1 || result == 0) {
        const DWORD error = ::GetLastError();
        return {kDialogCancel, false, error != 0 ? error : static_cast<std::uint32_t>(ERROR_INVALID_WINDOW_HANDLE)};
    }
    return {result == IDOK ? kDialogOk : kDialogCancel, endedByTimer_, 0};
}

void CKvDlg::OnInitDialog() {
    const CountdownView view = logic_.Start();
    message_.Attach(Item(IDC_COUNTDOWN_MESSAGE));
    message_.SetFont(u"MS Sans Serif", 20, RGB(0, 0, 0), kFontBold | kFontCenter);
    message_.SetText(view.message);
    countdown_.Attach(Item(IDC_COUNTDOWN_TEXT));

    HWND progress = Item(IDC_COUNTDOWN_PROGRESS);
    if (view.progressVisible) {
        ::SendMessageW(progress, PBM_SETRANGE32, 0, view.progressUpper);
        ::SendMessageW(progress, PBM_SETSTEP, 1, 0);
    } else {
        ::ShowWindow(progress, SW_HIDE);
    }
    if (view.timerRunning)
        ::SetTimer(hwnd(), kCountdownTimerId, kCountdownTimerMs, nullptr);
    if (!view.cancelVisible) {
        HWND cancel = Item(IDCANCEL);
        RECT place;
        ::GetWindowRect(cancel, &place);
        ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&place), 2);
        ::ShowWindow(cancel, SW_HIDE);
        if (view.okInCancelPlace) {
            ::SetWindowPos(Item(IDOK), nullptr, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (view.countdownTextSet)
        countdown_.SetText(view.countdownText);
    ::MessageBeep(kSimpleBeep);
}

bool CKvDlg::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_TIMER && wParam == kCountdownTimerId) {
        OnTimer();
        return true;
    }
    return false;
}

void CKvDlg::OnTimer() {
    const CountdownTick tick = logic_.OnTimer();
    ::SendMessageW(Item(IDC_COUNTDOWN_PROGRESS), PBM_STEPIT, 0, 0);
    countdown_.SetText(tick.countdownText);
    if (!tick.finished)
        return;
    ::KillTimer(hwnd(), kCountdownTimerId);
    ::MessageBeep(kSimpleBeep);
    endedByTimer_ = true;
    End(IDOK);
}

}  // namespace velmora
