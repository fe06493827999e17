// The task editor under Wine with the real Task Scheduler, driven from a second thread by control
// id and property sheet messages while the wizard or the properties sheet runs modally.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "controls/win/SheetControls.h"
#include "manager/TaskPropLogic.h"
#include "manager/win/TaskEditor.h"
#include "manager/ids/AccountIds.h"
#include "manager/ids/ComputerListIds.h"
#include "manager/ids/FinishPageIds.h"
#include "manager/ids/ScheduleIds.h"
#include "model/File.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "scheduler/TaskStore.h"
#include "tests/manager/win/EditorFixture.h"
#include "tests/manager/win/ScheduleStandIn.h"
#include "tests/support/TestSupport.h"
#include "tests/support/win/Input.h"
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

// --- the wizard and the properties sheet as a person uses them ---------------------------------


// The page shown, named by what it holds: our task page, our finish page, or a Schedule page (ours
// or the stand-in for the system's); "end" once the sheet has gone.
std::string PageName(HWND sheet) {
    if (!::IsWindow(sheet))
        return "end";
    const HWND page = CurrentPage(sheet);
    if (::GetDlgItem(page, kCtlAction))
        return "Task";
    if (::GetDlgItem(page, IDC_FINISH_TEXT))
        return "Finish";
    if (::GetDlgItem(page, IDC_COMP_LIST))
        return "Computers";
    return "Schedule";
}

// The wizard's buttons a person can press: B back, N next, F finish.
std::string Buttons(HWND sheet) {
    std::string shown;
    for (const auto& [id, letter] : {std::pair{kWizardBackButton, 'B'}, {kWizardNextButton, 'N'}, {kWizardFinishButton, 'F'}}) {
        const HWND button = ::GetDlgItem(sheet, id);
        if (button && ::IsWindowVisible(button) && ::IsWindowEnabled(button))
            shown += letter;
    }
    return shown;
}

std::string PageAndButtons(HWND sheet) {
    const std::string page = PageName(sheet);
    return page == "end" ? page : page + " " + Buttons(sheet);
}

// Waits until the sheet shows `expected` (or has gone, for "end"); what it shows then.
std::string WaitToShow(HWND sheet, const std::string& expected) {
    std::string shown;
    for (int i = 0; i < 150; ++i) {
        shown = PageAndButtons(sheet);
        if (shown == expected)
            break;
        ::Sleep(20);
    }
    return shown;
}

// What a person does: a key or a click of a wizard's button.
enum class Act { kNone, kEnter, kEscape, kAltNext, kAltBack, kClickNext, kClickBack, kClickFinish };

const char* ActName(Act act) {
    switch (act) {
        case Act::kNone:
            return "start";
        case Act::kEnter:
            return "Enter";
        case Act::kEscape:
            return "Escape";
        case Act::kAltNext:
            return "Alt+N";
        case Act::kAltBack:
            return "Alt+B";
        case Act::kClickNext:
            return "click Next";
        case Act::kClickBack:
            return "click Back";
        case Act::kClickFinish:
            return "click Finish";
    }
    return "";
}

void Perform(HWND sheet, Act act) {
    test::ReadyForInput(sheet);
    switch (act) {
        case Act::kNone:
            break;
        case Act::kEnter:
            test::PressKey(VK_RETURN);
            break;
        case Act::kEscape:
            test::PressKey(VK_ESCAPE);
            break;
        case Act::kAltNext:
            test::PressKeys({VK_MENU, 'N'});
            break;
        case Act::kAltBack:
            test::PressKeys({VK_MENU, 'B'});
            break;
        case Act::kClickNext:
            test::Click(::GetDlgItem(sheet, kWizardNextButton));
            break;
        case Act::kClickBack:
            test::Click(::GetDlgItem(sheet, kWizardBackButton));
            break;
        case Act::kClickFinish:
            test::Click(::GetDlgItem(sheet, kWizardFinishButton));
            break;
    }
}

struct Step {
    Act act;
    std::string shows;  // the page and its buttons afterwards, or "end"
};

// Performs the steps and notes each difference from what should show. The sheet ends with the last
// step or is cancelled.
void Walk(HWND sheet, const std::vector<Step>& steps, std::vector<std::string>& differences) {
    for (const Step& step : steps) {
        Perform(sheet, step.act);
        const std::string shown = WaitToShow(sheet, step.shows);
        if (shown != step.shows)
            differences.push_back(std::string(ActName(step.act)) + ": " + shown + " instead of " + step.shows);
        if (shown == "end")
            return;
    }
    test::HoldForScreenshot();
    PressToEnd(sheet, PSBTN_CANCEL);
}

std::vector<TASK_TRIGGER> StoredTriggers(const std::u16string& name) {
    WorkItemEditor item;
    WorkItemSettings settings;
    std::vector<TASK_TRIGGER> triggers;
    if (SUCCEEDED(item.BeginExisting(name, settings)))
        item.GetTriggers(triggers);
    return triggers;
}

class TaskEditorAsAPerson : public test::EditorTest {
protected:
    // The sheets get the stand-in for the system's Schedule page, or our own page as under Wine.
    void UseSchedulePage(bool system) {
        context.systemSchedulePage = nullptr;
        if (system)
            context.systemSchedulePage = [this](WorkItemEditor& editor) { return standIn.Create(editor); };
    }
    test::ScheduleStandIn standIn;
};

TEST_F(TaskEditorAsAPerson, WizardButtonsAndKeysWithEitherSchedulePage) {
    // Enter is Next, then Finish; Back and Next by click and by their access keys.
    const std::vector<Step> steps = {
        {Act::kNone, "Task N"},         {Act::kEnter, "Schedule BN"},
        {Act::kAltBack, "Task N"},      {Act::kClickNext, "Schedule BN"},
        {Act::kAltNext, "Finish BF"},   {Act::kClickBack, "Schedule BN"},
        {Act::kAltNext, "Finish BF"},   {Act::kAltBack, "Schedule BN"},
        {Act::kClickNext, "Finish BF"}, {Act::kEnter, "end"},
    };
    // A remote task's wizard has the computer list between: Alt+N and clicks there, since Enter on
    // the list is the list's own key.
    const std::vector<Step> remoteSteps = {
        {Act::kNone, "Task N"},         {Act::kEnter, "Computers BN"},    {Act::kAltNext, "Schedule BN"},
        {Act::kEnter, "Finish BF"},     {Act::kAltBack, "Schedule BN"},   {Act::kAltBack, "Computers BN"},
        {Act::kClickBack, "Task N"},    {Act::kAltNext, "Computers BN"},  {Act::kClickNext, "Schedule BN"},
        {Act::kClickNext, "Finish BF"}, {Act::kClickBack, "Schedule BN"}, {Act::kAltNext, "Finish BF"},
        {Act::kClickFinish, "end"},
    };
    test::TempDir dir;
    CTaskParams remote;
    remote.action = kActionShutdown;
    remote.local = 0;
    remote.computers.push_back(ComputerEntry{});
    remote.computers[0][kTextName] = u"pc-one";
    const std::u16string ini = dir.File("remote.ini");
    ASSERT_TRUE(remote.ExportIni(ini));
    for (const auto& [kind, system] : {std::pair{TaskKind::kLocal, true},
                                       {TaskKind::kLocal, false},
                                       {TaskKind::kRemote, true},
                                       {TaskKind::kRemote, false}}) {
        SCOPED_TRACE(testing::Message() << (kind == TaskKind::kRemote ? "remote, " : "local, ")
                                        << (system ? "the system's Schedule page" : "our own Schedule page"));
        UseSchedulePage(system);
        standIn.applies = 0;
        std::vector<std::string> differences;
        const bool isRemote = kind == TaskKind::kRemote;
        Drive([&](HWND sheet) { Walk(sheet, isRemote ? remoteSteps : steps, differences); });
        const auto name = CAddWiz(context).RunNew(owner, kind, isRemote ? std::optional(ini) : std::nullopt);
        driver.Join();
        EXPECT_EQ(std::vector<std::string>{}, differences);
        ASSERT_TRUE(name);
        CTaskParams record;
        EXPECT_TRUE(record.Load(TaskStoreFolder(), *name, true));
        const std::vector<TASK_TRIGGER> triggers = StoredTriggers(*name);
        ASSERT_EQ(1u, triggers.size());
        if (system) {
            EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY, triggers[0].TriggerType) << "the page's own trigger";
            EXPECT_EQ(22, triggers[0].wStartHour);
            EXPECT_EQ(1, standIn.applies) << "the page heard PSN_APPLY once, at Finish";
        } else {
            EXPECT_EQ(TASK_TIME_TRIGGER_DAILY, triggers[0].TriggerType);
        }
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(TaskEditorAsAPerson, WizardCancelledFromEveryPageAndAfterARefusedFinishStoresNothing) {
    struct Case {
        bool system;
        bool refuse;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {true, false, {{Act::kEscape, "end"}}},
        {true, false, {{Act::kEnter, "Schedule BN"}, {Act::kEscape, "end"}}},
        {true, false, {{Act::kEnter, "Schedule BN"}, {Act::kEnter, "Finish BF"}, {Act::kEscape, "end"}}},
        // The system's page refuses to write its schedule: the wizard stays on the finish page.
        {true,
         true,
         {{Act::kEnter, "Schedule BN"}, {Act::kEnter, "Finish BF"}, {Act::kEnter, "Finish BF"}, {Act::kEscape, "end"}}},
        {true,
         true,
         {{Act::kEnter, "Schedule BN"},
          {Act::kClickNext, "Finish BF"},
          {Act::kClickFinish, "Finish BF"},
          {Act::kAltBack, "Schedule BN"},
          {Act::kEscape, "end"}}},
        {false, false, {{Act::kEnter, "Schedule BN"}, {Act::kEscape, "end"}}},
        {false, false, {{Act::kEnter, "Schedule BN"}, {Act::kEnter, "Finish BF"}, {Act::kEscape, "end"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.system ? "system page" : "own page") << ", refusing " << c.refuse
                                        << ", steps " << c.steps.size());
        UseSchedulePage(c.system);
        standIn.refuse = c.refuse;
        std::vector<std::string> differences;
        Drive([&](HWND sheet) { Walk(sheet, c.steps, differences); });
        EXPECT_FALSE(CAddWiz(context).RunNew(owner, TaskKind::kLocal, std::nullopt));
        driver.Join();
        EXPECT_EQ(std::vector<std::string>{}, differences);
        EXPECT_TRUE(LocalWorkItems().empty());
        EXPECT_TRUE(messages.empty());
    }
}

// Sets a control's check as a person does: a click on it when it is not yet as wanted.
void ClickCheck(HWND page, int control, bool checked) {
    if ((::IsDlgButtonChecked(page, control) == BST_CHECKED) != checked)
        test::Click(::GetDlgItem(page, control));
    for (int i = 0; i < 100 && (::IsDlgButtonChecked(page, control) == BST_CHECKED) != checked; ++i)
        ::Sleep(20);
    EXPECT_EQ(checked, ::IsDlgButtonChecked(page, control) == BST_CHECKED) << "control " << control;
}

// Shows a page of the properties sheet as a person does: a click on its tab.
void ClickTab(HWND sheet, int index) {
    const HWND tabs = ::GetDlgItem(sheet, kSheetTabControl);
    RECT tab{};
    ::SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&tab));
    test::ClickAt(tabs, {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
    for (int i = 0; i < 100 && ::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) !=
                                   ::SendMessageW(sheet, PSM_INDEXTOHWND, index, 0);
         ++i)
        ::Sleep(20);
}

// Where the keys are pressed in the properties sheet: the task page, never left; the Schedule page;
// the task page again after the Schedule page was shown (so that it exists and hears the apply).
enum class Shown { kTask, kSchedule, kTaskAfterSchedule };

TEST_F(TaskEditorAsAPerson, PropertiesKeysWithEitherSchedulePage) {
    struct Case {
        const char* what;
        bool system;
        bool refuse;
        // What the person does on the task page before the keys; the keys are pressed on `page`.
        std::function<void(HWND taskPage)> prepare;
        Shown page;
        std::vector<Act> keys;
        bool stored;
        std::u16string message;  // the message stored
    };
    const auto comment = [](HWND page) { ::SetDlgItemTextW(page, kCtlComment, L"after"); };
    const auto unstorableHiddenMessage = [](HWND page) {
        ::SetDlgItemTextW(page, kCtlComment, L"after");
        ::SetDlgItemTextW(page, kCtlMessage, L"a\u1E46b");
        ClickCheck(page, kCtlNoShow, true);
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, kCtlMessage))) << "the message box goes with the dialog";
    };
    const auto badDelay = [](HWND page) {
        ::SetDlgItemTextW(page, kCtlComment, L"after");
        ::SetDlgItemTextW(page, kCtlDelay, L"315360001");
    };
    const std::vector<Case> cases = {
        {"Enter on the task page", true, false, comment, Shown::kTask, {Act::kEnter}, true, u"before"},
        {"Enter on the Schedule page", true, false, comment, Shown::kSchedule, {Act::kEnter}, true, u"before"},
        {"Enter back on the task page",
         true,
         false,
         comment,
         Shown::kTaskAfterSchedule,
         {Act::kEnter},
         true,
         u"before"},
        {"Enter on our own Schedule page", false, false, comment, Shown::kSchedule, {Act::kEnter}, true, u"before"},
        {"Escape", true, false, comment, Shown::kTask, {Act::kEscape}, false, u"before"},
        {"Escape on the Schedule page", true, false, comment, Shown::kSchedule, {Act::kEscape}, false, u"before"},
        {"Escape after a refused OK",
         true,
         true,
         comment,
         Shown::kSchedule,
         {Act::kEnter, Act::kEscape},
         false,
         u"before"},
        {"Escape after a refused OK on the task page",
         true,
         true,
         comment,
         Shown::kTaskAfterSchedule,
         {Act::kEnter, Act::kEscape},
         false,
         u"before"},
        {"a countdown refused from another page",
         false,
         false,
         badDelay,
         Shown::kSchedule,
         {Act::kEnter, Act::kEscape},
         false,
         u"before"},
        {"a hidden message is no reason to refuse",
         true,
         false,
         unstorableHiddenMessage,
         Shown::kTask,
         {Act::kEnter},
         true,
         u"a\uFFFDb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTaskParams record;
        record.action = kActionShutdown;
        record.comment = u"before";
        record.message = u"before";
        const std::u16string name = test::MakeTaskPair(TaskKind::kLocal, record);
        ASSERT_FALSE(name.empty());
        UseSchedulePage(c.system);
        standIn.refuse = c.refuse;
        std::atomic<bool> stayedOpen{true}, captionAsItWas{true};
        Drive([&](HWND sheet) {
            test::ReadyForInput(sheet);
            c.prepare(CurrentPage(sheet));
            if (c.page != Shown::kTask)
                ClickTab(sheet, 1);
            if (c.page == Shown::kTaskAfterSchedule)
                ClickTab(sheet, 0);
            const auto caption = [sheet] {
                WINDOWINFO info{};
                info.cbSize = sizeof info;
                ::GetWindowInfo(sheet, &info);
                return info.dwWindowStatus;
            };
            for (std::size_t i = 0; i < c.keys.size(); ++i) {
                const DWORD before = caption();
                Perform(sheet, c.keys[i]);
                if (i + 1 < c.keys.size()) {
                    // A refused OK leaves the sheet open, its caption as it was before the flash.
                    ::Sleep(300);
                    stayedOpen = stayedOpen && ::IsWindow(sheet);
                    captionAsItWas = captionAsItWas && caption() == before;
                    test::HoldForScreenshot();
                }
            }
            WaitToShow(sheet, "end");
        });
        EXPECT_EQ(c.stored, CAddWiz(context).RunProperties(owner, name));
        driver.Join();
        EXPECT_TRUE(stayedOpen);
        EXPECT_TRUE(captionAsItWas);
        CTaskParams stored;
        ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
        EXPECT_EQ(c.stored ? u"after" : u"before", stored.comment);
        EXPECT_EQ(c.message, stored.message);
        const std::vector<TASK_TRIGGER> triggers = StoredTriggers(name);
        ASSERT_EQ(1u, triggers.size());
        // The system's page writes its triggers only when it was shown, and only at an accepted OK.
        const bool written = c.stored && c.system && c.page != Shown::kTask;
        EXPECT_EQ(written ? TASK_TIME_TRIGGER_WEEKLY : TASK_TIME_TRIGGER_DAILY, triggers[0].TriggerType);
        EXPECT_TRUE(messages.empty());
        CScheduledTask().DeleteTask(name + u".job");
    }
}

TEST_F(TaskEditorAsAPerson, TheLogFileLabelIsPaintedWithABrush) {
    CTaskParams record;
    record.history = u"a run";
    const std::u16string name = test::MakeTaskPair(TaskKind::kLocal, record);
    ASSERT_FALSE(name.empty());
    std::atomic<bool> brush{false}, linkColour{false};
    Drive([&](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        const HWND label = ::GetDlgItem(page, kCtlLogFile);
        const HDC dc = ::GetDC(label);
        const auto answer =
            ::SendMessageW(page, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label));
        brush = answer != 0 && ::GetObjectType(reinterpret_cast<HGDIOBJ>(answer)) == OBJ_BRUSH;
        linkColour = ::GetTextColor(dc) == RGB(0, 0, 204);
        ::ReleaseDC(label, dc);
        test::HoldForScreenshot();
        Perform(sheet, Act::kEscape);
        WaitToShow(sheet, "end");
    });
    EXPECT_FALSE(CAddWiz(context).RunProperties(owner, name));
    driver.Join();
    EXPECT_TRUE(brush);
    EXPECT_TRUE(linkColour);
}

// Waits until `control` has the keyboard focus of its thread; false when it never got it.
bool WaitForFocus(HWND control) {
    for (int i = 0; i < 150; ++i) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (::GetGUIThreadInfo(::GetWindowThreadProcessId(control, nullptr), &info) && info.hwndFocus == control)
            return true;
        ::Sleep(20);
    }
    return false;
}

// Chooses the next action in the task page's list from the keyboard: Shift+Tab from the comment
// to the list, then Down.
void NextActionByKeyboard(HWND page) {
    const HWND comment = ::GetDlgItem(page, kCtlComment);
    const HWND actions = ::GetDlgItem(page, kCtlAction);
    test::ReadyForInput(::GetAncestor(page, GA_ROOT));
    test::Click(comment);
    EXPECT_TRUE(WaitForFocus(comment));
    test::PressKeys({VK_SHIFT, VK_TAB});
    EXPECT_TRUE(WaitForFocus(actions));
    const auto before = ::SendMessageW(actions, CB_GETCURSEL, 0, 0);
    test::PressKey(VK_DOWN);
    for (int i = 0; i < 150 && ::SendMessageW(actions, CB_GETCURSEL, 0, 0) == before; ++i)
        ::Sleep(20);
    ::SendMessageW(page, WM_NULL, 0, 0);  // the page has handled the change
}

// The account dialog that the task page opens; null when none opened.
HWND AccountDialog(HWND sheet) {
    return test::WaitForOwned(sheet, L"Account info", 1500);
}

TEST_F(TaskEditorAsAPerson, RemoteAccountKeepsItsBoxAndTheAccountDialogTakesEnterAndEscape) {
    CTaskParams record;
    record.action = kActionShutdown;
    record.local = 0;
    record.computers.push_back(ComputerEntry{});
    record.computers[0][kTextName] = u"pc-one";
    // "Run only if logon" clear. Wine keeps no accounts, so the task reads as the system account's:
    // no account of its own, which another action does not keep silently (the native table has
    // the case of a stored account, which stays).
    const std::u16string name = test::MakeTaskPair(TaskKind::kRemote, record);
    ASSERT_FALSE(name.empty());

    std::vector<std::string> seen;
    Drive([&](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        test::ReadyForInput(sheet);
        const auto note = [&](const std::string& what) {
            seen.push_back(what +
                           (::IsDlgButtonChecked(page, kCtlRunOnlyIfLoggedOn) == BST_CHECKED ? " ticked" : " clear"));
        };
        note("opened");
        // Another action from the keyboard ticks the box, and asks nothing.
        NextActionByKeyboard(page);
        note(AccountDialog(sheet) ? "action changed, account dialog" : "action changed");
        // Ticking the box asks nothing; clearing it asks for the account.
        ClickCheck(page, kCtlRunOnlyIfLoggedOn, true);
        note(AccountDialog(sheet) ? "ticked, account dialog" : "ticked");
        test::Click(::GetDlgItem(page, kCtlRunOnlyIfLoggedOn));
        HWND account = AccountDialog(sheet);
        note(account ? "cleared, account dialog" : "cleared");
        if (account) {
            test::BringToFront(account);
            test::PressKey(VK_ESCAPE);
            test::WaitUntilGone(account);
            note(::IsWindow(account) ? "Escape, dialog open" : "Escape");
        }
        test::Click(::GetDlgItem(page, kCtlRunOnlyIfLoggedOn));
        account = AccountDialog(sheet);
        if (account) {
            test::BringToFront(account);
            test::PressKey(VK_RETURN);  // a blank password is refused
            ::Sleep(300);
            note(::IsWindow(account) ? "blank Enter, dialog open" : "blank Enter, dialog gone");
            ::SetDlgItemTextW(account, IDC_ACCOUNT_USER, L"operator");
            ::SetDlgItemTextW(account, IDC_ACCOUNT_PASSWORD, L"secret");
            ::SetDlgItemTextW(account, IDC_ACCOUNT_CONFIRM, L"secret");
            test::BringToFront(account);
            test::PressKey(VK_RETURN);
            test::WaitUntilGone(account);
            note(::IsWindow(account) ? "Enter, dialog open" : "Enter");
        }
        test::HoldForScreenshot();
        Perform(sheet, Act::kEscape);
        WaitToShow(sheet, "end");
    });
    EXPECT_FALSE(CAddWiz(context).RunProperties(owner, name));
    driver.Join();
    EXPECT_EQ((std::vector<std::string>{"opened clear", "action changed ticked", "ticked ticked",
                                        "cleared, account dialog clear", "Escape ticked",
                                        "blank Enter, dialog open clear", "Enter clear"}),
              seen);
    EXPECT_EQ(std::vector<std::wstring>{L"You cannot use account with a blank password"}, messages);
}

TEST_F(TaskEditorAsAPerson, RemotePropertiesOfASystemAccountTaskWithAnotherActionAskForAnAccount) {
    CTaskParams record;
    record.action = kActionShutdown;
    record.local = 0;
    record.computers.push_back(ComputerEntry{});
    record.computers[0][kTextName] = u"pc-one";
    const std::u16string name = test::MakeTaskPair(TaskKind::kRemote, record);
    ASSERT_FALSE(name.empty());
    Drive([&](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        test::ReadyForInput(sheet);
        NextActionByKeyboard(page);  // Reboot
        Perform(sheet, Act::kEnter);
        WaitToShow(sheet, "end");
    });
    EXPECT_TRUE(CAddWiz(context).RunProperties(owner, name));
    driver.Join();
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
    EXPECT_EQ(kActionRestart, stored.action);
    WorkItemEditor item;
    WorkItemSettings settings;
    ASSERT_HRESULT_SUCCEEDED(item.BeginExisting(name, settings));
    // Wine keeps no accounts: the task reads as the system's, which is no account of its own, so the
    // new action asks for one as for a new task (the native table has the stored account's case).
    EXPECT_TRUE(settings.runOnlyIfLoggedOn) << "a remote shutdown does not silently keep the system account";
}

}  // namespace
}  // namespace velmora
