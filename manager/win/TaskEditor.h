// The task editor: the new-task wizard and a task's properties sheet, built from the task page,
// the computer list (remote tasks), the Schedule page and, in the wizard, the finish page; and
// the order in which the record, the work item and the task file are stored.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "manager/EditorState.h"
#include "manager/win/ManagerContext.h"

namespace velmora {

// Builds and runs one wizard or properties sheet and stores what it made.
class CAddWiz {
public:
    explicit CAddWiz(ManagerContext& context) : context_(context) {}

    // The new-task wizard, with the record read from an INI file when one is given. The new task's
    // bare name when it finished and its work item and task file were stored.
    std::optional<std::u16string> RunNew(HWND owner, TaskKind kind, const std::optional<std::u16string>& iniPath);
    // The properties of a task; true when they closed with OK and were stored.
    bool RunProperties(HWND owner, const std::u16string& name);

private:
    // Shows the sheet's pages for `state`; true when it was accepted as a whole (Finish, or OK).
    bool RunSheet(HWND owner, EditorState& state, WorkItemEditor& editor);
    void Tell(HWND owner, int stringId, const std::vector<std::u16string>& fillIns = {});
    ManagerContext& context_;
};

// The task editor as the task lists reach it.
class ManagerTaskEditor : public TaskEditor {
public:
    explicit ManagerTaskEditor(ManagerContext& context) : context_(context) {}
    std::optional<std::u16string> CreateNew(HWND owner, TaskKind kind) override;
    std::optional<std::u16string> Import(HWND owner, TaskKind kind) override;
    bool Edit(HWND owner, const std::u16string& name, TaskKind kind) override;
    void Export(HWND owner, const std::u16string& name) override;
    void CreateShortcut(HWND owner, const std::u16string& name, const std::u16string& taskText,
                        const std::u16string& commentText) override;

private:
    ManagerContext& context_;
};

}  // namespace velmora
