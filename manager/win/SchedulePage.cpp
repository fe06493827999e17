// The Schedule page's window: shows the triggers the schedule logic keeps, and maps the fields of
// the selected one to its controls and back.
#include "manager/win/SchedulePage.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "controls/win/DialogItems.h"
#include "manager/ids/ScheduleIds.h"
#include "platform/win/ResourceText.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

constexpr int kMaxInterval = 9999;
constexpr int kMaxRepeatMinutes = 99999;
constexpr UINT kIntervalDigits = 5;
constexpr UINT kDaysTextLength = 100;

// Controls and the field of a kind that shows them.
struct FieldControls {
    bool TriggerFieldsShown::*field;
    std::vector<int> ids;
};

std::vector<int> Range(int first, int last) {
    std::vector<int> ids;
    for (int id = first; id <= last; ++id)
        ids.push_back(id);
    return ids;
}

const std::vector<FieldControls>& KindControls() {
    static const std::vector<FieldControls> controls = {
        {&TriggerFieldsShown::startTime, {IDC_SCHEDULE_TIME_LABEL, IDC_SCHEDULE_TIME}},
        {&TriggerFieldsShown::daysInterval,
         {IDC_SCHEDULE_DAYS_INTERVAL, IDC_SCHEDULE_DAYS_INTERVAL_SPIN, IDC_SCHEDULE_DAYS_UNIT}},
        {&TriggerFieldsShown::weeksInterval,
         {IDC_SCHEDULE_WEEKS_INTERVAL, IDC_SCHEDULE_WEEKS_INTERVAL_SPIN, IDC_SCHEDULE_WEEKS_UNIT}},
        {&TriggerFieldsShown::weekdays, Range(IDC_SCHEDULE_SUNDAY, IDC_SCHEDULE_SATURDAY)},
        {&TriggerFieldsShown::daysOfMonth, {IDC_SCHEDULE_DAYS_LABEL, IDC_SCHEDULE_DAYS, IDC_SCHEDULE_DAYS_HINT}},
        {&TriggerFieldsShown::whichWeek, {IDC_SCHEDULE_WHICH_WEEK_LABEL, IDC_SCHEDULE_WHICH_WEEK}},
        {&TriggerFieldsShown::months, Range(IDC_SCHEDULE_MONTHS_LABEL, IDC_SCHEDULE_DECEMBER)},
        {&TriggerFieldsShown::endDate, {IDC_SCHEDULE_HAS_END, IDC_SCHEDULE_END_DATE}},
        {&TriggerFieldsShown::repetition, Range(IDC_SCHEDULE_REPEAT, IDC_SCHEDULE_REPEAT_UNIT)},
    };
    return controls;
}

int ControlOf(TriggerField field) {
    switch (field) {
        case TriggerField::kType:
            return IDC_SCHEDULE_TYPE;
        case TriggerField::kBeginDate:
            return IDC_SCHEDULE_DATE;
        case TriggerField::kStartTime:
            return IDC_SCHEDULE_TIME;
        case TriggerField::kDaysInterval:
            return IDC_SCHEDULE_DAYS_INTERVAL;
        case TriggerField::kWeeksInterval:
            return IDC_SCHEDULE_WEEKS_INTERVAL;
        case TriggerField::kWeekdays:
            return IDC_SCHEDULE_MONDAY;  // the first of the row
        case TriggerField::kDaysOfMonth:
            return IDC_SCHEDULE_DAYS;
        case TriggerField::kWhichWeek:
            return IDC_SCHEDULE_WHICH_WEEK;
        case TriggerField::kMonths:
            return IDC_SCHEDULE_JANUARY;
        case TriggerField::kEndDate:
            return IDC_SCHEDULE_END_DATE;
        case TriggerField::kRepeatInterval:
            return IDC_SCHEDULE_REPEAT_INTERVAL;
        case TriggerField::kRepeatDuration:
            return IDC_SCHEDULE_REPEAT_DURATION;
        case TriggerField::kNone:
            break;
    }
    return 0;
}

// Sets a date and time picker; false, leaving it as it was, for a date or time that is none (any
// tool can write a work item).
bool SetPickerTime(HWND picker, int year, int month, int day, int hour = 0, int minute = 0) {
    if (!IsValidDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return false;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wDayOfWeek = static_cast<WORD>(DayOfWeek(year, month, day));
    return ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) != 0;
}

SYSTEMTIME PickerTime(HWND picker) {
    SYSTEMTIME time{};
    ::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

}  // namespace

CSchedulePage::CSchedulePage(WorkItemEditor& editor, bool newTask, Clock clock)
    : editor_(editor), newTask_(newTask), clock_(std::move(clock)), locale_(UserLocaleFormat()) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&classes);

    OnNotifyCode(PSN_SETACTIVE, [this](NMHDR&) { return OnSetActive(); });
    OnNotifyCode(PSN_KILLACTIVE, [this](NMHDR&) { return OnKillActive(); });
    OnNotifyCode(PSN_APPLY, [this](NMHDR&) { return OnApply(); });
    OnCommand(IDC_SCHEDULE_LIST, LBN_SELCHANGE, [this] { SelectionChanged(); });
    OnCommand(IDC_SCHEDULE_NEW, [this] { NewClicked(); });
    OnCommand(IDC_SCHEDULE_DELETE, [this] { DeleteClicked(); });
    OnCommand(IDC_SCHEDULE_TYPE, CBN_SELCHANGE, [this] { KindChanged(); });
    OnCommand(IDC_SCHEDULE_WHICH_WEEK, CBN_SELCHANGE, [this] { Edited(); });
    OnCommand(IDC_SCHEDULE_HAS_END, [this] { EndDateClicked(); });
    OnCommand(IDC_SCHEDULE_REPEAT, [this] { RepeatClicked(); });
    for (int id : {IDC_SCHEDULE_DAYS_INTERVAL, IDC_SCHEDULE_WEEKS_INTERVAL, IDC_SCHEDULE_DAYS,
                   IDC_SCHEDULE_REPEAT_INTERVAL, IDC_SCHEDULE_REPEAT_DURATION})
        OnCommand(id, EN_CHANGE, [this] { Edited(); });
    for (int id = IDC_SCHEDULE_SUNDAY; id <= IDC_SCHEDULE_DECEMBER; ++id) {
        if (id != IDC_SCHEDULE_MONTHS_LABEL)
            OnCommand(id, [this] { Edited(); });
    }
    const std::pair<int, bool CSchedulePage::*> pickers[] = {{IDC_SCHEDULE_TIME, &CSchedulePage::startTimeKept_},
                                                             {IDC_SCHEDULE_DATE, &CSchedulePage::beginDateKept_},
                                                             {IDC_SCHEDULE_END_DATE, &CSchedulePage::endDateKept_}};
    for (const auto& [id, kept] : pickers) {
        OnNotify(id, DTN_DATETIMECHANGE, [this, kept](NMHDR&) {
            if (!loading_) {
                this->*kept = false;  // the user's choice replaces what could not be shown
                ShowDateNotes();
            }
            Edited();
            return 0;
        });
    }
}

HPROPSHEETPAGE CSchedulePage::Create() {
    return CreatePage(IDD_SCHEDULE_PAGE, 0);
}

LocalMinute CSchedulePage::LocalClock() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
}

void CSchedulePage::OnInitDialog() {
    loading_ = true;
    if (newTask_) {
        logic_ = ScheduleLogic::ForNewTask(clock_());
    } else {
        std::vector<TASK_TRIGGER> triggers;
        readFailed_ = FAILED(editor_.GetTriggers(triggers));
        std::vector<TriggerSpec> stored;
        for (const TASK_TRIGGER& trigger : triggers)
            stored.push_back(TriggerSpecOf(trigger));
        logic_ = ScheduleLogic(readFailed_ ? std::vector<TriggerSpec>{} : std::move(stored));
    }

    HWND kinds = Item(IDC_SCHEDULE_TYPE);
    for (int id = IDS_SCHEDULE_ONCE; id <= IDS_SCHEDULE_LOGON; ++id)
        ::SendMessageW(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(id).c_str()));
    HWND weeks = Item(IDC_SCHEDULE_WHICH_WEEK);
    for (int id = IDS_SCHEDULE_FIRST_WEEK; id <= IDS_SCHEDULE_LAST_WEEK; ++id)
        ::SendMessageW(weeks, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadText(id).c_str()));
    for (int spin : {IDC_SCHEDULE_DAYS_INTERVAL_SPIN, IDC_SCHEDULE_WEEKS_INTERVAL_SPIN})
        ::SendMessageW(Item(spin), UDM_SETRANGE32, 1, kMaxInterval);
    for (int spin : {IDC_SCHEDULE_REPEAT_INTERVAL_SPIN, IDC_SCHEDULE_REPEAT_DURATION_SPIN})
        ::SendMessageW(Item(spin), UDM_SETRANGE32, 1, kMaxRepeatMinutes);
    for (int edit : {IDC_SCHEDULE_DAYS_INTERVAL, IDC_SCHEDULE_WEEKS_INTERVAL, IDC_SCHEDULE_REPEAT_INTERVAL,
                     IDC_SCHEDULE_REPEAT_DURATION})
        LimitText(hwnd(), edit, kIntervalDigits);
    LimitText(hwnd(), IDC_SCHEDULE_DAYS, kDaysTextLength);
    // The time in the user's short picture, without seconds.
    wchar_t picture[80] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTTIME, picture, 80) > 0)
        ::SendMessageW(Item(IDC_SCHEDULE_TIME), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(picture));
    ::EnableWindow(Item(IDC_SCHEDULE_NEW), !readFailed_);

    FillList();
    ShowSelected();
    loading_ = false;
}

LRESULT CSchedulePage::OnSetActive() {
    // As the system's page, which it stands in for, it leaves the wizard's buttons to the wizard's
    // own pages.
    return 0;
}

LRESULT CSchedulePage::OnKillActive() {
    CommitForm();
    return Refuse(logic_.Check()) ? TRUE : FALSE;
}

LRESULT CSchedulePage::OnApply() {
    CommitForm();
    if (Refuse(logic_.Check()))
        return PSNRET_INVALID_NOCHANGEPAGE;
    if (readFailed_)
        return PSNRET_NOERROR;  // nothing was shown, so nothing replaces the work item's triggers
    std::vector<TASK_TRIGGER> triggers;
    for (const TriggerSpec& trigger : logic_.triggers())
        triggers.push_back(TaskTriggerOf(trigger));
    applyResult_ = editor_.SetTriggers(triggers);
    if (FAILED(applyResult_)) {
        // The sheet must not go on to store a work item with only part of its triggers.
        RefuseField(Sheet(), Item(IDC_SCHEDULE_LIST));
        return PSNRET_INVALID_NOCHANGEPAGE;
    }
    return PSNRET_NOERROR;
}

void CSchedulePage::FillList() {
    HWND list = Item(IDC_SCHEDULE_LIST);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    HDC dc = ::GetDC(list);
    const HGDIOBJ font = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (int i = 0; i < static_cast<int>(logic_.triggers().size()); ++i) {
        const std::wstring text = ToWide(logic_.Text(i, locale_));
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, size.cx);
    }
    ::SelectObject(dc, font);
    ::ReleaseDC(list, dc);
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, widest + 8, 0);
    ::SendMessageW(list, LB_SETCURSEL, logic_.selection(), 0);
    ::EnableWindow(Item(IDC_SCHEDULE_DELETE), logic_.selection() >= 0);
}

void CSchedulePage::ShowSelected() {
    const bool wasLoading = loading_;
    loading_ = true;
    const int selected = logic_.selection();
    const TriggerSpec t = selected >= 0 ? logic_.triggers()[selected] : DefaultTrigger(clock_());
    const TriggerForm form = FormOf(t);
    // A kind or week the lists do not hold leaves them without a choice (an index past the end
    // leaves Wine's list on its old choice), and the stored value is kept.
    const int kinds = static_cast<int>(::SendMessageW(Item(IDC_SCHEDULE_TYPE), CB_GETCOUNT, 0, 0));
    ::SendMessageW(Item(IDC_SCHEDULE_TYPE), CB_SETCURSEL, form.kind < kinds ? form.kind : -1, 0);
    // A date or time the pickers cannot show is kept as stored until the user picks another; the
    // check refuses it, and a note beside a date says that it is not valid.
    beginDateKept_ =
        !form.beginDateShown || !SetPickerTime(Item(IDC_SCHEDULE_DATE), form.beginYear, form.beginMonth, form.beginDay);
    // The time picker shows the time alone: any date carries it.
    startTimeKept_ =
        !form.startTimeShown || !SetPickerTime(Item(IDC_SCHEDULE_TIME), 2000, 1, 1, form.startHour, form.startMinute);
    ::SetDlgItemInt(hwnd(), IDC_SCHEDULE_DAYS_INTERVAL, form.daysInterval, FALSE);
    ::SetDlgItemInt(hwnd(), IDC_SCHEDULE_WEEKS_INTERVAL, form.weeksInterval, FALSE);
    ::SendMessageW(Item(IDC_SCHEDULE_WHICH_WEEK), CB_SETCURSEL, form.week, 0);
    ::SetDlgItemTextW(hwnd(), IDC_SCHEDULE_DAYS, ToWide(form.daysOfMonth).c_str());
    for (int day = 0; day < 7; ++day)
        SetChecked(hwnd(), IDC_SCHEDULE_SUNDAY + day, (form.weekdays & (1u << day)) != 0);
    for (int month = 0; month < 12; ++month)
        SetChecked(hwnd(), IDC_SCHEDULE_JANUARY + month, (form.months & (1u << month)) != 0);

    SetChecked(hwnd(), IDC_SCHEDULE_HAS_END, form.hasEnd);
    endDateKept_ = form.hasEnd && (!form.endDateShown || !SetPickerTime(Item(IDC_SCHEDULE_END_DATE), form.endYear,
                                                                        form.endMonth, form.endDay));
    if (!form.hasEnd || endDateKept_)
        SetPickerTime(Item(IDC_SCHEDULE_END_DATE), t.beginYear, t.beginMonth, t.beginDay);
    SetChecked(hwnd(), IDC_SCHEDULE_REPEAT, form.repeats);
    ::SetDlgItemTextW(hwnd(), IDC_SCHEDULE_REPEAT_INTERVAL,
                      form.repeats ? std::to_wstring(form.repeatInterval).c_str() : L"");
    ::SetDlgItemTextW(hwnd(), IDC_SCHEDULE_REPEAT_DURATION,
                      form.repeats ? std::to_wstring(form.repeatDuration).c_str() : L"");

    ShowFields(t.type, selected >= 0);
    loading_ = wasLoading;
}

void CSchedulePage::ShowDateNotes() {
    const bool selected = logic_.selection() >= 0;
    ::ShowWindow(Item(IDC_SCHEDULE_DATE_NOT_VALID), selected && beginDateKept_ ? SW_SHOW : SW_HIDE);
    // The page itself may not be visible yet: the box's own style tells whether its kind shows it.
    const bool endShown = (::GetWindowLongPtrW(Item(IDC_SCHEDULE_HAS_END), GWL_STYLE) & WS_VISIBLE) != 0 &&
                          IsChecked(hwnd(), IDC_SCHEDULE_HAS_END);
    ::ShowWindow(Item(IDC_SCHEDULE_END_DATE_NOT_VALID), selected && endShown && endDateKept_ ? SW_SHOW : SW_HIDE);
}

void CSchedulePage::ShowFields(TriggerType type, bool editable) {
    const TriggerFieldsShown shown = FieldsShown(type);
    for (const FieldControls& controls : KindControls()) {
        for (int id : controls.ids)
            ::ShowWindow(Item(id), shown.*controls.field ? SW_SHOW : SW_HIDE);
    }
    const bool recurrence = shown.daysInterval || shown.weeksInterval || shown.weekdays || shown.daysOfMonth ||
                            shown.whichWeek || shown.months;
    ::ShowWindow(Item(IDC_SCHEDULE_GROUP), recurrence ? SW_SHOW : SW_HIDE);
    ::ShowWindow(Item(IDC_SCHEDULE_EVERY_LABEL), shown.daysInterval || shown.weeksInterval ? SW_SHOW : SW_HIDE);

    for (int id = IDC_SCHEDULE_TYPE_LABEL; id <= IDC_SCHEDULE_DAYS_HINT; ++id)
        ::EnableWindow(Item(id), editable);
    if (editable) {
        ::EnableWindow(Item(IDC_SCHEDULE_END_DATE), IsChecked(hwnd(), IDC_SCHEDULE_HAS_END));
        const bool repeats = IsChecked(hwnd(), IDC_SCHEDULE_REPEAT);
        for (int id = IDC_SCHEDULE_REPEAT_INTERVAL; id <= IDC_SCHEDULE_REPEAT_UNIT; ++id)
            ::EnableWindow(Item(id), repeats);
    }
    ShowDateNotes();
}

TriggerSpec CSchedulePage::ReadForm() const {
    const int selected = logic_.selection();
    if (selected < 0)
        return {};
    TriggerForm form;
    const LRESULT kind = ::SendMessageW(Item(IDC_SCHEDULE_TYPE), CB_GETCURSEL, 0, 0);
    form.kind = kind == CB_ERR ? -1 : static_cast<int>(kind);
    form.beginDateShown = !beginDateKept_;
    if (form.beginDateShown) {
        const SYSTEMTIME date = PickerTime(Item(IDC_SCHEDULE_DATE));
        form.beginYear = date.wYear;
        form.beginMonth = date.wMonth;
        form.beginDay = date.wDay;
    }
    form.startTimeShown = !startTimeKept_;
    if (form.startTimeShown) {
        const SYSTEMTIME time = PickerTime(Item(IDC_SCHEDULE_TIME));
        form.startHour = time.wHour;
        form.startMinute = time.wMinute;
    }
    form.daysInterval = ::GetDlgItemInt(hwnd(), IDC_SCHEDULE_DAYS_INTERVAL, nullptr, FALSE);
    form.weeksInterval = ::GetDlgItemInt(hwnd(), IDC_SCHEDULE_WEEKS_INTERVAL, nullptr, FALSE);
    const LRESULT week = ::SendMessageW(Item(IDC_SCHEDULE_WHICH_WEEK), CB_GETCURSEL, 0, 0);
    form.week = week == CB_ERR ? -1 : static_cast<int>(week);
    wchar_t days[kDaysTextLength + 1] = {};
    ::GetDlgItemTextW(hwnd(), IDC_SCHEDULE_DAYS, days, kDaysTextLength + 1);
    form.daysOfMonth = FromWide(days);
    for (int day = 0; day < 7; ++day)
        form.weekdays |= IsChecked(hwnd(), IDC_SCHEDULE_SUNDAY + day) ? 1u << day : 0;
    for (int month = 0; month < 12; ++month)
        form.months |= IsChecked(hwnd(), IDC_SCHEDULE_JANUARY + month) ? 1u << month : 0;
    form.hasEnd = IsChecked(hwnd(), IDC_SCHEDULE_HAS_END);
    form.endDateShown = form.hasEnd && !endDateKept_;
    if (form.endDateShown) {
        const SYSTEMTIME end = PickerTime(Item(IDC_SCHEDULE_END_DATE));
        form.endYear = end.wYear;
        form.endMonth = end.wMonth;
        form.endDay = end.wDay;
    }
    form.repeats = IsChecked(hwnd(), IDC_SCHEDULE_REPEAT);
    form.repeatInterval = form.repeats ? ::GetDlgItemInt(hwnd(), IDC_SCHEDULE_REPEAT_INTERVAL, nullptr, FALSE) : 0;
    form.repeatDuration = form.repeats ? ::GetDlgItemInt(hwnd(), IDC_SCHEDULE_REPEAT_DURATION, nullptr, FALSE) : 0;
    // Starting from the trigger keeps what the page does not show (disabled, stop at the end of
    // the repetition) and what a field could not show while the user leaves it.
    return TriggerOfForm(form, logic_.triggers()[static_cast<std::size_t>(selected)]);
}

void CSchedulePage::CommitForm() {
    const int selected = logic_.selection();
    if (selected < 0)
        return;
    logic_.UpdateSelected(ReadForm());
    HWND list = Item(IDC_SCHEDULE_LIST);
    const std::wstring text = ToWide(logic_.Text(selected, locale_));
    wchar_t shown[512] = {};
    if (::SendMessageW(list, LB_GETTEXTLEN, selected, 0) < 512)
        ::SendMessageW(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(shown));
    if (text == shown)
        return;
    // A list box has no way to change an item's text: the item is replaced.
    ::SendMessageW(list, LB_DELETESTRING, selected, 0);
    ::SendMessageW(list, LB_INSERTSTRING, selected, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(list, LB_SETCURSEL, selected, 0);
}

void CSchedulePage::Edited() {
    if (loading_)
        return;
    CommitForm();
    ::SendMessageW(Sheet(), PSM_CHANGED, reinterpret_cast<WPARAM>(hwnd()), 0);
}

void CSchedulePage::KindChanged() {
    if (loading_ || logic_.selection() < 0)
        return;
    TriggerSpec form = ReadForm();
    const TriggerType kind = form.type;
    form.type = logic_.triggers()[logic_.selection()].type;
    logic_.UpdateSelected(WithType(form, kind));
    ShowSelected();
    Edited();
}

void CSchedulePage::EndDateClicked() {
    endDateKept_ = false;  // ticked again, the box takes the date its picker shows
    ShowFields(ReadForm().type, logic_.selection() >= 0);
    Edited();
}

void CSchedulePage::RepeatClicked() {
    if (loading_ || logic_.selection() < 0)
        return;
    logic_.UpdateSelected(WithRepetition(ReadForm(), IsChecked(hwnd(), IDC_SCHEDULE_REPEAT)));
    ShowSelected();
    Edited();
}

void CSchedulePage::NewClicked() {
    CommitForm();
    logic_.New(clock_());
    FillList();
    ShowSelected();
    ::SendMessageW(Sheet(), PSM_CHANGED, reinterpret_cast<WPARAM>(hwnd()), 0);
}

void CSchedulePage::DeleteClicked() {
    logic_.Delete();
    FillList();
    ShowSelected();
    ::SendMessageW(Sheet(), PSM_CHANGED, reinterpret_cast<WPARAM>(hwnd()), 0);
}

void CSchedulePage::SelectionChanged() {
    const LRESULT index = ::SendMessageW(Item(IDC_SCHEDULE_LIST), LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || index == logic_.selection())
        return;
    CommitForm();  // into the trigger selected so far
    logic_.Select(static_cast<int>(index));
    ::SendMessageW(Item(IDC_SCHEDULE_LIST), LB_SETCURSEL, index, 0);
    ShowSelected();
}

bool CSchedulePage::Refuse(const TriggerRefusal& refusal) {
    if (refusal.index < 0)
        return false;
    if (refusal.index != logic_.selection()) {
        logic_.Select(refusal.index);
        ::SendMessageW(Item(IDC_SCHEDULE_LIST), LB_SETCURSEL, refusal.index, 0);
        ShowSelected();
    }
    RefuseField(Sheet(), Item(ControlOf(refusal.field)));
    return true;
}

HPROPSHEETPAGE CreateSchedulePage(WorkItemEditor& editor, bool newTask, std::unique_ptr<CSchedulePage>& ownPage,
                                  const std::function<HPROPSHEETPAGE(WorkItemEditor&)>& systemPage) {
    if (HPROPSHEETPAGE system = systemPage ? systemPage(editor) : editor.SchedulePage())
        return system;
    ownPage = std::make_unique<CSchedulePage>(editor, newTask);
    return ownPage->Create();
}

}  // namespace velmora
