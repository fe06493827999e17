// The task list page: rows from the task store, the tool bar, the context menu, the keys and the
// commands on the selected task.
#include "manager/win/TaskList.h"

#include <shellapi.h>
#include <windowsx.h>

#include "manager/ShellLogic.h"
#include "manager/ids/TaskFileTextIds.h"
#include "manager/ids/TaskListIds.h"
#include "manager/ids/ToolBarButtonIds.h"
#include "manager/win/UserLocale.h"
#include "manager/win/VesperPS.h"
#include "model/Text.h"
#include "platform/win/SystemFolder.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {
namespace {

constexpr int kImageEnabled = 1;
constexpr int kImageDisabled = 2;

}  // namespace

CTaskList::CTaskList(TaskKind kind, ManagerContext& context)
    : kind_(kind),
      context_(context) {
    OnNotify(IDC_TASK_LIST, LVN_COLUMNCLICK, [this](NMHDR& header) {
        OnColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
        return 0;
    });
    OnNotify(IDC_TASK_LIST, NM_DBLCLK, [this](NMHDR&) {
        Edit();
        return 0;
    });
    OnNotify(IDC_TASK_LIST, NM_RETURN, [this](NMHDR&) {
        Edit();
        return 0;
    });
    OnNotify(IDC_TASK_LIST, LVN_KEYDOWN, [this](NMHDR& header) {
        OnKey(reinterpret_cast<NMLVKEYDOWN&>(header).wVKey);
        return 0;
    });
    OnNotify(IDC_TASK_LIST, NM_CUSTOMDRAW,
             [this](NMHDR& header) { return list_.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header)); });
    OnNotifyCode(PSN_SETACTIVE, [this](NMHDR&) {
        RestoreLayout();
        return 0;
    });
    OnNotifyCode(PSN_KILLACTIVE, [this](NMHDR&) {
        SaveLayout();
        return FALSE;
    });
    // OK and the close box reach every page; only the one the user sees stores its layout, which
    // the other list then takes when it is activated.
    OnNotifyCode(PSN_APPLY, [this](NMHDR&) {
        if (IsCurrentPage())
            SaveLayout();
        return PSNRET_NOERROR;
    });
    OnNotifyCode(PSN_RESET, [this](NMHDR&) {
        if (IsCurrentPage())
            SaveLayout();
        return 0;
    });
    HelpOpens(context_.openHelp);
    OnCommand(ID_TASK_EDIT, [this] { Edit(); });
    OnCommand(ID_TASK_DISABLE, [this] { EnableOrDisable(); });
    OnCommand(ID_TASK_SHORTCUT, [this] { CreateShortcut(); });
    OnCommand(ID_TASK_RUN, [this] { RunOrTerminate(); });
    OnCommand(ID_TASK_DELETE, [this] { Delete(); });
    // The tool bar's buttons; after each the keys go back to the list.
    OnCommand(IDC_BAR_CREATE, [this] { CreateNew(); });
    OnCommand(IDC_BAR_IMPORT, [this] { Import(); });
    OnCommand(IDC_BAR_EXPORT, [this] { Export(); });
    OnCommand(IDC_BAR_RUN, [this] { RunOrTerminate(); });
    OnCommand(IDC_BAR_EDIT, [this] { Edit(); });
    OnCommand(IDC_BAR_DELETE, [this] { Delete(); });
    OnCommand(IDC_BAR_SYSTEM, [this] { SystemDialog(); });
    OnToolBarPress(BarMessage(), IDC_BAR_FIRST, [this] { FocusList(); });
    OnMessageNumber(CVesperPS::ScanMessage(), [this](WPARAM, LPARAM) {
        UpdateAllRows();
        return true;
    });
    OnContextMenu(IDC_TASK_LIST, [this](POINT at, bool byKey) {
        if (byKey) {
            // Near the list's top left corner.
            RECT rect{};
            ::GetWindowRect(list_.hwnd(), &rect);
            at = {rect.left + rect.left / 8, rect.top + rect.top / 8};
        } else {
            // From the mouse: only on a selected row.
            LVHITTESTINFO hit{};
            hit.pt = at;
            ::ScreenToClient(list_.hwnd(), &hit.pt);
            const int row =
                static_cast<int>(::SendMessageW(list_.hwnd(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (row < 0 || !(::SendMessageW(list_.hwnd(), LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED))
                return;
        }
        if (list_.SelectedRow() >= 0)
            ShowContextMenu(at);
    });
}

CTaskList::~CTaskList() = default;

UINT CTaskList::BarMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"UINT WM_LOCALBAR_SELECTED");
    return message;
}

HPROPSHEETPAGE CTaskList::Create() {
    const int tab = kind_ == TaskKind::kLocal ? IDS_TAB_TASKS : IDS_TAB_REMOTE;
    return CreatePage(IDD_TASK_LIST, PSP_HASHELP, LoadText(tab));
}

void CTaskList::OnInitDialog() {
    locale_ = UserLocalePictures();
    list_.Attach(Item(IDC_TASK_LIST));
    // Enter opens the selected task and Tab goes to OK; Shift+Tab still goes back.
    list_.TakeKeys([](const MSG& key) {
        return key.message == WM_KEYDOWN &&
               (key.wParam == VK_RETURN || (key.wParam == VK_TAB && ::GetKeyState(VK_SHIFT) >= 0));
    });
    images_.reset(::ImageList_LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_TASK_IMAGES), 16, 0,
                                         RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
    ::SendMessageW(list_.hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
    for (const TaskColumnSpec& column : kTaskColumns)
        list_.AddColumn(LoadText(column.stringId), column.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT, column.width,
                        column.hideable, column.visibleByDefault);
    list_.SetSortTint(true);

    // The tool bar takes the place of its placeholder, 2 pixels inside it.
    const HWND place = Item(IDC_TOOLBAR_PLACE);
    RECT area{};
    ::GetWindowRect(place, &area);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&area), 2);
    ::InflateRect(&area, -2, -2);
    ::ShowWindow(place, SW_HIDE);
    const bool local = kind_ == TaskKind::kLocal;
    std::vector<ToolButton> buttons = {
        {IDB_CREATE, LoadText(IDS_TIP_CREATE)},
        {IDB_IMPORT, LoadText(IDS_TIP_IMPORT)},
        {IDB_EXPORT, LoadText(IDS_TIP_EXPORT)},
        {IDB_SEPARATOR, L"", false},
        {IDB_RUN, LoadText(IDS_TIP_RUN)},
        {IDB_EDIT, LoadText(IDS_TIP_EDIT)},
        {IDB_DELETE, LoadText(IDS_TIP_DELETE)},
        {IDB_SEPARATOR, L"", false},
        {local ? IDB_POWER_OPTIONS : IDB_REMOTE_SHUTDOWN,
         LoadText(local ? IDS_TIP_POWER_OPTIONS : IDS_TIP_REMOTE_SHUTDOWN)},
    };
    bar_.Create(hwnd(), IDC_TASK_LIST_BAR, area, L"CTaskListBar", BarMessage(), IDC_BAR_FIRST, std::move(buttons));

    RestoreLayout();
    Fill();
}

void CTaskList::Fill(const std::u16string& nameToSelect) {
    ::SendMessageW(list_.hwnd(), WM_SETREDRAW, FALSE, 0);
    list_.DeleteAllRows();
    CScheduledTask scheduler;
    scheduler.KeepSchedulerOpen();
    const std::u16string prefix = kind_ == TaskKind::kLocal ? kLocalPrefix : kRemotePrefix;
    const std::vector<ListedTask> tasks = ListTasks(scheduler, context_.taskFolder, prefix);
    readStamps_.clear();
    for (const ListedTask& task : tasks) {
        // Taken just after the read: only a write within those moments would go unseen until the
        // file's next change.
        readStamps_[task.name] = StampsOf(task.name);
        const CTaskParams* record = task.fileReadable ? &task.record : nullptr;
        const TaskRow row = MakeTaskRow(task.name, task.info, record, TaskText(record, task.foreign), locale_);
        const int index = list_.RowCount();
        ShowRow(row, index, true);
        if (!nameToSelect.empty() && EqualsIgnoringAsciiCase(task.name, nameToSelect))
            list_.SelectRow(index);
    }
    SortRows();
    ::SendMessageW(list_.hwnd(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_.hwnd(), nullptr, TRUE);
    filled_ = true;
}

void CTaskList::ShowRow(const TaskRow& row, int index, bool insert) {
    std::vector<std::wstring> cells;
    for (const std::u16string& text : row.texts)
        cells.push_back(ToWide(text));
    const int image = row.enabled ? kImageEnabled : kImageDisabled;
    if (insert)
        list_.InsertRow(index, cells, image, PackRowData(row));
    else
        list_.SetRow(index, cells, image, PackRowData(row));
}

std::u16string CTaskList::TaskText(const CTaskParams* record, bool foreign) const {
    if (foreign)
        return FromWide(LoadText(IDS_ROW_FOREIGN));
    return FromWide(LoadText(record ? ActionNameStringId(record->action) : IDS_ROW_FILE_UNREADABLE));
}

CTaskList::PairStamps CTaskList::StampsOf(const std::u16string& name) const {
    return {StampOf(JoinPath(context_.taskFolder, name + u".job")), StampOf(TaskFilePath(context_.taskFolder, name))};
}

bool CTaskList::UpdateRow(CScheduledTask& scheduler, const std::u16string& name, int index, bool insert) {
    // Taken before the read: a write after it shows at the next refresh.
    readStamps_[name] = StampsOf(name);
    WorkItemInfo info;
    const HResult read = scheduler.LoadInfo(name + u".job", info);
    if (read == kFileNotFound || read == kPathNotFound) {
        // Removed outside the manager: the row goes too.
        if (!insert)
            list_.DeleteRow(index);
        return false;
    }
    // A record of the row's own: a task file that cannot be read leaves its texts blank.
    CTaskParams record;
    const bool loaded = record.Load(context_.taskFolder, name, false);
    const CTaskParams* shown = loaded ? &record : nullptr;
    ShowRow(MakeTaskRow(name, info, shown, TaskText(shown, IsForeignPair(context_.taskFolder, name, info.parameters)),
                        locale_),
            index, insert);
    return true;
}

void CTaskList::UpdateAllRows() {
    if (!filled_)
        return;
    // Kept open from one refresh to the next: opening the scheduler costs more than many rows.
    if (!refreshScheduler_) {
        refreshScheduler_ = std::make_unique<CScheduledTask>();
        refreshScheduler_->KeepSchedulerOpen();
    }
    // A row whose work item and task file were not rewritten since they were read reads only what
    // the clock and a run change (next and last run, the result); any other is read whole. A row
    // that looks the same is not redrawn.
    for (int index = 0; index < list_.RowCount();) {
        const std::u16string* data = list_.RowData(index);
        if (!data) {
            ++index;
            continue;
        }
        const std::u16string name = RowDataText(*data, 0);
        const auto known = readStamps_.find(name);
        if (known == readStamps_.end() || !known->second.workItem || known->second != StampsOf(name)) {
            if (UpdateRow(*refreshScheduler_, name, index, false))
                ++index;
            continue;
        }
        WorkItemInfo runState;
        const HResult read = refreshScheduler_->LoadRunState(name + u".job", runState);
        if (read == kFileNotFound || read == kPathNotFound) {
            list_.DeleteRow(index);
            continue;
        }
        ShowRow(WithRunState(UnpackRowData(*data, list_.RowImage(index) == kImageEnabled), runState, locale_), index,
                false);
        ++index;
    }
}

void CTaskList::SortRows() {
    const int key = list_.sortKey();
    if (key != 0)
        list_.Sort([key](const std::u16string& a, const std::u16string& b) { return CompareRows(a, b, key); });
}

void CTaskList::OnColumnClick(int controlColumn) {
    int column = -1;
    for (int c = 0; c < list_.ColumnCount(); ++c) {
        if (list_.IsColumnVisible(c) && controlColumn-- == 0) {
            column = c;
            break;
        }
    }
    if (column < 0)
        return;
    list_.SetSortKey(NextSortKey(list_.sortKey(), column));
    SortRows();
}

void CTaskList::OnKey(WORD key) {
    switch (key) {
        case VK_INSERT:
            CreateNew();
            break;
        case VK_DELETE:
            Delete();
            break;
        case VK_TAB:
            // Through the dialog manager, so OK also becomes the default button it shows.
            ::SendMessageW(Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(Sheet(), IDOK)), TRUE);
            break;
        default:
            break;
    }
}

std::u16string CTaskList::SelectedName() const {
    const int row = list_.SelectedRow();
    const std::u16string* data = row >= 0 ? list_.RowData(row) : nullptr;
    return data ? RowDataText(*data, 0) : u"";
}

// The selected task, for a command that changes or runs it; nothing (and a word why) for a task
// that someone we do not trust made.
std::u16string CTaskList::SelectedOwnName() {
    std::u16string name = SelectedName();
    WorkItemInfo info;
    if (!name.empty() && CScheduledTask().LoadInfo(name + u".job", info) >= 0 &&
        IsForeignPair(context_.taskFolder, name, info.parameters)) {
        context_.messageBox(Sheet(), LoadText(IDS_TASK_FOREIGN), MB_OK | MB_ICONWARNING);
        return {};
    }
    return name;
}

void CTaskList::ShowContextMenu(POINT screen) {
    const std::u16string name = SelectedName();
    if (name.empty())
        return;
    const UniqueMenu resource(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_TASK_LIST)));
    const HMENU menu = ::GetSubMenu(resource.get(), 0);
    WorkItemInfo info;
    CScheduledTask().LoadInfo(name + u".job", info);
    if (!info.enabled)
        ::ModifyMenuW(menu, ID_TASK_DISABLE, MF_BYCOMMAND | MF_STRING, ID_TASK_DISABLE,
                      LoadText(IDS_MENU_ENABLE).c_str());
    if (info.status == kTaskRunning)
        ::ModifyMenuW(menu, ID_TASK_RUN, MF_BYCOMMAND | MF_STRING, ID_TASK_RUN, LoadText(IDS_MENU_TERMINATE).c_str());
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

void CTaskList::CreateNew() {
    if (context_.editor)
        AddNewRow(context_.editor->CreateNew(Sheet(), kind_));
}

void CTaskList::Import() {
    if (context_.editor)
        AddNewRow(context_.editor->Import(Sheet(), kind_));
}

// A new task's row takes its place in the sort order, selected and in view; only for a task whose
// work item exists.
void CTaskList::AddNewRow(const std::optional<std::u16string>& name) {
    if (!name)
        return;
    CScheduledTask scheduler;
    WorkItemInfo info;
    if (scheduler.LoadInfo(*name + u".job", info) < 0)
        return;
    if (!UpdateRow(scheduler, *name, list_.RowCount(), true))
        return;
    SortRows();
    list_.SelectRow(FindRow(*name));
}

int CTaskList::FindRow(const std::u16string& name) const {
    for (int row = 0; row < list_.RowCount(); ++row) {
        const std::u16string* data = list_.RowData(row);
        if (data && EqualsIgnoringAsciiCase(RowDataText(*data, 0), name))
            return row;
    }
    return -1;
}

void CTaskList::Export() {
    const std::u16string name = SelectedOwnName();
    if (!name.empty() && context_.editor)
        context_.editor->Export(Sheet(), name);
}

void CTaskList::Edit() {
    const std::u16string name = SelectedOwnName();
    if (name.empty() || !context_.editor)
        return;
    context_.editor->Edit(Sheet(), name, kind_);
    // Whatever the sheet stored, or failed to store, the row shows what is stored now. The rows may
    // have changed while the sheet was open (a refresh removes rows): find it again by its name.
    if (const int now = FindRow(name); now >= 0) {
        CScheduledTask scheduler;
        UpdateRow(scheduler, name, now, false);
    }
}

void CTaskList::Delete() {
    const int row = list_.SelectedRow();
    const std::u16string name = SelectedName();
    if (name.empty())
        return;
    if (context_.messageBox(Sheet(), LoadText(IDS_ASK_DELETE), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CScheduledTask scheduler;
    const HResult result = DeleteTaskPair(scheduler, context_.taskFolder, name);
    if (result < 0) {
        // The work item stays, and so do its task file and its row.
        wchar_t code[16] = {};
        ::swprintf(code, 16, L"0x%08X", static_cast<unsigned>(result));
        context_.messageBox(Sheet(), LoadFilledText(IDS_DELETE_FAILED, {FromWide(code)}), MB_OK | MB_ICONERROR);
        return;
    }
    const int countBefore = list_.RowCount();
    list_.DeleteRow(row);
    list_.SelectRow(SelectionAfterDelete(row, countBefore).value_or(-1));
}

void CTaskList::RunOrTerminate() {
    const std::u16string name = SelectedOwnName();
    if (name.empty())
        return;
    // The executor could not read the task either: say so instead of starting a run that fails.
    CTaskParams record;
    if (!record.Load(context_.taskFolder, name, false)) {
        context_.messageBox(
            Sheet(),
            LoadFilledText(IDS_TASK_FILE_UNREADABLE, {TaskFilePath(context_.taskFolder, name)}),
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CScheduledTask().RunOrTerminate(name + u".job");
}

void CTaskList::EnableOrDisable() {
    const int row = list_.SelectedRow();
    const std::u16string name = SelectedOwnName();
    if (name.empty())
        return;
    CScheduledTask scheduler;
    WorkItemInfo info;
    if (scheduler.LoadInfo(name + u".job", info) < 0)
        return;
    scheduler.SetEnabled(name + u".job", !info.enabled);
    UpdateRow(scheduler, name, row, false);
}

void CTaskList::CreateShortcut() {
    const int row = list_.SelectedRow();
    const std::u16string name = SelectedOwnName();
    if (name.empty() || !context_.editor)
        return;
    const std::u16string* data = list_.RowData(row);
    context_.editor->CreateShortcut(Sheet(), name, RowDataText(*data, 1 + kColumnTask),
                                    RowDataText(*data, 1 + kColumnComment));
}

// The power options through the control panel's own entry point rather than the ".cpl" file type,
// and the system's remote shutdown dialog: both from the system folder, shown as they open.
void CTaskList::SystemDialog() {
    if (kind_ == TaskKind::kLocal)
        StartProgramByPath(SystemFilePath(L"rundll32.exe"),
                           L"shell32.dll,Control_RunDLL \"" + SystemFilePath(L"powercfg.cpl") + L"\"");
    else
        StartProgramByPath(SystemFilePath(L"shutdown.exe"), L"-i");
}

bool CTaskList::IsCurrentPage() const {
    return hwnd() && reinterpret_cast<HWND>(::SendMessageW(Sheet(), PSM_GETCURRENTPAGEHWND, 0, 0)) == hwnd();
}

void CTaskList::SaveLayout() {
    if (list_.hwnd())
        context_.profile.WriteBinary(L"Settings", L"list", list_.LayoutRecord());
}

void CTaskList::RestoreLayout() {
    if (const auto record = context_.profile.ReadBinary(L"Settings", L"list")) {
        const int key = list_.sortKey();
        list_.RestoreLayout(*record);
        if (filled_ && list_.sortKey() != key)
            SortRows();
    }
}

}  // namespace velmora
