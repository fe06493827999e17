// Example tasks made as the wizard makes them: a work item through the editor, then its task file.
#include "examples/ExampleTasks.h"

#include <windows.h>
#include <mstask.h>

#include <vector>

#include "model/win/TaskFolder.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {
namespace {

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
          const TASK_TRIGGER& trigger, bool enabled, const std::vector<ComputerEntry>& computers = {}) {
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
    record.computers = computers;
    if (!record.Save(TaskStoreFolder(), editor.name()))
        return false;
    if (!enabled)
        CScheduledTask().SetEnabled(editor.name() + u".job", false);
    return true;
}

// Three lab computers in the documentation network 192.0.2.0/24, which reaches nobody: a run of
// the examples wakes or shuts down no real computer.
std::vector<ComputerEntry> LabComputers() {
    std::vector<ComputerEntry> computers;
    for (const char16_t* number : {u"1", u"2", u"3"}) {
        ComputerEntry computer;
        computer[kTextName] = u"LAB-PC-0" + std::u16string(number);
        computer[kTextMac] = u"00155D0A0B0" + std::u16string(number);
        computer[kTextBroadcast] = u"192.0.2.255";
        computer[kTextPort] = u"9";
        computers.push_back(computer);
    }
    return computers;
}

bool MakeLocalExamples() {
    return Make(TaskKind::kLocal, kActionShutdown, u"Lab night shutdown", u"This computer shuts down in 30 seconds.",
                Trigger(TASK_TIME_TRIGGER_WEEKLY, 22, 0), true) &&
           Make(TaskKind::kLocal, kActionPopup, u"Time to go home", u"Time to go home!",
                Trigger(TASK_TIME_TRIGGER_DAILY, 17, 30), true) &&
           Make(TaskKind::kLocal, kActionLock, u"Lunch break", u"", Trigger(TASK_TIME_TRIGGER_DAILY, 12, 0), false) &&
           Make(TaskKind::kLocal, kActionRestart, u"Weekly restart", u"", Trigger(TASK_TIME_TRIGGER_ONCE, 6, 15), true);
}

bool MakeRemoteExamples() {
    return Make(TaskKind::kRemote, kActionWakeOnLan, u"Wake the lab before classes", u"",
                Trigger(TASK_TIME_TRIGGER_WEEKLY, 7, 30), true, LabComputers()) &&
           Make(TaskKind::kRemote, kActionShutdown, u"Lab evening shutdown", u"The lab shuts down in 30 seconds.",
                Trigger(TASK_TIME_TRIGGER_WEEKLY, 22, 30), true, LabComputers());
}

}  // namespace

bool MakeExampleTasks(std::string& report) {
    bool made = true;
    const struct {
        const char16_t* prefix;
        const char* kind;
        bool (*make)();
    } lists[] = {{kLocalPrefix, "local", MakeLocalExamples}, {kRemotePrefix, "remote", MakeRemoteExamples}};
    for (const auto& list : lists) {
        std::vector<std::u16string> names;
        CScheduledTask().EnumTasks(list.prefix, names);
        if (!names.empty()) {
            report += std::to_string(names.size()) + " " + list.kind + " tasks exist already\n";
        } else if (list.make()) {
            report += std::string(list.kind) + " example tasks made\n";
        } else {
            report += std::string("the ") + list.kind + " example tasks could not be made\n";
            made = false;
        }
    }
    return made;
}

bool MakePopupTasks(int count) {
    for (int i = 0; i < count; ++i) {
        if (!Make(TaskKind::kLocal, kActionPopup, u"Example " + std::u16string(1, u'A' + i % 26), u"Hello",
                  Trigger(TASK_TIME_TRIGGER_DAILY, static_cast<WORD>(i % 24), static_cast<WORD>(i % 60)), true))
            return false;
    }
    return true;
}

}  // namespace velmora
