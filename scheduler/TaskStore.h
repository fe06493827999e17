// The task store's rules: a task is a work item and a task file of one name, created, changed,
// listed, repaired and removed together.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/File.h"
#include "model/TaskParams.h"
#include "scheduler/WorkItem.h"

namespace velmora {

// The scheduler calls the rules need; the real ones are CScheduledTask's.
class SchedulerCalls {
public:
    virtual ~SchedulerCalls() = default;
    // Appends the names (with ".job") of the work items that begin with `prefix`.
    virtual HResult EnumTasks(const std::u16string& prefix, std::vector<std::u16string>& names) = 0;
    // The work item's properties; a failure only when it could not be opened.
    virtual HResult LoadInfo(const std::u16string& name, WorkItemInfo& info) = 0;
    virtual HResult DeleteTask(const std::u16string& name) = 0;
    // Sets the parameters; the account and the flags stay as they are.
    virtual HResult RepairTask(const std::u16string& name, const std::u16string& parameters) = 0;
    // The current user as DOMAIN\user.
    virtual std::u16string CurrentUser() = 0;
    // The system folder, where the executor's own copy lies.
    virtual std::u16string SystemFolder() = 0;
};

struct ListedTask {
    std::u16string name;  // the bare task name
    WorkItemInfo info;
    CTaskParams record;        // read without the full record: flags and comment
    bool fileReadable = true;  // false: the record is empty, the task file could not be read
    bool foreign = false;      // its work item or task file was made by someone we do not trust
};

void PauseBeforeReadRetry();

// Whether someone we do not trust owns the task's work item, its task file, or the task file that
// the work item's parameters name.
bool IsForeignPair(const std::u16string& folder, const std::u16string& bareName, const std::u16string& parameters,
                   const std::function<FileOwner(const std::u16string&)>& owner = CheckFileOwner);

// The file-system steps of a listing; the real ones unless a test passes others.
struct ListingSteps {
    std::function<void()> pauseBeforeRetry = PauseBeforeReadRetry;
    std::function<FileOwner(const std::u16string& path)> owner = CheckFileOwner;
};

// The tasks of one list, reconciling on the way: other programs' work items are skipped,
// hand-changed parameters are repaired, and a work item whose task file holds an unknown action is
// deleted (its task file stays). A task whose file cannot be read, also after a few tries, is listed
// as unreadable and nothing is deleted: its work item still fires, so the user must see it. A pair
// whose work item or task file someone else owns is listed as foreign and never touched.
std::vector<ListedTask> ListTasks(SchedulerCalls& scheduler, const std::u16string& folder, const std::u16string& prefix,
                                  const ListingSteps& steps = {});

// The names (with ".job") of the executor's work items under either prefix: another program's work
// item that shares a prefix is none of them.
std::vector<std::u16string> ExecutorTasks(SchedulerCalls& scheduler);

// Deletes every work item of the executor under either prefix, and its task file; other
// programs' work items stay.
void RemoveAllTasks(SchedulerCalls& scheduler, const std::u16string& folder);

// What storing a new task gave.
struct NewTaskPair {
    HResult result = kFail;       // the work item's save, or the step before it that failed
    bool workItemStored = false;  // saved, perhaps without valid credentials
    bool accountWarning = false;  // stored without valid credentials: it will not start
    bool fileWritten = false;
    HResult removal = kOk;  // the removal of a work item whose task file could not be written
    bool stored() const { return workItemStored && fileWritten; }
};

// A new task: the work item is stored first; the task file follows when the work item was stored,
// even without valid credentials. A work item that was never saved gets no task file, and one
// whose task file cannot be written is removed again: never a work item without its file. The task
// file is made new and protected: a file that someone put at its name first fails the pair.
NewTaskPair CreateTaskPair(const std::function<WorkItemSave()>& saveWorkItem,
                           const std::function<HResult()>& removeWorkItem, const CTaskParams& record,
                           const std::u16string& folder, const std::u16string& name);
// A changed task: the task file first, then the work item, which is left alone when the file
// cannot be written. When the work item cannot be updated (other than for its account), the task
// file is put back as it was; `fileRestored` says whether that worked.
HResult ChangeTaskPair(const CTaskParams& record, const std::u16string& folder, const std::u16string& name,
                       const std::function<HResult()>& updateWorkItem, bool& accountWarning,
                       bool* fileRestored = nullptr);
// Deletes the work item, then the task file. A work item that could not be deleted keeps its task
// file, so the task stays whole and listed; one that was already gone loses its file too.
HResult DeleteTaskPair(SchedulerCalls& scheduler, const std::u16string& folder, const std::u16string& bareName);

// The trigger calls of one work item, by index; the trigger definitions stay with the caller.
struct TriggerCalls {
    std::function<HResult(std::size_t index)> remove;
    std::function<HResult(std::size_t which)> addNew;     // the new trigger `which`, at the end
    std::function<HResult(std::size_t which)> addFormer;  // the former trigger `which`, at the end
};
// Replaces a work item's `formerCount` triggers by `newCount` new ones. When a step fails the work
// item gets its former triggers back, so it is never stored with part of either; the result is the
// failed step's.
HResult ReplaceTriggers(const TriggerCalls& calls, std::size_t formerCount, std::size_t newCount);

enum class ServiceState { kStopped, kRunning, kOther };

class ServiceCalls {
public:
    virtual ~ServiceCalls() = default;
    // The state of the "Schedule" service; nothing when it cannot be opened or queried.
    virtual std::optional<ServiceState> QuerySchedulerService() = 0;
    virtual bool StartSchedulerService() = 0;
};

// At the manager's start: a stopped scheduler service is started when the user agrees.
void CheckSchedulerService(ServiceCalls& services, const std::function<bool()>& askToStart,
                           const std::function<void()>& reportStartFailure);

}  // namespace velmora
