// The executor's platform on Windows.
#pragma once

#include <string>

#include "executor/ExecutorPlatform.h"

namespace velmora {

class SystemExecutorPlatform : public ExecutorPlatform {
public:
    // `program` is started for a session part and by the temporary service; empty for this program
    // itself.
    explicit SystemExecutorPlatform(std::u16string program = {}) : program_(std::move(program)) {}

    std::u16string TimeText() override;
    std::u16string MessageText(std::uint32_t code) override;
    std::uint32_t LastError() override;
    void ClearLastError() override;
    void Sleep(unsigned milliseconds) override;
    std::u16string TaskFolder() override;
    std::unique_ptr<ActionEngine> CreateActions() override;
    CountdownOutcome RunCountdown(CountdownLogic& logic) override;
    AccountRead WorkItemAccount(const std::u16string& argument) override;
    std::u16string ProcessAccountSid() override;
    HandOverOutcome RunThroughService(const std::u16string& argument) override;
    SessionFacts Sessions() override;
    SessionOutcome RunInSession(std::uint32_t session, const std::u16string& record) override;
    void PrintUsage() override;

private:
    std::u16string program_;
};

// The session-part process: reads the task's record from its standard input, runs the dialog and the
// action, and writes every log line to its standard output as it is logged.
int RunSessionPartMode();

}  // namespace velmora
