// The manager's main sheet and task lists under Wine with the real Task Scheduler: tabs, rows
// from real work items, the commands on them and the layout kept in the registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "controls/ColumnLayout.h"
#include "controls/win/SheetControls.h"
#include "manager/ids/ActionTextIds.h"
#include "manager/ids/SheetIds.h"
#include "manager/ids/TaskListIds.h"
#include "manager/ids/ToolBarButtonIds.h"
#include "manager/TaskListLogic.h"
#include "manager/win/VesperPS.h"
#include "model/File.h"
#include "model/TaskParams.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"
#include "tests/support/TestSupport.h"
#include "tests/support/win/Input.h"
#include "tests/support/win/Messages.h"
#include "tests/support/win/OwnTasks.h"
#include "tests/support/win/PopupMenu.h"
#include "tests/support/win/SheetDriver.h"
#include "tests/support/win/TaskPairs.h"
#include "tests/support/win/WorkItems.h"

namespace velmora {
namespace {

using test::PumpUntil;

// The task editor's entry points as the lists call them, noted; Create New makes what `create` makes.
class RecordingEditor : public NoTaskEditor {
public:
    std::optional<std::u16string> CreateNew(HWND, TaskKind kind) override {
        calls.push_back(kind == TaskKind::kLocal ? u"CreateNew local" : u"CreateNew remote");
        return create ? create() : std::nullopt;
    }
    bool Edit(HWND, const std::u16string& name, TaskKind) override {
        calls.push_back(u"Edit " + name);
        return false;
    }
    std::vector<std::u16string> calls;
    std::function<std::optional<std::u16string>()> create;
};

// The middle of a window's part: a row of a list, a header item, a tab.
POINT Middle(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class ManagerSheet : public ::testing::Test {
protected:
    // The tests' own prefix holds no task when a test starts; a test removes only what it made.
    test::OwnTasks own;
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Corvane");
        ASSERT_TRUE(own.before().empty()) << "the Task Scheduler holds tasks no test made: run the tests in their own prefix";
        context.taskFolder = TaskStoreFolder();
        context.editor = &editor;
        context.messageBox = [this](HWND, const std::wstring& text, UINT) {
            questions.push_back(text);
            return answer;
        };
    }
    void TearDown() override {
        sheet.reset();
        own.RemoveMade();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Corvane");
    }
    CTaskList& Open(bool remoteTab = true) {
        sheet = std::make_unique<CVesperPS>(context, SheetOptions{remoteTab, true});
        sheet->Show();
        test::Pump();
        EXPECT_TRUE(test::BringToFront(sheet->hwnd()));
        test::Pump();
        return sheet->tasks();
    }
    void PressOk() {
        ::SendMessageW(sheet->hwnd(), PSM_PRESSBUTTON, PSBTN_OK, 0);
        test::Pump();
        sheet.reset();
    }
    int RowOf(CTaskList& page, const std::u16string& name) {
        for (int row = 0; row < page.list().RowCount(); ++row) {
            if (RowDataText(*page.list().RowData(row), 0) == name)
                return row;
        }
        return -1;
    }
    std::u16string Make(int action, std::u16string comment, TaskKind kind = TaskKind::kLocal) {
        CTaskParams record;
        record.action = action;
        record.comment = std::move(comment);
        std::u16string name = test::MakeTaskPair(kind, record);
        EXPECT_FALSE(name.empty());
        return name;
    }

    // A person's click on a row of the page's list, unless it is the focused selection already (a
    // second click so soon would be a double click).
    bool ClickRow(CTaskList& page, int row) {
        const auto ready = [&] { return page.list().SelectedRow() == row && ::GetFocus() == page.list().hwnd(); };
        if (ready())
            return true;
        RECT rect{};
        rect.left = LVIR_LABEL;
        ::SendMessageW(page.list().hwnd(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        test::ClickAt(page.list().hwnd(), Middle(rect));
        return PumpUntil(ready, 2000);
    }
    // A person's click on a tab of the sheet.
    void ClickTab(int index) {
        const HWND tabs = reinterpret_cast<HWND>(::SendMessageW(sheet->hwnd(), PSM_GETTABCONTROL, 0, 0));
        RECT rect{};
        ::SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
        test::ClickAt(tabs, Middle(rect));
        PumpUntil([&] { return ::SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == index; }, 2000);
    }
    // A person's click on the header of the list's `controlColumn`-th shown column.
    void ClickHeader(CTaskList& page, int controlColumn) {
        const HWND header = reinterpret_cast<HWND>(::SendMessageW(page.list().hwnd(), LVM_GETHEADER, 0, 0));
        RECT rect{};
        ::SendMessageW(header, HDM_GETITEMRECT, controlColumn, reinterpret_cast<LPARAM>(&rect));
        const int key = page.list().sortKey();
        test::ClickAt(header, Middle(rect));
        PumpUntil([&] { return page.list().sortKey() != key; }, 2000);
    }
    bool SheetOpen() { return test::CurrentPage(sheet->hwnd()) != nullptr; }

    ManagerContext context;
    RecordingEditor editor;
    std::unique_ptr<CVesperPS> sheet;
    std::vector<std::wstring> questions;
    int answer = IDYES;
};

TEST_F(ManagerSheet, TabsTitleAndButtons) {
    for (const bool admin : {true, false}) {
        Open(admin);
        const HWND tabs = reinterpret_cast<HWND>(::SendMessageW(sheet->hwnd(), PSM_GETTABCONTROL, 0, 0));
        EXPECT_EQ(admin ? 3 : 2, ::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        ::SendMessageW(tabs, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(L"Tasks         ", text);
        if (admin) {
            ::SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
            EXPECT_STREQ(L"Remote         ", text);
        }
        ::GetWindowTextW(sheet->hwnd(), text, 64);
        EXPECT_STREQ(L"Velmora LT 3.3.1", text);
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet->hwnd(), IDCANCEL)));
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet->hwnd(), kSheetApplyButton)));
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(sheet->hwnd(), IDOK)));
        EXPECT_TRUE(::GetWindowLongPtrW(sheet->hwnd(), GWL_STYLE) & WS_MINIMIZEBOX);
        wchar_t bar[32] = {};
        ::GetWindowTextW(::GetDlgItem(sheet->tasks().hwnd(), IDC_TASK_LIST_BAR), bar, 32);
        EXPECT_STREQ(L"CTaskListBar", bar);
        PressOk();
    }
}

TEST_F(ManagerSheet, RowsFromTheStoreAndTheCommandsOnThem) {
    const std::u16string popup = Make(kActionPopup, u"night");
    const std::u16string lock = Make(kActionLock, u"");
    test::AddForeignWorkItem(u"quenep-0foreign", L"notepad");
    {
        CScheduledTask scheduler;
        ASSERT_HRESULT_SUCCEEDED(scheduler.SetEnabled(lock + u".job", false));
    }
    CTaskList& page = Open();
    CListCtrlEx& list = page.list();
    ASSERT_EQ(2, list.RowCount()) << "the foreign work item is not listed";
    const int popupRow = RowOf(page, popup);
    const int lockRow = RowOf(page, lock);
    ASSERT_GE(popupRow, 0);
    ASSERT_GE(lockRow, 0);
    EXPECT_EQ(L"Popup", list.CellText(popupRow, kColumnTask));
    EXPECT_EQ(L"night", list.CellText(popupRow, kColumnComment));
    EXPECT_EQ(L"SYSTEM", list.CellText(popupRow, kColumnUser));
    EXPECT_NE(L" ", list.CellText(popupRow, kColumnNextRun));
    EXPECT_EQ(L" ", list.CellText(lockRow, kColumnComment));
    EXPECT_EQ(1, list.RowImage(popupRow));
    EXPECT_EQ(2, list.RowImage(lockRow)) << "a disabled task";

    // Enable, then Delete with No and with Yes.
    list.SelectRow(lockRow);
    page.EnableOrDisable();
    EXPECT_EQ(1, list.RowImage(lockRow));
    answer = IDNO;
    page.Delete();
    EXPECT_EQ(2, list.RowCount());
    answer = IDYES;
    page.Delete();
    ASSERT_EQ(2u, questions.size());
    EXPECT_EQ(L"Delete this task?", questions[1]);
    EXPECT_EQ(1, list.RowCount());
    EXPECT_FALSE(FileExists(TaskFilePath(TaskStoreFolder(), lock)));
    EXPECT_FALSE(FileExists(TaskStoreFolder() + u"\\" + lock + u".job"));
    EXPECT_EQ(lockRow == 0 ? 0 : -1, list.SelectedRow()) << "the row that moved into its place, or none";

    // A task changed behind the list shows after the executor watcher's refresh.
    CTaskParams changed;
    ASSERT_TRUE(changed.Load(TaskStoreFolder(), popup, true));
    changed.comment = u"morning";
    ASSERT_TRUE(changed.Save(TaskStoreFolder(), popup));
    ::SendMessageW(sheet->hwnd(), CVesperPS::ScanMessage(), 0, 0);
    EXPECT_EQ(L"morning", list.CellText(RowOf(page, popup), kColumnComment));
    PressOk();
    CScheduledTask scheduler;
    scheduler.DeleteTask(u"quenep-0foreign");
}

TEST_F(ManagerSheet, LayoutIsKeptInTheRegistryAndHiddenCellsComeBack) {
    Make(kActionPopup, u"night");
    CTaskList& page = Open();
    CListCtrlEx& list = page.list();
    EXPECT_FALSE(list.IsColumnVisible(kColumnComment)) << "Comment and Result start hidden";
    EXPECT_FALSE(list.IsColumnVisible(kColumnResult));
    list.ShowColumn(kColumnComment, true);
    EXPECT_EQ(L"night", list.CellText(0, kColumnComment));
    LVITEMW cell{};
    wchar_t text[32] = {};
    cell.iSubItem = 5;  // columns 0 to 5 are shown now, Result is not
    cell.pszText = text;
    cell.cchTextMax = 32;
    ::SendMessageW(list.hwnd(), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&cell));
    EXPECT_STREQ(L"night", text) << "the shown column has its cells again";
    list.ShowColumn(kColumnSchedule, false);
    list.ShowColumn(kColumnTask, false);  // cannot be hidden
    EXPECT_TRUE(list.IsColumnVisible(kColumnTask));
    ::SendMessageW(list.hwnd(), LVM_SETCOLUMNWIDTH, 0, 123);
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list.hwnd();
    click.hdr.idFrom = IDC_TASK_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iSubItem = 1;  // the control's second column: Next Run Time, since Schedule is hidden
    ::SendMessageW(page.hwnd(), WM_NOTIFY, IDC_TASK_LIST, reinterpret_cast<LPARAM>(&click));
    ::SendMessageW(page.hwnd(), WM_NOTIFY, IDC_TASK_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(-(kColumnNextRun + 1), list.sortKey());
    PressOk();

    ColumnLayout expected;
    expected.sortKey = -(kColumnNextRun + 1);
    const int widths[] = {123, 160, 100, 100, 50, 50, 25};
    const bool shown[] = {true, false, true, true, true, true, false};
    for (int c = 0; c < kTaskColumnCount; ++c)
        expected.columns.push_back({c != 0, shown[c], widths[c], c});
    UniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Corvane\\Velmora\\Settings", 0,
                                             KEY_QUERY_VALUE, key.put()));
    DWORD type = 0, size = 256;
    std::vector<std::uint8_t> value(size);
    ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key.get(), L"list", nullptr, &type, value.data(), &size));
    value.resize(size);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(BuildLayoutRecord(expected), value);

    CTaskList& again = Open();
    EXPECT_FALSE(again.list().IsColumnVisible(kColumnSchedule));
    EXPECT_TRUE(again.list().IsColumnVisible(kColumnComment));
    EXPECT_EQ(-(kColumnNextRun + 1), again.list().sortKey());
    EXPECT_EQ(123, ::SendMessageW(again.list().hwnd(), LVM_GETCOLUMNWIDTH, 0, 0));
    PressOk();
}

// Keys as a person presses them on either list, with a row clicked first: they meet the dialog
// manager and the sheet before the list, as at the keyboard.
TEST_F(ManagerSheet, KeysOnTheTaskListsDoWhatTheirPagesSay) {
    const std::u16string local = Make(kActionPopup, u"night");
    const std::u16string remote = Make(kActionWakeOnLan, u"lab", TaskKind::kRemote);
    answer = IDNO;
    Open();
    for (const bool remotePage : {false, true}) {
        SCOPED_TRACE(remotePage ? "Remote" : "Tasks");
        if (remotePage)
            ClickTab(1);
        CTaskList& page = remotePage ? *sheet->remote() : sheet->tasks();
        const std::u16string name = remotePage ? remote : local;
        RECT listRect{};
        ::GetWindowRect(page.list().hwnd(), &listRect);
        const POINT keyboardMenu{listRect.left + listRect.left / 8, listRect.top + listRect.top / 8};
        const std::vector<std::wstring> menuItems = {L"&Edit", L"&Disable", L"&Create shortcut", L"", L"&Run",
                                                     L"",      L"Delete"};
        struct Key {
            const char* what;
            std::vector<WORD> keys;
            std::size_t editorCalls;  // how many of `calls` were made so far
            std::size_t questions;    // asked so far
            bool menu;                // the context menu, at the keyboard's place
            bool focusOk;
        };
        const std::vector<std::u16string> calls = {u"Edit " + name,
                                                   remotePage ? u"CreateNew remote" : u"CreateNew local"};
        const std::size_t asked = questions.size();
        const Key keys[] = {
            {"Enter opens the task", {VK_RETURN}, 1, asked, false, false},
            {"Insert makes a new one", {VK_INSERT}, 2, asked, false, false},
            {"Delete asks first", {VK_DELETE}, 2, asked + 1, false, false},
            {"the context-menu key", {VK_APPS}, 2, asked + 1, true, false},
            {"Shift+F10", {VK_SHIFT, VK_F10}, 2, asked + 1, true, false},
            {"Tab goes to OK", {VK_TAB}, 2, asked + 1, false, true},
        };
        editor.calls.clear();
        for (const Key& key : keys) {
            SCOPED_TRACE(key.what);
            ASSERT_TRUE(ClickRow(page, 0));
            std::unique_ptr<test::PopupMenuWatch> menu;
            if (key.menu)
                menu = std::make_unique<test::PopupMenuWatch>();
            test::PressKeys(key.keys);
            PumpUntil([&] { return menu ? menu->seen() : false; }, key.menu ? 3000 : 300);
            if (menu) {
                menu->Finish();
                ASSERT_TRUE(menu->seen());
                EXPECT_EQ(keyboardMenu.x, menu->place.left);
                EXPECT_EQ(keyboardMenu.y, menu->place.top);
                EXPECT_EQ(menuItems, menu->items);
            }
            EXPECT_EQ(std::vector<std::u16string>(calls.begin(), calls.begin() + key.editorCalls), editor.calls);
            EXPECT_EQ(key.questions, questions.size());
            if (key.focusOk) {
                EXPECT_EQ(::GetDlgItem(sheet->hwnd(), IDOK), ::GetFocus());
            }
            ASSERT_TRUE(SheetOpen()) << "no key of the list closes the manager";
        }
        EXPECT_EQ(L"Delete this task?", questions.back());
        EXPECT_EQ(1, page.list().RowCount()) << "answered No";
    }
}

// The layout the user sees when closing the manager, by OK or by the close box (Alt+F4), is the one
// kept, whichever pages were opened before.
TEST_F(ManagerSheet, TheLayoutKeptIsTheOneOnTheScreenAtOk) {
    Make(kActionPopup, u"night");
    struct Closing {
        const char* what;
        int column;  // sorted by it before closing
        std::function<void()> close;
    };
    const Closing closings[] = {
        {"OK", kColumnSchedule, [&] { test::Click(::GetDlgItem(sheet->hwnd(), IDOK)); }},
        {"the close box", kColumnNextRun, [] { test::PressKeys({VK_MENU, VK_F4}); }},
    };
    for (const Closing& closing : closings) {
        SCOPED_TRACE(closing.what);
        CTaskList& page = Open();
        ClickTab(1);
        ClickTab(0);
        ClickHeader(page, closing.column);
        ASSERT_EQ(closing.column + 1, page.list().sortKey());
        ASSERT_TRUE(test::BringToFront(sheet->hwnd()));
        closing.close();
        ASSERT_TRUE(PumpUntil([&] { return !SheetOpen(); }, 2000)) << "the sheet closes";
        sheet.reset();
        EXPECT_EQ(closing.column + 1, Open().list().sortKey());
        // The other list shows the kept layout when it is activated.
        ClickTab(1);
        EXPECT_EQ(closing.column + 1, sheet->remote()->list().sortKey());
        PressOk();
    }
}

// The rows follow the store: a task whose file cannot be read is shown and can be deleted but not
// run; one removed outside goes at the next refresh; a new one is selected where the sort puts it.
TEST_F(ManagerSheet, RowsFollowTheStoreAndANewRowIsSelectedWhereTheSortPutsIt) {
    const std::u16string popup = Make(kActionPopup, u"b");
    const std::u16string shutdown = Make(kActionShutdown, u"d");
    const std::u16string broken = Make(kActionLock, u"c");
    test::WriteBytes(std::filesystem::path(ToWide(TaskFilePath(TaskStoreFolder(), broken))), "not a task");
    CTaskList& page = Open();
    CListCtrlEx& list = page.list();
    ASSERT_EQ(3, list.RowCount()) << "the unreadable task is listed: its work item still fires";
    const int brokenRow = RowOf(page, broken);
    ASSERT_GE(brokenRow, 0);
    EXPECT_EQ(L"task file unreadable", list.CellText(brokenRow, kColumnTask));
    EXPECT_NE(L" ", list.CellText(brokenRow, kColumnSchedule)) << "its work item's texts";
    list.SelectRow(brokenRow);
    page.RunOrTerminate();
    ASSERT_EQ(1u, questions.size());
    EXPECT_NE(std::wstring::npos, questions[0].find(L"cannot be read")) << "Run refuses with a word";
    page.Delete();
    EXPECT_EQ(2, list.RowCount());
    EXPECT_FALSE(FileExists(TaskStoreFolder() + u"\\" + broken + u".job"));

    // Removed behind the manager's back: gone at the next refresh, not shown as disabled.
    ASSERT_HRESULT_SUCCEEDED(CScheduledTask().DeleteTask(shutdown + u".job"));
    ::SendMessageW(sheet->hwnd(), CVesperPS::ScanMessage(), 0, 0);
    ASSERT_EQ(1, list.RowCount());
    EXPECT_EQ(0, RowOf(page, popup));

    // Sorted by the Task column, a new "Lock" comes before "Popup", selected there.
    ClickHeader(page, kColumnTask);
    std::u16string made;
    editor.create = [&] { return made = Make(kActionLock, u"new"); };
    page.CreateNew();
    EXPECT_EQ(0, RowOf(page, made));
    EXPECT_EQ(0, list.SelectedRow());
    PressOk();
    EXPECT_FALSE(context.openHelp) << "no Help callback outlives its sheet";
    EXPECT_FALSE(context.openHelpPage);
}

TEST_F(ManagerSheet, EveryTextTheListUsesIsInTheStringTable) {
    for (const TaskColumnSpec& column : kTaskColumns)
        EXPECT_FALSE(LoadText(column.stringId).empty()) << column.stringId;
    for (int action = 0; action <= 11; ++action)
        EXPECT_FALSE(LoadText(ActionNameStringId(action)).empty()) << action;
    for (const int id : {IDS_ASK_DELETE, IDS_MENU_ENABLE, IDS_MENU_TERMINATE, IDS_TIP_CREATE, IDS_TIP_IMPORT,
                         IDS_TIP_EXPORT, IDS_TIP_RUN, IDS_TIP_EDIT, IDS_TIP_DELETE, IDS_TIP_POWER_OPTIONS,
                         IDS_TIP_REMOTE_SHUTDOWN, IDS_HELP_MISSING, IDS_DELETE_FAILED, IDS_SERVICE_QUESTION,
                         IDS_SERVICE_START_FAILED, IDS_SOCKETS_FAILED, IDS_TAB_TASKS, IDS_TAB_REMOTE, IDS_SHEET_TITLE})
        EXPECT_FALSE(LoadText(id).empty()) << id;
    EXPECT_EQ(FromWide(LoadText(IDS_ACT_MONITOR_ON)), u"Turn on monitor");
}

}  // namespace
}  // namespace velmora
