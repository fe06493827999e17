// The system folder, and what a program takes from it by full path only.
#pragma once

#include <windows.h>

#include <string>

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

// The library of that name in the system folder, never one found through the program's folder,
// the current folder or the path. Null when it is not there.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    const std::wstring folder = SystemFolder();
    if (folder.empty())
        return nullptr;
    return ::LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace velmora
