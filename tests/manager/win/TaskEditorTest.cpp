// The task editor under Wine with the real Task Scheduler, driven from a second thread by control
// id and property sheet messages while the wizard or the properties sheet runs modally.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "manager/TaskPropLogic.h"
#include "manager/win/AddWiz.h"
#include "manager/win/res/SchedulePageIds.h"
#include "manager/win/res/resource.h"
#include "model/File.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "scheduler/TaskStore.h"
#include "tests/manager/win/EditorFixture.h"
#include "tests/support/win/TaskPairs.h"

namespace velmora {
namespace {

using test::CurrentPage;
using test::PressToEnd;

void ChooseAction(HWND page, const wchar_t* text) {
    const HWND list = ::GetDlgItem(page, kCtlAction);
    const auto index =
        ::SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ::SendMessageW(list, CB_SETCURSEL, index, 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(kCtlAction, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

std::vector<std::u16string> LocalWorkItems() {
    std::vector<std::u16string> names;
    CScheduledTask().EnumTasks(kLocalPrefix, names);
    return names;
}

class TaskEditor : public test::EditorTest {};

TEST_F(TaskEditor, WizardMakesAPopupTaskWithItsWorkItemAndTaskFile) {
    std::atomic<bool> logFileHidden{false}, delayHidden{false}, nextOnly{false};
    Drive([&](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        logFileHidden = !::IsWindowVisible(::GetDlgItem(page, kCtlLogFile));
        wchar_t delay[16] = {};
        ::GetDlgItemTextW(page, kCtlDelay, delay, 16);
        EXPECT_STREQ(L"20", delay) << "the default countdown";
        EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(page, kCtlRunOnlyIfLoggedOn));
        ChooseAction(page, L"Popup");
        delayHidden = !::IsWindowVisible(::GetDlgItem(page, kCtlDelay));
        ::SetDlgItemTextW(page, kCtlComment, L"home time");
        ::SetDlgItemTextW(page, kCtlMessage, L"Time to go home");
        ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);  // to the Schedule page, with its default trigger
        ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);  // to the finish page
        PressToEnd(sheet, PSBTN_FINISH);
    });
    const auto name = CAddWiz(context).RunNew(owner, TaskKind::kLocal, std::nullopt);
    driver.Join();
    EXPECT_TRUE(logFileHidden);
    EXPECT_TRUE(delayHidden);
    ASSERT_TRUE(name);
    EXPECT_TRUE(name->starts_with(u"quenep-0"));

    WorkItemInfo info;
    ASSERT_HRESULT_SUCCEEDED(CScheduledTask().LoadInfo(*name + u".job", info));
    EXPECT_EQ(ExecutorPath(CScheduledTask().SystemFolder()), info.application);
    EXPECT_EQ(*name, info.parameters);
    CTaskParams record;
    ASSERT_TRUE(record.Load(TaskStoreFolder(), *name, true));
    EXPECT_EQ(kActionPopup, record.action);
    EXPECT_EQ(u"home time", record.comment);
    EXPECT_EQ(u"Time to go home", record.message);
    EXPECT_EQ(0, record.noshow);
    WorkItemEditor stored;
    WorkItemSettings settings;
    ASSERT_HRESULT_SUCCEEDED(stored.BeginExisting(*name, settings));
    std::vector<TASK_TRIGGER> triggers;
    ASSERT_HRESULT_SUCCEEDED(stored.GetTriggers(triggers));
    ASSERT_EQ(1u, triggers.size()) << "the Schedule page's default trigger";
    EXPECT_EQ(TASK_TIME_TRIGGER_DAILY, triggers[0].TriggerType);
    EXPECT_EQ(0, triggers[0].wStartMinute);
}

TEST_F(TaskEditor, CancelledWizardLeavesNothing) {
    Drive([](HWND sheet) { PressToEnd(sheet, PSBTN_CANCEL); });
    EXPECT_FALSE(CAddWiz(context).RunNew(owner, TaskKind::kLocal, std::nullopt));
    driver.Join();
    EXPECT_TRUE(LocalWorkItems().empty());
}

TEST_F(TaskEditor, RefusedCountdownAndHibernationKeepTheWizardOnItsPage) {
    hibernation = false;
    std::atomic<int> pagesAfterDelay{0}, pagesAfterHibernate{0};
    Drive([&](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        ::SetDlgItemTextW(page, kCtlDelay, L"315360001");
        ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        pagesAfterDelay = CurrentPage(sheet) == page ? 1 : 2;
        ::SetDlgItemTextW(page, kCtlDelay, L"315360000");
        ChooseAction(page, L"Hibernate");
        ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        pagesAfterHibernate = CurrentPage(sheet) == page ? 1 : 2;
        PressToEnd(sheet, PSBTN_CANCEL);
    });
    EXPECT_FALSE(CAddWiz(context).RunNew(owner, TaskKind::kLocal, std::nullopt));
    driver.Join();
    EXPECT_EQ(1, pagesAfterDelay) << "a countdown above ten years is refused";
    EXPECT_EQ(1, pagesAfterHibernate) << "hibernation is not allowed";
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(L"Hibernate support is not enabled. See help file.", messages[0]);
}

TEST_F(TaskEditor, PropertiesChangeTheTaskAndKeepItsHistory) {
    CTaskParams record;
    record.action = kActionLock;
    record.comment = u"before";
    record.history = u"an earlier run";
    const std::u16string name = test::MakeTaskPair(TaskKind::kLocal, record);
    ASSERT_FALSE(name.empty());

    std::atomic<bool> logFileShown{false};
    Drive([&](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        logFileShown = ::IsWindowVisible(::GetDlgItem(page, kCtlLogFile)) != FALSE;
        ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(kCtlLogFile, STN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(page, kCtlLogFile)));
        ::SetDlgItemTextW(page, kCtlComment, L"after");
        // A run of the executor stores its log while the sheet is open.
        CTaskParams ran;
        EXPECT_TRUE(ran.Load(TaskStoreFolder(), name, true));
        ran.history += u"; a run during the edit";
        EXPECT_TRUE(ran.Save(TaskStoreFolder(), name));
        // The daily trigger becomes a weekly one on the Schedule page.
        ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
        const HWND schedule = CurrentPage(sheet);
        const HWND kind = ::GetDlgItem(schedule, IDC_SCHEDULE_TYPE);
        ::SendMessageW(kind, CB_SETCURSEL, 2, 0);
        ::SendMessageW(schedule, WM_COMMAND, MAKEWPARAM(IDC_SCHEDULE_TYPE, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(kind));
        PressToEnd(sheet, PSBTN_OK);
    });
    EXPECT_TRUE(CAddWiz(context).RunProperties(owner, name));
    driver.Join();
    EXPECT_TRUE(logFileShown);
    EXPECT_EQ(u"an earlier run", shownLog);
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
    EXPECT_EQ(u"after", stored.comment);
    EXPECT_EQ(kActionLock, stored.action);
    EXPECT_EQ(u"an earlier run; a run during the edit", stored.history);
    WorkItemEditor item;
    WorkItemSettings settings;
    ASSERT_HRESULT_SUCCEEDED(item.BeginExisting(name, settings));
    std::vector<TASK_TRIGGER> triggers;
    ASSERT_HRESULT_SUCCEEDED(item.GetTriggers(triggers));
    ASSERT_EQ(1u, triggers.size());
    EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY, triggers[0].TriggerType);
}

TEST_F(TaskEditor, PropertiesOfATaskWhoseFileCannotBeReadOpenNothing) {
    WorkItemEditor editor;
    ASSERT_HRESULT_SUCCEEDED(editor.BeginNew(TaskKind::kLocal));
    ASSERT_HRESULT_SUCCEEDED(editor.FinishNew(WorkItemSettings{}).result);
    EXPECT_FALSE(CAddWiz(context).RunProperties(owner, editor.name()));
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::wstring::npos, messages[0].find(L"cannot be read"));
    EXPECT_FALSE(FileExists(TaskFilePath(TaskStoreFolder(), editor.name()))) << "nothing was written";
}

}  // namespace
}  // namespace velmora
