// The Task Scheduler 1.0 calls behind the task store.
#include "scheduler/win/ScheduledTask.h"

#define SECURITY_WIN32
#include <security.h>

#include <ctime>

#include "model/File.h"
#include "model/Text.h"
#include "model/win/TaskFolder.h"
#include "platform/win/SystemFolder.h"
#include "platform/win/SystemRandom.h"
#include "platform/win/WideText.h"
#include "scheduler/TaskName.h"

namespace velmora {
namespace {

constexpr WORD kTimeTriggerOnce = 0;
constexpr WORD kAtSystemStart = 6;
constexpr WORD kAtLogon = 7;

// The scheduler opens work items by their name without the ".job" that enumeration adds.
std::u16string WorkItemName(const std::u16string& name) {
    if (name.size() > 4 && EqualsIgnoringAsciiCase(std::u16string_view(name).substr(name.size() - 4), u".job"))
        return name.substr(0, name.size() - 4);
    return name;
}

HRESULT OpenScheduler(ComPtr<ITaskScheduler>& scheduler) {
    return ::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                              scheduler.put_void());
}

HRESULT OpenTask(ITaskScheduler* scheduler, const std::u16string& name, ComPtr<ITask>& task) {
    return scheduler->Activate(W(WorkItemName(name)), IID_ITask, reinterpret_cast<IUnknown**>(task.put()));
}

}  // namespace

// The scheduler for one operation: the one kept open by its object, or COM and a scheduler of the
// operation's own.
struct SchedulerAccess {
    std::unique_ptr<ComInit> com;
    ComPtr<ITaskScheduler> own;
    ITaskScheduler* scheduler = nullptr;
    HRESULT result = E_FAIL;

    explicit SchedulerAccess(const CScheduledTask& owner) {
        if (owner.keptScheduler_) {
            scheduler = owner.keptScheduler_.get();
            result = S_OK;
            return;
        }
        com = std::make_unique<ComInit>();
        if (FAILED(result = com->result()) || FAILED(result = OpenScheduler(own)))
            return;
        scheduler = own.get();
    }
};

namespace {

// Opens the scheduler and one work item for an operation.
struct OpenWorkItem {
    SchedulerAccess access;
    ComPtr<ITask> task;
    HRESULT result;

    OpenWorkItem(const CScheduledTask& owner, const std::u16string& name) : access(owner), result(access.result) {
        if (SUCCEEDED(result))
            result = OpenTask(access.scheduler, name, task);
    }
};

HRESULT SaveWorkItem(ITask* task) {
    ComPtr<IPersistFile> file;
    HRESULT hr = task->QueryInterface(IID_IPersistFile, file.put_void());
    if (SUCCEEDED(hr))
        hr = file->Save(nullptr, TRUE);
    return hr;
}

ScheduleTime TimeOf(const SYSTEMTIME& t) {
    // Seconds and milliseconds are not kept: the lists show minutes.
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute};
}

bool IsNtFamily() {
    return (::GetVersion() & 0x80000000u) == 0;
}

std::u16string AccountOf(ITask* task, HRESULT& result) {
    CoTaskMemString account;
    result = task->GetAccountInformation(account.put());
    return account.str();
}

std::uint32_t SystemRandom() {
    return static_cast<std::uint32_t>(SystemRandom64() >> 32);
}

}  // namespace

std::u16string CScheduledTask::MakeTaskName(TaskKind kind) {
    const std::u16string folder = TaskStoreFolder();
    return velmora::MakeTaskName(kind, SystemRandom, [&folder](const std::u16string& name) {
        return FileExists(JoinPath(folder, name + u".job")) || FileExists(TaskFilePath(folder, name));
    });
}

void CScheduledTask::KeepSchedulerOpen() {
    if (keptScheduler_)
        return;
    keptCom_ = std::make_unique<ComInit>();
    if (SUCCEEDED(keptCom_->result()))
        OpenScheduler(keptScheduler_);
}

HResult CScheduledTask::EnumTasks(const std::u16string& prefix, std::vector<std::u16string>& names) {
    SchedulerAccess access(*this);
    if (FAILED(access.result))
        return access.result;
    ITaskScheduler* scheduler = access.scheduler;
    ComPtr<IEnumWorkItems> items;
    const HRESULT hr = scheduler->Enum(items.put());
    if (FAILED(hr))
        return hr;
    for (;;) {
        UniqueCoTaskMem<LPWSTR*> batch;
        ULONG fetched = 0;
        if (FAILED(items->Next(2, batch.put(), &fetched)) || fetched == 0 || !batch)
            break;
        for (ULONG i = fetched; i-- > 0;) {
            const UniqueCoTaskMem<LPWSTR> text(batch.get()[i]);
            const std::u16string name = FromWide(text.get());
            ComPtr<ITask> task;
            if (name.compare(0, prefix.size(), prefix) == 0 && SUCCEEDED(OpenTask(scheduler, name, task)))
                names.push_back(name);
        }
    }
    return S_OK;
}

void CScheduledTask::ReadRunState(ITask* task, WorkItemInfo& info) const {
    info.lastRun = {};
    info.nextRun = {};
    SYSTEMTIME time{};
    if (task->GetMostRecentRunTime(&time) == S_OK)
        info.lastRun = TimeOf(time);
    if (task->GetNextRunTime(&time) == S_OK)
        info.nextRun = TimeOf(time);
    DWORD exitCode = 0;
    task->GetExitCode(&exitCode);
    info.resultText = ResultText(exitCode, executorCopy_);
    HRESULT status = 0;
    info.status = SUCCEEDED(task->GetStatus(&status)) ? status : 0;
    DWORD flags = 0;
    task->GetFlags(&flags);
    info.enabled = (flags & TASK_FLAG_DISABLED) == 0;
}

HResult CScheduledTask::LoadRunState(const std::u16string& name, WorkItemInfo& info) {
    OpenWorkItem item(*this, name);
    if (FAILED(item.result))
        return item.result;
    ReadRunState(item.task.get(), info);
    return S_OK;
}

HResult CScheduledTask::LoadInfo(const std::u16string& name, WorkItemInfo& info) {
    info_ = WorkItemInfo();
    info = info_;
    OpenWorkItem item(*this, name);
    if (FAILED(item.result))
        return item.result;
    ITask* task = item.task.get();
    // Each read's own failure is ignored: what could not be read stays empty.
    const auto text = [task](auto getter) {
        CoTaskMemString value;
        (task->*getter)(value.put());
        return value.str();
    };
    info_.parameters = text(&ITask::GetParameters);
    info_.comment = text(&IScheduledWorkItem::GetComment);
    ReadRunState(task, info_);
    HRESULT accountRead;
    info_.account = AccountOf(task, accountRead);
    info_.accountRead = accountRead;
    if (info_.account.empty())
        info_.account = u"SYSTEM";
    info_.application = text(&ITask::GetApplicationName);
    info_.creator = text(&IScheduledWorkItem::GetCreator);
    WORD triggers = 0;
    task->GetTriggerCount(&triggers);
    // The text of the last trigger remains.
    for (WORD i = 0; i < triggers; ++i) {
        CoTaskMemString described;
        if (SUCCEEDED(task->GetTriggerString(i, described.put()))) {
            info_.scheduleText = described.str();
            continue;
        }
        // Where the scheduler cannot describe its triggers (Wine), the text is composed here.
        ComPtr<ITaskTrigger> trigger;
        TASK_TRIGGER definition{};
        definition.cbTriggerSize = sizeof definition;
        if (SUCCEEDED(task->GetTrigger(i, trigger.put())) && SUCCEEDED(trigger->GetTrigger(&definition)))
            info_.scheduleText = TriggerText(TriggerSpecOf(definition), UserLocaleFormat());
    }
    info = info_;
    // The reads' failures were ignored, so the result tells whether the work item opened.
    return S_OK;
}

HResult CScheduledTask::DeleteTask(const std::u16string& name) {
    if (name.empty())
        return E_FAIL;
    SchedulerAccess access(*this);
    if (FAILED(access.result))
        return access.result;
    return access.scheduler->Delete(W(WorkItemName(name)));
}

HResult CScheduledTask::RunOrTerminate(const std::u16string& name) {
    OpenWorkItem item(*this, name);
    if (FAILED(item.result))
        return item.result;
    HRESULT status = 0;
    HRESULT hr = item.task->GetStatus(&status);
    if (FAILED(hr))
        return hr;
    return status == SCHED_S_TASK_RUNNING ? item.task->Terminate() : item.task->Run();
}

HResult CScheduledTask::SetEnabled(const std::u16string& name, bool enable) {
    OpenWorkItem item(*this, name);
    if (FAILED(item.result))
        return item.result;
    DWORD flags = 0;
    HRESULT hr = item.task->GetFlags(&flags);
    if (FAILED(hr))
        return hr;
    flags = enable ? flags & ~TASK_FLAG_DISABLED : flags | TASK_FLAG_DISABLED;
    if (FAILED(hr = item.task->SetFlags(flags)))
        return hr;
    return SaveWorkItem(item.task.get());
}

// Only the parameters: giving the item another account (the one who opened the list) would let
// whoever changed it run as that account.
HResult CScheduledTask::RepairTask(const std::u16string& name, const std::u16string& parameters) {
    OpenWorkItem item(*this, name);
    if (FAILED(item.result))
        return item.result;
    const HRESULT hr = item.task->SetParameters(W(parameters));
    if (FAILED(hr))
        return hr;
    return SaveWorkItem(item.task.get());
}

std::u16string CScheduledTask::SystemFolder() {
    return FromWide(velmora::SystemFolder());
}

std::u16string CScheduledTask::CurrentUser() {
    wchar_t name[512] = {};
    ULONG size = 512;
    if (!::GetUserNameExW(NameSamCompatible, name, &size))
        return {};
    return FromWide(name, size);
}

// --- editing ----------------------------------------------------------------------------------

HResult WorkItemEditor::BeginNew(TaskKind kind) {
    if (FAILED(com_.result()))
        return com_.result();
    ComPtr<ITaskScheduler> scheduler;
    HRESULT hr = OpenScheduler(scheduler);
    if (FAILED(hr))
        return hr;
    name_ = CScheduledTask::MakeTaskName(kind);
    if (FAILED(hr =
                   scheduler->NewWorkItem(W(name_), CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(task_.put()))))
        return hr;
    // Never a bare name that the scheduler would search the path for.
    const std::u16string executor = ExecutorPath(FromWide(SystemFolder()));
    if (executor.find(u'\\') == std::u16string::npos)
        return E_FAIL;
    if (FAILED(hr = task_->SetApplicationName(W(executor))) || FAILED(hr = task_->SetParameters(W(name_))) ||
        FAILED(hr = task_->SetMaxRunTime(kMaxRunTimeMs)))
        return hr;
    flags_ = kFlagHidden | (IsNtFamily() ? kFlagInteractive : 0);
    return S_OK;
}

HResult WorkItemEditor::BeginExisting(const std::u16string& name, WorkItemSettings& settings) {
    if (FAILED(com_.result()))
        return com_.result();
    ComPtr<ITaskScheduler> scheduler;
    HRESULT hr = OpenScheduler(scheduler);
    if (SUCCEEDED(hr))
        hr = OpenTask(scheduler.get(), name, task_);
    if (FAILED(hr))
        return hr;
    name_ = WorkItemName(name);
    if (FAILED(hr = task_->GetFlags(&flags_)))
        return hr;
    wasRunOnlyIfLoggedOn_ = (flags_ & kFlagRunOnlyIfLoggedOn) != 0;
    settings.runOnlyIfLoggedOn = wasRunOnlyIfLoggedOn_;
    HRESULT accountRead;
    settings.userName = AccountOf(task_.get(), accountRead);
    if (FAILED(accountRead))
        settings.userName = CScheduledTask().CurrentUser();
    return S_OK;
}

HPROPSHEETPAGE WorkItemEditor::SchedulePage() {
    ComPtr<IProvideTaskPage> pages;
    HPROPSHEETPAGE page = nullptr;
    if (task_ && SUCCEEDED(task_.As(IID_IProvideTaskPage, pages)) &&
        SUCCEEDED(pages->GetPage(TASKPAGE_SCHEDULE, FALSE, &page)))
        return page;
    return nullptr;
}

HResult WorkItemEditor::GetTriggers(std::vector<TASK_TRIGGER>& triggers) {
    triggers.clear();
    WORD count = 0;
    HRESULT hr = task_ ? task_->GetTriggerCount(&count) : E_POINTER;
    for (WORD i = 0; SUCCEEDED(hr) && i < count; ++i) {
        ComPtr<ITaskTrigger> trigger;
        TASK_TRIGGER definition{};
        definition.cbTriggerSize = sizeof definition;
        if (SUCCEEDED(hr = task_->GetTrigger(i, trigger.put())) && SUCCEEDED(hr = trigger->GetTrigger(&definition)))
            triggers.push_back(definition);
    }
    return hr;
}

HResult WorkItemEditor::SetTriggers(const std::vector<TASK_TRIGGER>& triggers) {
    std::vector<TASK_TRIGGER> former;
    if (const HRESULT hr = GetTriggers(former); FAILED(hr))
        return hr;
    const auto add = [this](TASK_TRIGGER definition) {
        ComPtr<ITaskTrigger> trigger;
        WORD index = 0;
        definition.cbTriggerSize = sizeof definition;
        HRESULT hr = task_->CreateTrigger(&index, trigger.put());
        if (SUCCEEDED(hr) && FAILED(hr = trigger->SetTrigger(&definition)))
            task_->DeleteTrigger(index);  // a created trigger without its definition does not stay
        return hr;
    };
    TriggerCalls calls;
    calls.remove = [this](std::size_t index) { return task_->DeleteTrigger(static_cast<WORD>(index)); };
    calls.addNew = [&](std::size_t which) { return add(triggers[which]); };
    calls.addFormer = [&](std::size_t which) { return add(former[which]); };
    return ReplaceTriggers(calls, former.size(), triggers.size());
}

HResult WorkItemEditor::SetSystemAccount() {
    return task_->SetAccountInformation(L"", nullptr);
}

HResult WorkItemEditor::Save() {
    return SaveWorkItem(task_.get());
}

WorkItemSave WorkItemEditor::FinishNew(const WorkItemSettings& settings) {
    if (!task_)
        return {E_POINTER, false};
    // Only a popup may run at system start or logon: every other action gets one run instead.
    if (settings.action != kActionPopup) {
        std::vector<TASK_TRIGGER> triggers;
        HRESULT hr = GetTriggers(triggers);
        bool changed = false;
        for (TASK_TRIGGER& trigger : triggers) {
            if (trigger.TriggerType == kAtSystemStart || trigger.TriggerType == kAtLogon) {
                trigger.TriggerType = static_cast<TASK_TRIGGER_TYPE>(kTimeTriggerOnce);
                changed = true;
            }
        }
        if (SUCCEEDED(hr) && changed)
            hr = SetTriggers(triggers);
        if (FAILED(hr))
            return {hr, false};
    }
    if (settings.action == kActionWakeUp)
        flags_ |= kFlagSystemRequired;
    HRESULT hr;
    if (settings.runOnlyIfLoggedOn) {
        flags_ |= kFlagRunOnlyIfLoggedOn;
        if (FAILED(hr = task_->SetFlags(flags_)) ||
            FAILED(hr = task_->SetAccountInformation(W(CScheduledTask().CurrentUser()), nullptr)))
            return {hr, false};
    } else {
        if (FAILED(hr = task_->SetFlags(flags_)))
            return {hr, false};
        const bool system =
            settings.userName.empty() || settings.kind == TaskKind::kLocal || settings.action == kActionWakeOnLan;
        hr = system ? SetSystemAccount()
                    : task_->SetAccountInformation(W(settings.userName),
                                                   reinterpret_cast<const wchar_t*>(settings.password.c_str()));
        if (FAILED(hr))
            return {hr, false};
    }
    return {Save(), true};
}

HResult WorkItemEditor::FinishExisting(const WorkItemSettings& settings) {
    if (!task_)
        return E_POINTER;
    HRESULT hr = S_OK;
    if (settings.runOnlyIfLoggedOn && !wasRunOnlyIfLoggedOn_) {
        flags_ |= kFlagRunOnlyIfLoggedOn;
        hr = task_->SetAccountInformation(W(CScheduledTask().CurrentUser()), nullptr);
    } else if (!settings.runOnlyIfLoggedOn) {
        flags_ &= ~kFlagRunOnlyIfLoggedOn;
        if (settings.kind == TaskKind::kLocal || settings.action == kActionWakeOnLan)
            hr = SetSystemAccount();
        else if (settings.accountChanged && !settings.userName.empty())
            hr = task_->SetAccountInformation(W(settings.userName),
                                              reinterpret_cast<const wchar_t*>(settings.password.c_str()));
    }
    if (FAILED(hr))
        return hr;
    flags_ = settings.action == kActionWakeUp ? flags_ | kFlagSystemRequired : flags_ & ~kFlagSystemRequired;
    if (FAILED(hr = task_->SetFlags(flags_)))
        return hr;
    // A task made when work items named the executor by its bare name gets the full path now.
    if (const std::u16string executor = ExecutorPath(FromWide(SystemFolder()));
        executor.find(u'\\') != std::u16string::npos && FAILED(hr = task_->SetApplicationName(W(executor))))
        return hr;
    return Save();
}

// --- trigger texts ----------------------------------------------------------------------------

TriggerSpec TriggerSpecOf(const TASK_TRIGGER& t) {
    TriggerSpec definition;
    definition.type = static_cast<TriggerType>(t.TriggerType);
    definition.beginYear = t.wBeginYear;
    definition.beginMonth = t.wBeginMonth;
    definition.beginDay = t.wBeginDay;
    definition.endYear = t.wEndYear;
    definition.endMonth = t.wEndMonth;
    definition.endDay = t.wEndDay;
    definition.startHour = t.wStartHour;
    definition.startMinute = t.wStartMinute;
    definition.minutesDuration = t.MinutesDuration;
    definition.minutesInterval = t.MinutesInterval;
    definition.flags = t.rgFlags;
    switch (t.TriggerType) {
        case TASK_TIME_TRIGGER_DAILY:
            definition.daysInterval = t.Type.Daily.DaysInterval;
            break;
        case TASK_TIME_TRIGGER_WEEKLY:
            definition.weeksInterval = t.Type.Weekly.WeeksInterval;
            definition.daysOfTheWeek = t.Type.Weekly.rgfDaysOfTheWeek;
            break;
        case TASK_TIME_TRIGGER_MONTHLYDATE:
            definition.daysOfTheMonth = t.Type.MonthlyDate.rgfDays;
            definition.months = t.Type.MonthlyDate.rgfMonths;
            break;
        case TASK_TIME_TRIGGER_MONTHLYDOW:
            definition.whichWeek = t.Type.MonthlyDOW.wWhichWeek;
            definition.daysOfTheWeek = t.Type.MonthlyDOW.rgfDaysOfTheWeek;
            definition.months = t.Type.MonthlyDOW.rgfMonths;
            break;
        default:
            break;
    }
    return definition;
}

TASK_TRIGGER TaskTriggerOf(const TriggerSpec& t) {
    TASK_TRIGGER trigger{};
    trigger.cbTriggerSize = sizeof trigger;
    trigger.wBeginYear = static_cast<WORD>(t.beginYear);
    trigger.wBeginMonth = static_cast<WORD>(t.beginMonth);
    trigger.wBeginDay = static_cast<WORD>(t.beginDay);
    trigger.wEndYear = static_cast<WORD>(t.endYear);
    trigger.wEndMonth = static_cast<WORD>(t.endMonth);
    trigger.wEndDay = static_cast<WORD>(t.endDay);
    trigger.wStartHour = static_cast<WORD>(t.startHour);
    trigger.wStartMinute = static_cast<WORD>(t.startMinute);
    trigger.MinutesDuration = t.minutesDuration;
    trigger.MinutesInterval = t.minutesInterval;
    trigger.rgFlags = t.flags;
    trigger.TriggerType = static_cast<TASK_TRIGGER_TYPE>(t.type);
    switch (trigger.TriggerType) {
        case TASK_TIME_TRIGGER_DAILY:
            trigger.Type.Daily.DaysInterval = static_cast<WORD>(t.daysInterval);
            break;
        case TASK_TIME_TRIGGER_WEEKLY:
            trigger.Type.Weekly.WeeksInterval = static_cast<WORD>(t.weeksInterval);
            trigger.Type.Weekly.rgfDaysOfTheWeek = static_cast<WORD>(t.daysOfTheWeek);
            break;
        case TASK_TIME_TRIGGER_MONTHLYDATE:
            trigger.Type.MonthlyDate.rgfDays = t.daysOfTheMonth;
            trigger.Type.MonthlyDate.rgfMonths = static_cast<WORD>(t.months);
            break;
        case TASK_TIME_TRIGGER_MONTHLYDOW:
            trigger.Type.MonthlyDOW.wWhichWeek = static_cast<WORD>(t.whichWeek);
            trigger.Type.MonthlyDOW.rgfDaysOfTheWeek = static_cast<WORD>(t.daysOfTheWeek);
            trigger.Type.MonthlyDOW.rgfMonths = static_cast<WORD>(t.months);
            break;
        default:
            break;
    }
    return trigger;
}

LocaleFormat UserLocaleFormat() {
    LocaleFormat format;
    format.time = [](int hour, int minute) {
        SYSTEMTIME t{};
        t.wHour = static_cast<WORD>(hour);
        t.wMinute = static_cast<WORD>(minute);
        wchar_t text[64] = {};
        const int length = ::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &t, nullptr, text, 64);
        return FromWide(text, length > 0 ? length - 1 : 0);
    };
    format.date = [](int year, int month, int day) {
        SYSTEMTIME t{};
        t.wYear = static_cast<WORD>(year);
        t.wMonth = static_cast<WORD>(month);
        t.wDay = static_cast<WORD>(day);
        wchar_t text[64] = {};
        const int length = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, text, 64);
        return FromWide(text, length > 0 ? length - 1 : 0);
    };
    return format;
}

}  // namespace velmora
