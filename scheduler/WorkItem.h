// What the system knows of a Task Scheduler work item, and the settings it gives one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/ResultCodes.h"
#include "model/SecretText.h"
#include "model/TaskParams.h"

namespace velmora {

constexpr std::uint32_t kFlagInteractive = 0x1;
constexpr std::uint32_t kFlagDisabled = 0x4;
constexpr std::uint32_t kFlagHidden = 0x200;
constexpr std::uint32_t kFlagSystemRequired = 0x1000;
constexpr std::uint32_t kFlagRunOnlyIfLoggedOn = 0x2000;
constexpr std::uint32_t kMaxRunTimeMs = 3600000;
constexpr char16_t kExecutorApplication[] = u"quenex";

enum class TaskKind { kLocal, kRemote };

// A calendar time as the scheduler reports it; a year of 0 means "none".
struct ScheduleTime {
    int year = 0;
    int month = 0;
    int dayOfWeek = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    bool operator==(const ScheduleTime&) const = default;
};

// What the task wizard and the task properties decide about a work item.
struct WorkItemSettings {
    TaskKind kind = TaskKind::kLocal;
    int action = 0;
    bool runOnlyIfLoggedOn = false;
    std::u16string userName;
    SecretText password;
    bool accountChanged = false;  // the user edited the account in the properties
};

struct WorkItemInfo {
    ScheduleTime lastRun;
    ScheduleTime nextRun;
    bool enabled = false;
    HResult status = 0;
    std::u16string application;
    std::u16string parameters;
    std::u16string comment;
    std::u16string creator;
    std::u16string account;     // "SYSTEM" for the system account and when none could be read
    HResult accountRead = kOk;  // tells the system account from an unreadable one
    std::u16string scheduleText;
    std::u16string resultText;
};

// The result text of a last run: "0x%x", where the countdown's exit 300 counts as 0. The
// executor's copy says "Ok" or "Error".
std::u16string ResultText(std::uint32_t exitCode, bool executorCopy);

// The executor as new work items name it: the system folder's copy by its full path. A bare name
// would make the scheduler search the path as the system account, where any user may have put a
// program of that name.
std::u16string ExecutorPath(std::u16string_view systemFolder);
// True for the executor as a work item names it: the system folder's copy, or the bare name that
// tasks made earlier carry (both without regard to case).
bool IsExecutorApplication(std::u16string_view application, std::u16string_view systemFolder);

// The scheduler's results that still let a task file be written: the work item was stored, but
// without valid credentials it will not start.
bool IsAccountError(HResult result);

// What storing a work item gave: the result of its save, or of the step that failed before it.
// The account codes mean "stored without valid credentials" only as the save's own answer; from
// setting the account they mean that nothing was stored.
struct WorkItemSave {
    HResult result = kFail;
    bool saved = false;  // the save was reached and `result` is its answer
};

// Whether the scheduler's answer to a work item's account question means the account could not be
// read. An item without account information has no account of its own and counts as the system's.
bool AccountUnreadable(HResult read);

}  // namespace velmora
