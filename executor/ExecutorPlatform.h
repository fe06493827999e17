// What the executor needs from the system, so its run logic can be tested with fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "actions/Actions.h"
#include "executor/Countdown.h"

namespace velmora {

struct CountdownOutcome {
    int result = kDialogCancel;
    bool endedByTimer = false;  // the countdown ran out and closed the window itself
    std::uint32_t error = 0;    // the window could not be shown: the system's error
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
    virtual std::u16string TaskFolder() = 0;

    // One engine per caller and thread.
    virtual std::unique_ptr<ActionEngine> CreateActions() = 0;
    // Shows the countdown dialog modally on the calling thread.
    virtual CountdownOutcome RunCountdown(CountdownLogic& logic) = 0;
    // The account of the work item named by the argument; nothing when it cannot be read.
    virtual std::optional<std::u16string> WorkItemAccount(const std::u16string& argument) = 0;
    // Hands a task to the temporary service, which runs it on the user's desktop; 0 when the
    // service took it, else the Windows error that kept it from doing so.
    virtual std::uint32_t RunThroughService(const std::u16string& argument) = 0;
    virtual void PrintUsage() = 0;
};

}  // namespace velmora
