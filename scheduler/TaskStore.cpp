// Listing, reconciling and removing task pairs.
#include "scheduler/TaskStore.h"

#include <chrono>
#include <thread>

#include "model/File.h"
#include "model/SecretText.h"

namespace velmora {
namespace {

constexpr int kReadRetries = 3;

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::vector<ListedTask> ListTasks(SchedulerCalls& scheduler, const std::u16string& folder, const std::u16string& prefix,
                                  const ListingSteps& steps) {
    // Each deletion starts the listing again. A scheduler that reports a deletion but keeps the
    // work item would restart it for ever: the last pass goes on past deletions and returns every
    // valid task it found.
    const std::u16string systemFolder = scheduler.SystemFolder();
    constexpr int kPasses = 100;
    for (int pass = 1;; ++pass) {
        const bool lastPass = pass == kPasses;
        std::vector<std::u16string> names;
        scheduler.EnumTasks(prefix, names);
        std::vector<ListedTask> tasks;
        bool restart = false;
        for (const std::u16string& enumerated : names) {
            if (!StartsWith(enumerated, prefix))
                continue;
            ListedTask task;
            if (scheduler.LoadInfo(enumerated, task.info) < 0 ||
                !IsExecutorApplication(task.info.application, systemFolder))
                continue;
            task.name = TaskNameOf(enumerated);
            // A pair that a user could have planted is shown for what it is, and never repaired,
            // deleted or read: its task file could ask for anything.
            if (IsForeignPair(folder, task.name, task.info.parameters, steps.owner)) {
                task.foreign = true;
                task.fileReadable = false;
                tasks.push_back(std::move(task));
                continue;
            }
            if (task.info.parameters != task.name) {
                scheduler.RepairTask(enumerated, task.name);
                scheduler.LoadInfo(enumerated, task.info);
            }
            const std::u16string fileName = TaskNameOf(task.info.parameters);
            std::optional<long long> action = LoadStoredAction(folder, fileName);
            // The executor replaces the file at the end of each run: a read that meets that moment
            // is tried again before the task counts as unreadable.
            for (int retry = 0; !action && retry < kReadRetries && FileExists(TaskFilePath(folder, fileName));
                 ++retry) {
                steps.pauseBeforeRetry();
                action = LoadStoredAction(folder, fileName);
            }
            if (!action) {
                // Listed all the same, so it can be seen and deleted; never deleted for it.
                task.fileReadable = false;
                tasks.push_back(std::move(task));
                continue;
            }
            if (*action < 0 || *action > kActionWakeUp) {
                if (scheduler.DeleteTask(enumerated) >= 0 && !lastPass) {
                    restart = true;
                    break;
                }
                continue;
            }
            task.fileReadable = task.record.Load(folder, fileName, false);
            tasks.push_back(std::move(task));
        }
        if (!restart)
            return tasks;
    }
}

bool IsForeignPair(const std::u16string& folder, const std::u16string& bareName, const std::u16string& parameters,
                   const std::function<FileOwner(const std::u16string&)>& owner) {
    const std::u16string named = TaskNameOf(parameters);
    return owner(JoinPath(folder, bareName + u".job")) == FileOwner::kForeign ||
           owner(TaskFilePath(folder, bareName)) == FileOwner::kForeign ||
           (!named.empty() && named != bareName && owner(TaskFilePath(folder, named)) == FileOwner::kForeign);
}

void PauseBeforeReadRetry() {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

std::vector<std::u16string> ExecutorTasks(SchedulerCalls& scheduler) {
    const std::u16string systemFolder = scheduler.SystemFolder();
    std::vector<std::u16string> names;
    scheduler.EnumTasks(kLocalPrefix, names);
    scheduler.EnumTasks(kRemotePrefix, names);
    std::erase_if(names, [&](const std::u16string& name) {
        WorkItemInfo info;
        return scheduler.LoadInfo(name, info) < 0 || !IsExecutorApplication(info.application, systemFolder);
    });
    return names;
}

void RemoveAllTasks(SchedulerCalls& scheduler, const std::u16string& folder) {
    for (const std::u16string& name : ExecutorTasks(scheduler)) {
        scheduler.DeleteTask(name);
        CTaskParams::Remove(folder, TaskNameOf(name));
    }
}

NewTaskPair CreateTaskPair(const std::function<WorkItemSave()>& saveWorkItem,
                           const std::function<HResult()>& removeWorkItem, const CTaskParams& record,
                           const std::u16string& folder, const std::u16string& name) {
    NewTaskPair pair;
    const WorkItemSave save = saveWorkItem();
    pair.result = save.result;
    pair.workItemStored = save.saved && (save.result == kOk || IsAccountError(save.result));
    pair.accountWarning = pair.workItemStored && save.result != kOk;
    if (!pair.workItemStored)
        return pair;
    pair.fileWritten = record.SaveNew(folder, name);
    if (!pair.fileWritten) {
        const HResult removed = removeWorkItem();
        // One that is gone already is no longer left behind.
        pair.removal = removed >= 0 || removed == kFileNotFound || removed == kPathNotFound ? kOk : removed;
    }
    return pair;
}

HResult ChangeTaskPair(const CTaskParams& record, const std::u16string& folder, const std::u16string& name,
                       const std::function<HResult()>& updateWorkItem, bool& accountWarning, bool* fileRestored) {
    accountWarning = false;
    if (fileRestored)
        *fileRestored = false;
    const std::u16string path = TaskFilePath(folder, name);
    std::string before = ReadWholeFile(path).value_or(std::string());
    const bool hadFile = FileExists(path) && !before.empty();
    const WipedWhenGone wipeBefore(before);
    // A task file that cannot be written leaves the work item as it was: the pair stays whole.
    if (!record.Save(folder, name))
        return kFail;
    const HResult updated = updateWorkItem();
    accountWarning = IsAccountError(updated);
    // A work item that kept its old settings gets its old task file back, so the pair never
    // describes two different tasks.
    if (updated < 0 && !accountWarning && hadFile) {
        const bool restored =
            WriteFileReplacing(path, [&before](File& file) { return file.Write(before.data(), before.size()); });
        if (fileRestored)
            *fileRestored = restored;
    }
    return updated;
}

HResult DeleteTaskPair(SchedulerCalls& scheduler, const std::u16string& folder, const std::u16string& bareName) {
    const HResult deleted = scheduler.DeleteTask(bareName + u".job");
    const bool gone = deleted >= 0 || deleted == kFileNotFound || deleted == kPathNotFound;
    if (gone)
        CTaskParams::Remove(folder, bareName);
    return gone ? kOk : deleted;
}

HResult ReplaceTriggers(const TriggerCalls& calls, std::size_t formerCount, std::size_t newCount) {
    std::size_t formersLeft = formerCount;
    std::size_t added = 0;
    HResult result = kOk;
    while (formersLeft > 0 && (result = calls.remove(formersLeft - 1)) >= 0)
        --formersLeft;
    while (result >= 0 && added < newCount && (result = calls.addNew(added)) >= 0)
        ++added;
    if (result >= 0)
        return result;
    // Back to the former triggers: the new ones go, the former ones that went come back in order.
    while (added > 0 && calls.remove(formersLeft + added - 1) >= 0)
        --added;
    for (std::size_t which = formersLeft; added == 0 && which < formerCount; ++which)
        calls.addFormer(which);
    return result;
}

void CheckSchedulerService(ServiceCalls& services, const std::function<bool()>& askToStart,
                           const std::function<void()>& reportStartFailure) {
    const std::optional<ServiceState> state = services.QuerySchedulerService();
    if (state != ServiceState::kStopped)
        return;
    if (askToStart() && !services.StartSchedulerService())
        reportStartFailure();
}

}  // namespace velmora
