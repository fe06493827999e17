// The wizard's buttons as a page of ours sets them at each moment.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "manager/TaskPropLogic.h"

namespace velmora {

inline void SetWizardButtons(HWND sheet, WizardMoment moment) {
    const unsigned buttons = WizardButtonsAt(moment);
    DWORD flags = 0;
    flags |= buttons & kWizardBack ? PSWIZB_BACK : 0;
    flags |= buttons & kWizardNext ? PSWIZB_NEXT : 0;
    flags |= buttons & kWizardFinish ? PSWIZB_FINISH : 0;
    ::SendMessageW(sheet, PSM_SETWIZBUTTONS, 0, flags);
}

}  // namespace velmora
