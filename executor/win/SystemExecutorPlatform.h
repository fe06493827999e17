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
    std::uint32_t TickMs() override;
    std::u16string TaskFolder() override;
    std::unique_ptr<ActionEngine> CreateActions() override;
    CountdownOutcome RunCountdown(CountdownLogic& logic) override;
    AccountRead WorkItemAccount(const std::u16string& argument) override;
    std::u16string ProcessAccountSid() override;
    HandOverOutcome RunThroughService(const std::u16string& argument) override;
    SessionFacts Sessions() override;
    SessionStart StartSessionPart(std::uint32_t session, const std::u16string& record) override;
    std::uint32_t LogOffSession(std::uint32_t session) override;
    void PrintUsage() override;
    void PrintText(const std::u16string& text) override;
    bool RunsPrivileged() override;
    std::unique_ptr<PathExaminer> ExaminePaths() override;

private:
    std::u16string program_;
};

// The session-part process: reads the task's record from its standard input, shows the countdown,
// writes the user's answer to its standard output and acts on the task's word.
int RunSessionPartMode();

}  // namespace velmora
