// The system folder, and what a program takes from it by full path only.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win/Unique.h"

namespace velmora {

// The system folder ("C:\Windows\system32"); empty when it cannot be read.
inline std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// The system folder's copy of a program or file, by its full path: a program found through the
// search path could be anyone's, and this process may run with high rights.
inline std::wstring SystemFilePath(const wchar_t* name) {
    return SystemFolder() + L"\\" + name;
}

// The Windows folder's copy of a program ("C:\\Windows\\hh.exe"), by its full path; the system's own
// Windows folder, not a user's own one under Terminal Services.
inline std::wstring WindowsFilePath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return (length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring()) + L"\\" + name;
}

// Starts a program by its full path in a normal window and lets it run on its own. Neither a file
// association nor the search path decides what runs: the user's programs can change both, and a
// manager started with elevation would run what they name with its rights. False when it could not
// start.
inline bool StartProgramByPath(const std::wstring& program, const std::wstring& arguments) {
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    const ProcessHandles started(process);
    return true;
}

// The library of that name in the system folder, never one found through the program's folder,
// the current folder or the path, and the libraries it needs in turn from the system folder too.
// Null when it is not there.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    // Windows before 8 without its loader update refuses the flag (87). The full path then; the
    // libraries it needs are looked for in its own folder, the system folder, first.
    if (::GetLastError() != ERROR_INVALID_PARAMETER)
        return nullptr;
    const std::wstring folder = SystemFolder();
    if (folder.empty())
        return nullptr;
    return ::LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace velmora
