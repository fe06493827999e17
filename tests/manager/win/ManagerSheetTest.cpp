// The manager's main sheet and task lists under Wine with the real Task Scheduler: tabs, rows
// from real work items, the commands on them and the layout kept in the registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "controls/ColumnLayout.h"
#include "model/TaskParams.h"
#include "manager/StringIds.h"
#include "manager/TaskListLogic.h"
#include "manager/win/VesperPS.h"
#include "manager/win/res/resource.h"
#include "model/File.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"
#include "tests/support/win/Messages.h"
#include "tests/support/win/TaskPairs.h"
#include "tests/support/win/WorkItems.h"

namespace velmora {
namespace {

class ManagerSheet : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Corvane");
        CScheduledTask scheduler;
        RemoveAllTasks(scheduler, TaskStoreFolder());
        context.taskFolder = TaskStoreFolder();
        context.editor = &editor;
        context.messageBox = [this](HWND, const std::wstring& text, UINT) {
            questions.push_back(text);
            return answer;
        };
    }
    void TearDown() override {
        sheet.reset();
        CScheduledTask scheduler;
        RemoveAllTasks(scheduler, TaskStoreFolder());
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Corvane");
    }
    CTaskList& Open(bool remoteTab = true) {
        sheet = std::make_unique<CVesperPS>(context, SheetOptions{remoteTab, true});
        sheet->Show();
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
    std::u16string Make(int action, std::u16string comment) {
        CTaskParams record;
        record.action = action;
        record.comment = std::move(comment);
        std::u16string name = test::MakeTaskPair(TaskKind::kLocal, record);
        EXPECT_FALSE(name.empty());
        return name;
    }

    ManagerContext context;
    NoTaskEditor editor;
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
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(sheet->hwnd(), 0x3021)));
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
