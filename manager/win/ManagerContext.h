// What the manager's pages share: the profile, the task store's folder, the task editor and the
// way they ask the user, so tests can answer for the user.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <functional>
#include <optional>
#include <string>

#include "manager/win/Profile.h"
#include "platform/win/ResourceText.h"
#include "scheduler/WorkItem.h"

namespace velmora {

class WorkItemEditor;

// The task editor's entry points, as the task lists call them.
class TaskEditor {
public:
    virtual ~TaskEditor() = default;
    // The new-task wizard; the new task's bare name when it finished and its work item exists.
    virtual std::optional<std::u16string> CreateNew(HWND owner, TaskKind kind) = 0;
    // An INI file read into the new-task wizard; the new task's bare name as for CreateNew.
    virtual std::optional<std::u16string> Import(HWND owner, TaskKind kind) = 0;
    // The task's properties; true when they closed with OK.
    virtual bool Edit(HWND owner, const std::u16string& name, TaskKind kind) = 0;
    virtual void Export(HWND owner, const std::u16string& name) = 0;
    // A desktop shortcut that runs the task at once, titled from the row's Task and Comment texts.
    virtual void CreateShortcut(HWND owner, const std::u16string& name, const std::u16string& taskText,
                                const std::u16string& commentText) = 0;
};

// Until the editor is built: every entry point does nothing.
class NoTaskEditor : public TaskEditor {
public:
    std::optional<std::u16string> CreateNew(HWND, TaskKind) override { return std::nullopt; }
    std::optional<std::u16string> Import(HWND, TaskKind) override { return std::nullopt; }
    bool Edit(HWND, const std::u16string&, TaskKind) override { return false; }
    void Export(HWND, const std::u16string&) override {}
    void CreateShortcut(HWND, const std::u16string&, const std::u16string&, const std::u16string&) override {}
};

struct ManagerContext {
    Profile profile{L"Corvane", L"Velmora"};
    std::u16string taskFolder;
    TaskEditor* editor = nullptr;
    // MessageBoxW unless a test answers.
    std::function<int(HWND owner, const std::wstring& text, UINT flags)> messageBox;
    // The sheet's Help button, from any page.
    std::function<void(HWND sheet)> openHelp;
    // The help at one of its pages, such as the one that tells why a remote shutdown fails.
    std::function<void(HWND sheet, const std::u16string& page)> openHelpPage;
    // The system's answers the editor's rules depend on.
    std::function<bool()> isAdministrator;
    std::function<bool()> hibernationAllowed;
    // Turns hibernation on ("powercfg /h on") and waits for it.
    std::function<void()> enableHibernation;
    // Shows a task's log in the user's text editor.
    std::function<void(HWND owner, const std::u16string& text)> showLog;
    // The Task Scheduler's own Schedule page of the work item being edited (IProvideTaskPage), or
    // none where the scheduler has none and our own page takes its place. Unset: the scheduler's.
    std::function<HPROPSHEETPAGE(WorkItemEditor& editor)> systemSchedulePage;
};

// The program's name for message boxes.
constexpr wchar_t kProgramTitle[] = L"Velmora";

}  // namespace velmora
