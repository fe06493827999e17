// The computer list page: the list's rows come from the page logic (owner data), the bar, the
// menus, the keys and the dialogs feed the logic, and the window timers drive its batches.
#include "manager/win/CompList.h"

#include <algorithm>

#include "controls/win/SheetControls.h"
#include "manager/CheckReport.h"
#include "manager/IpRange.h"
#include "manager/NetworkBrowsing.h"
#include "manager/ids/BusyWaitIds.h"
#include "manager/ids/ComputerListIds.h"
#include "manager/ids/FastChecksTextIds.h"
#include "manager/ids/ToolBarButtonIds.h"
#include "manager/win/AddComp.h"
#include "manager/win/BusyWait.h"
#include "manager/win/IpRange.h"
#include "manager/win/WizardButtons.h"
#include "model/Text.h"
#include "platform/win/ResourceText.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

constexpr int kComputerColumnWidth = 250;
constexpr int kStateColumnWidth = 90;
constexpr UINT kDragEnded = WM_APP + 14;

// The page window's timers, made when its batch logic asks for them.
class PageTimers : public BatchTimers {
public:
    explicit PageTimers(const CCompList& page) : page_(page) {}
    std::uint32_t Set(int timer, unsigned milliseconds) override {
        if (::SetTimer(page_.hwnd(), static_cast<UINT_PTR>(timer), milliseconds, nullptr))
            return 0;
        const DWORD error = ::GetLastError();
        return error != 0 ? error : ERROR_NO_SYSTEM_RESOURCES;
    }
    void Kill(int timer) override { ::KillTimer(page_.hwnd(), static_cast<UINT_PTR>(timer)); }

private:
    const CCompList& page_;
};

void SetRowState(HWND list, int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

// --- the tool bar -------------------------------------------------------------------------------

UINT CCompBar::Message() {
    static const UINT message = ::RegisterWindowMessageW(L"UINT WM_COMPBAR_SELECTED");
    return message;
}

HWND CCompBar::Create(HWND page, const RECT& area) {
    std::vector<ToolButton> buttons = {
        {IDB_CREATE, LoadText(IDS_TIP_CREATE), true, ID_COMP_ADD_MENU},
        {IDB_SEPARATOR, L"", false},
        {IDB_RUN, LoadText(IDS_TIP_RUN)},
        {IDB_EDIT, LoadText(IDS_TIP_EDIT)},
        {IDB_DELETE, LoadText(IDS_TIP_DELETE)},
    };
    return ToolBar::Create(page, IDC_COMP_BAR, area, L"CCompBar", Message(), IDC_COMP_BAR_FIRST, std::move(buttons));
}

// --- the page -----------------------------------------------------------------------------------

CCompList::CCompList(CTaskParams& record, const int& action, bool wizard, ManagerContext& context,
                     ComputerServices services)
    : record_(record),
      action_(action),
      wizard_(wizard),
      context_(context),
      services_(std::move(services)),
      logic_(services_.operations, services_.launcher, std::make_shared<PageTimers>(*this), services_.fastChecks) {
    OnNotify(IDC_COMP_LIST, LVN_GETDISPINFOW,
             [this](NMHDR& header) { return OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header)); });
    OnNotify(IDC_COMP_LIST, LVN_GETINFOTIPW,
             [this](NMHDR& header) { return OnGetInfoTip(reinterpret_cast<NMLVGETINFOTIPW&>(header)); });
    OnNotify(IDC_COMP_LIST, LVN_COLUMNCLICK, [this](NMHDR& header) {
        OnColumnClick(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
        return 0;
    });
    OnNotify(IDC_COMP_LIST, NM_DBLCLK, [this](NMHDR&) {
        Edit();
        return 0;
    });
    OnNotify(IDC_COMP_LIST, NM_RETURN, [this](NMHDR&) {
        Edit();
        return 0;
    });
    OnNotify(IDC_COMP_LIST, LVN_KEYDOWN, [this](NMHDR& header) {
        OnKey(reinterpret_cast<NMLVKEYDOWN&>(header).wVKey);
        return 0;
    });
    OnNotify(IDC_COMP_LIST, LVN_BEGINDRAG, [this](NMHDR& header) {
        list_.BeginDrag(reinterpret_cast<NMLISTVIEW&>(header).iItem);
        return 0;
    });
    // The counter follows the selection while no batch runs; during one, the refresh ticks do it.
    const auto selectionChanged = [this](NMHDR&) {
        if (!logic_.batchRunning())
            UpdateCounter();
        return 0;
    };
    OnNotify(IDC_COMP_LIST, LVN_ITEMCHANGED, selectionChanged);
    OnNotify(IDC_COMP_LIST, LVN_ODSTATECHANGED, selectionChanged);
    OnNotifyCode(PSN_SETACTIVE, [this](NMHDR&) {
        if (wizard_)
            SetWizardButtons(Sheet(), WizardMoment::kComputersShown);
        SetStateColumn();
        Fill();
        return 0;
    });
    OnNotifyCode(PSN_WIZNEXT, [this](NMHDR&) { return OnWizardNext(); });
    OnNotifyCode(PSN_KILLACTIVE, [this](NMHDR&) {
        record_.computers = logic_.Computers();
        return FALSE;
    });
    OnNotifyCode(PSN_APPLY, [this](NMHDR&) {
        if (!SettleScan())
            return static_cast<LRESULT>(PSNRET_INVALID_NOCHANGEPAGE);
        record_.computers = logic_.Computers();
        return static_cast<LRESULT>(PSNRET_NOERROR);
    });
    OnNotifyCode(PSN_HELP, [this](NMHDR&) {
        Help();
        return 0;
    });
    OnCommand(ID_COMP_EDIT, [this] { Edit(); });
    OnCommand(ID_COMP_RUN, [this] { Run(); });
    OnCommand(ID_COMP_PING, [this] { Ping(); });
    OnCommand(ID_COMP_DELETE, [this] { Delete(); });
    OnCommand(ID_COMP_GET_MAC, [this] { GetMac(); });
    OnCommand(ID_COMP_CHECK, [this] { Check(); });
    OnCommand(ID_COMP_RANGE, [this] { RangeOfIp(); });
    OnCommand(ID_COMP_WORKGROUPS, [this] { Workgroups(); });
    OnCommand(ID_COMP_AD_SEARCH, [this] { AdSearch(); });
    OnCommand(ID_COMP_ADD_MENU, [this] { ShowAddMenu(); });
    OnCommand(ID_COMP_FAST_CHECKS, [this] { logic_.SetFastChecks(!logic_.fastChecks()); });
    // The tool bar's buttons; after each the keys go back to the list.
    OnCommand(IDC_COMP_BAR_ADD, [this] { Add(); });
    OnCommand(IDC_COMP_BAR_RUN, [this] { Run(); });
    OnCommand(IDC_COMP_BAR_EDIT, [this] { Edit(); });
    OnCommand(IDC_COMP_BAR_DELETE, [this] { Delete(); });
    OnToolBarPress(CCompBar::Message(), IDC_COMP_BAR_FIRST, [this] { ::SetFocus(list_.hwnd()); });
    for (const int timer : {kTimerRun, kTimerRefresh, kTimerGetMac, kTimerScan, kTimerPing, kTimerCheck})
        OnTimer(static_cast<UINT_PTR>(timer), [this, timer] { OnBatchTimer(timer); });
    // The stored order becomes the order on screen.
    OnMessageNumber(kDragEnded, [this](WPARAM, LPARAM) {
        logic_.StoreDisplayedOrder();
        return true;
    });
    OnContextMenu(IDC_COMP_LIST, [this](POINT at, bool byKey) {
        if (byKey) {
            RECT rect{};
            ::GetWindowRect(list_.hwnd(), &rect);
            at = {rect.left + 16, rect.top + 24};
        }
        ShowContextMenu(at, byKey);
    });
    // A sheet that goes away (the manager closing) keeps only the addresses checked so far.
    OnMessageNumber(WM_DESTROY, [this](WPARAM, LPARAM) {
        if (logic_.batchKind() == BatchKind::kScan) {
            logic_.StopScan(wakeup());
            record_.computers = logic_.Computers();
        }
        return false;
    });
}

HPROPSHEETPAGE CCompList::Create() {
    return CreatePage(IDD_COMP_LIST, PSP_HASHELP, LoadText(IDS_PAGE_REMOTE));
}

void CCompList::OnInitDialog() {
    list_.Attach(Item(IDC_COMP_LIST), kDragEnded,
                 [this](int current, int target) { OnDragStep(current, target); });
    const HWND list = list_.hwnd();
    images_.reset(::ImageList_LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_COMPUTERS), 16, 1,
                                         RGB(255, 255, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));
    ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
    std::wstring computer = LoadText(IDS_COL_COMPUTER);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = computer.data();
    column.cx = kComputerColumnWidth;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    // The second column gets its header and width each time the page becomes active.
    wchar_t empty[] = L"";
    column.pszText = empty;
    column.cx = 0;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));

    // The bar takes the place of its placeholder, 2 pixels inside it.
    const HWND place = Item(IDC_COMP_BAR_PLACE);
    RECT area{};
    ::GetWindowRect(place, &area);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&area), 2);
    ::InflateRect(&area, -2, -2);
    ::ShowWindow(place, SW_HIDE);
    bar_.Create(hwnd(), area);

    logic_.SetComputers(record_.computers);
    Fill();
}

TaskValues CCompList::CurrentTask() const {
    return {action_, record_.force != 0, record_.noshow != 0, record_.delay, record_.message};
}

std::vector<int> CCompList::SelectedRows() const {
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(
                ::SendMessageW(list_.hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0)
        rows.push_back(row);
    return rows;
}

void CCompList::SelectOnly(const std::vector<int>& rows) {
    SetRowState(list_.hwnd(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (const int row : rows)
        SetRowState(list_.hwnd(), row, LVIS_SELECTED, LVIS_SELECTED);
    if (!rows.empty())
        SetRowState(list_.hwnd(), rows.front(), LVIS_FOCUSED, LVIS_FOCUSED);
}

void CCompList::ShowRows(bool keepScroll) {
    ::SendMessageW(list_.hwnd(), LVM_SETITEMCOUNT, static_cast<WPARAM>(logic_.RowCount()),
                   keepScroll ? LVSICF_NOSCROLL : 0);
    ::InvalidateRect(list_.hwnd(), nullptr, FALSE);
    UpdateCounter();
}

void CCompList::Fill() {
    ::SendMessageW(list_.hwnd(), WM_SETREDRAW, FALSE, 0);
    logic_.Fill(wakeup());
    SelectOnly({});
    ::SendMessageW(list_.hwnd(), LVM_SETITEMCOUNT, static_cast<WPARAM>(logic_.RowCount()), 0);
    ::SendMessageW(list_.hwnd(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_.hwnd(), nullptr, TRUE);
    UpdateCounter();
}

void CCompList::AppendRow(ComputerEntry texts) {
    const int row = logic_.Append(std::move(texts), wakeup());
    ::SendMessageW(list_.hwnd(), LVM_SETITEMCOUNT, static_cast<WPARAM>(logic_.RowCount()),
                   LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    SelectOnly({row});
    ::SendMessageW(list_.hwnd(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    UpdateCounter();
}

// Written only when it changes: every refresh tick comes here.
void CCompList::UpdateCounter() {
    const int selected = static_cast<int>(::SendMessageW(list_.hwnd(), LVM_GETSELECTEDCOUNT, 0, 0));
    const std::wstring text = ToWide(CounterText(selected, logic_.ComputerCount()));
    wchar_t shown[32] = {};
    ::GetDlgItemTextW(hwnd(), IDC_COMP_COUNTER, shown, 32);
    if (text != shown)
        ::SetDlgItemTextW(hwnd(), IDC_COMP_COUNTER, text.c_str());
}

void CCompList::SetStateColumn() {
    std::wstring header = wakeup() ? LoadText(IDS_COL_MAC_ADDRESS) : LoadText(IDS_COL_STATE);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = header.data();
    column.cx = kStateColumnWidth;
    ::SendMessageW(list_.hwnd(), LVM_SETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
}

namespace {

// A text into the list view's buffer of `size` characters, cut to fit with its ending zero.
void CopyCut(const std::u16string& text, wchar_t* buffer, int size) {
    const std::size_t length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size - 1));
    std::copy_n(text.data(), length, buffer);
    buffer[length] = L'\0';
}

}  // namespace

LRESULT CCompList::OnGetDisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || item.iItem >= logic_.RowCount())
        return 0;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        CopyCut(logic_.Row(item.iItem).cells[item.iSubItem == 1 ? 1 : 0], item.pszText, item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = 0;
    return 0;
}

LRESULT CCompList::OnGetInfoTip(NMLVGETINFOTIPW& tip) {
    if (tip.iItem < 0 || tip.iItem >= logic_.RowCount() || !tip.pszText || tip.cchTextMax <= 0)
        return 0;
    const ComputerRef& entry = logic_.Row(tip.iItem).entry;
    const std::u16string found = entry->Tip();
    if (found.empty())
        return 0;
    CopyCut(entry->Text(kTextState) + u"\r\n" + found, tip.pszText, tip.cchTextMax);
    return 0;
}

LRESULT CCompList::OnWizardNext() {
    if (logic_.ComputerCount() > 0)
        return 0;
    Add();
    return -1;  // a remote task needs a computer: the page stays
}

bool CCompList::SettleScan() {
    if (logic_.batchKind() != BatchKind::kScan)
        return true;
    const HWND sheet = Sheet();
    if (!::IsWindowVisible(sheet)) {
        StopScan();
        return true;
    }
    const std::wstring question =
        LoadFilledText(IDS_ASK_SCAN_RUNNING, {DecimalText(static_cast<long long>(logic_.CheckedCount())),
                                              DecimalText(static_cast<long long>(logic_.workCount()))});
    const UINT flags = MB_YESNO | MB_ICONQUESTION;
    const int answer = context_.messageBox ? context_.messageBox(sheet, question, flags)
                                           : ::MessageBoxW(sheet, question.c_str(), kProgramTitle, flags);
    // The Scan may have ended while the question was open: then there is nothing to wait for.
    if (answer == IDYES && logic_.batchKind() == BatchKind::kScan) {
        closeWhenScanEnds_ = true;
        return false;
    }
    StopScan();
    return true;
}

void CCompList::StopScan() {
    if (!logic_.StopScan(wakeup()))
        return;
    SelectOnly({});
    ShowRows(false);
}

HWND CCompList::Owner() const {
    return Sheet();
}

// --- commands -----------------------------------------------------------------------------------

void CCompList::Add() {
    if (wakeup()) {
        CAddCompM dialog(ComputerEntry{}, false, services_);
        if (dialog.Run(Owner()))
            AppendRow(dialog.entry);
    } else {
        CAddComp dialog(ComputerEntry{}, action_, services_);
        if (dialog.Run(Owner()))
            AppendRow(dialog.entry);
    }
}

void CCompList::Edit() {
    const std::vector<int> rows = SelectedRows();
    const EditKind kind = PlanEdit(static_cast<int>(rows.size()), wakeup());
    if (kind == EditKind::kNone)
        return;
    // The computers themselves: a batch that ends while the dialog is open may refill the rows.
    const std::vector<ComputerRef> edited = logic_.EntriesOf(rows);
    bool accepted = false;
    ComputerEntry texts;
    if (kind == EditKind::kComputer) {
        CAddComp dialog(edited[0]->Texts(), action_, services_);
        accepted = dialog.Run(Owner());
        texts = dialog.entry;
    } else {
        CAddCompM dialog(kind == EditKind::kWakeOne ? edited[0]->Texts() : ComputerEntry{},
                         kind == EditKind::kWakeSeveral, services_);
        accepted = dialog.Run(Owner());
        texts = dialog.entry;
    }
    if (!accepted)
        return;
    logic_.ApplyEdit(kind, edited, texts);
    ::InvalidateRect(list_.hwnd(), nullptr, FALSE);
}

void CCompList::Delete() {
    const DeleteResult result = logic_.Delete(SelectedRows());
    if (!result.done)
        return;
    ::SendMessageW(list_.hwnd(), LVM_SETITEMCOUNT, static_cast<WPARAM>(logic_.RowCount()), LVSICF_NOSCROLL);
    SelectOnly(result.select >= 0 ? std::vector<int>{result.select} : std::vector<int>{});
    if (result.show >= 0)
        ::SendMessageW(list_.hwnd(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(result.show), FALSE);
    ::InvalidateRect(list_.hwnd(), nullptr, FALSE);
    UpdateCounter();
}

// The logic starts the batch's timers; a batch that could not have them ended at once, and its
// rows say why.
void CCompList::StartBatch(BatchKind kind) {
    if (logic_.Start(kind, SelectedRows(), action_) == StartResult::kFailed) {
        ::InvalidateRect(list_.hwnd(), nullptr, FALSE);
        UpdateCounter();
    }
}

void CCompList::Help() {
    const std::vector<ComputerRef> selected = logic_.EntriesOf(SelectedRows());
    const bool checked =
        std::any_of(selected.begin(), selected.end(), [](const ComputerRef& entry) { return !entry->Tip().empty(); });
    if (checked && context_.openHelpPage)
        context_.openHelpPage(Sheet(), kCheckHelpPage);
    else if (context_.openHelp)
        context_.openHelp(Sheet());
}

void CCompList::OnBatchTimer(int timer) {
    const HWND list = list_.hwnd();
    const int top = static_cast<int>(::SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    const int perPage = static_cast<int>(::SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
    const TickResult result = logic_.Tick(timer, CurrentTask(), top, perPage);
    if (result.refilled) {
        SelectOnly({});
        ShowRows(false);
        // The user chose to wait for the Scan before the sheet closes.
        if (closeWhenScanEnds_) {
            closeWhenScanEnds_ = false;
            ::PostMessageW(Sheet(), PSM_PRESSBUTTON, wizard_ ? PSBTN_FINISH : PSBTN_OK, 0);
        }
        return;
    }
    if (result.rowCount > 0)
        ::SendMessageW(list, LVM_REDRAWITEMS, static_cast<WPARAM>(result.firstRow),
                       static_cast<LPARAM>(result.firstRow + result.rowCount - 1));
    UpdateCounter();
}

void CCompList::RangeOfIp() {
    // Refused while a batch runs: its worker holds an item of the work list.
    if (!logic_.BeginRange())
        return;
    CIpRange dialog(FreeRoom(static_cast<std::size_t>(logic_.ComputerCount())), logic_.fastChecks());
    if (!dialog.Run(Owner()))
        return;
    logic_.SetFastChecks(dialog.fastChecks);
    AddRange(dialog.addresses, dialog.autoScan);
}

void CCompList::AddRange(const std::vector<std::u16string>& addresses, bool autoScan) {
    if (!logic_.BeginRange())
        return;
    logic_.TakeRange(addresses, autoScan, wakeup());
    SelectOnly({});
    ShowRows(false);
}

// The names are resolved and the ARP requests sent on a worker thread; the page takes what was
// found, in order, only when the wait was not cancelled.
void CCompList::Workgroups() {
    if (logic_.batchRunning() || !services_.network || !services_.launcher)
        return;
    auto found = std::make_shared<std::vector<ComputerEntry>>();
    const bool done = WaitWhileBusy(
        Owner(), LoadText(IDS_BUSY_WORKGROUPS), *services_.launcher,
        [network = services_.network, found, listed = logic_.ListedNames(), wakeup = wakeup(),
         room = FreeRoom(static_cast<std::size_t>(logic_.ComputerCount()))]() mutable {
            *found = BrowseWorkgroups(*network, wakeup, room, listed);
        });
    if (!done)
        return;
    // One repaint for all of them: each append selects its row and scrolls it into view.
    ::SendMessageW(list_.hwnd(), WM_SETREDRAW, FALSE, 0);
    for (const ComputerEntry& entry : *found)
        AppendRow(entry);
    ::SendMessageW(list_.hwnd(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_.hwnd(), nullptr, FALSE);
}

void CCompList::AdSearch() {
    if (logic_.batchRunning() || !services_.pickFromDirectory)
        return;
    const std::vector<std::u16string> paths = services_.pickFromDirectory(Owner());
    NameSet listed = logic_.ListedNames();
    for (const std::u16string& name : NewDirectoryNames(paths, listed, logic_.ComputerCount())) {
        ComputerEntry entry;
        entry[kTextName] = name;
        AppendRow(std::move(entry));
    }
}

void CCompList::OnColumnClick(int column) {
    const std::vector<ComputerRef> selected = logic_.EntriesOf(SelectedRows());
    if (logic_.ClickColumn(column, wakeup())) {
        // The selection goes with its computers.
        std::vector<int> rows;
        for (int row = 0; row < logic_.RowCount(); ++row)
            if (std::find(selected.begin(), selected.end(), logic_.Row(row).entry) != selected.end())
                rows.push_back(row);
        SelectOnly(rows);
    } else {
        SelectOnly({});
    }
    ::InvalidateRect(list_.hwnd(), nullptr, FALSE);
    UpdateCounter();
}

void CCompList::OnKey(WORD key) {
    switch (key) {
        case VK_TAB:
            ::SetFocus(::GetDlgItem(Sheet(), wizard_ ? kWizardNextButton : IDOK));
            break;
        case VK_INSERT:
            // Shift+Insert opens the add menu, the keyboard's way to the arrow beside Create New.
            if (::GetKeyState(VK_SHIFT) < 0)
                ShowAddMenu();
            else
                Add();
            break;
        case VK_DELETE:
            Delete();
            break;
        case 'K':
            if (::GetKeyState(VK_CONTROL) < 0)
                Check();
            break;
        case VK_F1:
            Help();
            break;
        default:
            break;
    }
}

void CCompList::OnDragStep(int current, int target) {
    const std::vector<int> selected = logic_.DragStep(current, target, SelectedRows());
    SelectOnly(selected);
    if (!selected.empty())
        ::SendMessageW(list_.hwnd(), LVM_ENSUREVISIBLE,
                       static_cast<WPARAM>(target > current ? selected.back() : selected.front()), FALSE);
}

void CCompList::ShowContextMenu(POINT screen, bool byKey) {
    if (::SendMessageW(list_.hwnd(), LVM_GETSELECTEDCOUNT, 0, 0) == 0)
        return;
    const UniqueMenu resource(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_COMP_LIST)));
    const HMENU menu = ::GetSubMenu(resource.get(), 0);
    const ContextMenuPlan plan = PlanContextMenu(action_, byKey);
    if (plan.runStringId == 0) {
        ::DeleteMenu(menu, ID_COMP_RUN, MF_BYCOMMAND);
    } else {
        const std::wstring text = (plan.accelerator ? L"&" : L"") + LoadText(plan.runStringId);
        ::ModifyMenuW(menu, ID_COMP_RUN, MF_BYCOMMAND | MF_STRING, ID_COMP_RUN, text.c_str());
    }
    if (plan.getMac)
        ::InsertMenuW(menu, 3, MF_BYPOSITION | MF_STRING, ID_COMP_GET_MAC, LoadText(IDS_MENU_GET_MAC).c_str());
    ::ModifyMenuW(menu, ID_COMP_FAST_CHECKS, MF_BYCOMMAND | MF_STRING, ID_COMP_FAST_CHECKS,
                  LoadText(IDS_FAST_CHECKS).c_str());
    ::CheckMenuItem(menu, ID_COMP_FAST_CHECKS, MF_BYCOMMAND | (logic_.fastChecks() ? MF_CHECKED : MF_UNCHECKED));
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

void CCompList::ShowAddMenu() {
    const UniqueMenu resource(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_COMP_ADD)));
    const RECT button = bar_.ButtonScreenRect(IDC_COMP_BAR_ADD - IDC_COMP_BAR_FIRST);
    ::TrackPopupMenu(::GetSubMenu(resource.get(), 0), TPM_LEFTALIGN | TPM_TOPALIGN, button.left, button.bottom, 0,
                     hwnd(), nullptr);
}

}  // namespace velmora
