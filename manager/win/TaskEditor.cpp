// The task sheets: which pages each shows, and what Finish and OK store.
#include "manager/win/TaskEditor.h"

#include <memory>

#include "manager/ShellLogic.h"
#include "manager/ids/TaskEditorIds.h"
#include "manager/ids/TaskFileTextIds.h"
#include "manager/TaskPropLogic.h"
#include "manager/win/CompList.h"
#include "manager/win/FinishPage.h"
#include "manager/win/SchedulePage.h"
#include "manager/win/Shell.h"
#include "manager/win/TaskPage.h"
#include "model/File.h"
#include "model/win/TaskFolder.h"
#include "platform/win/SystemMessage.h"
#include "platform/win/WideText.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {
namespace {

constexpr DWORD kWizardFlags = PSH_WIZARD | PSH_NOAPPLYNOW | PSH_WIZARDCONTEXTHELP;
constexpr DWORD kPropertiesFlags = PSH_NOAPPLYNOW;

}  // namespace

// The sheets are modal and owned by our own window, never by whatever is in the foreground.
bool CAddWiz::RunSheet(HWND owner, EditorState& state, WorkItemEditor& editor) {
    CTaskProp taskPage(state, context_);
    CCompList computersPage(state.record, state.action, state.wizard, context_);
    CAddWiz3 finishPage;
    std::vector<HPROPSHEETPAGE> pages = {taskPage.Create()};
    if (state.kind == TaskKind::kRemote)
        pages.push_back(computersPage.Create());
    // The scheduler's own Schedule page where it has one, ours otherwise; it lives until the end.
    std::unique_ptr<CSchedulePage> ownSchedule;
    pages.push_back(CreateSchedulePage(editor, state.wizard, ownSchedule, context_.systemSchedulePage));
    if (state.wizard)
        pages.push_back(finishPage.Create());

    const std::wstring caption = LoadText(state.wizard ? IDS_WIZARD_CAPTION : IDS_PROPERTIES_CAPTION);
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = state.wizard ? kWizardFlags : kPropertiesFlags;
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    const INT_PTR result = ::PropertySheetW(&header);
    // A wizard counts only when Finish stored every page. A page's apply counts only when the whole
    // sheet was accepted: after a refused OK, Cancel stores nothing.
    return state.wizard ? finishPage.finished() : result > 0;
}

void CAddWiz::Tell(HWND owner, int stringId, const std::vector<std::u16string>& fillIns) {
    context_.messageBox(owner, LoadFilledText(stringId, fillIns), MB_OK | MB_ICONEXCLAMATION);
}

std::optional<std::u16string> CAddWiz::RunNew(HWND owner, TaskKind kind, const std::optional<std::u16string>& iniPath) {
    EditorState state;
    state.record.Reset();
    state.record.action = kActionShutdown;
    if (iniPath && (!state.record.ImportIni(*iniPath, kComputerLimit) || !ImportFitsKind(state.record, kind)))
        return std::nullopt;
    state.action = state.record.action;
    WorkItemEditor editor;
    if (FAILED(editor.BeginNew(kind)))
        return std::nullopt;
    state.wizard = true;
    state.kind = kind;
    state.userName = CScheduledTask().CurrentUser();
    if (!RunSheet(owner, state, editor))
        return std::nullopt;  // cancelled: the work item was never stored

    const WorkItemSettings settings = PrepareToStore(state);
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
    WorkItemSettings stored;
    if (FAILED(editor.BeginExisting(name, stored)))
        return false;
    state.runOnlyIfLoggedOn = stored.runOnlyIfLoggedOn;
    WorkItemInfo info;
    CScheduledTask().LoadInfo(name + u".job", info);
    state.accountStored = HasOwnAccount(stored, info.account);
    state.userName = stored.userName;
    state.wizard = false;
    if (!state.record.Load(context_.taskFolder, name, true)) {
        // Never open, and so never rewrite, a task whose file cannot be read.
        Tell(owner, IDS_TASK_FILE_UNREADABLE, {TaskFilePath(context_.taskFolder, name)});
        return false;
    }
    state.action = state.record.action;
    if (!RunSheet(owner, state, editor))
        return false;

    const WorkItemSettings changed = PrepareToStore(state);
    // The executor may have appended a run's log while the sheet was open: keep it.
    CTaskParams onDisk;
    if (onDisk.Load(context_.taskFolder, name, true))
        state.record.history = onDisk.history;
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
