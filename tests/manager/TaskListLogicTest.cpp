// Row texts, run times in locale pictures, row order, the selection after a delete and the
// executor watcher's rule.
#include "manager/TaskListLogic.h"

#include <gtest/gtest.h>

#include "manager/ProcessWatch.h"
#include "manager/ids/ActionTextIds.h"

namespace velmora {
namespace {

LocalePictures EnglishPictures(std::u16string time, std::u16string date) {
    LocalePictures locale;
    locale.timePicture = std::move(time);
    locale.shortDatePicture = std::move(date);
    locale.am = u"AM";
    locale.pm = u"PM";
    locale.dayNames = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
    locale.abbreviatedDayNames = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    locale.monthNames = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                         u"July",    u"August",   u"September", u"October", u"November", u"December"};
    locale.abbreviatedMonthNames = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                    u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    return locale;
}

TEST(RunTimeText, PicturesOfTimesAndDates) {
    const ScheduleTime morning{2026, 3, 2, 5, 7, 4};     // Tuesday 5 March 2026, 07:04
    const ScheduleTime evening{2009, 12, 0, 31, 0, 30};  // Sunday 31 December 2009, 00:30
    struct Case {
        std::u16string time, date;
        ScheduleTime when;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"h:mm:ss tt", u"M/d/yyyy", morning, u"7:04:00 AM 3/5/2026"},
        {u"HH:mm:ss", u"dd.MM.yy", morning, u"07:04:00 05.03.26"},
        {u"hh:mm t", u"ddd d MMM y", evening, u"12:30 A Sun 31 Dec 9"},
        {u"H:m:s", u"dddd, MMMM dd, yyyy", evening, u"0:30:0 Sunday, December 31, 2009"},
        {u"HH' h 'mm", u"yyyy-MM-dd", ScheduleTime{2026, 1, 4, 1, 19, 5}, u"19 h 05 2026-01-01"},
        {u"h:mm tt", u"d/M/yyyy", ScheduleTime{2026, 6, 1, 15, 12, 0}, u"12:00 PM 15/6/2026"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatRunTime(c.when, EnglishPictures(c.time, c.date)), c.expected)
            << std::string(c.time.begin(), c.time.end()) << " " << std::string(c.date.begin(), c.date.end());
    }
}

// Any tool can write a work item, so a run time may hold a date that is none. The C library is
// given only dates it can take: some runtimes end the program on a month or year outside their
// range.
TEST(RunTimeText, EmptyDatePictureFallsBackToTheCLibraryDateAndNoYearIsNoRun) {
    struct Case {
        ScheduleTime when;
        std::u16string expected;
    };
    const Case cases[] = {
        {{2026, 12, 2, 8, 22, 56}, u"22:56 12/08/26"},
        {{2026, 12, 9, 8, 22, 56}, u"22:56 12/08/26"},  // a weekday that is none
        {{2026, 13, 2, 8, 22, 56}, u"22:56 2026-13-8 (not a valid date)"},
        {{2026, 2, 2, 30, 22, 56}, u"22:56 2026-2-30 (not a valid date)"},
        {{65535, 0, 2, 0, 22, 56}, u"22:56 65535-0-0 (not a valid date)"},
        {{1700, 3, 2, 1, 22, 56}, u"22:56 1700-3-1"},  // a date, before the years the library takes
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatRunTime(c.when, EnglishPictures(u"HH:mm", u"")), c.expected)
            << c.when.year << "-" << c.when.month << "-" << c.when.day;
    }
    EXPECT_EQ(FormatRunTime({0, 12, 2, 8, 22, 56}, EnglishPictures(u"HH:mm", u"M/d")), u"");
}

TaskRow Row(std::u16string name, std::u16string comment, std::u16string result) {
    WorkItemInfo info;
    info.resultText = std::move(result);
    info.scheduleText = u"At 10:00 every day";
    info.account = u"SYSTEM";
    CTaskParams record;
    record.comment = std::move(comment);
    return MakeTaskRow(name, info, &record, u"Popup", EnglishPictures(u"HH:mm", u"d.M.yyyy"));
}

TEST(TaskRows, TextsWithBlanksForEmptyValuesAndRunningWhileItRuns) {
    WorkItemInfo info;
    info.enabled = false;
    info.status = kTaskRunning;
    info.resultText = u"0x0";
    info.account = u"SYSTEM";
    info.nextRun = {2026, 12, 2, 8, 6, 0};
    CTaskParams record;
    const TaskRow row = MakeTaskRow(u"quenep-0ab", info, &record, u"Lock", EnglishPictures(u"HH:mm", u"d.M.yyyy"));
    EXPECT_EQ(row.texts, (std::array<std::u16string, kTaskColumnCount>{u"Lock", u" ", u"06:00 8.12.2026", u" ",
                                                                       u"SYSTEM", u" ", u"running"}));
    EXPECT_FALSE(row.enabled);

    // A task whose file could not be read says so in the Task column and shows its work item's
    // texts, never another task's comment.
    const TaskRow unread =
        MakeTaskRow(u"quenep-0cd", info, nullptr, u"task file unreadable", EnglishPictures(u"HH:mm", u""));
    EXPECT_EQ(unread.texts[kColumnTask], u"task file unreadable");
    EXPECT_EQ(unread.texts[kColumnUser], u"SYSTEM");
    EXPECT_EQ(unread.texts[kColumnComment], u" ");

    const std::u16string data = PackRowData(row);
    constexpr char16_t kPacked[] =
        u"quenep-0ab\0Lock\0 \0"
        u"06:00 8.12.2026\0 \0SYSTEM\0 \0running\0";
    EXPECT_EQ(data, std::u16string(kPacked, std::size(kPacked) - 1));
    EXPECT_EQ(RowDataText(data, 0), u"quenep-0ab");
    EXPECT_EQ(RowDataText(data, 7), u"running");
    EXPECT_EQ(RowDataText(data, 8), u"");
}

// A refresh reads only what a run changes: the row it makes from the shown row is the row a full
// read would make, whatever ran, ended or was disabled meanwhile.
TEST(TaskRows, ARefreshFromTheShownRowEqualsAFullRead) {
    const LocalePictures locale = EnglishPictures(u"HH:mm", u"d.M.yyyy");
    WorkItemInfo before;
    before.enabled = true;
    before.account = u"LAB\\ADMIN";
    before.scheduleText = u"At 22:00 every day";
    before.nextRun = {2026, 12, 2, 8, 22, 0};
    before.resultText = u"0x0";
    CTaskParams record;
    record.comment = u"night";
    const TaskRow shown = MakeTaskRow(u"quenep-0ab", before, &record, u"Shutdown", locale);

    WorkItemInfo running = before, ended = before, disabled = before, emptied = before;
    running.status = kTaskRunning;
    running.lastRun = {2026, 12, 2, 8, 22, 0};
    ended.lastRun = running.lastRun;
    ended.nextRun = {2026, 12, 3, 9, 22, 0};
    ended.resultText = u"0x5";
    disabled.enabled = false;
    disabled.nextRun = {};
    emptied.resultText.clear();
    for (const WorkItemInfo& after : {before, running, ended, disabled, emptied}) {
        WorkItemInfo runState;  // only the run's fields are read
        runState.enabled = after.enabled;
        runState.status = after.status;
        runState.lastRun = after.lastRun;
        runState.nextRun = after.nextRun;
        runState.resultText = after.resultText;
        const TaskRow refreshed = WithRunState(UnpackRowData(PackRowData(shown), shown.enabled), runState, locale);
        const TaskRow full = MakeTaskRow(u"quenep-0ab", after, &record, u"Shutdown", locale);
        EXPECT_EQ(full.texts, refreshed.texts);
        EXPECT_EQ(full.enabled, refreshed.enabled);
        EXPECT_EQ(PackRowData(full), PackRowData(refreshed));
    }
}

TEST(TaskRows, ActionNames) {
    const std::pair<int, int> names[] = {{0, IDS_ACT_SHUTDOWN}, {2, IDS_ACT_STANDBY},    {3, IDS_ACT_REBOOT},
                                         {7, IDS_ACT_PING},     {8, IDS_ACT_MONITOR_ON}, {9, IDS_ACT_POPUP},
                                         {10, IDS_ACT_WAKEUP},  {11, IDS_ACT_WAKEUP},    {12, IDS_ACT_WAKEUP}};
    for (const auto& [action, id] : names)
        EXPECT_EQ(ActionNameStringId(action), id) << action;
}

TEST(TaskRows, SortByTheKeysTextReversedForANegativeKey) {
    const std::u16string a = PackRowData(Row(u"a", u"", u"0x1"));
    const std::u16string b = PackRowData(Row(u"b", u"night", u"0x0"));
    const std::u16string c = PackRowData(Row(u"c", u"Night", u"0x0"));
    const int comment = kColumnComment + 1;
    EXPECT_LT(CompareRows(a, b, comment), 0);  // a blank comment sorts first
    EXPECT_GT(CompareRows(a, b, -comment), 0);
    EXPECT_LT(CompareRows(c, b, comment), 0);  // plain character codes: "N" before "n"
    EXPECT_EQ(CompareRows(b, c, kColumnResult + 1), 0);
    EXPECT_GT(CompareRows(a, b, kColumnResult + 1), 0);
    EXPECT_EQ(CompareRows(a, b, 0), 0);
    EXPECT_EQ(CompareRows(a, b, 8), 0);
}

TEST(TaskRows, SelectionAfterDelete) {
    EXPECT_EQ(SelectionAfterDelete(0, 3), 0);
    EXPECT_EQ(SelectionAfterDelete(1, 3), 1);
    EXPECT_EQ(SelectionAfterDelete(2, 3), std::nullopt);  // the last row went
    EXPECT_EQ(SelectionAfterDelete(0, 1), std::nullopt);
}

TEST(ProcessWatch, RefreshWhenTheCountOfExecutorsChangedAndAgainWhileTheSchedulerCatchesUp) {
    ProcessWatch watch;
    const std::vector<std::u16string> none = {u"explorer.exe", u"<unknown>"};
    const std::vector<std::u16string> two = {u"QUENEX.EXE", u"explorer.exe", u"quenep.exe"};
    EXPECT_FALSE(watch.Look(none));  // the first look compares with none running
    EXPECT_TRUE(watch.Look(two));    // two starting in the same half-second: one refresh
    // Afterwards the list is read again at the 2nd, 4th, 8th and 16th look, then no more.
    std::vector<int> refreshedAt;
    for (int look = 1; look <= 40; ++look)
        if (watch.Look(two))
            refreshedAt.push_back(look);
    EXPECT_EQ((std::vector<int>{2, 4, 8, 16}), refreshedAt);
    EXPECT_FALSE(watch.Look({u"quenex.exe", u"Quenex.exe"}));  // one ended and another started
    EXPECT_TRUE(watch.Look(none));
    // A change during the follow-ups starts them again from that change.
    EXPECT_FALSE(watch.Look(none));
    EXPECT_TRUE(watch.Look(none));
    EXPECT_TRUE(watch.Look({u"quenex.exe"}));
    EXPECT_FALSE(watch.Look({u"quenex.exe"}));
    EXPECT_TRUE(watch.Look({u"quenex.exe"}));
    ProcessWatch other;
    EXPECT_FALSE(other.Look({u"quenex.exe.old", u"xquenex.exe"}));
    EXPECT_FALSE(other.Look({u"quenex.exe.old", u"xquenex.exe"})) << "no follow-up without a change";
}

}  // namespace
}  // namespace velmora
