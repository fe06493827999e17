// Locale pictures of times and dates, expanded letter by letter.
#include "manager/DatePicture.h"

#include <ctime>

#include "manager/ScheduleLogic.h"
#include "model/Text.h"
#include "scheduler/TriggerText.h"

namespace velmora {
namespace {

constexpr int kLibraryFirstYear = 1900;  // the C library's calendar counts from here

std::u16string TwoDigits(int value, std::size_t run) {
    std::u16string text = DecimalText(value);
    if (run >= 2 && text.size() < 2)
        text.insert(0, 1, u'0');
    return text;
}

// Walks a picture: `expand` gets each run of one letter and returns true when it wrote it.
template <class Expander>
std::u16string Expand(std::u16string_view picture, Expander expand) {
    std::u16string out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char16_t c = picture[i];
        if (c == u'\'') {
            const std::size_t close = picture.find(u'\'', i + 1);
            const std::size_t end = close == std::u16string_view::npos ? picture.size() : close;
            out.append(picture.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        if (!expand(c, run, out))
            out.append(picture.substr(i, run));
        i += run;
    }
    return out;
}

}  // namespace

std::u16string ExpandTimePicture(std::u16string_view picture, const ScheduleTime& time, int second,
                                 const LocalePictures& locale) {
    return Expand(picture, [&](char16_t c, std::size_t run, std::u16string& out) {
        switch (c) {
            case u'H':
                out += TwoDigits(time.hour, run);
                return true;
            case u'h': {
                const int hour = time.hour % 12 == 0 ? 12 : time.hour % 12;
                out += TwoDigits(hour, run);
                return true;
            }
            case u'm':
                out += TwoDigits(time.minute, run);
                return true;
            case u's':
                out += TwoDigits(second, run);
                return true;
            case u't': {
                const std::u16string& designator = time.hour < 12 ? locale.am : locale.pm;
                out += run == 1 ? designator.substr(0, 1) : designator;
                return true;
            }
            default:
                return false;
        }
    });
}

std::u16string ExpandDatePicture(std::u16string_view picture, const ScheduleTime& time, const LocalePictures& locale) {
    const auto name = [](const auto& names, int index) -> std::u16string {
        return index >= 0 && static_cast<std::size_t>(index) < names.size() ? names[static_cast<std::size_t>(index)]
                                                                            : std::u16string();
    };
    return Expand(picture, [&](char16_t c, std::size_t run, std::u16string& out) {
        switch (c) {
            case u'd':
                if (run <= 2)
                    out += TwoDigits(time.day, run);
                else
                    out += name(run == 3 ? locale.abbreviatedDayNames : locale.dayNames, time.dayOfWeek);
                return true;
            case u'M':
                if (run <= 2)
                    out += TwoDigits(time.month, run);
                else
                    out += name(run == 3 ? locale.abbreviatedMonthNames : locale.monthNames, time.month - 1);
                return true;
            case u'y': {
                if (run == 1)
                    out += DecimalText(time.year % 10);
                else if (run == 2)
                    out += TwoDigits(time.year % 100, 2);
                else
                    out += DecimalText(time.year);
                return true;
            }
            default:
                return false;
        }
    });
}

std::u16string FormatRunTime(const ScheduleTime& time, const LocalePictures& locale) {
    if (time.year == 0)
        return {};
    std::u16string date = ExpandDatePicture(locale.shortDatePicture, time, locale);
    if (date.empty() && IsValidDate(time.year, time.month, time.day) && time.year >= kLibraryFirstYear) {
        std::tm calendar{};
        calendar.tm_year = time.year - 1900;
        calendar.tm_mon = time.month - 1;
        calendar.tm_mday = time.day;
        calendar.tm_wday = DayOfWeek(time.year, time.month, time.day);
        char buffer[64] = {};
        const std::size_t length = std::strftime(buffer, sizeof buffer, "%x", &calendar);
        date.assign(buffer, buffer + length);
    } else if (date.empty()) {
        // Some C runtimes end the program on a field outside their range: such a date is written as
        // it is stored, as the trigger texts write it.
        date = DecimalText(time.year) + u"-" + DecimalText(time.month) + u"-" + DecimalText(time.day);
        if (!IsValidDate(time.year, time.month, time.day))
            date += u" (not a valid date)";
    }
    return ExpandTimePicture(locale.timePicture, time, 0, locale) + u" " + date;
}

}  // namespace velmora
