// What the countdown dialog shows and decides, apart from the window that shows it.
#pragma once

#include <functional>
#include <string>

namespace velmora {

constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;
constexpr unsigned kCountdownTimerId = 300;
constexpr unsigned kCountdownTimerMs = 1000;

// The window's state after its initialisation.
struct CountdownView {
    std::u16string message;
    bool progressVisible = true;
    int progressUpper = 0;  // the progress range is 0 .. progressUpper, the delay's whole seconds
    bool timerRunning = false;
    bool cancelVisible = true;
    bool okInCancelPlace = false;  // OK takes the Cancel button's place when Cancel is hidden
    bool countdownTextSet = false;
    std::u16string countdownText;
};

struct CountdownTick {
    int position = 0;
    std::u16string countdownText;
    bool finished = false;  // the time is up: stop the timer, beep and end with OK
};

class CountdownLogic {
public:
    using LogLine = std::function<void(const std::u16string&)>;

    CountdownLogic(int action, std::u16string delay, std::u16string message, int allowCancel, LogLine log);

    // The dialog's initialisation; logs the dialog's opening line for every action but popup.
    CountdownView Start();
    CountdownTick OnTimer();
    // The OK button or Enter: logs the choice; the dialog ends with OK.
    void OnOk();
    // The Cancel button or Escape: true when the dialog ends with Cancel (the choice is logged);
    // false when cancelling is not allowed and the dialog stays open.
    bool OnCancel();

    int action() const { return action_; }
    const LogLine& log() const { return log_; }

private:
    std::u16string TimeBeforeText(const std::u16string& amount) const;

    int action_;
    std::u16string delay_;
    std::u16string message_;
    int allowCancel_;
    LogLine log_;
    int upper_ = 0;
    int position_ = 0;
};

// The whole seconds at the start of a delay text; 0 when it does not start with a number.
int DelaySeconds(std::u16string_view delay);

}  // namespace velmora
