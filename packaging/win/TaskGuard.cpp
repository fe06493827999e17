// velmora-tasks.exe, the uninstallers' helper for the tasks:
//   velmora-tasks remove [package version]
// runs the system folder's "quenex -r" and then looks for an executor's work item that is still
// there. The exit code is the verdict (packaging/TaskRemoval.h); the first task left is written to
// standard output, for the setup program's uninstaller to name. The Windows Installer package
// passes its version: when another version has registered itself over it, the tasks stay with that
// one. A program of the graphical subsystem, so no console window shows while it runs.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "packaging/TaskRemoval.h"
#include "platform/win/SystemFolder.h"
#include "platform/win/WideText.h"
#include "model/TaskParams.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {
namespace {

constexpr wchar_t kVelmoraKey[] = L"Software\\Velmora";
constexpr DWORD kRemovalTimeoutMs = 5 * 60 * 1000;

std::optional<std::u16string> RegisteredVersion() {
    wchar_t value[256] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kVelmoraKey, L"Version", RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr,
                       value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return FromWide(value);
}

// Only the system folder's copy, by its full path: the uninstallers run with administrators'
// rights, and no other copy is known to be the administrators' own. False when it is not there.
bool RunRemoval() {
    const std::wstring executor = SystemFilePath(L"quenex.exe");
    if (::GetFileAttributesW(executor.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    std::wstring command = L"\"" + executor + L"\" -r";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(executor.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return true;  // there, but it would not start: the tasks it should have removed are counted below
    ::WaitForSingleObject(process.hProcess, kRemovalTimeoutMs);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

void WriteOut(const std::u16string& text) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE)
        return;
    const std::string narrow(text.begin(), text.end());  // task names are ASCII
    DWORD written = 0;
    ::WriteFile(out, narrow.data(), static_cast<DWORD>(narrow.size()), &written, nullptr);
}

int Remove(const std::u16string& packageVersion) {
    if (!TasksGoWithThisPackage(packageVersion, RegisteredVersion()))
        return kTasksGone;
    const bool executorFound = RunRemoval();
    std::vector<std::u16string> left;
    {
        CScheduledTask scheduler;
        scheduler.KeepSchedulerOpen();
        left = ExecutorTasks(scheduler);
    }
    if (!left.empty())
        WriteOut(TaskNameOf(left.front()));
    return TaskRemovalExitCode(executorFound, left);
}

}  // namespace
}  // namespace velmora

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments)
        return velmora::kTaskRemovalUsage;
    int code = velmora::kTaskRemovalUsage;
    if ((count == 2 || count == 3) && std::wstring(arguments[1]) == L"remove")
        code = velmora::Remove(count == 3 ? velmora::FromWide(arguments[2]) : std::u16string());
    ::LocalFree(arguments);
    return code;
}
