// Shortcuts through the shell link object, the log viewer over the shell, the registry and
// processes, and the INI file dialogs.
#include "manager/win/Shell.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "manager/ids/ShellServiceIds.h"
#include "platform/win/Com.h"
#include "platform/win/SystemFolder.h"
#include "platform/win/SystemRandom.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

bool PathTaken(const std::u16string& path) {
    return ::GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::u16string> ShellFolderPath(int csidl) {
    // The shell allocator is COM's task allocator.
    UniqueCoTaskMem<LPITEMIDLIST> items;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, items.put())) || !items)
        return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const BOOL found = ::SHGetPathFromIDListW(items.get(), path);
    if (!found || path[0] == 0)
        return std::nullopt;
    return FromWide(path, ::wcslen(path));
}

// A key's default value; an expandable value comes back expanded. None when it is missing or empty.
std::optional<std::u16string> DefaultValue(HKEY root, const std::u16string& subKey) {
    UniqueRegKey key;
    if (::RegOpenKeyExW(root, W(subKey), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.back() = L'\0';  // a stored value need not end with a NUL
    std::wstring text(value.data());
    if (type == REG_EXPAND_SZ) {
        const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
        std::vector<wchar_t> expanded(needed + 1, L'\0');
        if (needed == 0 || ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed + 1) == 0)
            return std::nullopt;
        text = expanded.data();
    }
    if (text.empty())
        return std::nullopt;
    return FromWide(text);
}

// The dialogs belong to our own sheet, never to whatever window is in the foreground.
HWND TopLevel(HWND owner) {
    return owner ? ::GetAncestor(owner, GA_ROOT) : nullptr;
}

// "A|b||" in the double-NUL form of the file dialogs.
std::wstring DialogFilter(std::wstring filter) {
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    return filter;
}

const wchar_t kIniFilter[] = L"INI Files (*.ini)|*.ini|All Files (*.*)|*.*||";

std::optional<std::wstring> AskIniPath(HWND owner, bool save) {
    const std::wstring filter = DialogFilter(kIniFilter);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring proposed = save ? L"quenep.ini" : L"*.ini";
    proposed.copy(file.data(), proposed.size());
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = TopLevel(owner);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = L"ini";
    // The process's current folder stays where it was, whatever folder the user browses to.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    if (!chosen)
        return std::nullopt;
    return std::wstring(file.data());
}

std::wstring Message(UINT id, const std::u16string& value) {
    return LoadFilledText(id, {value});
}

}  // namespace

HRESULT CShell::CreateShortcut(const std::u16string& target, const std::u16string& arguments,
                               const std::u16string& description, const std::u16string& title, int folderCsidl,
                               std::u16string* savedPath) {
    const std::optional<std::u16string> folder = ShellFolderPath(folderCsidl);
    if (!folder)
        return E_FAIL;
    const std::optional<std::u16string> path = FreeShortcutPath(ShortcutBasePath(*folder, title), PathTaken);
    if (!path)
        return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);

    ComPtr<IShellLinkW> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
    if (FAILED(hr))
        return hr;
    // A path the shell cannot find on its own still succeeds (S_FALSE).
    if (FAILED(hr = link->SetPath(W(target))) || FAILED(hr = link->SetArguments(W(arguments))) ||
        FAILED(hr = link->SetDescription(W(description))))
        return hr;
    ComPtr<IPersistFile> file;
    if (FAILED(hr = link.As(IID_IPersistFile, file)))
        return hr;
    hr = file->Save(W(*path), TRUE);
    if (SUCCEEDED(hr) && savedPath)
        *savedPath = *path;
    return hr;
}

ShowTextOutcome CShell::ShowText(const std::u16string& text, const std::u16string& ending) {
    SystemViewerPlatform platform;
    return ShowTextWith(platform, text, ending);
}

bool SystemViewerPlatform::Elevated() {
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return true;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    // Systems before Vista know no elevation: counted as elevated, the safe side.
    if (!::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size))
        return true;
    return type == TokenElevationTypeFull;
}

std::uint64_t SystemViewerPlatform::RandomNumber() {
    return SystemRandom64();
}

std::u16string SystemViewerPlatform::TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH)
        return u".\\";
    return FromWide(path, length);
}

std::intptr_t SystemViewerPlatform::ShellOpen(const std::u16string& path) {
    return reinterpret_cast<std::intptr_t>(::ShellExecuteW(nullptr, L"open", W(path), nullptr, nullptr, SW_SHOWNORMAL));
}

std::optional<std::u16string> SystemViewerPlatform::OpenCommand(const std::u16string& ending) {
    const std::optional<std::u16string> type = DefaultValue(HKEY_CLASSES_ROOT, ending);
    if (!type)
        return std::nullopt;
    return DefaultValue(HKEY_CLASSES_ROOT, *type + u"\\shell\\open\\command");
}

std::u16string SystemViewerPlatform::SystemFolder() {
    const std::wstring folder = velmora::SystemFolder();
    return folder.empty() ? u"C:\\Windows\\system32" : FromWide(folder);
}

bool SystemViewerPlatform::StartProgram(const std::u16string& application, const std::u16string& commandLine) {
    std::vector<wchar_t> line(W(commandLine), W(commandLine) + commandLine.size() + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(application.empty() ? nullptr : W(application), line.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &process))
        return false;
    const ProcessHandles started(process);
    return true;
}

ExportOutcome ExportTask(HWND owner, const std::u16string& folder, const std::u16string& bareName,
                         const MessageBoxFn& messageBox) {
    const ExportResult result = ExportTaskFile(
        folder, bareName,
        [owner]() -> std::optional<std::u16string> {
            if (const std::optional<std::wstring> path = AskExportPath(owner))
                return FromWide(*path);
            return std::nullopt;
        },
        [&] {
            return messageBox(TopLevel(owner), LoadText(IDS_SHELL_EXPORT_CLEAR_PASSWORDS),
                              MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
        });
    if (result.outcome == ExportOutcome::kUnreadable)
        messageBox(TopLevel(owner), LoadText(IDS_SHELL_EXPORT_UNREADABLE), MB_OK | MB_ICONEXCLAMATION);
    else if (result.outcome == ExportOutcome::kNotWritten)
        messageBox(TopLevel(owner), Message(IDS_SHELL_EXPORT_NOT_WRITTEN, result.path), MB_OK | MB_ICONEXCLAMATION);
    return result.outcome;
}

std::optional<std::wstring> AskImportPath(HWND owner) {
    return AskIniPath(owner, false);
}

std::optional<std::wstring> AskExportPath(HWND owner) {
    return AskIniPath(owner, true);
}

HRESULT CreateTaskShortcut(HWND owner, const std::u16string& bareName, const std::u16string& taskText,
                           const std::u16string& commentText, const MessageBoxFn& messageBox,
                           std::u16string* savedPath) {
    if (bareName.empty())
        return S_FALSE;
    wchar_t module[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::u16string managerPath = length < MAX_PATH ? FromWide(module, length) : std::u16string();
    const HRESULT hr = CShell::CreateShortcut(ShortcutTarget(managerPath, PathTaken), bareName, u"Velmora Lite",
                                              ShortcutTitle(taskText, commentText), CSIDL_DESKTOP, savedPath);
    if (FAILED(hr))
        messageBox(TopLevel(owner), LoadText(IDS_SHELL_SHORTCUT_FAILED), MB_OK | MB_ICONEXCLAMATION);
    return hr;
}

ViewedFiles::ViewedFiles(std::u16string folder) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(W(folder + u"velmora-log-*"), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::u16string name = FromWide(found.cFileName);
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
            IsViewedFileName(name))
            ::DeleteFileW(W(folder + name));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// A file a viewer still holds stays; the next start removes it.
ViewedFiles::~ViewedFiles() {
    for (const std::u16string& path : paths_)
        ::DeleteFileW(W(path));
}

ShowTextOutcome ShowTaskLog(HWND owner, const std::u16string& history, const MessageBoxFn& messageBox) {
    const ShowTextOutcome outcome = CShell::ShowText(history, u".txt");
    if (!outcome.written)
        messageBox(TopLevel(owner), Message(IDS_SHELL_LOG_NOT_WRITTEN, outcome.path), MB_OK | MB_ICONEXCLAMATION);
    return outcome;
}

}  // namespace velmora
