// The countdown dialog: the task's message, a progress bar and the seconds left.
#pragma once

#include "controls/win/DialogBase.h"
#include "controls/win/FontStatic.h"
#include "executor/Countdown.h"
#include "executor/ExecutorPlatform.h"

namespace velmora {

class CKvDlg : public DialogBase {
public:
    explicit CKvDlg(CountdownLogic& logic);

    // Runs the dialog modally; tells whether it ended with OK and whether the time ran out.
    CountdownOutcome Run();

    const FontStyle& MessageStyle() const { return message_.style(); }
    const FontStyle& CountdownStyle() const { return countdown_.style(); }

private:
    void OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnTimer();

    CountdownLogic& logic_;
    CFontStatic message_;
    CFontStatic countdown_;
    bool endedByTimer_ = false;
};

}  // namespace velmora
