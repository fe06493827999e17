// The Schedule page's rules: default trigger, New and Delete, fields per kind, and the checks that
// keep a trigger the scheduler could never run out of the work item.
#include "manager/ScheduleLogic.h"

#include <utility>

#include "model/Text.h"

namespace velmora {
namespace {

constexpr int kMaxInterval = 0xFFFF;

bool IsTimed(TriggerType type) {
    return type == TriggerType::kOnce || type == TriggerType::kDaily || type == TriggerType::kWeekly ||
           type == TriggerType::kMonthlyDate || type == TriggerType::kMonthlyDayOfWeek;
}

bool IsKnownType(TriggerType type) {
    const int value = static_cast<int>(type);
    return value >= static_cast<int>(TriggerType::kOnce) && value <= static_cast<int>(TriggerType::kAtLogon);
}

long DayNumber(int year, int month, int day) {
    return (static_cast<long>(year) * 12 + month) * 31 + day;
}

// A day of the month that no chosen month has (31 in April and June only, 30 in February) never
// comes; February counts with its 29th, which leap years have.
bool EveryDayComes(std::uint32_t days, std::uint32_t months) {
    for (int day = 1; day <= 31; ++day) {
        if (!(days & (1u << (day - 1))))
            continue;
        bool comes = false;
        for (int month = 1; month <= 12 && !comes; ++month)
            comes = (months & (1u << (month - 1))) && day <= DaysInMonth(2000, month);
        if (!comes)
            return false;
    }
    return true;
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

TriggerFieldsShown FieldsShown(TriggerType type) {
    TriggerFieldsShown shown;
    shown.startTime = shown.repetition = IsTimed(type);
    shown.endDate = IsTimed(type) && type != TriggerType::kOnce;
    shown.daysInterval = type == TriggerType::kDaily;
    shown.weeksInterval = type == TriggerType::kWeekly;
    shown.weekdays = type == TriggerType::kWeekly || type == TriggerType::kMonthlyDayOfWeek;
    shown.daysOfMonth = type == TriggerType::kMonthlyDate;
    shown.whichWeek = type == TriggerType::kMonthlyDayOfWeek;
    shown.months = type == TriggerType::kMonthlyDate || type == TriggerType::kMonthlyDayOfWeek;
    return shown;
}

int DayOfWeek(int year, int month, int day) {
    // Gauss's rule with March as the first month of the year. A stored trigger's month may be any
    // number, and it picks the month's offset.
    static const int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (!IsValidDate(year, month, day))
        return -1;
    if (month < 3)
        --year;
    return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

TriggerSpec DefaultTrigger(const LocalMinute& now) {
    LocalMinute at = now;
    at.minute = 0;
    if (++at.hour == 24) {
        at.hour = 0;
        if (++at.day > DaysInMonth(at.year, at.month)) {
            at.day = 1;
            if (++at.month > 12) {
                at.month = 1;
                ++at.year;
            }
        }
    }
    TriggerSpec trigger;
    trigger.type = TriggerType::kDaily;
    trigger.beginYear = at.year;
    trigger.beginMonth = at.month;
    trigger.beginDay = at.day;
    trigger.startHour = at.hour;
    trigger.startMinute = 0;
    trigger.daysInterval = 1;
    return trigger;
}

TriggerField CheckTrigger(const TriggerSpec& t) {
    if (!IsKnownType(t.type))
        return TriggerField::kType;
    if (!IsValidDate(t.beginYear, t.beginMonth, t.beginDay))
        return TriggerField::kBeginDate;
    const TriggerFieldsShown uses = FieldsShown(t.type);
    if (uses.startTime && (t.startHour < 0 || t.startHour > 23 || t.startMinute < 0 || t.startMinute > 59))
        return TriggerField::kStartTime;
    if (uses.daysInterval && (t.daysInterval < 1 || t.daysInterval > kMaxInterval))
        return TriggerField::kDaysInterval;
    if (uses.weeksInterval && (t.weeksInterval < 1 || t.weeksInterval > kMaxInterval))
        return TriggerField::kWeeksInterval;
    if (uses.whichWeek && (t.whichWeek < 1 || t.whichWeek > kLastWeek))
        return TriggerField::kWhichWeek;
    if (uses.weekdays && ((t.daysOfTheWeek & kAllWeekdays) == 0 || (t.daysOfTheWeek & ~kAllWeekdays) != 0))
        return TriggerField::kWeekdays;
    if (uses.daysOfMonth && ((t.daysOfTheMonth & kAllDaysOfMonth) == 0 || (t.daysOfTheMonth & ~kAllDaysOfMonth) != 0))
        return TriggerField::kDaysOfMonth;
    if (uses.months && ((t.months & kAllMonths) == 0 || (t.months & ~kAllMonths) != 0))
        return TriggerField::kMonths;
    if (uses.daysOfMonth && !EveryDayComes(t.daysOfTheMonth, t.months))
        return TriggerField::kDaysOfMonth;
    if (uses.endDate && (t.flags & kTriggerHasEndDate)) {
        if (!IsValidDate(t.endYear, t.endMonth, t.endDay) ||
            DayNumber(t.endYear, t.endMonth, t.endDay) < DayNumber(t.beginYear, t.beginMonth, t.beginDay))
            return TriggerField::kEndDate;
    }
    if (uses.repetition && (t.minutesInterval > 0 || t.minutesDuration > 0)) {
        // The scheduler repeats a run every interval for the duration: the interval must be
        // shorter than the duration, and neither may be zero once the other is set.
        if (t.minutesInterval == 0)
            return TriggerField::kRepeatInterval;
        if (t.minutesDuration == 0)
            return TriggerField::kRepeatDuration;
        if (t.minutesInterval >= t.minutesDuration)
            return TriggerField::kRepeatInterval;
    }
    return TriggerField::kNone;
}

TriggerSpec WithType(TriggerSpec t, TriggerType type) {
    const TriggerFieldsShown had = FieldsShown(t.type);
    const TriggerFieldsShown uses = FieldsShown(type);
    t.type = type;
    const bool dated = IsValidDate(t.beginYear, t.beginMonth, t.beginDay);
    if (uses.daysInterval && t.daysInterval < 1)
        t.daysInterval = 1;
    if (uses.weeksInterval && t.weeksInterval < 1)
        t.weeksInterval = 1;
    if (uses.weekdays && !had.weekdays)
        t.daysOfTheWeek = 1u << (dated ? DayOfWeek(t.beginYear, t.beginMonth, t.beginDay) : 1);
    if (uses.daysOfMonth && !had.daysOfMonth)
        t.daysOfTheMonth = 1u << (dated ? t.beginDay - 1 : 0);
    if (uses.whichWeek && !had.whichWeek) {
        const int week = dated ? (t.beginDay - 1) / 7 + 1 : 1;
        t.whichWeek = week > 4 ? kLastWeek : week;
    }
    if (uses.months && !had.months)
        t.months = kAllMonths;
    return t;
}

TriggerSpec WithRepetition(TriggerSpec t, bool on) {
    if (!on) {
        t.minutesInterval = t.minutesDuration = 0;
    } else if (t.minutesInterval == 0 && t.minutesDuration == 0) {
        t.minutesInterval = 10;
        t.minutesDuration = 60;
    }
    return t;
}

std::u16string DaysOfMonthText(std::uint32_t days) {
    std::u16string text;
    for (int day = 1; day <= 31; ++day) {
        if (!(days & (1u << (day - 1))))
            continue;
        int last = day;
        while (last < 31 && (days & (1u << last)))
            ++last;
        if (!text.empty())
            text += u", ";
        text += DecimalText(day);
        // Three days or more in a row are written as a range.
        if (last - day >= 2) {
            text += u"-" + DecimalText(last);
            day = last;
        }
    }
    return text;
}

std::optional<std::uint32_t> ParseDaysOfMonth(std::u16string_view text) {
    std::uint32_t days = 0;
    std::size_t i = 0;
    const auto number = [&]() -> std::optional<int> {
        int value = 0;
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i]) && i - start < 3)
            value = value * 10 + (text[i++] - u'0');
        if (i == start || (i < text.size() && IsDigit(text[i])) || value < 1 || value > 31)
            return std::nullopt;
        return value;
    };
    const auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        const std::optional<int> first = number();
        if (!first)
            return std::nullopt;
        int last = *first;
        skipBlanks();
        if (i < text.size() && text[i] == u'-') {
            ++i;
            skipBlanks();
            const std::optional<int> end = number();
            if (!end || *end < *first)
                return std::nullopt;
            last = *end;
            skipBlanks();
        }
        for (int day = *first; day <= last; ++day)
            days |= 1u << (day - 1);
        if (i < text.size() && text[i] == u',') {
            ++i;
            skipBlanks();
            if (i == text.size())
                return std::nullopt;
        }
    }
    if (days == 0)
        return std::nullopt;
    return days;
}

TriggerForm FormOf(const TriggerSpec& t) {
    TriggerForm form;
    form.kind = IsKnownType(t.type) ? static_cast<int>(t.type) : -1;
    form.beginDateShown = IsValidDate(t.beginYear, t.beginMonth, t.beginDay);
    form.beginYear = t.beginYear;
    form.beginMonth = t.beginMonth;
    form.beginDay = t.beginDay;
    form.startTimeShown = t.startHour >= 0 && t.startHour <= 23 && t.startMinute >= 0 && t.startMinute <= 59;
    form.startHour = t.startHour;
    form.startMinute = t.startMinute;
    form.daysInterval = static_cast<std::uint32_t>(t.daysInterval);
    form.weeksInterval = static_cast<std::uint32_t>(t.weeksInterval);
    form.week = t.whichWeek >= 1 && t.whichWeek <= kLastWeek ? t.whichWeek - 1 : -1;
    form.daysOfMonth = DaysOfMonthText(t.daysOfTheMonth);
    form.weekdays = t.daysOfTheWeek & kAllWeekdays;
    form.months = t.months & kAllMonths;
    form.hasEnd = (t.flags & kTriggerHasEndDate) != 0;
    form.endDateShown = form.hasEnd && IsValidDate(t.endYear, t.endMonth, t.endDay);
    form.endYear = t.endYear;
    form.endMonth = t.endMonth;
    form.endDay = t.endDay;
    form.repeats = t.minutesInterval > 0 || t.minutesDuration > 0;
    form.repeatInterval = form.repeats ? t.minutesInterval : 0;
    form.repeatDuration = form.repeats ? t.minutesDuration : 0;
    return form;
}

TriggerSpec TriggerOfForm(const TriggerForm& form, const TriggerSpec& stored) {
    TriggerSpec t = stored;
    if (form.kind >= 0)
        t.type = static_cast<TriggerType>(form.kind);
    if (form.beginDateShown) {
        t.beginYear = form.beginYear;
        t.beginMonth = form.beginMonth;
        t.beginDay = form.beginDay;
    }
    if (form.startTimeShown) {
        t.startHour = form.startHour;
        t.startMinute = form.startMinute;
    }
    t.daysInterval = static_cast<int>(form.daysInterval);
    t.weeksInterval = static_cast<int>(form.weeksInterval);
    if (form.week >= 0)
        t.whichWeek = form.week + 1;
    // A text that is no list of days chooses none, which the check refuses on this field.
    if (form.daysOfMonth != DaysOfMonthText(stored.daysOfTheMonth))
        t.daysOfTheMonth = ParseDaysOfMonth(form.daysOfMonth).value_or(0);
    if (form.weekdays != (stored.daysOfTheWeek & kAllWeekdays))
        t.daysOfTheWeek = form.weekdays;
    if (form.months != (stored.months & kAllMonths))
        t.months = form.months;
    if (!form.hasEnd) {
        t.flags &= ~kTriggerHasEndDate;
        if (stored.flags & kTriggerHasEndDate)
            t.endYear = t.endMonth = t.endDay = 0;
    } else {
        t.flags |= kTriggerHasEndDate;
        if (form.endDateShown) {
            t.endYear = form.endYear;
            t.endMonth = form.endMonth;
            t.endDay = form.endDay;
        }
    }
    t.minutesInterval = form.repeats ? form.repeatInterval : 0;
    t.minutesDuration = form.repeats ? form.repeatDuration : 0;
    return t;
}

ScheduleLogic::ScheduleLogic(std::vector<TriggerSpec> triggers)
    : triggers_(std::move(triggers)), selection_(triggers_.empty() ? -1 : 0) {}

ScheduleLogic ScheduleLogic::ForNewTask(const LocalMinute& now) {
    return ScheduleLogic({DefaultTrigger(now)});
}

void ScheduleLogic::Select(int index) {
    if (index >= 0 && index < static_cast<int>(triggers_.size()))
        selection_ = index;
}

void ScheduleLogic::UpdateSelected(const TriggerSpec& trigger) {
    if (selection_ >= 0)
        triggers_[selection_] = trigger;
}

void ScheduleLogic::New(const LocalMinute& now) {
    triggers_.push_back(DefaultTrigger(now));
    selection_ = static_cast<int>(triggers_.size()) - 1;
}

void ScheduleLogic::Delete() {
    if (selection_ < 0)
        return;
    triggers_.erase(triggers_.begin() + selection_);
    if (selection_ >= static_cast<int>(triggers_.size()))
        selection_ = static_cast<int>(triggers_.size()) - 1;
}

TriggerRefusal ScheduleLogic::Check() const {
    for (std::size_t i = 0; i < triggers_.size(); ++i) {
        if (const TriggerField field = CheckTrigger(triggers_[i]); field != TriggerField::kNone)
            return {static_cast<int>(i), field};
    }
    return {};
}

std::u16string ScheduleLogic::Text(int index, const LocaleFormat& locale) const {
    if (index < 0 || index >= static_cast<int>(triggers_.size()))
        return {};
    return TriggerText(triggers_[index], locale);
}

}  // namespace velmora
