// Trigger texts: "At 9:30 PM every Mon, Fri of every week, starting 12/7/2026".
#include "scheduler/TriggerText.h"

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

}  // namespace

std::u16string TriggerText(const TriggerSpec& t, const LocaleFormat& locale) {
    static const char16_t* const kDays[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
    static const char16_t* const kWeeks[] = {u"first", u"second", u"third", u"fourth", u"last"};
    const std::u16string at = u"At " + locale.time(t.startHour, t.startMinute);
    const std::u16string starting = u", starting " + locale.date(t.beginYear, t.beginMonth, t.beginDay);
    std::u16string text;
    switch (t.type) {
        case TriggerType::kOnce:
            text = at + u" on " + locale.date(t.beginYear, t.beginMonth, t.beginDay);
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
        case TriggerType::kMonthlyDayOfWeek: {
            const int week = t.whichWeek >= 1 && t.whichWeek <= 5 ? t.whichWeek : 1;
            text = at + u" on the " + kWeeks[week - 1] + u" " + NamesOfBits(t.daysOfTheWeek, kDays) + u" of " +
                   MonthsText(t.months) + starting;
            break;
        }
        case TriggerType::kOnIdle:
            text = u"When the computer is idle";
            break;
        case TriggerType::kAtSystemStart:
            text = u"At system startup";
            break;
        case TriggerType::kAtLogon:
            text = u"At logon";
            break;
    }
    const bool timed =
        t.type != TriggerType::kOnIdle && t.type != TriggerType::kAtSystemStart && t.type != TriggerType::kAtLogon;
    if (timed && t.minutesInterval > 0) {
        text += u", repeating every " + DecimalText(t.minutesInterval) + u" minute(s) for " +
                DecimalText(t.minutesDuration) + u" minute(s)";
    }
    if (timed && t.type != TriggerType::kOnce && (t.flags & kTriggerHasEndDate))
        text += u", ending " + locale.date(t.endYear, t.endMonth, t.endDay);
    if (t.flags & kTriggerDisabled)
        text += u" (disabled)";
    return text;
}

}  // namespace velmora
