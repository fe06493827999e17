// Run times in the user's locale, written from the locale's own time and short date pictures.
#pragma once

#include <array>
#include <string>

#include "scheduler/WorkItem.h"

namespace velmora {

struct LocalePictures {
    std::u16string timePicture;       // e.g. "h:mm:ss tt"
    std::u16string shortDatePicture;  // e.g. "M/d/yyyy"
    std::u16string am, pm;
    std::array<std::u16string, 7> dayNames, abbreviatedDayNames;  // Sunday first
    std::array<std::u16string, 12> monthNames, abbreviatedMonthNames;
};

// Expands a time picture (H, HH, h, hh, m, mm, s, ss, t, tt). Text in single quotes is copied
// without the quotes, as the system's own pictures mean it; other characters are copied.
std::u16string ExpandTimePicture(std::u16string_view picture, const ScheduleTime& time, int second,
                                 const LocalePictures& locale);
// Expands a date picture (d, dd, ddd, dddd, M, MM, MMM, MMMM, y, yy, yyyy).
std::u16string ExpandDatePicture(std::u16string_view picture, const ScheduleTime& time, const LocalePictures& locale);

// "<time> <date>" for a run time, seconds 0; the C library's "%x" when the date picture gives
// nothing (a date the library cannot take is written year-month-day, and said to be not valid when
// it is none); empty when the time has no year (no run).
std::u16string FormatRunTime(const ScheduleTime& time, const LocalePictures& locale);

}  // namespace velmora
