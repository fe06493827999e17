// Puts a few example tasks into the Task Scheduler, made as the wizard makes them, so the manager
// has something to show: "velmora-examples" adds them when no local task exists yet;
// "velmora-examples N" adds N popup tasks whatever exists (for measuring long lists).
#include <windows.h>
#include <mstask.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "scheduler/win/ScheduledTask.h"

namespace {

using namespace velmora;

TASK_TRIGGER Trigger(TASK_TRIGGER_TYPE type, WORD hour, WORD minute) {
    TASK_TRIGGER trigger{};
    trigger.cbTriggerSize = sizeof trigger;
    trigger.wBeginYear = 2026;
    trigger.wBeginMonth = 12;
    trigger.wBeginDay = 1;
    trigger.wStartHour = hour;
    trigger.wStartMinute = minute;
    trigger.TriggerType = type;
    if (type == TASK_TIME_TRIGGER_DAILY)
        trigger.Type.Daily.DaysInterval = 1;
    if (type == TASK_TIME_TRIGGER_WEEKLY) {
        trigger.Type.Weekly.WeeksInterval = 1;
        trigger.Type.Weekly.rgfDaysOfTheWeek =
            TASK_MONDAY | TASK_TUESDAY | TASK_WEDNESDAY | TASK_THURSDAY | TASK_FRIDAY;
    }
    return trigger;
}

bool Make(TaskKind kind, int action, const std::u16string& comment, const std::u16string& message,
          const TASK_TRIGGER& trigger, bool enabled) {
    WorkItemEditor editor;
    if (FAILED(editor.BeginNew(kind)) || FAILED(editor.SetTriggers({trigger})))
        return false;
    WorkItemSettings settings;
    settings.kind = kind;
    settings.action = action;
    const WorkItemSave saved = editor.FinishNew(settings);
    if (!saved.saved || (FAILED(saved.result) && !IsAccountError(saved.result)))
        return false;
    CTaskParams record;
    record.action = action;
    record.comment = comment;
    record.message = message;
    record.delay = u"30";
    record.local = kind == TaskKind::kLocal ? 1 : 0;
    if (!record.Save(TaskStoreFolder(), editor.name()))
        return false;
    if (!enabled)
        CScheduledTask().SetEnabled(editor.name() + u".job", false);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const ComInit com;
    if (argc > 1) {
        const int count = _wtoi(argv[1]);
        for (int i = 0; i < count; ++i) {
            if (!Make(TaskKind::kLocal, kActionPopup, u"Example " + std::u16string(1, u'A' + i % 26), u"Hello",
                      Trigger(TASK_TIME_TRIGGER_DAILY, static_cast<WORD>(i % 24), static_cast<WORD>(i % 60)), true))
                return 1;
        }
        return 0;
    }
    std::vector<std::u16string> names;
    CScheduledTask().EnumTasks(kLocalPrefix, names);
    if (!names.empty()) {
        std::printf("%zu local tasks exist already\n", names.size());
        return 0;
    }
    const bool made =
        Make(TaskKind::kLocal, kActionShutdown, u"Lab night shutdown", u"This computer shuts down in 30 seconds.",
             Trigger(TASK_TIME_TRIGGER_WEEKLY, 22, 0), true) &&
        Make(TaskKind::kLocal, kActionPopup, u"Time to go home", u"Time to go home!",
             Trigger(TASK_TIME_TRIGGER_DAILY, 17, 30), true) &&
        Make(TaskKind::kLocal, kActionLock, u"Lunch break", u"", Trigger(TASK_TIME_TRIGGER_DAILY, 12, 0), false) &&
        Make(TaskKind::kLocal, kActionRestart, u"Weekly restart", u"", Trigger(TASK_TIME_TRIGGER_ONCE, 6, 15), true);
    std::printf(made ? "example tasks made\n" : "the example tasks could not be made\n");
    return made ? 0 : 1;
}
