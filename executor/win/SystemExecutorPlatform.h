// The executor's platform on Windows.
#pragma once

#include "executor/ExecutorPlatform.h"

namespace velmora {

class SystemExecutorPlatform : public ExecutorPlatform {
public:
    std::u16string TimeText() override;
    std::u16string MessageText(std::uint32_t code) override;
    std::uint32_t LastError() override;
    void ClearLastError() override;
    void Sleep(unsigned milliseconds) override;
    std::u16string TaskFolder() override;
    std::unique_ptr<ActionEngine> CreateActions() override;
    CountdownOutcome RunCountdown(CountdownLogic& logic) override;
    std::optional<std::u16string> WorkItemAccount(const std::u16string& argument) override;
    std::uint32_t RunThroughService(const std::u16string& argument) override;
    void PrintUsage() override;
};

}  // namespace velmora
