// What the Schedule page decides over a work item's triggers: the first trigger of a new task, New
// and Delete, the fields each kind of trigger uses, and the refusal of a trigger that cannot run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scheduler/TriggerText.h"

namespace velmora {

// A local calendar time to the minute.
struct LocalMinute {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// The page's fields, as a refusal names them.
enum class TriggerField : int {
    kNone = 0,
    kType,
    kBeginDate,
    kStartTime,
    kDaysInterval,
    kWeeksInterval,
    kWeekdays,
    kDaysOfMonth,
    kWhichWeek,
    kMonths,
    kEndDate,
    kRepeatInterval,
    kRepeatDuration,
};

// The fields a kind of trigger uses besides its kind and begin date; the page hides the others.
struct TriggerFieldsShown {
    bool startTime = false;
    bool daysInterval = false;
    bool weeksInterval = false;
    bool weekdays = false;
    bool daysOfMonth = false;
    bool whichWeek = false;
    bool months = false;
    bool endDate = false;
    bool repetition = false;
};
TriggerFieldsShown FieldsShown(TriggerType type);

constexpr std::uint32_t kAllWeekdays = 0x7F;
constexpr std::uint32_t kAllMonths = 0xFFF;
constexpr std::uint32_t kAllDaysOfMonth = 0x7FFFFFFF;
constexpr int kLastWeek = 5;

// 0 Sunday .. 6 Saturday; -1 for a date that is none (DaysInMonth and IsValidDate are the trigger
// text's).
int DayOfWeek(int year, int month, int day);

// Daily, every day, at the next full hour after `now`, beginning on the day of that hour.
TriggerSpec DefaultTrigger(const LocalMinute& now);

// The first field that makes the trigger impossible; kNone when the scheduler can run it. Only
// the fields its kind uses count.
TriggerField CheckTrigger(const TriggerSpec& trigger);

// The trigger as another kind. The fields the new kind uses and the old one did not take the
// values of the begin date (its weekday, its day, its week of the month) and all months; fields
// both kinds use are kept.
TriggerSpec WithType(TriggerSpec trigger, TriggerType type);

// The repetition switched on or off. Switched on without an interval and a duration, it repeats
// every 10 minutes for an hour; switched off, both are 0.
TriggerSpec WithRepetition(TriggerSpec trigger, bool on);

// Days of the month as the page writes them ("1, 15, 31") and reads them: numbers 1 to 31 and
// ranges such as "1-5", separated by commas or blanks. Nothing for any other text.
std::u16string DaysOfMonthText(std::uint32_t days);
std::optional<std::uint32_t> ParseDaysOfMonth(std::u16string_view text);

// What the page's fields show of a trigger. A value a field cannot show (a kind or week outside
// its list, a date or time that is none, weekday, month or day bits beyond the boxes and the days'
// text) leaves that field without it; the value is kept as stored until the user changes the field,
// and the check refuses it where the kind uses it.
struct TriggerForm {
    int kind = -1;  // index in the kind list; -1 for none
    bool beginDateShown = false;
    int beginYear = 0, beginMonth = 0, beginDay = 0;
    bool startTimeShown = false;
    int startHour = 0, startMinute = 0;
    std::uint32_t daysInterval = 0, weeksInterval = 0;
    int week = -1;  // index in the week list, 0 the first to 4 the last; -1 for none
    std::u16string daysOfMonth;
    std::uint32_t weekdays = 0;  // the seven boxes, bit 0 Sunday
    std::uint32_t months = 0;    // the twelve boxes, bit 0 January
    bool hasEnd = false;
    bool endDateShown = false;
    int endYear = 0, endMonth = 0, endDay = 0;
    bool repeats = false;
    std::uint32_t repeatInterval = 0, repeatDuration = 0;
};
TriggerForm FormOf(const TriggerSpec& trigger);
// The trigger the fields hold, starting from the stored one: what the page does not show (the
// disabled flag) and what a field could not show while it stays as shown are kept as stored.
TriggerSpec TriggerOfForm(const TriggerForm& form, const TriggerSpec& stored);

struct TriggerRefusal {
    int index = -1;  // the first impossible trigger; -1 when all are possible
    TriggerField field = TriggerField::kNone;
};

// The page's list of triggers and its selection.
class ScheduleLogic {
public:
    // An existing work item's triggers, the first one selected.
    explicit ScheduleLogic(std::vector<TriggerSpec> triggers);
    // A new task: the default trigger alone, whatever the new work item holds.
    static ScheduleLogic ForNewTask(const LocalMinute& now);

    const std::vector<TriggerSpec>& triggers() const { return triggers_; }
    // -1 when the list is empty.
    int selection() const { return selection_; }
    void Select(int index);
    // The page's fields changed the selected trigger.
    void UpdateSelected(const TriggerSpec& trigger);

    // Adds a default trigger at the end and selects it.
    void New(const LocalMinute& now);
    // Deletes the selected trigger; the one after it is selected, else the one before.
    void Delete();

    TriggerRefusal Check() const;
    std::u16string Text(int index, const LocaleFormat& locale) const;

private:
    std::vector<TriggerSpec> triggers_;
    int selection_ = -1;
};

}  // namespace velmora
