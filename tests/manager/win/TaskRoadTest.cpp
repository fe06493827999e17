// A local task's whole road under Wine, from the manager's own sheet with the real Task Scheduler:
// made with the wizard from the Tasks page, run by the scheduler, its log stored by the executor
// and read back into the list and the log viewer; exported and imported again.
#include <windows.h>
#include <commctrl.h>
#include <mstask.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <memory>
#include <set>

#include "manager/ShellLogic.h"
#include "manager/TaskListLogic.h"
#include "manager/TaskPropLogic.h"
#include "manager/win/TaskEditor.h"
#include "manager/win/ProcessNames.h"
#include "manager/win/Shell.h"
#include "manager/win/VesperPS.h"
#include "manager/ids/FinishPageIds.h"
#include "manager/ids/ScheduleIds.h"
#include "model/File.h"
#include "model/TaskParams.h"
#include "model/Text.h"
#include "model/TextFile.h"
#include "model/Utf.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "platform/win/WideText.h"
#include "scheduler/TaskStore.h"
#include "tests/support/TestSupport.h"
#include "tests/support/win/Input.h"
#include "tests/support/win/OwnTasks.h"
#include "tests/support/win/PopupMenu.h"
#include "tests/support/win/SheetDriver.h"
#include "tests/support/win/TaskPairs.h"
#include "tests/support/win/WorkItems.h"

namespace velmora {
namespace {

using test::CurrentPage;
using test::Pump;
using test::PumpUntil;

void Choose(HWND page, int comboId, const wchar_t* text) {
    const HWND combo = ::GetDlgItem(page, comboId);
    const auto index =
        ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void ChooseIndex(HWND page, int comboId, int index) {
    const HWND combo = ::GetDlgItem(page, comboId);
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

ComPtr<ITask> Activate(const std::u16string& name) {
    ComPtr<ITaskScheduler> scheduler;
    ComPtr<ITask> task;
    if (SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                     scheduler.put_void())))
        scheduler->Activate(W(name), IID_ITask, reinterpret_cast<IUnknown**>(task.put()));
    return task;
}

// Points the work item at `application` in `folder`, keeping all else the scheduler stored.
HRESULT SetApplication(const std::u16string& name, const std::wstring& application, const std::wstring& folder) {
    ComPtr<ITask> task = Activate(name);
    ComPtr<IPersistFile> file;
    if (!task || FAILED(task->QueryInterface(IID_IPersistFile, file.put_void())))
        return E_FAIL;
    task->SetApplicationName(application.c_str());
    task->SetWorkingDirectory(folder.c_str());
    return file->Save(nullptr, TRUE);
}

// Runs the work item from the built executor, as Wine's test prefix has none in its system folder,
// while it lives; the item names the system folder's copy again afterwards, so the list and the
// clean-up know it as ours.
class StartedFromFullPath {
public:
    explicit StartedFromFullPath(std::u16string name) : name_(std::move(name)) {
        wchar_t folder[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, folder, MAX_PATH);
        *std::wcsrchr(folder, L'\\') = 0;
        EXPECT_HRESULT_SUCCEEDED(SetApplication(name_, std::wstring(folder) + L"\\quenex.exe", folder));
    }
    ~StartedFromFullPath() { Restore(); }
    void Restore() {
        if (!name_.empty()) {
            EXPECT_HRESULT_SUCCEEDED(SetApplication(name_, ToWide(ExecutorPath(CScheduledTask().SystemFolder())), L""));
        }
        name_.clear();
    }

private:
    std::u16string name_;
};

// Presses OK on every executor dialog, in whichever process, that shows `message`; how many.
int AnswerExecutorDialogs(const std::wstring& message) {
    struct Search {
        const std::wstring* message;
        int answered;
    } search{&message, 0};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t text[256] = {};
            ::GetDlgItemTextW(window, 1001, text, 256);
            if (::IsWindowVisible(window) && *s->message == text) {
                ::PostMessageW(::GetDlgItem(window, IDOK), WM_KEYDOWN, VK_RETURN, 0);
                ++s->answered;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.answered;
}

bool ExecutorRunning() {
    for (const std::u16string& process : RunningProcessNames()) {
        if (EqualsIgnoringAsciiCase(process, u"quenex.exe"))
            return true;
    }
    return false;
}

// The process ids of the running executors.
std::set<DWORD> ExecutorIds() {
    std::set<DWORD> ids;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        if (::lstrcmpiW(entry.szExeFile, L"quenex.exe") == 0)
            ids.insert(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return ids;
}

// Writes the log file for real and records what would have been opened.
struct RecordingViewer : SystemViewerPlatform {
    bool Elevated() override { return false; }
    std::intptr_t ShellOpen(const std::u16string& path) override { return opened = path, 33; }
    std::u16string opened;
};

class TaskRoad : public ::testing::Test {
protected:
    // The tests' own prefix holds no task when a test starts; a test removes only what it made.
    test::OwnTasks own;
    void SetUp() override {
        ASSERT_TRUE(own.before().empty()) << "the Task Scheduler holds tasks no test made: run the tests in their own prefix";
        context.taskFolder = TaskStoreFolder();
        context.editor = &editor;
        context.messageBox = [this](HWND, const std::wstring& text, UINT) {
            messages.push_back(text);
            return IDOK;
        };
        context.isAdministrator = [] { return true; };
        context.hibernationAllowed = [] { return true; };
        context.enableHibernation = [] {};
        context.showLog = [this](HWND, const std::u16string& text) { shown = ShowTextWith(viewer, text, u".txt"); };
        sheet = std::make_unique<CVesperPS>(context, SheetOptions{true, true});
        sheet->Show();
        Pump();
    }
    void TearDown() override {
        // No executor of a failed run is left waiting for an answer.
        if (!message.empty())
            PumpUntil([&] { return AnswerExecutorDialogs(message) == 0 && !ExecutorRunning(); }, 10000);
        driver.Join();
        sheet.reset();
        own.RemoveMade();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Corvane");
    }
    CTaskList& tasks() { return sheet->tasks(); }
    std::u16string SelectedName() {
        const int row = tasks().list().SelectedRow();
        return row < 0 ? std::u16string() : RowDataText(*tasks().list().RowData(row), 0);
    }
    // Next until the finish page, then Finish.
    static void FinishWizard(HWND sheet) {
        for (int i = 0; i < 4 && !::GetDlgItem(CurrentPage(sheet), IDC_FINISH_TEXT); ++i)
            ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        test::PressToEnd(sheet, PSBTN_FINISH);
    }

    ComInit com;
    ManagerContext context;
    ManagerTaskEditor editor{context};
    std::unique_ptr<CVesperPS> sheet;
    std::vector<std::wstring> messages;
    RecordingViewer viewer;
    ShowTextOutcome shown;
    test::SheetDriver driver;
    std::wstring message;  // of a run's popup
};

TEST_F(TaskRoad, AWizardMadeTaskRunsByTheSchedulerAndItsLogComesBackIntoTheList) {
    message = L"Road " + std::to_wstring(::GetTickCount());
    std::atomic<bool> schedulePage{false};
    driver.Drive(sheet->hwnd(), [&](HWND wizard) {
        const HWND page = CurrentPage(wizard);
        Choose(page, kCtlAction, L"Lock");
        ::SetDlgItemTextW(page, kCtlComment, L"evening");
        ::SetDlgItemTextW(page, kCtlMessage, message.c_str());
        ::SetDlgItemTextW(page, kCtlDelay, L"8");
        ::SendMessageW(wizard, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        const HWND schedule = CurrentPage(wizard);
        schedulePage = ::GetDlgItem(schedule, IDC_SCHEDULE_TYPE) != nullptr;
        ChooseIndex(schedule, IDC_SCHEDULE_TYPE, 2);  // weekly
        FinishWizard(wizard);
    });
    tasks().CreateNew();
    driver.Join();
    ASSERT_TRUE(schedulePage) << "our Schedule page follows the Task page";
    const std::u16string name = SelectedName();
    ASSERT_TRUE(name.starts_with(u"quenep-0")) << "the new task's row is selected";
    const int row = tasks().list().SelectedRow();
    EXPECT_EQ(L"Lock", tasks().list().CellText(row, kColumnTask));
    EXPECT_EQ(L"evening", tasks().list().CellText(row, kColumnComment));
    EXPECT_EQ(L" ", tasks().list().CellText(row, kColumnLastRun)) << "never ran";

    const test::StoredWorkItem item = test::ReadStoredWorkItem(name);
    EXPECT_EQ(ToWide(ExecutorPath(CScheduledTask().SystemFolder())), item.application);
    EXPECT_EQ(ToWide(name), item.parameters);
    EXPECT_EQ(3600000u, item.maxRunTime);
    EXPECT_TRUE(item.flags & TASK_FLAG_HIDDEN);
    EXPECT_TRUE(item.flags & TASK_FLAG_RUN_ONLY_IF_LOGGED_ON) << "the wizard's default";
    ASSERT_EQ(1u, item.triggers.size());
    EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY, item.triggers[0].TriggerType);
    EXPECT_TRUE(FileExists(TaskFilePath(TaskStoreFolder(), name)));

    // Wine's scheduler starts a program only from a working folder, and the test prefix has no
    // installed copy. The manager's Run goes through the scheduler.
    StartedFromFullPath fullPath(name);
    // The scheduler's service reads the changed work item in its own time; until then Run starts
    // nothing, so Run is pressed again while no executor runs. Wine's scheduler is a service and
    // starts the executor with the user's token on the services' window station, which nobody
    // sees: the run counts down there unseen, and locks (which Wine refuses) when its time is up.
    // An executor that ran before the Run (another test's, or one whose end Wine has not seen yet)
    // is not this task's.
    const std::set<DWORD> earlier = ExecutorIds();
    const auto oursRunning = [&] {
        const std::set<DWORD> now = ExecutorIds();
        return std::any_of(now.begin(), now.end(), [&](DWORD id) { return earlier.count(id) == 0; });
    };
    bool started = false;
    for (int attempt = 0; attempt < 10 && !started; ++attempt) {
        if (!oursRunning())
            tasks().RunOrTerminate();
        started = PumpUntil(oursRunning, 5000);
    }
    ASSERT_TRUE(started) << "the scheduler started no executor (" << earlier.size() << " ran before)";
    // The executor watcher sees it run: the row says so and its menu offers to end it. The watcher
    // looks twice a second.
    EXPECT_TRUE(PumpUntil([&] { return tasks().list().CellText(row, kColumnResult) == L"running"; }, 3000));
    {
        test::PopupMenuWatch menu;
        test::BringToFront(sheet->hwnd());
        ::SetFocus(tasks().list().hwnd());
        test::PressKey(VK_APPS);
        PumpUntil([&] { return menu.seen(); }, 3000);
        menu.Finish();
        EXPECT_NE(menu.items.end(), std::find(menu.items.begin(), menu.items.end(), L"Terminate"));
    }
    CTaskParams stored;
    WorkItemInfo info;
    ASSERT_TRUE(PumpUntil(
        [&] {
            return !oursRunning() && CScheduledTask().LoadInfo(name + u".job", info) >= 0 &&
                   info.lastRun.year != 0 && info.status != kTaskRunning;
        },
        30000))
        << "the scheduler recorded no ended run";
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
    EXPECT_NE(std::u16string::npos, stored.history.find(u"Start action=lock")) << "no log was stored";
    EXPECT_NE(std::u16string::npos,
              stored.history.find(u"Dialog: time to show=8, allow cancel=1, message=" + FromWide(message)));
    EXPECT_NE(std::u16string::npos, stored.history.find(u"account=")) << "the run's account line";
    fullPath.Restore();

    // The executor watcher's refresh shows the ended run by itself, though the scheduler may record
    // it a while after the executor ended: the watcher reads the list again up to 8 s after.
    // "Log file.." shows the stored history.
    const int ranRow = tasks().list().SelectedRow();
    EXPECT_TRUE(PumpUntil([&] { return tasks().list().CellText(ranRow, kColumnResult) == L"0x0"; }, 10000))
        << "result: " << Utf16ToUtf8(FromWide(tasks().list().CellText(ranRow, kColumnResult)));
    EXPECT_NE(L" ", tasks().list().CellText(ranRow, kColumnLastRun));
    driver.Drive(sheet->hwnd(), [](HWND properties) {
        const HWND page = CurrentPage(properties);
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(kCtlLogFile, STN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(page, kCtlLogFile)));
        test::PressToEnd(properties, PSBTN_CANCEL);
    });
    tasks().Edit();
    driver.Join();
    ASSERT_TRUE(shown.written);
    EXPECT_TRUE(IsViewedFileName(shown.path.substr(shown.path.rfind(u'\\') + 1))) << Utf16ToUtf8(shown.path);
    EXPECT_EQ(shown.path, viewer.opened);
    CTextFileRead log(shown.path);
    std::u16string text;
    ASSERT_TRUE(log.ReadAll(text));
    EXPECT_EQ(stored.history, text);
    ::DeleteFileW(W(shown.path));
}

TEST_F(TaskRoad, AnExportedTaskImportsAsASecondTaskAndNotOnTheRemotePage) {
    CTaskParams record;
    record.action = kActionPopup;
    record.comment = u"lunch";
    record.message = u"Time to eat";
    const std::u16string first = test::MakeTaskPair(TaskKind::kLocal, record);
    ASSERT_FALSE(first.empty());
    ::SendMessageW(sheet->hwnd(), CVesperPS::ScanMessage(), 0, 0);
    tasks().Fill(first);
    ASSERT_EQ(first, SelectedName());

    test::TempDir dir;
    const std::wstring ini = ToWide(dir.File("lunch.ini"));
    {
        test::FileDialogAnswer save(ini);
        tasks().Export();
    }
    ASSERT_TRUE(FileExists(dir.File("lunch.ini")));

    std::atomic<bool> prefilled{false};
    driver.Drive(sheet->hwnd(), [&](HWND wizard) {
        wchar_t comment[32] = {};
        ::GetDlgItemTextW(CurrentPage(wizard), kCtlComment, comment, 32);
        prefilled = std::wstring(comment) == L"lunch";
        FinishWizard(wizard);
    });
    {
        test::FileDialogAnswer open(ini);
        tasks().Import();
    }
    driver.Join();
    EXPECT_TRUE(prefilled);
    const std::u16string second = SelectedName();
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(2, tasks().list().RowCount());
    CTaskParams imported;
    ASSERT_TRUE(imported.Load(TaskStoreFolder(), second, true));
    EXPECT_EQ(record.action, imported.action);
    EXPECT_EQ(record.comment, imported.comment);
    EXPECT_EQ(record.message, imported.message);

    // A local task does not fit the Remote page: nothing opens and no row is added.
    ::SendMessageW(sheet->hwnd(), PSM_SETCURSEL, 1, 0);
    Pump();
    ASSERT_NE(nullptr, sheet->remote());
    const int remoteRows = sheet->remote()->list().RowCount();
    {
        test::FileDialogAnswer open(ini);
        sheet->remote()->Import();
    }
    EXPECT_EQ(remoteRows, sheet->remote()->list().RowCount());
    std::vector<std::u16string> remoteItems;
    CScheduledTask().EnumTasks(kRemotePrefix, remoteItems);
    EXPECT_TRUE(remoteItems.empty());
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace velmora
