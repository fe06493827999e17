// The real clock, message table, dialog and console behind the executor.
#include "executor/win/SystemExecutorPlatform.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

#include "actions/win/SystemApis.h"
#include "executor/CommandLine.h"
#include "executor/win/KvDlg.h"
#include "executor/win/TemporaryService.h"
#include "model/Utf.h"
#include "model/win/TaskFolder.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {

// The C runtime's "%c" in its default locale: month/day/year with two digits and 24-hour time.
std::u16string SystemExecutorPlatform::TimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_s(&local, &now) != 0)
        return {};
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%c", &local);
    return std::u16string(text, text + length);
}

std::u16string SystemExecutorPlatform::MessageText(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | 0xFF, nullptr,
        code, 0x400, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || !buffer)
        return {};
    std::u16string text(reinterpret_cast<const char16_t*>(buffer), length);
    ::LocalFree(buffer);
    return text;
}

std::uint32_t SystemExecutorPlatform::LastError() {
    return ::GetLastError();
}

void SystemExecutorPlatform::ClearLastError() {
    ::SetLastError(0);
}

void SystemExecutorPlatform::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

std::u16string SystemExecutorPlatform::TaskFolder() {
    return TaskStoreFolder();
}

std::unique_ptr<ActionEngine> SystemExecutorPlatform::CreateActions() {
    return std::make_unique<CActions>(SystemPowerApi(),
                                      RemoteSeams{&SystemRemoteApi(), &SystemWmiApi(), &SystemDatagramApi()});
}

CountdownOutcome SystemExecutorPlatform::RunCountdown(CountdownLogic& logic) {
    CKvDlg dialog(logic);
    return dialog.Run();
}

std::optional<std::u16string> SystemExecutorPlatform::WorkItemAccount(const std::u16string& argument) {
    CScheduledTask scheduler(true);
    WorkItemInfo info;
    if (scheduler.LoadInfo(argument, info) < 0)
        return std::nullopt;
    return info.account;
}

std::uint32_t SystemExecutorPlatform::RunThroughService(const std::u16string& argument) {
    return HandToService(argument);
}

void SystemExecutorPlatform::PrintUsage() {
    for (const std::u16string& piece : UsagePieces()) {
        std::printf("%s", Utf16ToUtf8(piece).c_str());
        std::fflush(stdout);
    }
}

}  // namespace velmora
