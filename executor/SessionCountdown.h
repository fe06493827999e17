// A task of the system account whose countdown is shown by a process of the console's user: what the
// two processes say to each other, and what the task's process makes of it. The task's process keeps
// the clock and acts; the user's process only shows the countdown and tells the user's answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "executor/Countdown.h"
#include "model/ResultCodes.h"

namespace velmora {

// Every message between the two processes has this size; the task's process never reads more than
// one message at a time, and only the messages it expects.
constexpr std::size_t kSessionMessageBytes = 8;
// The user's answers and the task's word to act, as they go through the pipes.
constexpr std::string_view kSessionAnswerOk{"ok      ", kSessionMessageBytes};
constexpr std::string_view kSessionAnswerCancel{"cancel  ", kSessionMessageBytes};
constexpr std::string_view kSessionAct{"act     ", kSessionMessageBytes};
// The report of an action done in the user's session: these four bytes, then the result code.
constexpr std::string_view kSessionDonePrefix{"done", 4};
// The task's record that starts the user's process is no longer than this.
constexpr std::uint32_t kSessionRecordLimitBytes = 1u << 20;
// How long the task's process waits for the report of an action done in the user's session.
constexpr unsigned kSessionActionWaitMs = 60000;

std::string SessionDoneMessage(std::uint32_t code);
// The code of a report of an action; nothing when the bytes are no such report.
std::optional<std::uint32_t> ReadSessionDone(std::string_view message);
// A length (four bytes, lowest first) and the record's bytes.
std::string SessionRecordMessage(const std::u16string& record);

// Lock, log off and the monitor act on the session they are called in: the user's process performs
// them on the task's word. Every other action is the system's, done by the task's process itself.
bool ActsInUserSession(int action);
// Whether a local run of the action with this `noshow` value shows the countdown first.
bool ShowsCountdown(int action, int noshow);

// What the user's process did, as the task's process sees it while it waits.
enum class SessionEventKind {
    kTime,   // nothing happened before the wait's time was up
    kBytes,  // it sent bytes (never more than were asked for)
    kEnded,  // its process ended or it closed its pipe
};
struct SessionEvent {
    SessionEventKind kind = SessionEventKind::kTime;
    std::string bytes;
};

// The user's process, from the task's process.
class SessionChannel {
public:
    virtual ~SessionChannel() = default;
    // Waits up to `timeoutMs` (nothing: without limit) for the process; reads at most `maxBytes`.
    virtual SessionEvent Wait(std::optional<unsigned> timeoutMs, std::size_t maxBytes) = 0;
    virtual bool Send(std::string_view bytes) = 0;
    // Ends the process; its window goes with it.
    virtual void End() = 0;
};

// Exactly `size` bytes from the other process; nothing when it ended first or sent more than asked.
std::optional<std::string> ReadSessionBytes(SessionChannel& from, std::size_t size);
// The record that starts the user's process; nothing when it is longer than the limit, cut short or
// no whole number of 16-bit units.
std::optional<std::u16string> ReadSessionRecord(SessionChannel& from);

enum class SessionVerdict {
    kWaiting,  // go on waiting
    kAct,      // the countdown has ended: the action follows
    kSkip,     // cancelled: no action
};

// The countdown as the task's process keeps it: its own clock decides when the time is up, the
// user's process may only answer OK, or Cancel where the task allows it. Anything else it sends,
// and its end before an answer, let the action follow at once: no one outside the system's account
// can delay a task, cancel one that may not be cancelled or write into its log.
class SessionCountdownLogic {
public:
    explicit SessionCountdownLogic(CountdownLogic& countdown) : countdown_(countdown) {}

    // Logs the opening line; the view tells whether a clock runs.
    CountdownView Start();
    // One second of the task's clock.
    SessionVerdict OnTick();
    SessionVerdict OnBytes(std::string_view bytes);
    SessionVerdict OnEnded();
    // How many bytes the next read may take: the rest of one message.
    std::size_t BytesWanted() const { return kSessionMessageBytes - received_.size(); }
    SessionVerdict verdict() const { return verdict_; }

private:
    SessionVerdict Refuse(const std::u16string& why);

    CountdownLogic& countdown_;
    std::string received_;
    SessionVerdict verdict_ = SessionVerdict::kWaiting;
};

}  // namespace velmora
