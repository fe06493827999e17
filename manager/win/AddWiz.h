// The task editor: the new-task wizard and the task properties sheet, with the task page, the
// account dialog and the finish page.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "controls/win/DialogBase.h"
#include "manager/TaskPropLogic.h"
#include "manager/win/ManagerContext.h"
#include "model/SecretText.h"
#include "model/TaskParams.h"
#include "platform/win/Unique.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {

// What the pages of one sheet share. The record is the editor's own: the lists never read into it.
struct EditorState {
    CTaskParams record;
    int action = kActionShutdown;
    TaskKind kind = TaskKind::kLocal;
    bool wizard = false;
    // The account under which a remote task runs.
    bool runOnlyIfLoggedOn = true;
    std::u16string userName;
    SecretText password;
    bool accountChanged = false;
    // The properties of a task that runs under its stored account ("Run only if logon" clear).
    bool accountStored = false;
};

class CAccDlg : public DialogBase {
public:
    CAccDlg(ManagerContext& context, std::u16string userName);
    // True when the dialog ended with OK; the account is then in userName and password.
    bool Run(HWND owner);
    std::u16string userName;
    SecretText password;

private:
    void OnInitDialog() override;
    void Accept();
    ManagerContext& context_;
};

class CTaskProp : public PropertyPage {
public:
    CTaskProp(EditorState& state, ManagerContext& context);
    HPROPSHEETPAGE Create();

private:
    void OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    HBRUSH OnControlColor(UINT message, HDC dc, HWND control) override;
    void ApplyRules();
    void WriteControls();
    // Reads the controls into the state; false (and the field focused) when one is refused.
    bool ReadControls();
    void Refuse(int control);
    void OnActionChanged();
    void OnRunOnlyIfLoggedOn();
    LRESULT OnWizardNext();
    int SelectedAction() const;
    bool Checked(int control) const { return ::IsDlgButtonChecked(hwnd(), control) == BST_CHECKED; }

    EditorState& state_;
    ManagerContext& context_;
    UniqueGdi<HFONT> linkFont_;
};

class CAddWiz3 : public PropertyPage {
public:
    CAddWiz3();
    HPROPSHEETPAGE Create();
    bool finished() const { return finished_; }

private:
    bool finished_ = false;
};

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
