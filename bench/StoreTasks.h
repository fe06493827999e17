// Fills the Task Scheduler's store with N local tasks for the benchmarks that list them. A benchmark
// removes only the tasks it made: a user's own tasks stay (and are listed beside the benchmark's).
#pragma once

#include <cstdio>

#include "model/win/TaskFolder.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"
#include "tests/support/win/OwnTasks.h"

namespace velmora::bench {

// The benchmark program's own tasks, removed when it ends. It says so when it starts.
inline test::OwnTasks& BenchmarkTasks() {
    static test::OwnTasks own;
    static const bool said = [] {
        std::printf("This benchmark removes only the tasks it makes; the %zu Velmora tasks stored before it "
                    "started stay.\n",
                    own.before().size());
        return true;
    }();
    (void)said;
    return own;
}

// How many local tasks a list shows once the benchmark made `count`: the user's stay beside them.
inline int LocalTasksListedWith(int count) {
    int listed = count;
    for (const std::u16string& name : BenchmarkTasks().before())
        listed += name.starts_with(kLocalPrefix) ? 1 : 0;
    return listed;
}

// Makes the benchmark's own tasks exactly `count` local tasks of one action.
inline void FillStoreWithTasks(int count, int action) {
    BenchmarkTasks().RemoveMade();
    CScheduledTask scheduler;
    scheduler.KeepSchedulerOpen();
    CTaskParams record;
    record.action = action;
    record.comment = u"benchmark";
    for (int i = 0; i < count; ++i) {
        WorkItemEditor editor;
        if (FAILED(editor.BeginNew(TaskKind::kLocal)))
            return;
        editor.FinishNew(WorkItemSettings{});
        record.SaveNew(TaskStoreFolder(), editor.name());
    }
}

// A benchmark program's static one notes the tasks stored before it and removes the others when
// the program ends.
struct OwnTasksRemovedAtExit {
    OwnTasksRemovedAtExit() { BenchmarkTasks(); }
    ~OwnTasksRemovedAtExit() { BenchmarkTasks().RemoveMade(); }
};

}  // namespace velmora::bench
