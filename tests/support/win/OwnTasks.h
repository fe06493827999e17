// The tasks a test or a benchmark made are the only ones it removes: it notes the Task Scheduler's
// Velmora tasks when it starts and, when it ends, removes those that were not there then. The
// tasks a user had before stay, whatever the program did meanwhile.
//
// The test command runs the tests in a prefix of their own and says so in
// VELMORA_TESTS_OWN_THE_SCHEDULER; there a task found at the start was left by a test that was
// stopped before its end (a timeout), and it goes before the next test starts.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
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
        if (SchedulerIsTheTests())
            RemoveLeftovers(scheduler);
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
    static bool SchedulerIsTheTests() {
        wchar_t value[8] = {};
        return ::GetEnvironmentVariableW(L"VELMORA_TESTS_OWN_THE_SCHEDULER", value, 8) == 1 && value[0] == L'1';
    }
    static void RemoveLeftovers(CScheduledTask& scheduler) {
        for (const std::u16string& name : VelmoraWorkItems(scheduler)) {
            std::fprintf(stderr, "removing %ls, left by a test that did not end\n",
                         reinterpret_cast<const wchar_t*>(name.c_str()));
            scheduler.DeleteTask(name);
            CTaskParams::Remove(TaskStoreFolder(), TaskNameOf(name));
        }
    }

    std::vector<std::u16string> before_;
};

}  // namespace velmora::test
