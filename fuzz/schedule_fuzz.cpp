// Feeds a trigger as a work item stores it (kind, begin and end dates, start time, repetition,
// flags and the kind's own fields, little-endian in the widths the scheduler keeps), then a kind
// to change to and a days-of-the-month text as typed. The trigger's text and the page's fields show
// it without reading outside a table, and the locale sees only real dates and times; the fields give
// back the stored trigger unless the user changes one, and a value no field can show is refused
// where the kind uses it. A typed days text replaces the days alone.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "manager/ScheduleLogic.h"
#include "model/Text.h"

namespace {
void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::uint32_t Take(int bytes) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            if (size > 0) {
                value |= std::uint32_t{*data++} << (8 * i);
                --size;
            }
        }
        return value;
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    if (size > 39 + 256)
        return 0;  // the days field holds 100 characters
    Reader in{data, size};
    TriggerSpec s;
    s.type = static_cast<TriggerType>(in.Take(4));
    s.beginYear = static_cast<int>(in.Take(2));
    s.beginMonth = static_cast<int>(in.Take(2));
    s.beginDay = static_cast<int>(in.Take(2));
    s.endYear = static_cast<int>(in.Take(2));
    s.endMonth = static_cast<int>(in.Take(2));
    s.endDay = static_cast<int>(in.Take(2));
    s.startHour = static_cast<int>(in.Take(2));
    s.startMinute = static_cast<int>(in.Take(2));
    s.minutesDuration = in.Take(4);
    s.minutesInterval = in.Take(4);
    s.flags = in.Take(4);
    const std::uint32_t a = in.Take(2), b = in.Take(2), c = in.Take(2);
    switch (s.type) {  // the kind's own fields share their place in a work item
        case TriggerType::kDaily:
            s.daysInterval = static_cast<int>(a);
            break;
        case TriggerType::kWeekly:
            s.weeksInterval = static_cast<int>(a), s.daysOfTheWeek = b;
            break;
        case TriggerType::kMonthlyDate:
            s.daysOfTheMonth = a | b << 16, s.months = c;
            break;
        case TriggerType::kMonthlyDayOfWeek:
            s.whichWeek = static_cast<int>(a), s.daysOfTheWeek = b, s.months = c;
            break;
        default:
            break;
    }
    const auto newKind = static_cast<TriggerType>(in.Take(1) % 9);
    const std::u16string typed(in.data, in.data + in.size);

    LocaleFormat locale;
    locale.time = [](int hour, int minute) {
        Require(hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59, "the locale asked for no time");
        return DecimalText(hour) + u":" + DecimalText(minute);
    };
    locale.date = [](int year, int month, int day) {
        Require(IsValidDate(year, month, day), "the locale asked for no date");
        return DecimalText(year) + u"-" + DecimalText(month) + u"-" + DecimalText(day);
    };
    Require(!TriggerText(s, locale).empty(), "a trigger without text");

    const TriggerForm form = FormOf(s);
    Require(form.kind >= -1 && form.kind <= 7 && form.week >= -1 && form.week <= 4, "a list choice outside its list");
    Require((form.weekdays & ~kAllWeekdays) == 0 && (form.months & ~kAllMonths) == 0, "a box that is not there");
    Require(TriggerOfForm(form, s) == s, "the fields gave back another trigger");

    const TriggerFieldsShown uses = FieldsShown(s.type);
    const bool unshown = form.kind < 0 || !form.beginDateShown || (uses.startTime && !form.startTimeShown) ||
                         (uses.whichWeek && form.week < 0) || (uses.weekdays && form.weekdays != s.daysOfTheWeek) ||
                         (uses.months && form.months != s.months) ||
                         (uses.daysOfMonth && ParseDaysOfMonth(form.daysOfMonth) != s.daysOfTheMonth) ||
                         (uses.endDate && form.hasEnd && !form.endDateShown);
    Require(!unshown || CheckTrigger(s) != TriggerField::kNone, "a value no field shows was accepted");

    TriggerForm edited = form;
    edited.daysOfMonth = typed;
    TriggerSpec expected = s;
    if (typed != form.daysOfMonth)
        expected.daysOfTheMonth = ParseDaysOfMonth(typed).value_or(0);
    Require(TriggerOfForm(edited, s) == expected, "a typed days text changed more than the days");
    if (const auto days = ParseDaysOfMonth(typed))
        Require(ParseDaysOfMonth(DaysOfMonthText(*days)) == days, "days written as another text");

    const TriggerSpec changed = WithType(s, newKind);
    Require(changed.type == newKind, "the new kind not taken");
    CheckTrigger(changed);
    TriggerText(changed, locale);
    return 0;
}
