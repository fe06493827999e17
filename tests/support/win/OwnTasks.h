// The tasks a test or a benchmark made are the only ones it removes: it notes the Task Scheduler's
// Velmora tasks when it starts and, when it ends, removes those that were not there then. The
// tasks a user had before stay, whatever the program did meanwhile.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "model/TaskParams.h"
#include "model/win/TaskFolder.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora::test {

inline std::vector<std::u16string> VelmoraWorkItems(CScheduledTask& scheduler) {
    std::vector<std::u16string> names;
    scheduler.EnumTasks(kLocalPrefix, names);
    scheduler.EnumTasks(kRemotePrefix, names);
    return names;
}

class OwnTasks {
public:
    OwnTasks() {
        CScheduledTask scheduler;
        before_ = VelmoraWorkItems(scheduler);
    }
    OwnTasks(const OwnTasks&) = delete;
    OwnTasks& operator=(const OwnTasks&) = delete;
    ~OwnTasks() { RemoveMade(); }

    // The work items that were there when this program started, with their ".job" ending.
    const std::vector<std::u16string>& before() const { return before_; }

    // Removes every task made since the start: its work item and its task file.
    void RemoveMade() const {
        CScheduledTask scheduler;
        for (const std::u16string& name : VelmoraWorkItems(scheduler)) {
            if (std::find(before_.begin(), before_.end(), name) != before_.end())
                continue;
            scheduler.DeleteTask(name);
            CTaskParams::Remove(TaskStoreFolder(), TaskNameOf(name));
        }
    }

private:
    std::vector<std::u16string> before_;
};

}  // namespace velmora::test
