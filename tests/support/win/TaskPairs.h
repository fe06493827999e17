// Task pairs made the way the wizard makes them: a work item through the editor, then its task
// file.
#pragma once

#include <windows.h>
#include <mstask.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/win/TaskFolder.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora::test {

inline TASK_TRIGGER DailyTrigger(WORD hour, WORD minute) {
    TASK_TRIGGER trigger{};
    trigger.cbTriggerSize = sizeof trigger;
    trigger.wBeginYear = 2026;
    trigger.wBeginMonth = 12;
    trigger.wBeginDay = 1;
    trigger.wStartHour = hour;
    trigger.wStartMinute = minute;
    trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
    trigger.Type.Daily.DaysInterval = 1;
    return trigger;
}

// Makes a task of `record`; its bare name, empty when the work item could not be stored.
inline std::u16string MakeTaskPair(TaskKind kind, const CTaskParams& record,
                                   const std::vector<TASK_TRIGGER>& triggers = {DailyTrigger(22, 0)}) {
    WorkItemEditor editor;
    if (FAILED(editor.BeginNew(kind)) || FAILED(editor.SetTriggers(triggers)))
        return {};
    WorkItemSettings settings;
    settings.kind = kind;
    settings.action = record.action;
    const WorkItemSave saved = editor.FinishNew(settings);
    if (!saved.saved || (FAILED(saved.result) && !IsAccountError(saved.result)))
        return {};
    record.Save(TaskStoreFolder(), editor.name());
    return editor.name();
}

}  // namespace velmora::test
