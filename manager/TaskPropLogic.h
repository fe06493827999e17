// What the task page shows and decides: the actions offered per task kind, which controls a
// chosen action shows, and the checks of the countdown.
#pragma once

#include <optional>
#include <string>
#include <vector>

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

// The countdown text checked: digits only, at most ten years. The seconds, or nothing when refused.
std::optional<long long> CheckDelay(std::u16string_view text);

// The task kind of a task name, from its prefix.
std::optional<TaskKind> TaskKindOfName(std::u16string_view name);

}  // namespace velmora
