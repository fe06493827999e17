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
