// The task page's controls mapped to the task page rules.
#include "manager/win/TaskPage.h"

#include <commctrl.h>

#include "controls/win/DialogItems.h"
#include "manager/ids/TaskPageIds.h"
#include "manager/win/AccountDialog.h"
#include "manager/win/WizardButtons.h"

namespace velmora {

CTaskProp::CTaskProp(EditorState& state, ManagerContext& context) : state_(state), context_(context) {
    OnNotifyCode(PSN_SETACTIVE, [this](NMHDR&) {
        if (state_.wizard)
            SetWizardButtons(Sheet(), WizardMoment::kTaskShown);
        ApplyRules();
        WriteControls();
        return 0;
    });
    OnNotifyCode(PSN_KILLACTIVE, [this](NMHDR&) { return ReadControls() ? FALSE : TRUE; });
    OnNotifyCode(PSN_WIZNEXT, [this](NMHDR&) {
        const LRESULT stay = OnWizardNext();
        // The page that follows may be the system's Schedule page, which sets no buttons.
        if (stay == 0)
            SetWizardButtons(Sheet(), WizardMoment::kTaskLeft);
        return stay;
    });
    // What the page read counts only when the whole sheet is accepted: the sheet's result says so.
    OnNotifyCode(PSN_APPLY, [this](NMHDR&) {
        // A refusal shows this page, wherever OK was pressed.
        return static_cast<LRESULT>(ReadControls() ? PSNRET_NOERROR : PSNRET_INVALID);
    });
    HelpOpens(context_.openHelp);
    OnCommand(kCtlAction, CBN_SELCHANGE, [this] { OnActionChanged(); });
    OnCommand(kCtlNoShow, [this] {
        state_.record.noshow = Checked(kCtlNoShow) ? 1 : 0;
        ApplyRules();
    });
    OnCommand(kCtlRunOnlyIfLoggedOn, [this] { OnRunOnlyIfLoggedOn(); });
    // The link's hand.
    OnMessageNumber(WM_SETCURSOR, [this](WPARAM wParam, LPARAM) {
        if (reinterpret_cast<HWND>(wParam) != Item(kCtlLogFile))
            return false;
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        SetResult(TRUE);
        return true;
    });
    OnCommand(kCtlLogFile, STN_CLICKED, [this] {
        if (context_.showLog)
            context_.showLog(Sheet(), state_.record.history);
    });
}

HPROPSHEETPAGE CTaskProp::Create() {
    return CreatePage(IDD_TASK_PROP, PSP_HASHELP);
}

void CTaskProp::OnInitDialog() {
    SetItemTextsUnderOwnIds(hwnd(), {IDS_ACTION_LABEL, IDS_COMMENT_LABEL, IDS_NO_SHOW, IDS_FORCE,
                                     IDS_RUN_ONLY_IF_LOGGED_ON, IDS_DIALOG_GROUP, IDS_MESSAGE_LABEL, IDS_DELAY_LABEL,
                                     IDS_SECONDS_LABEL, IDS_ALLOW_CANCEL});
    // The 32-bit range: every countdown up to ten years, not only up to 32767.
    ::SendDlgItemMessageW(hwnd(), kCtlDelaySpin, UDM_SETRANGE32, 0, static_cast<LPARAM>(kDelayMaximum));
    LimitText(hwnd(), kCtlComment, kCommentLimit);
    LimitText(hwnd(), kCtlMessage, kMessageLimit);
    LimitText(hwnd(), kCtlDelay, kDelayTextLimit);
    if (state_.wizard)
        ::ShowWindow(Item(kCtlLogFile), SW_HIDE);
    state_.record.delay = DelayShown(state_.record.delay);
    const HWND actions = Item(kCtlAction);
    int selected = 0;
    const int current = KnownAction(state_.action);
    for (const ActionChoice& choice : ActionChoices(state_.kind)) {
        const int index = static_cast<int>(
            ::SendMessageW(actions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(choice.stringId).c_str())));
        ::SendMessageW(actions, CB_SETITEMDATA, index, choice.action);
        if (choice.action == current)
            selected = index;
    }
    ::SendMessageW(actions, CB_SETCURSEL, selected, 0);
    state_.action = SelectedAction();
    if (context_.isAdministrator && !context_.isAdministrator())
        ::EnableWindow(Item(kCtlRunOnlyIfLoggedOn), FALSE);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
    font.lfUnderline = TRUE;
    linkFont_.reset(::CreateFontIndirectW(&font));
    ::SendMessageW(Item(kCtlLogFile), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);
    ApplyRules();
    WriteControls();
}

// "Log file.." is drawn as a link. A dialog answers a control's colour with the brush itself.
HBRUSH CTaskProp::OnControlColor(UINT message, HDC dc, HWND control) {
    if (message != WM_CTLCOLORSTATIC || control != Item(kCtlLogFile))
        return nullptr;
    ::SetTextColor(dc, RGB(0, 0, 204));
    ::SetBkMode(dc, TRANSPARENT);
    // No fill of its own: the page's background, plain or themed, shows through.
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}


int CTaskProp::SelectedAction() const {
    const HWND actions = Item(kCtlAction);
    const auto index = ::SendMessageW(actions, CB_GETCURSEL, 0, 0);
    const auto data = ::SendMessageW(actions, CB_GETITEMDATA, index, 0);
    return KnownAction(data);
}

void CTaskProp::ApplyRules() {
    const TaskPageView view = ApplyTaskPageRules(
        {state_.action, state_.kind, state_.wizard, state_.record.noshow != 0, state_.record.force != 0});
    for (const auto& [control, visible] : view.visibility)
        ::ShowWindow(Item(control), visible ? SW_SHOW : SW_HIDE);
    state_.record.noshow = view.noShow ? 1 : 0;
    state_.record.force = view.force ? 1 : 0;
    SetChecked(hwnd(), kCtlNoShow, view.noShow);
    SetChecked(hwnd(), kCtlForce, view.force);
}

void CTaskProp::WriteControls() {
    SetItemText(hwnd(), kCtlComment, state_.record.comment);
    SetItemText(hwnd(), kCtlMessage, state_.record.message);
    SetItemText(hwnd(), kCtlDelay, state_.record.delay);
    SetChecked(hwnd(), kCtlNoShow, state_.record.noshow);
    SetChecked(hwnd(), kCtlForce, state_.record.force);
    SetChecked(hwnd(), kCtlAllowCancel, state_.record.cancel);
    SetChecked(hwnd(), kCtlRunOnlyIfLoggedOn, state_.runOnlyIfLoggedOn);
}

bool CTaskProp::ReadControls() {
    const std::u16string comment = ItemText(hwnd(), kCtlComment);
    const std::u16string message = ItemText(hwnd(), kCtlMessage);
    const std::u16string delay = ItemText(hwnd(), kCtlDelay);
    // What the user sees decides, not whether the page is the one shown.
    const TaskPageView view =
        ApplyTaskPageRules({SelectedAction(), state_.kind, state_.wizard, Checked(kCtlNoShow), Checked(kCtlForce)});
    if (const int refused = RefusedTaskField(view, comment, message, delay)) {
        RefuseField(Sheet(), Item(refused));
        return false;
    }
    state_.action = SelectedAction();
    state_.record.comment = comment;
    state_.record.message = message;
    if (CheckDelay(delay))
        state_.record.delay = delay;
    state_.record.noshow = Checked(kCtlNoShow) ? 1 : 0;
    state_.record.force = Checked(kCtlForce) ? 1 : 0;
    state_.record.cancel = Checked(kCtlAllowCancel) ? 1 : 0;
    state_.runOnlyIfLoggedOn = Checked(kCtlRunOnlyIfLoggedOn);
    return true;
}

void CTaskProp::OnActionChanged() {
    state_.action = SelectedAction();
    state_.record.noshow = Checked(kCtlNoShow) ? 1 : 0;
    state_.record.force = Checked(kCtlForce) ? 1 : 0;
    if (TicksRunOnlyIfLoggedOn(
            {state_.kind, state_.action, state_.accountStored, !state_.userName.empty(), !state_.password.empty()})) {
        state_.runOnlyIfLoggedOn = true;
        SetChecked(hwnd(), kCtlRunOnlyIfLoggedOn, true);
    }
    ApplyRules();
}

void CTaskProp::OnRunOnlyIfLoggedOn() {
    state_.runOnlyIfLoggedOn = Checked(kCtlRunOnlyIfLoggedOn);
    if (!AsksForAccount(state_.kind, state_.action, state_.runOnlyIfLoggedOn))
        return;
    CAccDlg account(context_, state_.userName);
    if (account.Run(Sheet())) {
        state_.userName = account.userName;
        state_.password = std::move(account.password);
        state_.accountChanged = true;
    } else {
        state_.runOnlyIfLoggedOn = true;
        SetChecked(hwnd(), kCtlRunOnlyIfLoggedOn, true);
    }
}

LRESULT CTaskProp::OnWizardNext() {
    if (HibernationLetsPageGo(state_.action, state_.kind,
                              {context_.isAdministrator, context_.hibernationAllowed, context_.enableHibernation}))
        return 0;
    context_.messageBox(Sheet(), LoadText(IDS_HIBERNATE_OFF), MB_OK | MB_ICONINFORMATION);
    return -1;  // stay on the page
}

}  // namespace velmora
