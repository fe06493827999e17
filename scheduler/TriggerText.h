// The text of a work item's trigger, composed in the style the Task Scheduler uses, for systems
// whose scheduler does not describe its triggers itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velmora {

enum class TriggerType : int {
    kOnce = 0,
    kDaily = 1,
    kWeekly = 2,
    kMonthlyDate = 3,
    kMonthlyDayOfWeek = 4,
    kOnIdle = 5,
    kAtSystemStart = 6,
    kAtLogon = 7,
};

constexpr std::uint32_t kTriggerHasEndDate = 0x1;
constexpr std::uint32_t kTriggerDisabled = 0x4;

// The fields of a scheduler trigger that its text depends on.
struct TriggerSpec {
    TriggerType type = TriggerType::kOnce;
    int beginYear = 0, beginMonth = 0, beginDay = 0;
    int endYear = 0, endMonth = 0, endDay = 0;
    int startHour = 0, startMinute = 0;
    std::uint32_t minutesDuration = 0;
    std::uint32_t minutesInterval = 0;
    std::uint32_t flags = 0;
    int daysInterval = 1;              // daily
    int weeksInterval = 1;             // weekly
    std::uint32_t daysOfTheWeek = 0;   // weekly and monthly by weekday: bit 0 Sunday .. bit 6 Saturday
    std::uint32_t daysOfTheMonth = 0;  // monthly by date: bit 0 day 1 .. bit 30 day 31
    int whichWeek = 1;                 // monthly by weekday: 1 to 4, 5 the last
    std::uint32_t months = 0;          // bit 0 January .. bit 11 December
    bool operator==(const TriggerSpec&) const = default;
};

// Times and dates as the user's locale writes them.
struct LocaleFormat {
    std::function<std::u16string(int hour, int minute)> time;
    std::function<std::u16string(int year, int month, int day)> date;
};

// The days of a month; 0 for a month outside 1 to 12.
int DaysInMonth(int year, int month);
// A date of the calendar that the system's times hold (years 1601 to 9999).
bool IsValidDate(int year, int month, int day);

// A field outside its range (any tool can write a work item) is written as it is stored and said to
// be not valid; the locale never sees a date or time that is none.
std::u16string TriggerText(const TriggerSpec& trigger, const LocaleFormat& locale);

}  // namespace velmora
