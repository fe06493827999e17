// The messages of the session hand-over and the task process's decisions on them.
#include "executor/SessionCountdown.h"

#include "model/TaskParams.h"

namespace velmora {
namespace {

void PutCode(std::string& bytes, std::uint32_t code) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((code >> shift) & 0xFF);
}

}  // namespace

std::string SessionDoneMessage(std::uint32_t code) {
    std::string message(kSessionDonePrefix);
    PutCode(message, code);
    return message;
}

std::optional<std::uint32_t> ReadSessionDone(std::string_view message) {
    if (message.size() != kSessionMessageBytes || message.substr(0, kSessionDonePrefix.size()) != kSessionDonePrefix)
        return std::nullopt;
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < 4; ++i)
        code |= static_cast<std::uint32_t>(static_cast<unsigned char>(message[kSessionDonePrefix.size() + i]))
                << (8 * i);
    return code;
}

std::string SessionRecordMessage(const std::u16string& record) {
    std::string message;
    PutCode(message, static_cast<std::uint32_t>(record.size() * 2));
    for (const char16_t unit : record) {
        message += static_cast<char>(unit & 0xFF);
        message += static_cast<char>(unit >> 8);
    }
    return message;
}

std::optional<std::string> ReadSessionBytes(SessionChannel& from, std::size_t size) {
    std::string bytes;
    while (bytes.size() < size) {
        const SessionEvent event = from.Wait(std::nullopt, size - bytes.size());
        if (event.kind != SessionEventKind::kBytes || event.bytes.empty() || event.bytes.size() > size - bytes.size())
            return std::nullopt;
        bytes += event.bytes;
    }
    return bytes;
}

std::optional<std::u16string> ReadSessionRecord(SessionChannel& from) {
    const std::optional<std::string> length = ReadSessionBytes(from, 4);
    if (!length)
        return std::nullopt;
    std::uint32_t size = 0;
    for (std::size_t i = 0; i < 4; ++i)
        size |= static_cast<std::uint32_t>(static_cast<unsigned char>((*length)[i])) << (8 * i);
    if (size > kSessionRecordLimitBytes || size % 2 != 0)
        return std::nullopt;
    const std::optional<std::string> bytes = ReadSessionBytes(from, size);
    if (!bytes)
        return std::nullopt;
    std::u16string record(size / 2, u'\0');
    for (std::size_t i = 0; i < record.size(); ++i) {
        record[i] = static_cast<char16_t>(static_cast<unsigned char>((*bytes)[2 * i]) |
                                          (static_cast<unsigned char>((*bytes)[2 * i + 1]) << 8));
    }
    return record;
}

bool ActsInUserSession(int action) {
    return action == kActionLock || action == kActionLogOff || action == kActionMonitorOff ||
           action == kActionMonitorOn;
}

bool ShowsCountdown(int action, int noshow) {
    return noshow == 0 && ((action >= kActionShutdown && action <= kActionLogOff) || action == kActionPopup);
}

CountdownView SessionCountdownLogic::Start() {
    return countdown_.Start();
}

SessionVerdict SessionCountdownLogic::OnTick() {
    if (verdict_ == SessionVerdict::kWaiting && countdown_.OnTimer().finished)
        verdict_ = SessionVerdict::kAct;  // the time is up: no line, as when the window closes itself
    return verdict_;
}

SessionVerdict SessionCountdownLogic::OnBytes(std::string_view bytes) {
    if (verdict_ != SessionVerdict::kWaiting)
        return verdict_;
    if (bytes.size() > BytesWanted())
        return Refuse(u"the dialog sent more than an answer");
    received_.append(bytes);
    const bool mayBeOk = kSessionAnswerOk.starts_with(received_);
    const bool mayBeCancel = kSessionAnswerCancel.starts_with(received_);
    if (!mayBeOk && !mayBeCancel)
        return Refuse(u"the dialog sent something that is no answer");
    if (received_.size() < kSessionMessageBytes)
        return verdict_;
    if (mayBeOk) {
        countdown_.OnOk();
        return verdict_ = SessionVerdict::kAct;
    }
    if (countdown_.OnCancel())
        return verdict_ = SessionVerdict::kSkip;
    return Refuse(u"the task cannot be cancelled");
}

SessionVerdict SessionCountdownLogic::OnEnded() {
    if (verdict_ != SessionVerdict::kWaiting)
        return verdict_;
    return Refuse(u"the dialog ended without an answer");
}

// The user's process is not trusted: whatever it does besides a valid answer ends the countdown as
// if its time were up, and the log says why it ended early.
SessionVerdict SessionCountdownLogic::Refuse(const std::u16string& why) {
    countdown_.log()(u"Dialog: result=none, " + why);
    return verdict_ = SessionVerdict::kAct;
}

}  // namespace velmora
