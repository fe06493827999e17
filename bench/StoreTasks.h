// Fills the Task Scheduler's store with N local tasks for the benchmarks that list them.
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

}  // namespace velmora::bench
