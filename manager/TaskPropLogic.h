// What the task page shows and decides: the actions offered per task kind, which controls a
// chosen action shows, the checks of the countdown, what an action change does to the account,
// when hibernation must be turned on, and what the wizard and the properties store.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "manager/EditorState.h"
#include "manager/ids/TaskPageIds.h"
#include "scheduler/TaskStore.h"
#include "scheduler/WorkItem.h"

namespace velmora {

// The task page's controls, under the template's numbers (manager/ids/TaskPageIds.h).
enum TaskPageControl : int {
    kCtlAction = IDC_TASK_ACTION,
    kCtlComment = IDC_TASK_COMMENT,
    kCtlNoShow = IDC_TASK_NO_SHOW,
    kCtlForce = IDC_TASK_FORCE,
    kCtlRunOnlyIfLoggedOn = IDC_TASK_RUN_ONLY_IF_LOGGED_ON,
    kCtlMessage = IDC_TASK_MESSAGE,
    kCtlDelay = IDC_TASK_DELAY,
    kCtlDelaySpin = IDC_TASK_DELAY_SPIN,
    kCtlAllowCancel = IDC_TASK_ALLOW_CANCEL,
    kCtlLogFile = IDC_TASK_LOG_FILE,
    kCtlActionLabel = IDC_TASK_ACTION_LABEL,
    kCtlCommentLabel = IDC_TASK_COMMENT_LABEL,
    kCtlDialogGroup = IDC_TASK_DIALOG_GROUP,
    kCtlMessageLabel = IDC_TASK_MESSAGE_LABEL,
    kCtlDelayLabel = IDC_TASK_DELAY_LABEL,
    kCtlSecondsLabel = IDC_TASK_SECONDS_LABEL,
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
// The action a stored or listed value stands for: one the page does not know is shown as "Wake up".
int KnownAction(long long action);
// The countdown the page shows: the stored one, or the default for a task that has none.
std::u16string DelayShown(const std::u16string& stored);

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
// Whether clearing "Run only if logon" asks for the account a remote task runs under (a wake-up
// task runs under the system account).
bool AsksForAccount(TaskKind kind, int action, bool runOnlyIfLoggedOn);
// Whether the task's work item keeps an account of its own: the system account (every Wake-on-LAN
// task's) is none, and a remote shutdown must not keep it silently when the action changes.
bool HasOwnAccount(const WorkItemSettings& settings, std::u16string_view account);

// The system's answers the hibernation rule depends on.
struct HibernationAnswers {
    std::function<bool()> isAdministrator;
    std::function<bool()> hibernationAllowed;
    std::function<void()> enableHibernation;  // waits until it is done
};
// Whether Next may leave the task page: a local hibernation task needs hibernation on, which an
// administrator's wizard turns on first. False: the page stays and says hibernation is off.
bool HibernationLetsPageGo(int action, TaskKind kind, const HibernationAnswers& answers);

// Whether a task read from an INI file fits the list it is imported into: computers only in a
// remote task, and a remote task needs them.
bool ImportFitsKind(const CTaskParams& record, TaskKind kind);
// The record as Finish and OK store it (the action and kind chosen, no computer's range or state
// text: those belong to one showing of the page) and the work item's settings that go with it.
WorkItemSettings PrepareToStore(EditorState& state);

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
