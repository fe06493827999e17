// Fills the Task Scheduler's store with N local tasks for the benchmarks that list them, and empties
// it again when they end.
#pragma once

#include "model/win/TaskFolder.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora::bench {

// Makes the store hold exactly `count` local tasks of one action.
inline void FillStoreWithTasks(int count, int action) {
    CScheduledTask scheduler;
    scheduler.KeepSchedulerOpen();
    RemoveAllTasks(scheduler, TaskStoreFolder());
    CTaskParams record;
    record.action = action;
    record.comment = u"benchmark";
    for (int i = 0; i < count; ++i) {
        WorkItemEditor editor;
        if (FAILED(editor.BeginNew(TaskKind::kLocal)))
            return;
        editor.FinishNew(WorkItemSettings{});
        record.Save(TaskStoreFolder(), editor.name());
    }
}

// A benchmark program's static one leaves the store empty when the program ends.
struct StoreEmptiedAtExit {
    ~StoreEmptiedAtExit() {
        CScheduledTask scheduler;
        RemoveAllTasks(scheduler, TaskStoreFolder());
    }
};

}  // namespace velmora::bench
