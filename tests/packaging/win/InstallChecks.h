// What the installer tests look at on the system: files, registry values, the Start menu, tasks,
// and programs started as the Task Scheduler starts them. For the setup program's tests and the
// Windows Installer package's alike, each in a throwaway prefix of its own.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "platform/win/Unique.h"
#include "scheduler/win/ScheduledTask.h"
#include "tests/support/win/TaskPairs.h"

namespace velmora::test {

constexpr wchar_t kUninstallRoot[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kVelmoraKey[] = L"Software\\Velmora";

inline std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::wstring(value, value + std::char_traits<char>::length(value)) : std::wstring();
}

inline bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

inline std::wstring ShellFolder(int csidl) {
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

inline std::optional<std::wstring> RegText(const std::wstring& key, const wchar_t* name) {
    wchar_t value[2048] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name,
                       RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND | RRF_SUBKEY_WOW6464KEY, nullptr, value,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

inline std::optional<DWORD> RegNumber(const std::wstring& key, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &value,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline bool KeyExists(const std::wstring& key) {
    UniqueRegKey handle;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, handle.put()) ==
           ERROR_SUCCESS;
}

// The subkeys of the list of installed programs whose "DisplayName" is `name`.
inline std::vector<std::wstring> UninstallEntries(const std::wstring& name) {
    std::vector<std::wstring> entries;
    UniqueRegKey root;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallRoot, 0, KEY_READ | KEY_WOW64_64KEY, root.put()) != ERROR_SUCCESS)
        return entries;
    wchar_t subkey[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumKeyExW(root.get(), i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring key = std::wstring(kUninstallRoot) + L"\\" + subkey;
        if (RegText(key, L"DisplayName") == name)
            entries.push_back(key);
    }
    return entries;
}

// Starts `commandLine` with no application name, so the system searches for the program as it does
// for the Task Scheduler, and waits for it; its exit code, or nothing when it could not start.
inline std::optional<DWORD> RunCommandLine(std::wstring commandLine, DWORD timeoutMs = 120000) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        const DWORD error = ::GetLastError();
        std::wcerr << L"could not start " << commandLine << L": error " << error << std::endl;
        return std::nullopt;
    }
    ::CloseHandle(process.hThread);
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    return code;
}

inline std::vector<std::u16string> LocalTasks() {
    ComInit com;
    std::vector<std::u16string> names;
    CScheduledTask().EnumTasks(kLocalPrefix, names);
    return names;
}

inline std::wstring TaskFile(const std::u16string& name) {
    const std::u16string path = TaskStoreFolder() + u"\\" + name + u".dat";
    return std::wstring(path.begin(), path.end());
}

inline std::u16string MakePopupTask() {
    ComInit com;
    CTaskParams record;
    record.action = kActionPopup;
    record.comment = u"kept over an upgrade";
    record.delay = u"30";
    record.local = 1;
    return MakeTaskPair(TaskKind::kLocal, record);
}

// Asserts, in a test's set-up, that no executor lies in the test program's folder or the current
// one, which the system searches before its own folder for a bare command line.
inline void ExpectNoExecutorSearchedFirst() {
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder = program;
    folder.erase(folder.find_last_of(L'\\'));
    EXPECT_FALSE(Exists(folder + L"\\quenex.exe"));
    EXPECT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
    EXPECT_FALSE(Exists(L"C:\\quenex.exe"));
}

// An executor counting down for ten minutes from the given folder, which holds its program file
// until Stop; `started` says whether it runs and waits for input.
class HeldExecutor {
public:
    explicit HeldExecutor(const std::wstring& folder) {
        if (!::WritePrivateProfileStringW(L"settings", L"action", L"9", kIni) ||
            !::WritePrivateProfileStringW(L"settings", L"delay", L"600", kIni) ||
            !::WritePrivateProfileStringW(L"settings", L"message", L"upgrade", kIni))
            return;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION running{};
        std::wstring line = L"\"" + folder + L"\\quenex.exe\" " + kIni;
        if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &running))
            return;
        ::CloseHandle(running.hThread);
        process_ = running.hProcess;
        started = ::WaitForInputIdle(process_, 10000) == 0;
    }
    ~HeldExecutor() { Stop(); }
    HeldExecutor(const HeldExecutor&) = delete;
    HeldExecutor& operator=(const HeldExecutor&) = delete;
    void Stop() {
        if (!process_)
            return;
        ::TerminateProcess(process_, 0);
        ::WaitForSingleObject(process_, 10000);
        ::CloseHandle(process_);
        process_ = nullptr;
        ::DeleteFileW(kIni);
    }
    bool started = false;

private:
    static constexpr const wchar_t* kIni = L"C:\\upgrade-popup.ini";
    HANDLE process_ = nullptr;
};

}  // namespace velmora::test
