// The countdown's texts, timing and its OK and Cancel rules.
#include <gtest/gtest.h>

#include "executor/Countdown.h"
#include "model/TaskParams.h"
#include "model/Text.h"

namespace velmora {
namespace {

struct Logged {
    std::vector<std::u16string> lines;
    CountdownLogic::LogLine Sink() {
        return [this](const std::u16string& line) { lines.push_back(line); };
    }
};

TEST(Countdown, CountsDownOnceASecondAndEndsByItself) {
    Logged log;
    CountdownLogic logic(kActionShutdown, u"30", u"Bye", 1, log.Sink());
    const CountdownView view = logic.Start();
    EXPECT_EQ(u"Bye", view.message);
    EXPECT_TRUE(view.progressVisible);
    EXPECT_EQ(30, view.progressUpper);
    EXPECT_TRUE(view.timerRunning);
    EXPECT_TRUE(view.cancelVisible);
    EXPECT_EQ(u"Time before shutdown 30 sec.", view.countdownText);
    EXPECT_EQ((std::vector<std::u16string>{u"Dialog: time to show=30, allow cancel=1, message=Bye"}), log.lines);
    for (int second = 1; second < 30; ++second) {
        const CountdownTick tick = logic.OnTimer();
        EXPECT_FALSE(tick.finished) << second;
        EXPECT_EQ(second, tick.position);
        const std::string left = std::to_string(30 - second);
        EXPECT_EQ(u"Time before shutdown " + std::u16string(left.begin(), left.end()) + u" sec.", tick.countdownText);
    }
    const CountdownTick last = logic.OnTimer();
    EXPECT_TRUE(last.finished);
    EXPECT_EQ(u"Time before shutdown 0 sec.", last.countdownText);
    EXPECT_EQ(1u, log.lines.size()) << "the time running out writes no line";
}

TEST(Countdown, InitialTextShowsTheDelayAsWritten) {
    Logged log;
    CountdownLogic logic(kActionRestart, u"15 seconds", u"", 1, log.Sink());
    const CountdownView view = logic.Start();
    EXPECT_EQ(15, view.progressUpper);
    EXPECT_EQ(u"Time before restart 15 seconds sec.", view.countdownText);
}

TEST(Countdown, NoNumberMeansWaitForTheUser) {
    for (const char16_t* delay : {u"", u"0", u"abc", u"-5", u"  "}) {
        Logged log;
        CountdownLogic logic(kActionLock, delay, u"m", 1, log.Sink());
        const CountdownView view = logic.Start();
        EXPECT_FALSE(view.progressVisible) << std::u16string(delay).size();
        EXPECT_FALSE(view.timerRunning);
        EXPECT_TRUE(view.countdownTextSet);
    }
    EXPECT_EQ(12, DelaySeconds(u" 12x"));
    EXPECT_EQ(0, DelaySeconds(u"x12"));
    EXPECT_EQ(2147483647, DelaySeconds(u"99999999999999"));
}

// Delays beyond the old 16-bit range of the progress control count down second by second; the
// window closes after exactly as many ticks as seconds.
TEST(Countdown, LongDelaysCountDownExactly) {
    for (const int seconds : {65535, 65536, 65537, 86400, 315360000}) {
        Logged log;
        CountdownLogic logic(kActionShutdown, DecimalText(seconds), u"", 1, log.Sink());
        EXPECT_EQ(seconds, logic.Start().progressUpper);
        EXPECT_EQ(u"Time before shutdown " + DecimalText(seconds - 1) + u" sec.", logic.OnTimer().countdownText);
        if (seconds > 86400)
            continue;  // ten years of ticks would take too long
        int ticks = 1;
        while (ticks < seconds && !logic.OnTimer().finished)
            ++ticks;
        EXPECT_EQ(seconds - 1, ticks) << "the last tick ends the countdown";
    }
}

TEST(Countdown, WithoutCancelOnlyOkInCancelsPlaceAndEscapeDoesNothing) {
    Logged log;
    CountdownLogic logic(kActionLogOff, u"10", u"m", 0, log.Sink());
    const CountdownView view = logic.Start();
    EXPECT_FALSE(view.cancelVisible);
    EXPECT_TRUE(view.okInCancelPlace);
    EXPECT_FALSE(logic.OnCancel());
    EXPECT_FALSE(logic.OnCancel());
    EXPECT_EQ(1u, log.lines.size());
    logic.OnOk();
    EXPECT_EQ(u"Dialog: result=Ok", log.lines.back());
}

TEST(Countdown, CancelWhenAllowedIsLogged) {
    Logged log;
    CountdownLogic logic(kActionStandby, u"10", u"m", 1, log.Sink());
    logic.Start();
    EXPECT_TRUE(logic.OnCancel());
    EXPECT_EQ(u"Dialog: result=Cancel", log.lines.back());
}

TEST(Countdown, PopupShowsItsMessageAndCanAlwaysBeClosed) {
    Logged log;
    CountdownLogic logic(kActionPopup, u"30", u"Lunch!", 0, log.Sink());
    const CountdownView view = logic.Start();
    EXPECT_TRUE(log.lines.empty()) << "a popup logs no opening line";
    EXPECT_FALSE(view.progressVisible);
    EXPECT_FALSE(view.timerRunning);
    EXPECT_TRUE(view.cancelVisible);
    EXPECT_FALSE(view.okInCancelPlace);
    EXPECT_FALSE(view.countdownTextSet);
    EXPECT_EQ(u"Lunch!", view.message);
    EXPECT_TRUE(logic.OnCancel());
    EXPECT_EQ((std::vector<std::u16string>{u"Dialog: result=Cancel"}), log.lines);
}

}  // namespace
}  // namespace velmora
