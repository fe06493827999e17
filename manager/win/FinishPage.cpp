// The finish page sets the wizard's buttons for itself and for the page before it.
#include "manager/win/FinishPage.h"

#include "controls/win/SheetControls.h"
#include "manager/win/WizardButtons.h"
#include "manager/ids/FinishPageIds.h"

namespace velmora {

CAddWiz3::CAddWiz3() {
    OnNotifyCode(PSN_SETACTIVE, [this](NMHDR&) {
        SetWizardButtons(Sheet(), WizardMoment::kFinishShown);
        // The Next button that brought the user here is gone, and the page has no field: the keys
        // go to Finish, so Enter finishes and Escape cancels.
        ::PostMessageW(Sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(Sheet(), kWizardFinishButton)),
                       TRUE);
        return 0;
    });
    OnNotifyCode(PSN_WIZBACK, [this](NMHDR&) {
        // The page before may be the system's Schedule page, which sets no buttons.
        SetWizardButtons(Sheet(), WizardMoment::kFinishLeftBack);
        return 0;
    });
    OnNotifyCode(PSN_WIZFINISH, [this](NMHDR&) {
        // Every page stores what it holds, the Schedule page its triggers into the work item.
        // A page that refuses (a trigger the scheduler could not run) keeps the wizard open.
        if (!::SendMessageW(Sheet(), PSM_APPLY, 0, 0))
            return TRUE;
        finished_ = true;
        return FALSE;
    });
}

HPROPSHEETPAGE CAddWiz3::Create() {
    return CreatePage(IDD_FINISH, 0);
}

}  // namespace velmora
