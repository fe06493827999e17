// The wizard and the properties sheet of a task: the task page's controls mapped to the task page
// rules, the account dialog, the finish page, and the order in which the record, the work item
// and the task file are stored.
#include "manager/win/AddWiz.h"

#include <commctrl.h>

#include "controls/win/DialogItems.h"
#include "controls/win/SheetControls.h"
#include "manager/AccountLogic.h"
#include "manager/ShellLogic.h"
#include "manager/StringIds.h"
#include "manager/win/CompList.h"
#include "manager/win/SchedulePage.h"
#include "manager/win/Shell.h"
#include "manager/win/res/resource.h"
#include "model/File.h"
#include "model/win/TaskFolder.h"
#include "platform/win/SystemMessage.h"
#include "platform/win/WideText.h"
#include "scheduler/TaskStore.h"

namespace velmora {
namespace {

// The computer's name, or nothing (with the system's error) when it cannot be read.
std::optional<std::u16string> ComputerName(DWORD& error) {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!::GetComputerNameW(name, &size)) {
        error = ::GetLastError();
        return std::nullopt;
    }
    return FromWide(name, size);
}

void SetWizardButtons(HWND sheet, WizardMoment moment) {
    const unsigned buttons = WizardButtonsAt(moment);
    DWORD flags = 0;
    flags |= buttons & kWizardBack ? PSWIZB_BACK : 0;
    flags |= buttons & kWizardNext ? PSWIZB_NEXT : 0;
    flags |= buttons & kWizardFinish ? PSWIZB_FINISH : 0;
    ::SendMessageW(sheet, PSM_SETWIZBUTTONS, 0, flags);
}

// The sheets are modal and owned by our own window, never by whatever is in the foreground. The
// sheet's result: positive when it was accepted as a whole (OK, or Finish), 0 when cancelled.
INT_PTR RunSheet(HWND owner, const std::wstring& caption, DWORD flags, std::vector<HPROPSHEETPAGE>& pages) {
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = flags;
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    return ::PropertySheetW(&header);
}

constexpr DWORD kWizardFlags = PSH_WIZARD | PSH_NOAPPLYNOW | PSH_WIZARDCONTEXTHELP;
constexpr DWORD kPropertiesFlags = PSH_NOAPPLYNOW;

}  // namespace

// --- the account dialog -----------------------------------------------------------------------

CAccDlg::CAccDlg(ManagerContext& context, std::u16string name) : userName(std::move(name)), context_(context) {
    OnCommand(IDOK, [this] { Accept(); });
    OnCommand(IDCANCEL, [this] {
        WipeItem(hwnd(), IDC_ACCOUNT_PASSWORD);
        WipeItem(hwnd(), IDC_ACCOUNT_CONFIRM);
        End(IDCANCEL);
    });
}

bool CAccDlg::Run(HWND owner) {
    return RunModal(IDD_ACCOUNT, owner) == IDOK;
}

void CAccDlg::OnInitDialog() {
    ::SetWindowTextW(hwnd(), LoadText(IDS_ACCOUNT_TITLE).c_str());
    ::SetDlgItemTextW(hwnd(), IDC_ACCOUNT_USER_LABEL, LoadText(IDS_COL_USER).c_str());
    ::SetDlgItemTextW(hwnd(), IDC_ACCOUNT_PASSWORD_LABEL, LoadText(IDS_PASSWORD_LABEL).c_str());
    ::SetDlgItemTextW(hwnd(), IDC_ACCOUNT_CONFIRM_LABEL, LoadText(IDS_CONFIRM_LABEL).c_str());
    ::SendDlgItemMessageW(hwnd(), IDC_ACCOUNT_USER, EM_LIMITTEXT, 150, 0);
    ::SendDlgItemMessageW(hwnd(), IDC_ACCOUNT_PASSWORD, EM_LIMITTEXT, 50, 0);
    ::SendDlgItemMessageW(hwnd(), IDC_ACCOUNT_CONFIRM, EM_LIMITTEXT, 50, 0);
    SetItemText(hwnd(), IDC_ACCOUNT_USER, userName);
}

void CAccDlg::Accept() {
    AccountInput input{ItemText(hwnd(), IDC_ACCOUNT_USER), SecretItemText(hwnd(), IDC_ACCOUNT_PASSWORD),
                       SecretItemText(hwnd(), IDC_ACCOUNT_CONFIRM)};
    DWORD nameError = 0;
    const AccountCheck check = CheckAccount(input, ComputerName(nameError));
    if (!check.accept) {
        const int field = check.focus == kAccountPassword       ? IDC_ACCOUNT_PASSWORD
                          : check.focus == kAccountConfirmation ? IDC_ACCOUNT_CONFIRM
                                                                : IDC_ACCOUNT_USER;
        if (check.messageId) {
            const std::u16string text =
                check.messageId == IDS_COMPUTER_NAME_UNKNOWN
                    ? FillIn(FromWide(LoadText(check.messageId)), {SystemMessageText(nameError)})
                    : FromWide(LoadText(check.messageId));
            context_.messageBox(hwnd(), ToWide(text), MB_OK | MB_ICONEXCLAMATION);
        }
        if (check.flash)
            FlashOnce(hwnd());
        ::SetFocus(Item(field));
        return;
    }
    userName = check.userName;
    password = std::move(input.password);
    WipeItem(hwnd(), IDC_ACCOUNT_PASSWORD);
    WipeItem(hwnd(), IDC_ACCOUNT_CONFIRM);
    End(IDOK);
}

// --- the task page ----------------------------------------------------------------------------

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
    OnNotifyCode(PSN_HELP, [this](NMHDR&) {
        if (context_.openHelp)
            context_.openHelp(Sheet());
        return 0;
    });
    OnCommand(kCtlAction, CBN_SELCHANGE, [this] { OnActionChanged(); });
    OnCommand(kCtlNoShow, [this] {
        state_.record.noshow = Checked(kCtlNoShow) ? 1 : 0;
        ApplyRules();
    });
    OnCommand(kCtlRunOnlyIfLoggedOn, [this] { OnRunOnlyIfLoggedOn(); });
    OnCommand(kCtlLogFile, STN_CLICKED, [this] {
        if (context_.showLog)
            context_.showLog(Sheet(), state_.record.history);
    });
}

HPROPSHEETPAGE CTaskProp::Create() {
    return CreatePage(IDD_TASK_PROP, PSP_HASHELP);
}

void CTaskProp::OnInitDialog() {
    for (const int control :
         {IDS_ACTION_LABEL, IDS_COMMENT_LABEL, IDS_NO_SHOW, IDS_FORCE, IDS_RUN_ONLY_IF_LOGGED_ON, IDS_DIALOG_GROUP,
          IDS_MESSAGE_LABEL, IDS_DELAY_LABEL, IDS_SECONDS_LABEL, IDS_ALLOW_CANCEL})
        ::SetDlgItemTextW(hwnd(), control, LoadText(control).c_str());
    // The 32-bit range: every countdown up to ten years, not only up to 32767.
    ::SendDlgItemMessageW(hwnd(), kCtlDelaySpin, UDM_SETRANGE32, 0, static_cast<LPARAM>(kDelayMaximum));
    ::SendDlgItemMessageW(hwnd(), kCtlComment, EM_LIMITTEXT, kCommentLimit, 0);
    ::SendDlgItemMessageW(hwnd(), kCtlMessage, EM_LIMITTEXT, kMessageLimit, 0);
    ::SendDlgItemMessageW(hwnd(), kCtlDelay, EM_LIMITTEXT, kDelayTextLimit, 0);
    if (state_.wizard)
        ::ShowWindow(Item(kCtlLogFile), SW_HIDE);
    if (state_.record.delay.empty())
        state_.record.delay = u"20";
    const HWND actions = Item(kCtlAction);
    int selected = 0;
    const int current = state_.action < 0 || state_.action > kActionWakeOnLan ? kActionWakeUp : state_.action;
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

bool CTaskProp::OnMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == Item(kCtlLogFile)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        SetResult(TRUE);
        return true;
    }
    return false;
}

int CTaskProp::SelectedAction() const {
    const HWND actions = Item(kCtlAction);
    const auto index = ::SendMessageW(actions, CB_GETCURSEL, 0, 0);
    const auto data = ::SendMessageW(actions, CB_GETITEMDATA, index, 0);
    return data < 0 || data > 10 ? kActionWakeUp : static_cast<int>(data);
}

void CTaskProp::ApplyRules() {
    const TaskPageView view = ApplyTaskPageRules(
        {state_.action, state_.kind, state_.wizard, state_.record.noshow != 0, state_.record.force != 0});
    for (const auto& [control, visible] : view.visibility)
        ::ShowWindow(Item(control), visible ? SW_SHOW : SW_HIDE);
    state_.record.noshow = view.noShow ? 1 : 0;
    state_.record.force = view.force ? 1 : 0;
    ::CheckDlgButton(hwnd(), kCtlNoShow, view.noShow ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd(), kCtlForce, view.force ? BST_CHECKED : BST_UNCHECKED);
}

void CTaskProp::WriteControls() {
    SetItemText(hwnd(), kCtlComment, state_.record.comment);
    SetItemText(hwnd(), kCtlMessage, state_.record.message);
    SetItemText(hwnd(), kCtlDelay, state_.record.delay);
    ::CheckDlgButton(hwnd(), kCtlNoShow, state_.record.noshow ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd(), kCtlForce, state_.record.force ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd(), kCtlAllowCancel, state_.record.cancel ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd(), kCtlRunOnlyIfLoggedOn, state_.runOnlyIfLoggedOn ? BST_CHECKED : BST_UNCHECKED);
}

void CTaskProp::Refuse(int control) {
    // Posted: refused at apply with another page shown, the sheet shows this page first.
    ::PostMessageW(Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(control)), TRUE);
    FlashOnce(Sheet());
}

bool CTaskProp::ReadControls() {
    const std::u16string comment = ItemText(hwnd(), kCtlComment);
    const std::u16string message = ItemText(hwnd(), kCtlMessage);
    const std::u16string delay = ItemText(hwnd(), kCtlDelay);
    // What the user sees decides, not whether the page is the one shown.
    const TaskPageView view =
        ApplyTaskPageRules({SelectedAction(), state_.kind, state_.wizard, Checked(kCtlNoShow), Checked(kCtlForce)});
    if (const int refused = RefusedTaskField(view, comment, message, delay)) {
        Refuse(refused);
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
        ::CheckDlgButton(hwnd(), kCtlRunOnlyIfLoggedOn, BST_CHECKED);
    }
    ApplyRules();
}

void CTaskProp::OnRunOnlyIfLoggedOn() {
    state_.runOnlyIfLoggedOn = Checked(kCtlRunOnlyIfLoggedOn);
    if (state_.kind != TaskKind::kRemote || state_.action == kActionWakeOnLan || state_.runOnlyIfLoggedOn)
        return;
    CAccDlg account(context_, state_.userName);
    if (account.Run(Sheet())) {
        state_.userName = account.userName;
        state_.password = std::move(account.password);
        state_.accountChanged = true;
    } else {
        state_.runOnlyIfLoggedOn = true;
        ::CheckDlgButton(hwnd(), kCtlRunOnlyIfLoggedOn, BST_CHECKED);
    }
}

LRESULT CTaskProp::OnWizardNext() {
    if (state_.action != kActionHibernate || state_.kind != TaskKind::kLocal)
        return 0;
    if (context_.isAdministrator && context_.isAdministrator() && context_.enableHibernation)
        context_.enableHibernation();
    if (context_.hibernationAllowed && !context_.hibernationAllowed()) {
        context_.messageBox(Sheet(), LoadText(IDS_HIBERNATE_OFF), MB_OK | MB_ICONINFORMATION);
        return -1;  // stay on the page
    }
    return 0;
}

// --- the finish page --------------------------------------------------------------------------

CAddWiz3::CAddWiz3() {
    OnNotifyCode(PSN_SETACTIVE, [this](NMHDR&) {
        SetWizardButtons(Sheet(), WizardMoment::kFinishShown);
        // The Next button that brought the user here is gone, and the page has no field: the keys
        // go to Finish, so Enter finishes and Escape cancels.
        ::PostMessageW(Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(Sheet(), kWizardFinishButton)),
                       TRUE);
        return 0;
    });
    OnNotifyCode(PSN_WIZBACK, [this](NMHDR&) {
        // The page before may be the system's Schedule page, which sets no buttons.
        SetWizardButtons(Sheet(), WizardMoment::kFinishLeftBack);
        return 0;
    });
    OnNotifyCode(PSN_WIZFINISH, [this](NMHDR&) {
        // Every page stores what it holds, the Schedule page its triggers into the work item.
        // A page that refuses (a trigger the scheduler could not run) keeps the wizard open.
        if (!::SendMessageW(Sheet(), PSM_APPLY, 0, 0))
            return TRUE;
        finished_ = true;
        return FALSE;
    });
}

HPROPSHEETPAGE CAddWiz3::Create() {
    return CreatePage(IDD_FINISH, 0);
}

// --- the sheets -------------------------------------------------------------------------------

void CAddWiz::Tell(HWND owner, int stringId, const std::vector<std::u16string>& fillIns) {
    context_.messageBox(owner, ToWide(FillIn(FromWide(LoadText(stringId)), fillIns)), MB_OK | MB_ICONEXCLAMATION);
}

std::optional<std::u16string> CAddWiz::RunNew(HWND owner, TaskKind kind, const std::optional<std::u16string>& iniPath) {
    EditorState state;
    state.record.Reset();
    state.record.action = kActionShutdown;
    if (iniPath) {
        if (!state.record.ImportIni(*iniPath, kComputerLimit))
            return std::nullopt;
        // A task of the other kind does not fit this list.
        const bool hasComputers = !state.record.computers.empty();
        if ((kind == TaskKind::kLocal) == hasComputers)
            return std::nullopt;
    }
    state.action = state.record.action;
    WorkItemEditor editor;
    if (FAILED(editor.BeginNew(kind)))
        return std::nullopt;
    state.wizard = true;
    state.kind = kind;
    state.userName = CScheduledTask().CurrentUser();

    CTaskProp taskPage(state, context_);
    CAddWiz3 finishPage;
    CCompList computersPage(state.record, state.action, state.wizard, context_);
    std::vector<HPROPSHEETPAGE> pages = {taskPage.Create()};
    if (kind == TaskKind::kRemote)
        pages.push_back(computersPage.Create());
    // The scheduler's own Schedule page where it has one, ours otherwise; it lives until the end.
    std::unique_ptr<CSchedulePage> ownSchedule;
    pages.push_back(CreateSchedulePage(editor, true, ownSchedule, context_.systemSchedulePage));
    pages.push_back(finishPage.Create());
    RunSheet(owner, LoadText(IDS_WIZARD_CAPTION), kWizardFlags, pages);
    if (!finishPage.finished())
        return std::nullopt;  // cancelled: the work item was never stored

    state.record.action = state.action;
    state.record.local = kind == TaskKind::kLocal ? 1 : 0;
    for (ComputerEntry& computer : state.record.computers) {
        computer[kTextRangeAddress].clear();
        computer[kTextState].clear();
    }
    WorkItemSettings settings{kind,           state.action,   state.runOnlyIfLoggedOn,
                              state.userName, state.password, state.accountChanged};
    const std::u16string name = editor.name();
    const NewTaskPair pair = CreateTaskPair([&] { return editor.FinishNew(settings); },
                                            [&] { return CScheduledTask().DeleteTask(name + u".job"); }, state.record,
                                            context_.taskFolder, name);
    // Finish stores the task or says why not.
    const EditorMessage message =
        NewTaskMessage(pair, TaskFilePath(context_.taskFolder, name), JoinPath(context_.taskFolder, name + u".job"),
                       [](HResult code) { return SystemMessageText(static_cast<std::uint32_t>(code)); });
    if (message.stringId)
        Tell(owner, message.stringId, message.fillIns);
    if (!pair.stored())
        return std::nullopt;
    return name;
}

bool CAddWiz::RunProperties(HWND owner, const std::u16string& name) {
    EditorState state;
    state.kind = TaskKindOfName(name).value_or(TaskKind::kLocal);
    WorkItemEditor editor;
    WorkItemSettings settings;
    if (FAILED(editor.BeginExisting(name, settings)))
        return false;
    state.runOnlyIfLoggedOn = settings.runOnlyIfLoggedOn;
    // A stored account of its own: the system account (every Wake-on-LAN task's) is none, and a
    // remote shutdown must not keep it silently when the action changes.
    WorkItemInfo info;
    CScheduledTask().LoadInfo(name + u".job", info);
    state.accountStored = !settings.runOnlyIfLoggedOn && !info.account.empty() && info.account != u"SYSTEM";
    state.userName = settings.userName;
    state.wizard = false;
    if (!state.record.Load(context_.taskFolder, name, true)) {
        // Never open, and so never rewrite, a task whose file cannot be read.
        Tell(owner, IDS_TASK_FILE_UNREADABLE, {TaskFilePath(context_.taskFolder, name)});
        return false;
    }
    state.action = state.record.action;

    CTaskProp taskPage(state, context_);
    CCompList computersPage(state.record, state.action, state.wizard, context_);
    std::vector<HPROPSHEETPAGE> pages = {taskPage.Create()};
    if (state.kind == TaskKind::kRemote)
        pages.push_back(computersPage.Create());
    std::unique_ptr<CSchedulePage> ownSchedule;
    pages.push_back(CreateSchedulePage(editor, false, ownSchedule, context_.systemSchedulePage));
    // A page's apply counts only when the whole sheet was accepted: after a refused OK, Cancel
    // stores nothing.
    if (RunSheet(owner, LoadText(IDS_PROPERTIES_CAPTION), kPropertiesFlags, pages) <= 0)
        return false;

    state.record.action = state.action;
    state.record.local = state.kind == TaskKind::kLocal ? 1 : 0;
    for (ComputerEntry& computer : state.record.computers) {
        computer[kTextRangeAddress].clear();
        computer[kTextState].clear();
    }
    // The executor may have appended a run's log while the sheet was open: keep it.
    CTaskParams onDisk;
    if (onDisk.Load(context_.taskFolder, name, true))
        state.record.history = onDisk.history;
    WorkItemSettings changed{state.kind,     state.action,   state.runOnlyIfLoggedOn,
                             state.userName, state.password, state.accountChanged};
    bool accountWarning = false;
    bool fileWritten = false;
    bool fileRestored = false;
    const HResult result = ChangeTaskPair(
        state.record, context_.taskFolder, name,
        [&] {
            fileWritten = true;
            return editor.FinishExisting(changed);
        },
        accountWarning, &fileRestored);
    if (!fileWritten) {
        Tell(owner, IDS_TASK_FILE_UNWRITABLE, {TaskFilePath(context_.taskFolder, name)});
        return false;
    }
    if (accountWarning)
        Tell(owner, IDS_ACCOUNT_WARNING);
    if (result < 0 && !accountWarning) {
        // Nothing is left half-saved without a word: the scheduler's reason, and where the task
        // file stands.
        const std::u16string reason = ResultText(static_cast<std::uint32_t>(result), false) + u": " +
                                      SystemMessageText(static_cast<std::uint32_t>(result));
        Tell(owner, fileRestored ? IDS_WORK_ITEM_NOT_SAVED : IDS_WORK_ITEM_NOT_SAVED_FILE_CHANGED,
             {reason, TaskFilePath(context_.taskFolder, name)});
        return false;
    }
    return true;
}

// --- the entry points of the task lists ---------------------------------------------------------

std::optional<std::u16string> ManagerTaskEditor::CreateNew(HWND owner, TaskKind kind) {
    return CAddWiz(context_).RunNew(owner, kind, std::nullopt);
}

std::optional<std::u16string> ManagerTaskEditor::Import(HWND owner, TaskKind kind) {
    const std::optional<std::wstring> path = AskImportPath(owner);
    if (!path)
        return std::nullopt;
    return CAddWiz(context_).RunNew(owner, kind, std::u16string(path->begin(), path->end()));
}

bool ManagerTaskEditor::Edit(HWND owner, const std::u16string& name, TaskKind) {
    return CAddWiz(context_).RunProperties(owner, name);
}

void ManagerTaskEditor::Export(HWND owner, const std::u16string& name) {
    ExportTask(owner, context_.taskFolder, name, context_.messageBox);
}

void ManagerTaskEditor::CreateShortcut(HWND owner, const std::u16string& name, const std::u16string& taskText,
                                       const std::u16string& commentText) {
    CreateTaskShortcut(owner, name, taskText, commentText, context_.messageBox);
}

}  // namespace velmora
