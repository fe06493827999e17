// Work items of the Task Scheduler 1.0: reading, listing, deleting, running, enabling, repairing,
// and editing them for the task wizard and the task properties.
#pragma once

#include <windows.h>
#include <mstask.h>
#include <prsht.h>

#include <memory>
#include <string>
#include <vector>

#include "model/SecretText.h"
#include "platform/win/Com.h"
#include "scheduler/TaskStore.h"
#include "scheduler/TriggerText.h"
#include "scheduler/WorkItem.h"

namespace velmora {

// Every operation opens the scheduler and COM for itself and releases both before it returns.
class CScheduledTask : public SchedulerCalls {
public:
    // The executor's copy writes its result text as "Ok" or "Error".
    explicit CScheduledTask(bool executorCopy = false) : executorCopy_(executorCopy) {}

    static std::u16string MakeTaskName(TaskKind kind);

    HResult EnumTasks(const std::u16string& prefix, std::vector<std::u16string>& names) override;
    HResult LoadInfo(const std::u16string& name, WorkItemInfo& info) override;
    HResult DeleteTask(const std::u16string& name) override;
    HResult RepairTask(const std::u16string& name, const std::u16string& parameters) override;
    std::u16string CurrentUser() override;
    std::u16string SystemFolder() override;
    // Only what a run changes (last and next run, status, result, enabled) into `info`; its other
    // fields stay. For a refresh of rows whose other texts only an edit changes.
    HResult LoadRunState(const std::u16string& name, WorkItemInfo& info);
    HResult RunOrTerminate(const std::u16string& name);
    HResult SetEnabled(const std::u16string& name, bool enable);

    // The properties of the work item read last.
    const WorkItemInfo& info() const { return info_; }

    // Keeps COM and the scheduler open from now until the object goes, for a batch of calls such
    // as a whole listing: opening the scheduler costs far more than any one call on it.
    void KeepSchedulerOpen();

private:
    friend struct SchedulerAccess;
    void ReadRunState(ITask* task, WorkItemInfo& info) const;

    bool executorCopy_;
    WorkItemInfo info_;
    std::unique_ptr<ComInit> keptCom_;
    ComPtr<ITaskScheduler> keptScheduler_;
};

// One work item held open while the wizard or the properties sheet edits it. Nothing is stored
// before Finish; an editor dropped without it leaves a new work item unsaved.
class WorkItemEditor {
public:
    WorkItemEditor() = default;
    WorkItemEditor(const WorkItemEditor&) = delete;
    WorkItemEditor& operator=(const WorkItemEditor&) = delete;

    // A new work item under a fresh name: the executor with the name as parameters, one hour at
    // most, hidden, interactive on the NT family.
    HResult BeginNew(TaskKind kind);
    // An existing work item; `settings` gets its "run only if logged on" flag and account (the
    // current user when the account cannot be read).
    HResult BeginExisting(const std::u16string& name, WorkItemSettings& settings);

    const std::u16string& name() const { return name_; }
    // The scheduler's own Schedule page, or nothing where the platform does not provide it.
    HPROPSHEETPAGE SchedulePage();
    HResult GetTriggers(std::vector<TASK_TRIGGER>& triggers);
    // Replaces the work item's triggers, for a schedule page of our own and for tests; when a step
    // fails the work item keeps the triggers it had.
    HResult SetTriggers(const std::vector<TASK_TRIGGER>& triggers);

    // Stores a new work item: triggers normalised, flags and account set, saved. An account error
    // of the save still stores it (the caller writes the task file and warns); a failure before the
    // save stores nothing.
    WorkItemSave FinishNew(const WorkItemSettings& settings);
    // Stores an edited work item. Triggers are left as they are.
    HResult FinishExisting(const WorkItemSettings& settings);

private:
    HResult SetSystemAccount();
    HResult Save();

    ComInit com_;
    ComPtr<ITask> task_;
    std::u16string name_;
    DWORD flags_ = 0;
    bool wasRunOnlyIfLoggedOn_ = false;
};

TriggerSpec TriggerSpecOf(const TASK_TRIGGER& trigger);
// The scheduler's trigger of the fields: those of its own kind, its dates, times and flags.
TASK_TRIGGER TaskTriggerOf(const TriggerSpec& trigger);
// Times and dates in the user's locale.
LocaleFormat UserLocaleFormat();

}  // namespace velmora
