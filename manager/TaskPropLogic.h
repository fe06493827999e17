// What the task page shows and decides: the actions offered per task kind, which controls a
// chosen action shows, and the checks of the countdown.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/TaskStore.h"
#include "scheduler/WorkItem.h"

namespace velmora {

// The task page's controls. Their numbers are the dialog template's.
enum TaskPageControl : int {
    kCtlAction = 1013,
    kCtlComment = 1058,
    kCtlNoShow = 1018,
    kCtlForce = 1017,
    kCtlRunOnlyIfLoggedOn = 1053,
    kCtlMessage = 1015,
    kCtlDelay = 1021,
    kCtlDelaySpin = 1022,
    kCtlAllowCancel = 1019,
    kCtlLogFile = 1027,
    kCtlActionLabel = 1068,
    kCtlCommentLabel = 1069,
    kCtlDialogGroup = 1037,
    kCtlMessageLabel = 1024,
    kCtlDelayLabel = 1025,
    kCtlSecondsLabel = 1026,
};

constexpr int kCommentLimit = 200;
constexpr int kMessageLimit = 1000;
constexpr int kDelayTextLimit = 11;
constexpr long long kDelayMaximum = 315360000;  // ten years of seconds
constexpr int kDefaultDelaySeconds = 20;

struct ActionChoice {
    int action;
    int stringId;
};
// The actions offered in the page's list, in order.
std::vector<ActionChoice> ActionChoices(TaskKind kind);

struct TaskPageState {
    int action = 0;
    TaskKind kind = TaskKind::kLocal;
    bool wizard = false;
    bool noShow = false;
    bool force = false;
};

struct TaskPageView {
    // The controls that may be hidden, with whether they are shown.
    std::vector<std::pair<int, bool>> visibility;
    bool noShow = false;  // the options after the rules, which may clear them
    bool force = false;
    bool Visible(int control) const;
};

// The page's rules for a shown page, after each change of action and each click of "No show
// dialog".
TaskPageView ApplyTaskPageRules(const TaskPageState& state);

// The field the page refuses when it is applied or left, 0 when it takes them all. Only a field the
// rules show can be refused: the text of a hidden one is stored as the task file stores any text.
int RefusedTaskField(const TaskPageView& view, std::u16string_view comment, std::u16string_view message,
                     std::u16string_view delay);

// Whether a change of action ticks "Run only if logon": for a remote task that has no account to run
// under. A task whose properties opened with the box clear runs under its stored account, which a
// change of action keeps.
struct ActionChangeAccount {
    TaskKind kind = TaskKind::kLocal;
    int action = 0;
    bool accountStored = false;  // the properties of a task that runs under its stored account
    bool hasUserName = false;
    bool hasPassword = false;
};
bool TicksRunOnlyIfLoggedOn(const ActionChangeAccount& account);

// The wizard's buttons, as its PSWIZB_ bits.
enum WizardButton : unsigned { kWizardBack = 1, kWizardNext = 2, kWizardFinish = 4 };
// The moments at which a page of ours sets the wizard's buttons.
enum class WizardMoment { kTaskShown, kTaskLeft, kComputersShown, kFinishShown, kFinishLeftBack };
// The system's Schedule page never sets the buttons: while it is shown they stay as the page before
// left them. So a page of ours that is left towards it sets the buttons that page needs.
unsigned WizardButtonsAt(WizardMoment moment);

// What the wizard tells after Finish: a string id, 0 for nothing, and the texts for its "%s" in
// order (paths and the system's text of the error, which the caller gives through `systemText`).
struct EditorMessage {
    int stringId = 0;
    std::vector<std::u16string> fillIns;
};
EditorMessage NewTaskMessage(const NewTaskPair& pair, const std::u16string& taskFilePath,
                             const std::u16string& workItemPath,
                             const std::function<std::u16string(HResult)>& systemText);

// The countdown text checked: digits only, at most ten years. The seconds, or nothing when refused.
std::optional<long long> CheckDelay(std::u16string_view text);

// The task kind of a task name, from its prefix.
std::optional<TaskKind> TaskKindOfName(std::u16string_view name);

}  // namespace velmora
