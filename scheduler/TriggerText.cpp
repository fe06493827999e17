// Trigger texts: "At 9:30 PM every Mon, Fri of every week, starting 12/7/2026".
#include "scheduler/TriggerText.h"

#include <iterator>
#include <string>

#include "model/Text.h"

namespace velmora {
namespace {

// The names of the set bits, joined with ", ".
template <std::size_t N>
std::u16string NamesOfBits(std::uint32_t bits, const char16_t* const (&names)[N]) {
    std::u16string text;
    for (std::size_t i = 0; i < N; ++i) {
        if (bits & (1u << i)) {
            if (!text.empty())
                text += u", ";
            text += names[i];
        }
    }
    return text;
}

std::u16string DaysOfMonth(std::uint32_t bits) {
    std::u16string text;
    for (int day = 1; day <= 31; ++day) {
        if (bits & (1u << (day - 1))) {
            if (!text.empty())
                text += u", ";
            text += DecimalText(day);
        }
    }
    return text;
}

std::u16string Every(int count, std::u16string_view unit) {
    return count <= 1 ? u"every " + std::u16string(unit)
                      : u"every " + DecimalText(count) + u" " + std::u16string(unit) + u"s";
}

std::u16string MonthsText(std::uint32_t months) {
    static const char16_t* const kMonths[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                              u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    return (months & 0xFFF) == 0xFFF || (months & 0xFFF) == 0 ? u"every month" : NamesOfBits(months, kMonths);
}

std::u16string DateText(int year, int month, int day, const LocaleFormat& locale) {
    if (IsValidDate(year, month, day))
        return locale.date(year, month, day);
    return DecimalText(year) + u"-" + DecimalText(month) + u"-" + DecimalText(day) + u" (not a valid date)";
}

std::u16string TimeText(int hour, int minute, const LocaleFormat& locale) {
    if (hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59)
        return locale.time(hour, minute);
    return DecimalText(hour) + u":" + (minute >= 0 && minute <= 9 ? u"0" : u"") + DecimalText(minute) +
           u" (not a valid time)";
}

std::u16string WeekText(int week) {
    static const char16_t* const kWeeks[] = {u"first", u"second", u"third", u"fourth", u"last"};
    if (week >= 1 && week <= static_cast<int>(std::size(kWeeks)))
        return kWeeks[week - 1];
    return u"week " + DecimalText(week) + u" (not valid)";
}

}  // namespace

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool IsValidDate(int year, int month, int day) {
    constexpr int kMinYear = 1601;  // the first year the system's calendar times hold
    constexpr int kMaxYear = 9999;  // the scheduler takes four-digit years
    return year >= kMinYear && year <= kMaxYear && day >= 1 && day <= DaysInMonth(year, month);
}

std::u16string TriggerText(const TriggerSpec& t, const LocaleFormat& locale) {
    static const char16_t* const kDays[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    const std::u16string at = u"At " + TimeText(t.startHour, t.startMinute, locale);
    const std::u16string starting = u", starting " + DateText(t.beginYear, t.beginMonth, t.beginDay, locale);
    std::u16string text;
    switch (t.type) {
        case TriggerType::kOnce:
            text = at + u" on " + DateText(t.beginYear, t.beginMonth, t.beginDay, locale);
            break;
        case TriggerType::kDaily:
            text = at + u" " + Every(t.daysInterval, u"day") + starting;
            break;
        case TriggerType::kWeekly:
            text = at + u" every " + NamesOfBits(t.daysOfTheWeek, kDays) + u" of " + Every(t.weeksInterval, u"week") +
                   starting;
            break;
        case TriggerType::kMonthlyDate:
            text = at + u" on day " + DaysOfMonth(t.daysOfTheMonth) + u" of " + MonthsText(t.months) + starting;
            break;
        case TriggerType::kMonthlyDayOfWeek:
            text = at + u" on the " + WeekText(t.whichWeek) + u" " + NamesOfBits(t.daysOfTheWeek, kDays) + u" of " +
                   MonthsText(t.months) + starting;
            break;
        case TriggerType::kOnIdle:
            text = u"When the computer is idle";
            break;
        case TriggerType::kAtSystemStart:
            text = u"At system startup";
            break;
        case TriggerType::kAtLogon:
            text = u"At logon";
            break;
        default:
            return u"A schedule of an unknown kind (" + DecimalText(static_cast<int>(t.type)) + u")";
    }
    const bool timed =
        t.type != TriggerType::kOnIdle && t.type != TriggerType::kAtSystemStart && t.type != TriggerType::kAtLogon;
    if (timed && t.minutesInterval > 0) {
        text += u", repeating every " + DecimalText(t.minutesInterval) + u" minute(s) for " +
                DecimalText(t.minutesDuration) + u" minute(s)";
    }
    if (timed && t.type != TriggerType::kOnce && (t.flags & kTriggerHasEndDate))
        text += u", ending " + DateText(t.endYear, t.endMonth, t.endDay, locale);
    if (t.flags & kTriggerDisabled)
        text += u" (disabled)";
    return text;
}

}  // namespace velmora
