// What the executor needs from the system, so its run logic can be tested with fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "actions/Actions.h"
#include "executor/Countdown.h"
#include "executor/DialogPlace.h"
#include "executor/LogPath.h"
#include "executor/SessionCountdown.h"
#include "executor/TemporaryService.h"

namespace velmora {

struct CountdownOutcome {
    int result = kDialogCancel;
    bool endedByTimer = false;  // the countdown ran out and closed the window itself
    std::uint32_t error = 0;    // the window could not be shown: the system's error
};

// A work item's account as the scheduler gives it: "SYSTEM" for the system account. `error` is not 0
// when the account could not be read; the name is then empty.
struct AccountRead {
    std::u16string name;
    std::uint32_t error = 0;
};

// The countdown's process started in another session, or the system's error that kept it from starting.
struct SessionStart {
    std::unique_ptr<SessionChannel> channel;
    std::uint32_t error = 0;
};

class ExecutorPlatform {
public:
    virtual ~ExecutorPlatform() = default;

    // The current local time as the C library's "%c" gives it in its default locale.
    virtual std::u16string TimeText() = 0;
    // The system's message text for a code, on one line; empty when there is none.
    virtual std::u16string MessageText(std::uint32_t code) = 0;
    virtual std::uint32_t LastError() = 0;
    virtual void ClearLastError() = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
    // A millisecond count that may wrap; only differences are used.
    virtual std::uint32_t TickMs() = 0;
    virtual std::u16string TaskFolder() = 0;

    // One engine per caller and thread.
    virtual std::unique_ptr<ActionEngine> CreateActions() = 0;
    // Shows the countdown dialog modally on the calling thread.
    virtual CountdownOutcome RunCountdown(CountdownLogic& logic) = 0;
    virtual AccountRead WorkItemAccount(const std::u16string& argument) = 0;
    // The account this process runs as, from its token ("S-1-5-18" for the system account); empty
    // when it cannot be read.
    virtual std::u16string ProcessAccountSid() = 0;
    // Hands a task to the temporary service, which runs it on the user's desktop, and waits until
    // the service's run has ended.
    virtual HandOverOutcome RunThroughService(const std::u16string& argument) = 0;
    virtual SessionFacts Sessions() = 0;
    // Starts the countdown's part of a task (its encoded record, as a task file holds it) in a
    // session, as the session's user on its interactive desktop.
    virtual SessionStart StartSessionPart(std::uint32_t session, const std::u16string& record) = 0;
    // Logs a session's user off, from the system account; 0 or the system's error.
    virtual std::uint32_t LogOffSession(std::uint32_t session) = 0;
    virtual void PrintUsage() = 0;
    // Writes text to the console the executor was started from, when there is one.
    virtual void PrintText(const std::u16string& text) = 0;
    // Whether this process runs with high rights: as the system account, or as an administrator
    // (elevated, where the system separates the two).
    virtual bool RunsPrivileged() = 0;
    virtual std::unique_ptr<PathExaminer> ExaminePaths() = 0;
};

}  // namespace velmora
