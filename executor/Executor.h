// The executor's work once started: the mode, the run of one task and its log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "executor/CommandLine.h"
#include "executor/ExecutorPlatform.h"
#include "model/ResultCodes.h"
#include "model/TaskParams.h"

namespace velmora {

// Stored before every run log.
constexpr char16_t kRunSeparator[] = u"\r\n//------------------------------------------------------------//\r\n";
constexpr std::size_t kLogReserve = 73;

// Appends a run log to an older log, dropping the oldest text so the result stays within the
// history limit.
std::u16string AppendRunLog(std::u16string_view oldLog, std::u16string_view runLog);

// True for the system account's security identifier, "S-1-5-18".
bool IsSystemAccountSid(std::u16string_view sid);

// What came back after the word to act in the user's session: its report, or why there was none.
struct SessionActReport {
    bool reported = false;
    std::uint32_t code = 0;
};

class Executor {
public:
    explicit Executor(ExecutorPlatform& platform) : platform_(platform) {}

    // Task, INI or usage mode for the first argument; returns the process exit status. Service and
    // removal mode run elsewhere.
    int Start(const std::optional<std::u16string>& argument);

    // The service process's part: loads the task named by the argument and runs it.
    bool RunServiceTask(const std::u16string& argument);
    // The part that a process of the system account runs in the console user's session: shows the
    // countdown, sends the user's answer to `task`, the process that runs the task, and does a lock,
    // log off or monitor action on its word. Returns the exit status.
    int RunSessionPart(SessionChannel& task);

    // The run log and where it goes, open to the tests of its storing.
    void AddLogLine(const std::u16string& text);
    // Stores the run log; false when nothing was stored.
    bool StoreLog(const std::u16string& argument);
    // "code: the system's text" of a result line; a pending request counts as success.
    std::u16string FormatResult(std::uint32_t code);
    CTaskParams& task() { return task_; }
    const std::u16string& runLog() const { return runLog_; }
    void SetIniMode(bool iniMode) { iniMode_ = iniMode; }

private:
    bool RunTask(const std::u16string& argument);
    void RunComputers();
    std::uint32_t RemoteWorker(std::size_t index);
    // True for a local task that shows its dialog in a process of the system account.
    bool NeedsService(const std::u16string& argument);
    int RunTaskMode(const std::u16string& argument);
    int RunIniMode(const std::u16string& argument);
    // Chooses where the countdown of a task of the system account goes; true when it is handed
    // to the service, which then runs the whole task.
    bool HandedOver(const std::u16string& argument, const std::u16string& accountLine);
    // Runs the dialog and the local action; the code for the run's result line.
    std::uint32_t RunLocal(ActionEngine& actions);
    CountdownOutcome CountUnseen(CountdownLogic& logic);
    CountdownOutcome CountInSession(CountdownLogic& logic, SessionChannel& part);
    SessionActReport ActInSession(SessionChannel& part);
    bool PerformLocal(ActionEngine& actions);
    bool StoreInLogFile(bool privileged);
    bool StoreInTaskFile(const std::u16string& argument, bool privileged);

    ExecutorPlatform& platform_;
    CTaskParams task_;
    bool iniMode_ = false;
    std::u16string runLog_;
    DialogPlaceChoice dialogPlace_;
    bool countdownEndedByTimer_ = false;
};

}  // namespace velmora
