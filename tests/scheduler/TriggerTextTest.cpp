// Trigger texts composed for every trigger type.
#include <gtest/gtest.h>

#include "scheduler/TriggerText.h"

namespace velmora {
namespace {

LocaleFormat Locale() {
    LocaleFormat locale;
    locale.time = [](int h, int m) {
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d", h, m);
        return std::u16string(text, text + 5);
    };
    locale.date = [](int y, int m, int d) {
        const std::string text = std::to_string(d) + "." + std::to_string(m) + "." + std::to_string(y);
        return std::u16string(text.begin(), text.end());
    };
    return locale;
}

TriggerSpec At(TriggerType type) {
    TriggerSpec t;
    t.type = type;
    t.beginYear = 2026;
    t.beginMonth = 12;
    t.beginDay = 7;
    t.startHour = 21;
    t.startMinute = 30;
    return t;
}

TEST(TriggerText, EveryTypeInTheSchedulersStyle) {
    EXPECT_EQ(u"At 21:30 on 7.12.2026", TriggerText(At(TriggerType::kOnce), Locale()));
    TriggerSpec daily = At(TriggerType::kDaily);
    EXPECT_EQ(u"At 21:30 every day, starting 7.12.2026", TriggerText(daily, Locale()));
    daily.daysInterval = 3;
    EXPECT_EQ(u"At 21:30 every 3 days, starting 7.12.2026", TriggerText(daily, Locale()));
    TriggerSpec weekly = At(TriggerType::kWeekly);
    weekly.daysOfTheWeek = 0x2 | 0x20;  // Monday and Friday
    EXPECT_EQ(u"At 21:30 every Mon, Fri of every week, starting 7.12.2026", TriggerText(weekly, Locale()));
    weekly.weeksInterval = 2;
    EXPECT_EQ(u"At 21:30 every Mon, Fri of every 2 weeks, starting 7.12.2026", TriggerText(weekly, Locale()));
    TriggerSpec monthly = At(TriggerType::kMonthlyDate);
    monthly.daysOfTheMonth = 0x1 | 0x4000;  // days 1 and 15
    monthly.months = 0xFFF;
    EXPECT_EQ(u"At 21:30 on day 1, 15 of every month, starting 7.12.2026", TriggerText(monthly, Locale()));
    monthly.months = 0x1 | 0x800;
    EXPECT_EQ(u"At 21:30 on day 1, 15 of Jan, Dec, starting 7.12.2026", TriggerText(monthly, Locale()));
    TriggerSpec weekday = At(TriggerType::kMonthlyDayOfWeek);
    weekday.whichWeek = 5;
    weekday.daysOfTheWeek = 0x40;
    weekday.months = 0xFFF;
    EXPECT_EQ(u"At 21:30 on the last Sat of every month, starting 7.12.2026", TriggerText(weekday, Locale()));
    EXPECT_EQ(u"When the computer is idle", TriggerText(At(TriggerType::kOnIdle), Locale()));
    EXPECT_EQ(u"At system startup", TriggerText(At(TriggerType::kAtSystemStart), Locale()));
    EXPECT_EQ(u"At logon", TriggerText(At(TriggerType::kAtLogon), Locale()));
}

// Any tool can write a work item: a field outside its range is shown as it is stored and said to
// be not valid, and never picks a name out of a table.
TEST(TriggerText, FieldsOutsideTheirRangeAreSaidToBeNotValid) {
    struct Case {
        const char* what;
        TriggerSpec trigger;
        const char16_t* text;
    };
    const auto changed = [](TriggerType type, auto change) {
        TriggerSpec t = At(type);
        t.daysOfTheWeek = 0x40;
        t.months = 0xFFF;
        t.daysOfTheMonth = 1;
        change(t);
        return t;
    };
    const Case cases[] = {
        {"month 13", changed(TriggerType::kOnce, [](TriggerSpec& t) { t.beginMonth = 13; }),
         u"At 21:30 on 2026-13-7 (not a valid date)"},
        {"month 0", changed(TriggerType::kDaily, [](TriggerSpec& t) { t.beginMonth = 0; }),
         u"At 21:30 every day, starting 2026-0-7 (not a valid date)"},
        {"31 April", changed(TriggerType::kWeekly, [](TriggerSpec& t) { t.beginMonth = 4, t.beginDay = 31; }),
         u"At 21:30 every Sat of every week, starting 2026-4-31 (not a valid date)"},
        {"year 0", changed(TriggerType::kMonthlyDate, [](TriggerSpec& t) { t.beginYear = 0; }),
         u"At 21:30 on day 1 of every month, starting 0-12-7 (not a valid date)"},
        {"end in month 14",
         changed(TriggerType::kDaily,
                 [](TriggerSpec& t) { t.flags = kTriggerHasEndDate, t.endYear = 2027, t.endMonth = 14, t.endDay = 1; }),
         u"At 21:30 every day, starting 7.12.2026, ending 2027-14-1 (not a valid date)"},
        {"hour 24", changed(TriggerType::kDaily, [](TriggerSpec& t) { t.startHour = 24; }),
         u"At 24:30 (not a valid time) every day, starting 7.12.2026"},
        {"minute 60", changed(TriggerType::kOnce, [](TriggerSpec& t) { t.startMinute = 60; }),
         u"At 21:60 (not a valid time) on 7.12.2026"},
        {"week 0", changed(TriggerType::kMonthlyDayOfWeek, [](TriggerSpec& t) { t.whichWeek = 0; }),
         u"At 21:30 on the week 0 (not valid) Sat of every month, starting 7.12.2026"},
        {"week 7", changed(TriggerType::kMonthlyDayOfWeek, [](TriggerSpec& t) { t.whichWeek = 7; }),
         u"At 21:30 on the week 7 (not valid) Sat of every month, starting 7.12.2026"},
        {"weekday and month bits beyond the last",
         changed(TriggerType::kMonthlyDayOfWeek, [](TriggerSpec& t) { t.daysOfTheWeek = 0xFF81, t.months = 0xF001; }),
         u"At 21:30 on the first Sun of Jan, starting 7.12.2026"},
        {"kind 8", changed(static_cast<TriggerType>(8), [](TriggerSpec&) {}), u"A schedule of an unknown kind (8)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::u16string(c.text), TriggerText(c.trigger, Locale())) << c.what;
}

TEST(TriggerText, RepetitionEndDateAndDisabled) {
    TriggerSpec daily = At(TriggerType::kDaily);
    daily.minutesInterval = 10;
    daily.minutesDuration = 60;
    daily.flags = kTriggerHasEndDate | kTriggerDisabled;
    daily.endYear = 2027;
    daily.endMonth = 1;
    daily.endDay = 31;
    EXPECT_EQ(
        u"At 21:30 every day, starting 7.12.2026, repeating every 10 minute(s) for 60 minute(s), ending "
        u"31.1.2027 (disabled)",
        TriggerText(daily, Locale()));
    TriggerSpec logon = At(TriggerType::kAtLogon);
    logon.flags = kTriggerHasEndDate;
    EXPECT_EQ(u"At logon", TriggerText(logon, Locale()));
}

}  // namespace
}  // namespace velmora
