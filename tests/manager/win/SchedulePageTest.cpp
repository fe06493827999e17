// Our own Schedule page in a modeless property sheet over a new work item of the real Task
// Scheduler, driven by control id and PSM_ messages. No work item is saved.
#include <windows.h>
#include <commctrl.h>
#include <mstask.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "manager/win/SchedulePage.h"
#include "manager/ids/ScheduleIds.h"
#include "platform/win/WideText.h"
#include "scheduler/win/ScheduledTask.h"
#include "tests/support/win/Input.h"
#include "tests/support/win/Messages.h"

namespace velmora {
namespace {

constexpr LocalMinute kNewYearsEve{2026, 12, 31, 23, 40};

// What the scheduler keeps of a trigger, in one line for comparison and messages.
std::string Fields(const TASK_TRIGGER& t) {
    const auto* kind = reinterpret_cast<const WORD*>(&t.Type);
    char text[160];
    std::snprintf(text, sizeof text, "%d %d-%d-%d %d:%d flags %lu repeat %lu/%lu end %d-%d-%d kind %x %x %x",
                  t.TriggerType, t.wBeginYear, t.wBeginMonth, t.wBeginDay, t.wStartHour, t.wStartMinute, t.rgFlags,
                  t.MinutesInterval, t.MinutesDuration, t.wEndYear, t.wEndMonth, t.wEndDay, kind[0], kind[1], kind[2]);
    return text;
}

std::vector<std::string> Fields(const std::vector<TASK_TRIGGER>& triggers) {
    std::vector<std::string> lines;
    for (const TASK_TRIGGER& t : triggers)
        lines.push_back(Fields(t));
    return lines;
}

TASK_TRIGGER Trigger(TASK_TRIGGER_TYPE type, WORD hour, WORD minute) {
    TASK_TRIGGER t{};
    t.cbTriggerSize = sizeof t;
    t.TriggerType = type;
    t.wBeginYear = 2026;
    t.wBeginMonth = 12;
    t.wBeginDay = 7;
    t.wStartHour = hour;
    t.wStartMinute = minute;
    return t;
}

std::u16string ListText(HWND page, int index) {
    wchar_t text[512] = {};
    ::SendDlgItemMessageW(page, IDC_SCHEDULE_LIST, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return FromWide(text);
}

bool Visible(HWND page, int id) {
    return (::GetWindowLongPtrW(::GetDlgItem(page, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

int Count(HWND page) {
    return static_cast<int>(::SendDlgItemMessageW(page, IDC_SCHEDULE_LIST, LB_GETCOUNT, 0, 0));
}

void Choose(HWND page, int comboId, int index) {
    ::SendDlgItemMessageW(page, comboId, CB_SETCURSEL, index, 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, comboId)));
}

void Click(HWND page, int id) {
    ::SendDlgItemMessageW(page, id, BM_CLICK, 0, 0);
}

void SelectRow(HWND page, int index) {
    ::SendDlgItemMessageW(page, IDC_SCHEDULE_LIST, LB_SETCURSEL, index, 0);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SCHEDULE_LIST, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(page, IDC_SCHEDULE_LIST)));
}

// With VELMORA_SCREENSHOT_MS set, the sheet stays on the screen that long, for a screenshot.
void HoldForScreenshot() {
    const char* hold = std::getenv("VELMORA_SCREENSHOT_MS");
    if (!hold)
        return;
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(std::atoi(hold));
    while (::GetTickCount() < end) {
        test::Pump();
        ::Sleep(20);
    }
}

class SchedulePageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(editor_.BeginNew(TaskKind::kLocal)); }
    // The work item is dropped unsaved with the editor.
    void TearDown() override {
        if (sheet_)
            ::DestroyWindow(sheet_);
    }

    // Shows our page alone in a modeless sheet, as the properties show it; returns the page.
    HWND Show(bool newTask) {
        page_ = std::make_unique<CSchedulePage>(editor_, newTask, [] { return kNewYearsEve; });
        sheet_ = test::ShowPageInModelessSheet(page_->Create(), L"Task Properties");
        EXPECT_NE(nullptr, sheet_);
        return reinterpret_cast<HWND>(::SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    // The sheet's apply, and the messages it leaves (a refusal's move of the keys) handled.
    bool Apply() {
        const bool applied = ::SendMessageW(sheet_, PSM_APPLY, 0, 0) != FALSE;
        test::Pump();
        return applied;
    }
    std::vector<TASK_TRIGGER> Stored() {
        std::vector<TASK_TRIGGER> triggers;
        EXPECT_HRESULT_SUCCEEDED(editor_.GetTriggers(triggers));
        return triggers;
    }

    WorkItemEditor editor_;
    std::unique_ptr<CSchedulePage> page_;
    HWND sheet_ = nullptr;
};

TEST_F(SchedulePageTest, ANewTaskStartsWithTheDefaultAndAWeeklyTriggerReplacesIt) {
    const HWND page = Show(true);
    ASSERT_EQ(1, Count(page));
    EXPECT_EQ(TriggerText(DefaultTrigger(kNewYearsEve), UserLocaleFormat()), ListText(page, 0));
    EXPECT_EQ(1, ::SendDlgItemMessageW(page, IDC_SCHEDULE_TYPE, CB_GETCURSEL, 0, 0)) << "daily";
    EXPECT_TRUE(Visible(page, IDC_SCHEDULE_DAYS_INTERVAL));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_SCHEDULE_END_DATE)));
    Choose(page, IDC_SCHEDULE_TYPE, static_cast<int>(TriggerType::kWeekly));
    EXPECT_TRUE(Visible(page, IDC_SCHEDULE_WEEKS_INTERVAL));
    EXPECT_FALSE(Visible(page, IDC_SCHEDULE_DAYS_INTERVAL));
    // 1 January 2027 is a Friday: the new kind starts on the begin date's weekday.
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(page, IDC_SCHEDULE_FRIDAY));
    Click(page, IDC_SCHEDULE_MONDAY);
    SYSTEMTIME time{2027, 1, 5, 1, 21, 30, 0, 0};
    ::SendDlgItemMessageW(page, IDC_SCHEDULE_TIME, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    HoldForScreenshot();

    ASSERT_TRUE(Apply());
    EXPECT_EQ(S_OK, page_->applyResult());
    const std::vector<TASK_TRIGGER> stored = Stored();
    // Every week (1) on Monday and Friday (0x22), enabled: the scheduler's own trigger is gone.
    EXPECT_EQ(std::vector<std::string>{"2 2027-1-1 21:30 flags 0 repeat 0/0 end 0-0-0 kind 1 22 0"}, Fields(stored));
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ(TriggerText(TriggerSpecOf(stored[0]), UserLocaleFormat()), ListText(page, 0));
}

TEST_F(SchedulePageTest, AWeeklyTriggerWithoutWeekdayIsRefusedOnTheWeekdays) {
    const std::vector<std::string> before = Fields(Stored());
    const HWND page = Show(true);
    Choose(page, IDC_SCHEDULE_TYPE, static_cast<int>(TriggerType::kWeekly));
    Click(page, IDC_SCHEDULE_FRIDAY);

    EXPECT_FALSE(Apply());
    EXPECT_EQ(::GetDlgItem(page, IDC_SCHEDULE_MONDAY), ::GetFocus());
    EXPECT_EQ(page, reinterpret_cast<HWND>(::SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)));
    EXPECT_EQ(before, Fields(Stored())) << "nothing was written";
    // The apply refuses too, should it come without the page being left first.
    PSHNOTIFY apply{{sheet_, 0, static_cast<UINT>(PSN_APPLY)}, 0};
    ::SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply));
    EXPECT_EQ(PSNRET_INVALID_NOCHANGEPAGE, ::GetWindowLongPtrW(page, DWLP_MSGRESULT));

    Click(page, IDC_SCHEDULE_WEDNESDAY);
    ASSERT_TRUE(Apply());
    EXPECT_EQ(TASK_WEDNESDAY, Stored().at(0).Type.Weekly.rgfDaysOfTheWeek);
}

TEST_F(SchedulePageTest, AnExistingWorkItemsTriggersComeBackUnchangedThroughThePage) {
    TASK_TRIGGER monthly = Trigger(TASK_TIME_TRIGGER_MONTHLYDATE, 6, 5);
    monthly.Type.MonthlyDate = {1 | 1 << 14, TASK_JANUARY | TASK_JULY};
    monthly.rgFlags = TASK_TRIGGER_FLAG_HAS_END_DATE;
    monthly.wEndYear = 2027, monthly.wEndMonth = 6, monthly.wEndDay = 30;
    TASK_TRIGGER lastSaturday = Trigger(TASK_TIME_TRIGGER_MONTHLYDOW, 23, 59);
    lastSaturday.Type.MonthlyDOW = {TASK_LAST_WEEK, TASK_SATURDAY, 0xFFF};
    lastSaturday.MinutesInterval = 15, lastSaturday.MinutesDuration = 120;
    TASK_TRIGGER disabledOnce = Trigger(TASK_TIME_TRIGGER_ONCE, 12, 0);
    disabledOnce.rgFlags = TASK_TRIGGER_FLAG_DISABLED;
    const std::vector<TASK_TRIGGER> triggers = {monthly, lastSaturday, Trigger(TASK_EVENT_TRIGGER_AT_LOGON, 0, 0),
                                                disabledOnce};
    ASSERT_HRESULT_SUCCEEDED(editor_.SetTriggers(triggers));

    const HWND page = Show(false);
    ASSERT_EQ(4, Count(page));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(TriggerText(TriggerSpecOf(triggers[i]), UserLocaleFormat()), ListText(page, i));
    wchar_t days[64] = {};
    ::GetDlgItemTextW(page, IDC_SCHEDULE_DAYS, days, 64);
    EXPECT_EQ(std::wstring(L"1, 15"), days);
    HoldForScreenshot();
    // Every trigger shown in the fields and read back from them when another one is selected.
    for (int i : {1, 2, 3, 0, 2})
        SelectRow(page, i);
    EXPECT_FALSE(Visible(page, IDC_SCHEDULE_TIME)) << "at logon";
    EXPECT_FALSE(Visible(page, IDC_SCHEDULE_GROUP));
    ASSERT_TRUE(Apply());
    EXPECT_EQ(Fields(triggers), Fields(Stored()));

    // New adds the default after the others and selects it; Delete takes the selected one.
    Click(page, IDC_SCHEDULE_NEW);
    EXPECT_EQ(4, ::SendDlgItemMessageW(page, IDC_SCHEDULE_LIST, LB_GETCURSEL, 0, 0));
    SelectRow(page, 0);
    Click(page, IDC_SCHEDULE_DELETE);
    EXPECT_EQ(0, ::SendDlgItemMessageW(page, IDC_SCHEDULE_LIST, LB_GETCURSEL, 0, 0));
    HoldForScreenshot();
    ASSERT_TRUE(Apply());
    const std::vector<std::string> stored = Fields(Stored());
    EXPECT_EQ((std::vector<std::string>{Fields(lastSaturday), Fields(triggers[2]), Fields(disabledOnce),
                                        Fields(TaskTriggerOf(DefaultTrigger(kNewYearsEve)))}),
              stored);
}

TEST_F(SchedulePageTest, TheWeeksOfAMonthReadFirstToLast) {
    const HWND page = Show(true);
    std::vector<std::u16string> weeks;
    for (int i = 0; i < ::SendDlgItemMessageW(page, IDC_SCHEDULE_WHICH_WEEK, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[64] = {};
        ::SendDlgItemMessageW(page, IDC_SCHEDULE_WHICH_WEEK, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        weeks.push_back(FromWide(text));
    }
    EXPECT_EQ((std::vector<std::u16string>{u"first", u"second", u"third", u"fourth", u"last"}), weeks);
}

// Any tool can write a work item. The scheduler refuses a begin date or time that is none (the
// logic's tests cover those), but keeps a week outside the five: the page shows it as stored, says
// that it is not valid, keeps it while other triggers are shown, and refuses it until the user
// picks a week.
TEST_F(SchedulePageTest, AStoredWeekOutsideTheFiveIsSaidNotValidAndKeptUntilTheUserPicksOne) {
    TASK_TRIGGER seventh = Trigger(TASK_TIME_TRIGGER_MONTHLYDOW, 6, 5);
    seventh.Type.MonthlyDOW = {7, TASK_SATURDAY, 0xFFF};
    ASSERT_HRESULT_SUCCEEDED(editor_.SetTriggers({seventh, Trigger(TASK_EVENT_TRIGGER_AT_LOGON, 0, 0)}));
    const std::vector<std::string> stored = Fields(Stored());

    const HWND page = Show(false);
    const std::u16string text = ListText(page, 0);
    EXPECT_NE(std::u16string::npos, text.find(u"on the week 7 (not valid) Sat of every month")) << ToWide(text).c_str();
    EXPECT_EQ(CB_ERR, ::SendDlgItemMessageW(page, IDC_SCHEDULE_WHICH_WEEK, CB_GETCURSEL, 0, 0));
    EXPECT_FALSE(Visible(page, IDC_SCHEDULE_DATE_NOT_VALID)) << "the date is one";
    SelectRow(page, 1);
    SelectRow(page, 0);
    EXPECT_EQ(text, ListText(page, 0)) << "the stored week is kept";
    HoldForScreenshot();

    EXPECT_FALSE(Apply());
    EXPECT_EQ(::GetDlgItem(page, IDC_SCHEDULE_WHICH_WEEK), ::GetFocus());
    EXPECT_EQ(stored, Fields(Stored())) << "nothing was written";

    // The user picks the third week with the keyboard in the focused list: the first Down takes
    // the first week.
    ASSERT_TRUE(test::BringToFront(sheet_));
    ::SetFocus(::GetDlgItem(page, IDC_SCHEDULE_WHICH_WEEK));
    for (int i = 0; i < 3; ++i)
        test::PressKey(VK_DOWN);
    for (int i = 0; i < 50 && ::SendDlgItemMessageW(page, IDC_SCHEDULE_WHICH_WEEK, CB_GETCURSEL, 0, 0) != 2; ++i) {
        ::Sleep(10);
        test::Pump();
    }
    EXPECT_NE(std::u16string::npos, ListText(page, 0).find(u"on the third Sat")) << ToWide(ListText(page, 0)).c_str();
    ASSERT_TRUE(Apply());
    EXPECT_EQ(TASK_THIRD_WEEK, Stored().at(0).Type.MonthlyDOW.wWhichWeek);
}

}  // namespace
}  // namespace velmora
