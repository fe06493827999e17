// The Schedule page's rules: which triggers are refused and on which field, the first trigger of a
// new task, New and Delete, kinds and their fields, days of the month as text.
#include "manager/ScheduleLogic.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "model/Text.h"

namespace velmora {
namespace {

TriggerSpec Weekly() {
    TriggerSpec t;
    t.type = TriggerType::kWeekly;
    t.beginYear = 2026;
    t.beginMonth = 12;
    t.beginDay = 7;
    t.startHour = 21;
    t.startMinute = 30;
    t.weeksInterval = 1;
    t.daysOfTheWeek = 0x22;  // Monday, Friday
    return t;
}

TriggerSpec Changed(TriggerType type, const std::function<void(TriggerSpec&)>& change) {
    TriggerSpec t = WithType(Weekly(), type);
    change(t);
    return t;
}

TEST(ScheduleLogic, ImpossibleTriggersAreRefusedOnTheirField) {
    using F = TriggerField;
    using T = TriggerType;
    struct Case {
        const char* what;
        TriggerSpec trigger;
        TriggerField field;
    };
    const auto none = [](TriggerSpec&) {};
    const Case cases[] = {
        {"weekly on Monday and Friday", Weekly(), F::kNone},
        {"every kind with its defaults", Changed(T::kMonthlyDayOfWeek, none), F::kNone},
        {"kind out of range", Changed(static_cast<T>(8), none), F::kType},
        {"month 0", Changed(T::kOnce, [](TriggerSpec& t) { t.beginMonth = 0; }), F::kBeginDate},
        {"month 13", Changed(T::kMonthlyDayOfWeek, [](TriggerSpec& t) { t.beginMonth = 13; }), F::kBeginDate},
        {"30 February", Changed(T::kDaily, [](TriggerSpec& t) { t.beginMonth = 2, t.beginDay = 30; }), F::kBeginDate},
        {"29 February 2100",
         Changed(T::kOnce, [](TriggerSpec& t) { t.beginYear = 2100, t.beginMonth = 2, t.beginDay = 29; }),
         F::kBeginDate},
        {"29 February 2028",
         Changed(T::kOnce, [](TriggerSpec& t) { t.beginYear = 2028, t.beginMonth = 2, t.beginDay = 29; }), F::kNone},
        {"hour 24", Changed(T::kOnce, [](TriggerSpec& t) { t.startHour = 24; }), F::kStartTime},
        {"minute 60", Changed(T::kDaily, [](TriggerSpec& t) { t.startMinute = 60; }), F::kStartTime},
        {"no start time at logon", Changed(T::kAtLogon, [](TriggerSpec& t) { t.startHour = 99; }), F::kNone},
        {"every 0 days", Changed(T::kDaily, [](TriggerSpec& t) { t.daysInterval = 0; }), F::kDaysInterval},
        {"every 0 weeks", Changed(T::kWeekly, [](TriggerSpec& t) { t.weeksInterval = 0; }), F::kWeeksInterval},
        {"weekly, no weekday", Changed(T::kWeekly, [](TriggerSpec& t) { t.daysOfTheWeek = 0; }), F::kWeekdays},
        {"monthly, no day", Changed(T::kMonthlyDate, [](TriggerSpec& t) { t.daysOfTheMonth = 0; }), F::kDaysOfMonth},
        {"monthly, no month", Changed(T::kMonthlyDate, [](TriggerSpec& t) { t.months = 0; }), F::kMonths},
        {"day 31 of April and June",
         Changed(T::kMonthlyDate, [](TriggerSpec& t) { t.daysOfTheMonth = 1u << 30, t.months = 0x28; }),
         F::kDaysOfMonth},
        {"day 29 of February",
         Changed(T::kMonthlyDate, [](TriggerSpec& t) { t.daysOfTheMonth = 1u << 28, t.months = 0x2; }), F::kNone},
        {"day 31 of April and May",
         Changed(T::kMonthlyDate, [](TriggerSpec& t) { t.daysOfTheMonth = 1u << 30, t.months = 0x18; }), F::kNone},
        {"week 0", Changed(T::kMonthlyDayOfWeek, [](TriggerSpec& t) { t.whichWeek = 0; }), F::kWhichWeek},
        {"by weekday, no month", Changed(T::kMonthlyDayOfWeek, [](TriggerSpec& t) { t.months = 0; }), F::kMonths},
        {"end on the begin day",
         Changed(T::kDaily,
                 [](TriggerSpec& t) { t.flags = kTriggerHasEndDate, t.endYear = 2026, t.endMonth = 12, t.endDay = 7; }),
         F::kNone},
        {"end before begin",
         Changed(T::kDaily,
                 [](TriggerSpec& t) { t.flags = kTriggerHasEndDate, t.endYear = 2026, t.endMonth = 12, t.endDay = 6; }),
         F::kEndDate},
        {"an end date not asked for",
         Changed(T::kDaily, [](TriggerSpec& t) { t.endYear = 2001, t.endMonth = 1, t.endDay = 1; }), F::kNone},
        {"every 0 minutes for an hour", Changed(T::kDaily, [](TriggerSpec& t) { t.minutesDuration = 60; }),
         F::kRepeatInterval},
        {"every 10 minutes for 0", Changed(T::kDaily, [](TriggerSpec& t) { t.minutesInterval = 10; }),
         F::kRepeatDuration},
        {"every 90 minutes for an hour",
         Changed(T::kDaily, [](TriggerSpec& t) { t.minutesInterval = 90, t.minutesDuration = 60; }),
         F::kRepeatInterval},
        {"every hour for an hour",
         Changed(T::kDaily, [](TriggerSpec& t) { t.minutesInterval = 60, t.minutesDuration = 60; }),
         F::kRepeatInterval},
        {"repetition at system start is not used",
         Changed(T::kAtSystemStart, [](TriggerSpec& t) { t.minutesInterval = 10; }), F::kNone},
        {"the last kind's fields no longer count", Changed(T::kDaily, [](TriggerSpec& t) { t.daysOfTheWeek = 0; }),
         F::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.field, CheckTrigger(c.trigger)) << c.what;
}

TEST(ScheduleLogic, NewTaskStartsDailyAtTheNextFullHour) {
    struct Case {
        LocalMinute now;
        int year, month, day, hour;
    };
    const Case cases[] = {
        {{2026, 12, 31, 23, 40}, 2027, 1, 1, 0}, {{2026, 12, 7, 21, 0}, 2026, 12, 7, 22},
        {{2028, 2, 28, 23, 59}, 2028, 2, 29, 0}, {{2027, 2, 28, 23, 5}, 2027, 3, 1, 0},
        {{2026, 4, 30, 23, 1}, 2026, 5, 1, 0},
    };
    for (const Case& c : cases) {
        const ScheduleLogic logic = ScheduleLogic::ForNewTask(c.now);
        ASSERT_EQ(1u, logic.triggers().size());
        EXPECT_EQ(0, logic.selection());
        const TriggerSpec& t = logic.triggers()[0];
        EXPECT_EQ(TriggerType::kDaily, t.type);
        EXPECT_EQ(0u, t.flags) << "enabled, no end date";
        EXPECT_EQ((std::array<int, 5>{c.year, c.month, c.day, c.hour, 0}),
                  (std::array<int, 5>{t.beginYear, t.beginMonth, t.beginDay, t.startHour, t.startMinute}))
            << c.now.year << "-" << c.now.month << "-" << c.now.day << " " << c.now.hour << ":" << c.now.minute;
        EXPECT_EQ(TriggerField::kNone, CheckTrigger(t));
    }
}

// Any tool can write a work item, so a stored trigger's date may be no date at all.
TEST(ScheduleLogic, TheDayOfTheWeekOfADateOutsideTheCalendarIsNone) {
    struct Case {
        int year, month, day, dayOfWeek;
    };
    const Case cases[] = {
        {2026, 12, 7, 1},  {2027, 1, 1, 5},  {2028, 2, 29, 2},  {2026, 3, 1, 0},      {1601, 1, 1, 1},
        {2026, 13, 1, -1}, {2026, 0, 1, -1}, {2026, -1, 1, -1}, {2026, 65535, 1, -1}, {2026, 4, 31, -1},
        {2026, 2, 29, -1}, {2026, 1, 0, -1}, {0, 1, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.dayOfWeek, DayOfWeek(c.year, c.month, c.day)) << c.year << "-" << c.month << "-" << c.day;
    // A new kind on such a trigger starts on Monday, in the first week, on the first day.
    TriggerSpec stored = Weekly();
    stored.beginMonth = 13;
    EXPECT_EQ(1u << 1, WithType(WithType(stored, TriggerType::kDaily), TriggerType::kWeekly).daysOfTheWeek);
    EXPECT_EQ(1u, WithType(stored, TriggerType::kMonthlyDate).daysOfTheMonth);
    EXPECT_EQ(1, WithType(stored, TriggerType::kMonthlyDayOfWeek).whichWeek);
}

TEST(ScheduleLogic, NewAndDeleteMoveTheSelection) {
    ScheduleLogic logic(std::vector<TriggerSpec>{Weekly(), WithType(Weekly(), TriggerType::kOnce)});
    EXPECT_EQ(0, logic.selection());
    logic.New({2026, 12, 7, 8, 15});
    ASSERT_EQ(3u, logic.triggers().size());
    EXPECT_EQ(2, logic.selection());
    EXPECT_EQ(9, logic.triggers()[2].startHour);

    logic.Select(0);
    logic.Delete();  // the one after it moves into its place
    EXPECT_EQ(0, logic.selection());
    EXPECT_EQ(TriggerType::kOnce, logic.triggers()[0].type);
    logic.Select(1);
    logic.Delete();  // the last one: the one before it
    EXPECT_EQ(0, logic.selection());
    logic.Delete();
    EXPECT_EQ(-1, logic.selection());
    logic.Delete();
    logic.UpdateSelected(Weekly());
    EXPECT_TRUE(logic.triggers().empty()) << "nothing to delete or change";
}

TEST(ScheduleLogic, CheckNamesTheFirstImpossibleTriggerAndTextsFollowEdits) {
    LocaleFormat locale;
    locale.time = [](int h, int m) { return u"" + DecimalText(h) + u":" + DecimalText(m); };
    locale.date = [](int y, int m, int d) { return DecimalText(d) + u"." + DecimalText(m) + u"." + DecimalText(y); };
    ScheduleLogic logic(std::vector<TriggerSpec>{Weekly(), Weekly(), Weekly()});
    TriggerSpec empty = Weekly();
    empty.daysOfTheWeek = 0;
    logic.Select(2);
    logic.UpdateSelected(empty);
    logic.Select(1);
    logic.UpdateSelected(WithType(Weekly(), TriggerType::kAtLogon));
    const TriggerRefusal refusal = logic.Check();
    EXPECT_EQ(2, refusal.index);
    EXPECT_EQ(TriggerField::kWeekdays, refusal.field);
    EXPECT_EQ(u"At 21:30 every Mon, Fri of every week, starting 7.12.2026", logic.Text(0, locale));
    EXPECT_EQ(u"At logon", logic.Text(1, locale));
    EXPECT_EQ(u"", logic.Text(3, locale));
}

TEST(ScheduleLogic, ANewKindTakesItsFieldsFromTheBeginDate) {
    TriggerSpec once;  // Monday 7 December 2026
    once.beginYear = 2026, once.beginMonth = 12, once.beginDay = 7;
    const TriggerSpec weekly = WithType(once, TriggerType::kWeekly);
    EXPECT_EQ(1u << 1, weekly.daysOfTheWeek);
    const TriggerSpec byDate = WithType(once, TriggerType::kMonthlyDate);
    EXPECT_EQ(1u << 6, byDate.daysOfTheMonth);
    EXPECT_EQ(kAllMonths, byDate.months);
    once.beginDay = 31;  // Thursday, in the last week
    const TriggerSpec byWeekday = WithType(once, TriggerType::kMonthlyDayOfWeek);
    EXPECT_EQ(kLastWeek, byWeekday.whichWeek);
    EXPECT_EQ(1u << 4, byWeekday.daysOfTheWeek);
    // Fields both kinds use are kept; fields the old kind did not use are taken afresh.
    EXPECT_EQ(0x22u, WithType(Weekly(), TriggerType::kMonthlyDayOfWeek).daysOfTheWeek);
    EXPECT_EQ(1u << 1, WithType(WithType(Weekly(), TriggerType::kDaily), TriggerType::kWeekly).daysOfTheWeek);
}

TEST(ScheduleLogic, RepetitionSwitchedOnStartsWithValuesTheCheckAccepts) {
    const TriggerSpec on = WithRepetition(Weekly(), true);
    EXPECT_EQ((std::array<std::uint32_t, 2>{10, 60}), (std::array{on.minutesInterval, on.minutesDuration}));
    EXPECT_EQ(TriggerField::kNone, CheckTrigger(on));
    TriggerSpec set = Weekly();
    set.minutesInterval = 0, set.minutesDuration = 30;  // what the user typed stays, for the check
    EXPECT_EQ(TriggerField::kRepeatInterval, CheckTrigger(WithRepetition(set, true)));
    EXPECT_EQ(0u, WithRepetition(on, false).minutesInterval + WithRepetition(on, false).minutesDuration);
}

// Any tool can write a work item. The page's fields show what they can of a stored trigger; the
// trigger they give back is the stored one until the user changes a field, so a value no field can
// show is refused where its kind uses it, and kept where it does not, never dropped unseen.
TEST(ScheduleLogic, AStoredTriggerComesBackFromTheFieldsAsItWas) {
    using F = TriggerField;
    using T = TriggerType;
    struct Case {
        const char* what;
        TriggerSpec stored;
        TriggerField field;
    };
    const Case cases[] = {
        {"weekly on Monday and Friday", Weekly(), F::kNone},
        {"weekday bit 7", Changed(T::kWeekly, [](TriggerSpec& t) { t.daysOfTheWeek = 0x82; }), F::kWeekdays},
        {"month bits 12 to 15", Changed(T::kMonthlyDayOfWeek, [](TriggerSpec& t) { t.months = 0xF001; }), F::kMonths},
        {"day bit 31", Changed(T::kMonthlyDate, [](TriggerSpec& t) { t.daysOfTheMonth = 0x80000001; }),
         F::kDaysOfMonth},
        {"weekdays a daily trigger does not use", Changed(T::kDaily, [](TriggerSpec& t) { t.daysOfTheWeek = 0xFF80; }),
         F::kNone},
        {"an end date not asked for",
         Changed(T::kDaily, [](TriggerSpec& t) { t.endYear = 2027, t.endMonth = 1, t.endDay = 1; }), F::kNone},
        {"end in month 14",
         Changed(T::kDaily,
                 [](TriggerSpec& t) { t.flags = kTriggerHasEndDate, t.endYear = 2027, t.endMonth = 14, t.endDay = 1; }),
         F::kEndDate},
        {"month 13", Changed(T::kOnce, [](TriggerSpec& t) { t.beginMonth = 13; }), F::kBeginDate},
        {"day 0", Changed(T::kOnce, [](TriggerSpec& t) { t.beginDay = 0; }), F::kBeginDate},
        {"hour 24", Changed(T::kDaily, [](TriggerSpec& t) { t.startHour = 24; }), F::kStartTime},
        {"week 7", Changed(T::kMonthlyDayOfWeek, [](TriggerSpec& t) { t.whichWeek = 7; }), F::kWhichWeek},
        {"kind 9", Changed(static_cast<T>(9), [](TriggerSpec&) {}), F::kType},
        {"disabled, repeating",
         Changed(T::kOnce,
                 [](TriggerSpec& t) { t.flags = kTriggerDisabled, t.minutesInterval = 15, t.minutesDuration = 120; }),
         F::kNone},
    };
    for (const Case& c : cases) {
        const TriggerSpec back = TriggerOfForm(FormOf(c.stored), c.stored);
        EXPECT_TRUE(back == c.stored) << c.what;
        EXPECT_EQ(c.field, CheckTrigger(back)) << c.what;
    }
    // The user's choice in a field replaces what it could not show.
    TriggerSpec stored = Changed(T::kWeekly, [](TriggerSpec& t) { t.daysOfTheWeek = 0x82; });
    TriggerForm form = FormOf(stored);
    form.weekdays = 0x06;
    EXPECT_EQ(0x06u, TriggerOfForm(form, stored).daysOfTheWeek);
    stored = Changed(T::kMonthlyDate, [](TriggerSpec& t) { t.daysOfTheMonth = 0x80000001; });
    form = FormOf(stored);
    form.daysOfMonth = u"1, 2";
    EXPECT_EQ(0x3u, TriggerOfForm(form, stored).daysOfTheMonth);
    form.hasEnd = false;
    stored.flags = kTriggerHasEndDate;
    EXPECT_EQ(0u, TriggerOfForm(form, stored).flags & kTriggerHasEndDate);
}

TEST(ScheduleLogic, DaysOfTheMonthAsText) {
    EXPECT_EQ(1u | 1u << 14 | 1u << 30, ParseDaysOfMonth(u"1, 15, 31"));
    EXPECT_EQ(0x17u, ParseDaysOfMonth(u"1-3, 5"));
    EXPECT_EQ(0xAu, ParseDaysOfMonth(u" 2 4 "));
    for (const char16_t* wrong : {u"", u"0", u"32", u"5-3", u"1,,2", u"1,", u"1x"})
        EXPECT_EQ(std::nullopt, ParseDaysOfMonth(wrong))
            << std::string(wrong, wrong + std::char_traits<char16_t>::length(wrong));
    EXPECT_EQ(u"1-3, 5, 6", DaysOfMonthText(0x37u));
    for (std::uint32_t days : {0x1u, 0x40000001u, 0x5555u, kAllDaysOfMonth})
        EXPECT_EQ(days, ParseDaysOfMonth(DaysOfMonthText(days)));
}

}  // namespace
}  // namespace velmora
