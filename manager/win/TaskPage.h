// The task page of the wizard and of a task's properties: the action, the comment and the
// countdown dialog's settings, mapped to the task page rules.
#pragma once

#include "controls/win/DialogBase.h"
#include "controls/win/DialogItems.h"
#include "manager/EditorState.h"
#include "manager/TaskPropLogic.h"
#include "manager/win/ManagerContext.h"
#include "platform/win/Unique.h"

namespace velmora {

class CTaskProp : public PropertyPage {
public:
    CTaskProp(EditorState& state, ManagerContext& context);
    HPROPSHEETPAGE Create();

private:
    void OnInitDialog() override;
    HBRUSH OnControlColor(UINT message, HDC dc, HWND control) override;
    void ApplyRules();
    void WriteControls();
    // Reads the controls into the state; false (and the field focused) when one is refused.
    bool ReadControls();
    void OnActionChanged();
    void OnRunOnlyIfLoggedOn();
    LRESULT OnWizardNext();
    int SelectedAction() const;
    bool Checked(int control) const { return IsChecked(hwnd(), control); }

    EditorState& state_;
    ManagerContext& context_;
    UniqueGdi<HFONT> linkFont_;
};

}  // namespace velmora
