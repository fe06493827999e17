// The task page's rules.
#include "manager/TaskPropLogic.h"

#include <algorithm>

#include "manager/ids/ActionTextIds.h"
#include "manager/ids/TaskEditorIds.h"
#include "model/TaskParams.h"

namespace velmora {

std::vector<ActionChoice> ActionChoices(TaskKind kind) {
    if (kind == TaskKind::kRemote)
        return {
            {kActionShutdown, IDS_ACT_SHUTDOWN}, {kActionRestart, IDS_ACT_REBOOT}, {kActionWakeOnLan, IDS_ACT_WAKEUP}};
    return {{kActionShutdown, IDS_ACT_SHUTDOWN},    {kActionRestart, IDS_ACT_REBOOT},
            {kActionHibernate, IDS_ACT_HIBERNATE},  {kActionStandby, IDS_ACT_STANDBY},
            {kActionLogOff, IDS_ACT_LOG_OFF},       {kActionLock, IDS_ACT_LOCK},
            {kActionWakeUp, IDS_ACT_WAKE_UP_LOCAL}, {kActionPopup, IDS_ACT_POPUP}};
}

int KnownAction(long long action) {
    return action < kActionShutdown || action > kActionWakeOnLan ? kActionWakeUp : static_cast<int>(action);
}

std::u16string DelayShown(const std::u16string& stored) {
    if (!stored.empty())
        return stored;
    const std::string digits = std::to_string(kDefaultDelaySeconds);
    return std::u16string(digits.begin(), digits.end());
}

bool TaskPageView::Visible(int control) const {
    const auto found =
        std::find_if(visibility.begin(), visibility.end(), [&](const auto& c) { return c.first == control; });
    return found == visibility.end() || found->second;
}

TaskPageView ApplyTaskPageRules(const TaskPageState& state) {
    TaskPageView view;
    view.noShow = state.noShow;
    view.force = state.force;
    std::vector<std::pair<int, bool>> shown = {
        {kCtlNoShow, true},       {kCtlForce, true},       {kCtlAllowCancel, true},      {kCtlMessage, true},
        {kCtlMessageLabel, true}, {kCtlDelay, true},       {kCtlDelaySpin, true},        {kCtlDelayLabel, true},
        {kCtlSecondsLabel, true}, {kCtlDialogGroup, true}, {kCtlLogFile, !state.wizard},
    };
    const auto set = [&](int control, bool visible) {
        for (auto& c : shown) {
            if (c.first == control)
                c.second = visible;
        }
    };
    // Unless the task is a popup, the dialog's own controls are shown exactly when a dialog is wanted.
    const auto noShowRule = [&] {
        if (state.action == kActionPopup)
            return;
        for (const int control : {kCtlDialogGroup, kCtlAllowCancel, kCtlMessage, kCtlMessageLabel, kCtlDelay,
                                  kCtlDelaySpin, kCtlDelayLabel, kCtlSecondsLabel})
            set(control, !view.noShow);
    };
    const int action = state.action;
    if (action == kActionMonitorOff || action == kActionMonitorOn || action == kActionWakeOnLan ||
        action == kActionWakeUp) {
        for (const int control : {kCtlNoShow, kCtlForce, kCtlAllowCancel, kCtlMessage, kCtlMessageLabel, kCtlDelay,
                                  kCtlDelaySpin, kCtlDelayLabel, kCtlSecondsLabel, kCtlDialogGroup})
            set(control, false);
        view.noShow = false;
        view.force = false;
    } else {
        noShowRule();
    }
    if (action == kActionPopup) {
        view.noShow = false;
        view.force = false;
        for (const int control :
             {kCtlNoShow, kCtlForce, kCtlAllowCancel, kCtlDelay, kCtlDelaySpin, kCtlDelayLabel, kCtlSecondsLabel})
            set(control, false);
    }
    if (action == kActionLock) {
        view.force = false;
        set(kCtlForce, false);
        noShowRule();
    }
    if (state.kind == TaskKind::kRemote)
        set(kCtlAllowCancel, false);
    view.visibility = std::move(shown);
    return view;
}

int RefusedTaskField(const TaskPageView& view, std::u16string_view comment, std::u16string_view message,
                     std::u16string_view delay) {
    if (!IsStorableText(comment))
        return kCtlComment;
    if (view.Visible(kCtlMessage) && !IsStorableText(message))
        return kCtlMessage;
    if (view.Visible(kCtlDelay) && !CheckDelay(delay))
        return kCtlDelay;
    return 0;
}

bool TicksRunOnlyIfLoggedOn(const ActionChangeAccount& account) {
    if (account.kind != TaskKind::kRemote || account.action == kActionWakeOnLan || account.accountStored)
        return false;
    return !account.hasUserName || !account.hasPassword;
}

bool AsksForAccount(TaskKind kind, int action, bool runOnlyIfLoggedOn) {
    return kind == TaskKind::kRemote && action != kActionWakeOnLan && !runOnlyIfLoggedOn;
}

bool HasOwnAccount(const WorkItemSettings& settings, std::u16string_view account) {
    return !settings.runOnlyIfLoggedOn && !account.empty() && account != u"SYSTEM";
}

bool HibernationLetsPageGo(int action, TaskKind kind, const HibernationAnswers& answers) {
    if (action != kActionHibernate || kind != TaskKind::kLocal)
        return true;
    if (answers.isAdministrator && answers.isAdministrator() && answers.enableHibernation)
        answers.enableHibernation();
    return !answers.hibernationAllowed || answers.hibernationAllowed();
}

bool ImportFitsKind(const CTaskParams& record, TaskKind kind) {
    return (kind == TaskKind::kRemote) == !record.computers.empty();
}

WorkItemSettings PrepareToStore(EditorState& state) {
    state.record.action = state.action;
    state.record.local = state.kind == TaskKind::kLocal ? 1 : 0;
    for (ComputerEntry& computer : state.record.computers) {
        computer[kTextRangeAddress].clear();
        computer[kTextState].clear();
    }
    return {state.kind, state.action, state.runOnlyIfLoggedOn, state.userName, state.password, state.accountChanged};
}

unsigned WizardButtonsAt(WizardMoment moment) {
    switch (moment) {
        case WizardMoment::kTaskShown:
            return kWizardNext;
        case WizardMoment::kTaskLeft:
        case WizardMoment::kComputersShown:
        case WizardMoment::kFinishLeftBack:
            return kWizardBack | kWizardNext;
        case WizardMoment::kFinishShown:
            return kWizardBack | kWizardFinish;
    }
    return kWizardBack | kWizardNext;
}

EditorMessage NewTaskMessage(const NewTaskPair& pair, const std::u16string& taskFilePath,
                             const std::u16string& workItemPath,
                             const std::function<std::u16string(HResult)>& systemText) {
    if (!pair.workItemStored)
        return {IDS_TASK_NOT_STORED, {systemText(pair.result)}};
    if (!pair.fileWritten) {
        if (pair.removal == kOk)
            return {IDS_TASK_FILE_UNWRITABLE, {taskFilePath}};
        return {IDS_WORK_ITEM_LEFT, {taskFilePath, workItemPath, systemText(pair.removal)}};
    }
    if (pair.accountWarning)
        return {IDS_ACCOUNT_WARNING, {}};
    return {};
}

std::optional<long long> CheckDelay(std::u16string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(kDelayTextLimit))
        return std::nullopt;
    long long seconds = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        seconds = seconds * 10 + (c - u'0');
        if (seconds > kDelayMaximum)
            return std::nullopt;
    }
    return seconds;
}

std::optional<TaskKind> TaskKindOfName(std::u16string_view name) {
    if (name.starts_with(kLocalPrefix))
        return TaskKind::kLocal;
    if (name.starts_with(kRemotePrefix))
        return TaskKind::kRemote;
    return std::nullopt;
}

}  // namespace velmora
