// The executor's work once started: the mode, the run of one task and its log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "executor/CommandLine.h"
#include "executor/ExecutorPlatform.h"
#include "model/TaskParams.h"

namespace velmora {

constexpr int kExitNormal = 0;
constexpr int kExitCountdownEnded = 300;  // the countdown closed its window itself on the main thread

// Stored before every run log.
constexpr char16_t kRunSeparator[] = u"\r\n//------------------------------------------------------------//\r\n";
constexpr std::size_t kLogReserve = 73;

// Appends a run log to an older log, dropping the oldest text so the result stays within the
// history limit.
std::u16string AppendRunLog(std::u16string_view oldLog, std::u16string_view runLog);

class Executor {
public:
    explicit Executor(ExecutorPlatform& platform) : platform_(platform) {}

    // Task, INI or usage mode for the first argument; returns the process exit status. Service and
    // removal mode run elsewhere.
    int Start(const std::optional<std::u16string>& argument);

    // The service process's part: loads the task named by the argument and runs it.
    bool RunServiceTask(const std::u16string& argument);
    bool RunTask(const std::u16string& argument);
    void RunComputers();
    std::uint32_t RemoteWorker(std::size_t index);
    bool NeedsService(const std::u16string& argument);
    void AddLogLine(const std::u16string& text);
    // Stores the run log; false when nothing was stored.
    bool StoreLog(const std::u16string& argument);
    std::u16string FormatResult(std::uint32_t code);

    CTaskParams& task() { return task_; }
    const std::u16string& runLog() const { return runLog_; }
    void SetIniMode(bool iniMode) { iniMode_ = iniMode; }
    bool countdownEndedByTimer() const { return countdownEndedByTimer_; }

private:
    int RunTaskMode(const std::u16string& argument);
    int RunIniMode(const std::u16string& argument);
    // Runs the dialog and the local action; the code for the run's result line.
    std::uint32_t RunLocal(ActionEngine& actions);
    bool PerformLocal(ActionEngine& actions);
    bool StoreInLogFile();
    bool StoreInTaskFile(const std::u16string& argument);

    ExecutorPlatform& platform_;
    CTaskParams task_;
    bool iniMode_ = false;
    std::u16string runLog_;
    std::u16string account_;  // the work item's account, as NeedsService read it
    bool countdownEndedByTimer_ = false;
};

}  // namespace velmora
