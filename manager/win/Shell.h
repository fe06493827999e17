// The manager's shell services: shortcuts, the log viewer, and the file dialogs of export and
// import. COM must be initialised on the calling thread (the manager keeps one apartment for its
// whole life).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "manager/ShellLogic.h"
#include "platform/win/ResourceText.h"

namespace velmora {

// Shows a message owned by `owner` and returns the button chosen; a seam so tests can answer
// (the manager context's message box has this form).
using MessageBoxFn = std::function<int(HWND owner, const std::wstring& text, UINT type)>;

class CShell {
public:
    // Saves a shortcut to `target` with `arguments` and `description` in the shell folder
    // `folderCsidl`, named by the title's usable part and numbered when the name is taken. The
    // HRESULT of the last step; `savedPath` gets the file's name.
    static HRESULT CreateShortcut(const std::u16string& target, const std::u16string& arguments,
                                  const std::u16string& description, const std::u16string& title, int folderCsidl,
                                  std::u16string* savedPath = nullptr);
    // Writes the text to a new file of a fresh name in the temporary folder and opens it for the user.
    static ShowTextOutcome ShowText(const std::u16string& text, const std::u16string& ending);
};

// The system's side of the log viewer: the process's token, the cryptographic generator, the
// temporary folder, shell, registry and processes.
class SystemViewerPlatform : public ViewerPlatform {
public:
    // An administrator's process that runs with the full token while the user's other programs run
    // with the limited one, as a manager started with elevation does.
    bool Elevated() override;
    std::uint64_t RandomNumber() override;
    std::u16string TempFolder() override;
    std::intptr_t ShellOpen(const std::u16string& path) override;
    std::optional<std::u16string> OpenCommand(const std::u16string& ending) override;
    std::u16string SystemFolder() override;
    bool StartProgram(const std::u16string& application, const std::u16string& commandLine) override;
};

// The entry points of the task list (Export, Import, Create shortcut) and of the task page's
// "Log file.." link. `owner` is a window of our own sheet; the dialogs are owned by its top level.

// Exports the task into an INI file the user chooses; an unreadable task is refused with a message.
ExportOutcome ExportTask(HWND owner, const std::u16string& folder, const std::u16string& bareName,
                         const MessageBoxFn& messageBox);
// The Open dialog of Import; none when the user cancelled it.
std::optional<std::wstring> AskImportPath(HWND owner);
// The Save dialog of Export; none when the user cancelled it.
std::optional<std::wstring> AskExportPath(HWND owner);
// A desktop shortcut that runs the task at once; a failure is told with a message.
HRESULT CreateTaskShortcut(HWND owner, const std::u16string& bareName, const std::u16string& taskText,
                           const std::u16string& commentText, const MessageBoxFn& messageBox,
                           std::u16string* savedPath = nullptr);
// Shows the task's log; a log that could not be written is told with a message.
ShowTextOutcome ShowTaskLog(HWND owner, const std::u16string& history, const MessageBoxFn& messageBox);

// The files the log viewer wrote. A viewer started through the shell may be a program that hands the
// file to another process and ends at once, so no viewer's end says when a file is read: the files
// of one manager go when it ends, and those of a manager that ended without removing them go at
// the next start.
class ViewedFiles {
public:
    // Removes the viewed files left in `folder` (the temporary folder).
    explicit ViewedFiles(std::u16string folder);
    ~ViewedFiles();
    ViewedFiles(const ViewedFiles&) = delete;
    ViewedFiles& operator=(const ViewedFiles&) = delete;

    void Add(const std::u16string& path) { paths_.push_back(path); }

private:
    std::vector<std::u16string> paths_;
};

}  // namespace velmora
