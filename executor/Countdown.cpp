// The countdown's texts, timing and the rules for OK and Cancel.
#include "executor/Countdown.h"

#include <algorithm>
#include <climits>

#include "model/TaskParams.h"
#include "model/Text.h"

namespace velmora {

int DelaySeconds(std::u16string_view delay) {
    // A negative delay cannot be counted down: like any text that is no number, it makes the
    // window wait for the user.
    return static_cast<int>(std::clamp<long long>(LeadingInteger(delay), 0, INT_MAX));
}

CountdownLogic::CountdownLogic(int action, std::u16string delay, std::u16string message, int allowCancel, LogLine log)
    : action_(action),
      delay_(std::move(delay)),
      message_(std::move(message)),
      allowCancel_(allowCancel),
      log_(std::move(log)) {}

std::u16string CountdownLogic::TimeBeforeText(const std::u16string& amount) const {
    return u"Time before " + ActionName(action_) + u" " + amount + u" sec.";
}

CountdownView CountdownLogic::Start() {
    CountdownView view;
    view.message = message_;
    if (action_ != kActionPopup) {
        log_(u"Dialog: time to show=" + delay_ + u", allow cancel=" + DecimalText(allowCancel_) + u", message=" +
             message_);
    }
    const int seconds = DelaySeconds(delay_);
    if (action_ == kActionPopup) {
        view.progressVisible = false;
        return view;
    }
    if (seconds != 0) {
        // The progress control's 32-bit range holds every delay, so the window closes after
        // exactly `seconds` ticks however long the countdown is.
        upper_ = seconds;
        view.progressUpper = upper_;
        view.timerRunning = true;
    } else {
        view.progressVisible = false;
    }
    if (allowCancel_ == 0) {
        view.cancelVisible = false;
        view.okInCancelPlace = true;
    }
    view.countdownTextSet = true;
    view.countdownText = TimeBeforeText(delay_);
    return view;
}

CountdownTick CountdownLogic::OnTimer() {
    // One step of the progress control, which starts over when it passes its upper end.
    position_ = position_ >= upper_ ? 0 : position_ + 1;
    CountdownTick tick;
    tick.position = position_;
    tick.countdownText = TimeBeforeText(DecimalText(upper_ - position_));
    tick.finished = position_ >= upper_;
    return tick;
}

void CountdownLogic::OnOk() {
    log_(u"Dialog: result=Ok");
}

bool CountdownLogic::OnCancel() {
    if (allowCancel_ == 0 && action_ != kActionPopup)
        return false;
    log_(u"Dialog: result=Cancel");
    return true;
}

}  // namespace velmora
