// The task record's file format, checksum and INI form.
#include "model/TaskParams.h"

#include <algorithm>
#include <cstdint>
#include <functional>

#include "model/File.h"
#include "model/IniFile.h"
#include "model/SecretText.h"
#include "model/Text.h"

namespace velmora {
namespace {

constexpr char16_t kTab = 9;
constexpr char16_t kLineFeed = 10;
constexpr char16_t kMarkerBase = 7000;
constexpr std::size_t kLeadIn = 111;
constexpr std::size_t kUnshiftedUnits = 100;
constexpr char16_t kShift = 15454;
constexpr std::size_t kChecksumLength = 10;
// The unit that the encoding step turns into the record's line feed.
constexpr char16_t kUnitEncodingToLineFeed = static_cast<char16_t>(kLineFeed + kShift);

constexpr char16_t kBodyMarker = 7999;
constexpr char16_t kFlagsMarker = 7100;
constexpr char16_t kCommentMarker = 7300;
constexpr char16_t kDelayMarker = 7400;
constexpr char16_t kMessageMarker = 7500;
constexpr char16_t kListMarker = 7600;
constexpr char16_t kEntryMarker = 7650;
constexpr char16_t kFirstTextMarker = 7651;
constexpr char16_t kHistoryMarker = 7700;
constexpr char16_t kLogFileMarker = 7750;

constexpr std::u16string_view kSettings = u"settings";
constexpr std::u16string_view kList = u"list";

bool IsStorableUnit(char16_t unit) {
    return (unit < 7000 || unit > 7999) && unit != kUnitEncodingToLineFeed;
}

char16_t FlagUnit(int value) {
    return static_cast<char16_t>(kMarkerBase + value);
}

void AppendStorable(std::u16string& out, std::u16string_view text) {
    for (char16_t unit : text)
        out += IsStorableUnit(unit) ? unit : u'\uFFFD';
}

void AppendSection(std::u16string& out, char16_t marker, std::u16string_view text) {
    out += marker;
    AppendStorable(out, text);
    out += marker;
}

// Only the newest part of an over-long history is kept.
std::u16string_view NewestHistory(std::u16string_view history) {
    if (history.size() <= kHistoryLimit)
        return history;
    history.remove_prefix(history.size() - kHistoryLimit);
    if (!history.empty() && history.front() >= 0xDC00 && history.front() <= 0xDFFF)
        history.remove_prefix(1);  // the other half of a cut surrogate pair
    return history;
}

std::u16string ChecksumText(std::u16string_view text) {
    std::uint32_t sum = 0;
    for (char16_t unit : text)
        sum += unit;
    static const char16_t kDigits[] = u"0123456789abcdef";
    std::u16string checksum(kChecksumLength, u'0');
    for (std::size_t i = kChecksumLength; i-- > 0 && sum != 0; sum >>= 4)
        checksum[i] = kDigits[sum & 0xF];
    return checksum;
}

// The sections of the markers `first` to `last` in a text, found in one pass: the section of a
// marker is the text between its first and its second occurrence, empty when either is missing.
template <char16_t first, char16_t last>
class Sections {
public:
    explicit Sections(std::u16string_view text) : text_(text) {
        open_.fill(kNone);
        close_.fill(kNone);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i];
            if (unit < first || unit > last)
                continue;
            const std::size_t k = unit - first;
            if (open_[k] == kNone)
                open_[k] = i;
            else if (close_[k] == kNone)
                close_[k] = i;
        }
    }

    std::u16string_view Of(char16_t marker) const {
        const std::size_t k = marker - first;
        if (close_[k] == kNone)
            return {};
        return text_.substr(open_[k] + 1, close_[k] - open_[k] - 1);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::u16string_view text_;
    std::array<std::size_t, last - first + 1> open_;
    std::array<std::size_t, last - first + 1> close_;
};

std::u16string Cut(std::u16string text, std::size_t length) {
    if (text.size() > length)
        text.resize(length);
    return text;
}

}  // namespace

int ClampAction(long long code) {
    return code >= kActionShutdown && code <= kActionWakeOnLan ? static_cast<int>(code) : kActionWakeUp;
}

std::u16string ActionName(int code) {
    static const char16_t* const kNames[] = {u"shutdown",        u"hibernate", u"standby", u"restart",
                                             u"power off",       u"lock",      u"log off", u"ping",
                                             u"turn on monitor", u"popup",     u"wol"};
    return code >= 0 && code <= kActionWakeOnLan ? kNames[code] : u"";
}

std::u16string TaskNameOf(std::u16string_view text) {
    return std::u16string(text.substr(0, text.find(u'.')));
}

std::u16string TaskFilePath(const std::u16string& folder, std::u16string_view name) {
    return JoinPath(folder, std::u16string(name) + u".dat");
}

bool IsStorableText(std::u16string_view text) {
    for (char16_t unit : text) {
        if (!IsStorableUnit(unit))
            return false;
    }
    return true;
}

void EncodeRecordText(std::u16string& text) {
    for (std::size_t i = kUnshiftedUnits; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(text[i] - kShift);
}

void DecodeRecordText(std::u16string& text) {
    for (std::size_t i = kUnshiftedUnits; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(text[i] + kShift);
}

namespace {

// The longest record line read: ten thousand computers with long texts and a full history stay far
// below it; a larger file is not a task file and is not read into memory.
constexpr std::size_t kLongestRecordUnits = 32 * 1024 * 1024;

// The record line of a task file's bytes, which `read` hands out in chunks (0 at the end): its
// units up to the first line feed, a carriage return before it dropped. `length` is the file's
// length when known, to reserve room.
std::optional<std::u16string> RecordLineFrom(const std::function<std::size_t(std::uint8_t*, std::size_t)>& read,
                                             std::int64_t length) {
    std::u16string line;
    if (length > 0)
        line.reserve(std::min<std::size_t>(static_cast<std::size_t>(length / 2), kLongestRecordUnits));
    std::uint8_t chunk[65536];
    std::size_t carried = 0;  // a last odd byte waiting for its partner
    for (;;) {
        const std::size_t n = read(chunk + carried, sizeof chunk - carried);
        if (n == 0)
            break;
        const std::size_t bytes = carried + n;
        std::size_t i = 0;
        for (; i + 1 < bytes; i += 2) {
            const char16_t unit = static_cast<char16_t>(chunk[i] | (chunk[i + 1] << 8));
            if (unit == kLineFeed) {
                if (!line.empty() && line.back() == u'\r')
                    line.pop_back();
                return line;
            }
            line += unit;
        }
        if (line.size() > kLongestRecordUnits)
            return std::nullopt;
        carried = bytes - i;
        if (carried)
            chunk[0] = chunk[i];
    }
    return line;
}

// The record line of a task file. Others may go on reading, writing and replacing the file while
// we read it.
std::optional<std::u16string> ReadRecordLine(const std::u16string& folder, std::u16string_view name) {
    // A task file that someone other than the system or the administrators made is never taken
    // for a task: it could name what the system account runs.
    if (CheckFileOwner(TaskFilePath(folder, name)) == FileOwner::kForeign)
        return std::nullopt;
    File file = File::OpenRead(TaskFilePath(folder, name), ShareMode::kReadWriteDelete);
    if (!file.IsOpen())
        return std::nullopt;
    return RecordLineFrom([&file](std::uint8_t* buffer, std::size_t size) { return file.Read(buffer, size); },
                          file.Length());
}

// The decoded record text without its checksum, when the checksum matches.
std::optional<std::u16string> CheckedRecord(std::u16string_view encoded) {
    std::u16string text(encoded);
    DecodeRecordText(text);
    if (text.size() < kChecksumLength)
        return std::nullopt;
    const std::u16string_view record = std::u16string_view(text).substr(0, text.size() - kChecksumLength);
    const std::u16string_view stored = std::u16string_view(text).substr(record.size());
    // The digits are written in lower case; a file with upper-case ones is still whole.
    if (!EqualsIgnoringAsciiCase(stored, ChecksumText(record)))
        return std::nullopt;
    text.resize(record.size());
    return text;
}

}  // namespace

CTaskParams::CTaskParams() = default;

bool CTaskParams::Reset() {
    *this = CTaskParams();
    return true;
}

std::u16string CTaskParams::Serialize() const {
    std::u16string text(kLeadIn, kTab);
    text += kBodyMarker;
    text += kFlagsMarker;
    for (int flag : {action, force, noshow, cancel, local})
        text += FlagUnit(flag);
    text.append(6, kMarkerBase);
    text += kFlagsMarker;
    AppendSection(text, kCommentMarker, comment);
    AppendSection(text, kDelayMarker, delay);
    AppendSection(text, kMessageMarker, message);
    text += kListMarker;
    for (const ComputerEntry& entry : computers) {
        text += kEntryMarker;
        for (std::size_t k = 0; k < kComputerTextCount; ++k)
            AppendSection(text, static_cast<char16_t>(kFirstTextMarker + k), entry[k]);
        text += kEntryMarker;
    }
    text += kListMarker;
    AppendSection(text, kHistoryMarker, NewestHistory(history));
    AppendSection(text, kLogFileMarker, logFile);
    text += kBodyMarker;
    text += ChecksumText(text);
    return text;
}

bool CTaskParams::Parse(std::u16string_view encoded, bool full) {
    Reset();
    const std::optional<std::u16string> checked = CheckedRecord(encoded);
    if (!checked)
        return false;
    const std::u16string_view record = *checked;

    const std::u16string_view body = Sections<kBodyMarker, kBodyMarker>(record).Of(kBodyMarker);
    const Sections<kFlagsMarker, kLogFileMarker> sections(body);
    const std::u16string_view flags = sections.Of(kFlagsMarker);
    // A record that passed its checksum but lacks the flag units was not written by us.
    if (flags.size() < 4)
        return false;
    action = ClampAction(static_cast<long long>(flags[0]) - kMarkerBase);
    // Each flag must be 0 or 1; a unit below the marker base would otherwise read as negative.
    int* const flagFields[] = {&force, &noshow, &cancel};
    for (std::size_t i = 0; i < 3; ++i) {
        const int value = static_cast<int>(flags[i + 1]) - kMarkerBase;
        if (value < 0 || value > 1)
            return false;
        *flagFields[i] = value;
    }
    comment = sections.Of(kCommentMarker);
    if (!full)
        return true;

    delay = sections.Of(kDelayMarker);
    message = sections.Of(kMessageMarker);
    std::u16string_view list = sections.Of(kListMarker);
    computers.reserve(std::min<std::size_t>(std::count(list.begin(), list.end(), kEntryMarker) / 2, kComputerLimit));
    // A task holds at most kComputerLimit computers; a record with more was not written by us.
    while (!list.empty() && computers.size() < static_cast<std::size_t>(kComputerLimit)) {
        const std::size_t end = list.find(kEntryMarker);
        const std::u16string_view piece = list.substr(0, end);
        list.remove_prefix(end == std::u16string_view::npos ? list.size() : end + 1);
        if (piece.empty())
            continue;
        const Sections<kFirstTextMarker, kFirstTextMarker + kComputerTextCount - 1> texts(piece);
        ComputerEntry& entry = computers.emplace_back();
        for (std::size_t k = 0; k < kComputerTextCount; ++k)
            entry[k] = texts.Of(static_cast<char16_t>(kFirstTextMarker + k));
    }
    history = sections.Of(kHistoryMarker);
    logFile = sections.Of(kLogFileMarker);
    return true;
}

bool CTaskParams::Load(const std::u16string& folder, std::u16string_view name, bool full) {
    const std::optional<std::u16string> line = ReadRecordLine(folder, name);
    return line && Parse(*line, full);
}

bool CTaskParams::ParseFileBytes(std::string_view bytes, bool full) {
    const std::optional<std::u16string> line = RecordLineFrom(
        [&bytes](std::uint8_t* buffer, std::size_t size) {
            const std::size_t n = std::min(size, bytes.size());
            std::copy_n(bytes.data(), n, reinterpret_cast<char*>(buffer));
            bytes.remove_prefix(n);
            return n;
        },
        static_cast<std::int64_t>(bytes.size()));
    return line && Parse(*line, full);
}

std::optional<long long> LoadStoredAction(const std::u16string& folder, std::u16string_view name) {
    const std::optional<std::u16string> line = ReadRecordLine(folder, name);
    const std::optional<std::u16string> record = line ? CheckedRecord(*line) : std::nullopt;
    if (!record)
        return std::nullopt;
    const std::u16string_view body = Sections<kBodyMarker, kBodyMarker>(*record).Of(kBodyMarker);
    const std::u16string_view flags = Sections<kFlagsMarker, kFlagsMarker>(body).Of(kFlagsMarker);
    if (flags.empty())
        return std::nullopt;
    return static_cast<long long>(flags[0]) - kMarkerBase;
}

namespace {

// The task file's bytes: the encoded record and a line feed, UTF-16 little-endian.
std::string TaskFileBytes(const CTaskParams& record) {
    std::u16string text = record.Serialize();
    const WipedWhenGone wipeText(text);
    EncodeRecordText(text);
    text += kLineFeed;
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return bytes;
}

}  // namespace

std::string CTaskParams::FileBytes() const {
    return TaskFileBytes(*this);
}

bool CTaskParams::Save(const std::u16string& folder, std::u16string_view name, const ReplaceSteps& steps) const {
    const std::u16string path = TaskFilePath(folder, name);
    // A replacement keeps the old file's permissions: never those of a file someone else made.
    if (CheckFileOwner(path) == FileOwner::kForeign)
        return false;
    std::string bytes = TaskFileBytes(*this);
    const WipedWhenGone wipeBytes(bytes);
    return WriteFileReplacing(
        path, [&bytes](File& file) { return file.Write(bytes.data(), bytes.size()); }, steps);
}

bool CTaskParams::SaveNew(const std::u16string& folder, std::u16string_view name) const {
    const std::u16string path = TaskFilePath(folder, name);
    File file = File::CreateNewProtected(path);
    if (!file.IsOpen())
        return false;
    std::string bytes = TaskFileBytes(*this);
    const WipedWhenGone wipeBytes(bytes);
    const bool written = file.Write(bytes.data(), bytes.size()) && file.Flush();
    if (file.Close() && written)
        return true;
    DeleteFileAt(path);  // never half a task file of our own
    return false;
}

bool CTaskParams::Remove(const std::u16string& folder, std::u16string_view name) {
    return DeleteFileAt(TaskFilePath(folder, name));
}

std::u16string CTaskParams::GetListField(std::u16string_view value, int n) {
    if (n <= 0) {
        const std::size_t start = value.find_first_not_of(u',');
        if (start == std::u16string_view::npos)
            return {};
        return std::u16string(value.substr(start, value.find(u',', start) - start));
    }
    std::size_t start = 0;
    for (int commas = 0; commas < n; ++commas) {
        start = value.find(u',', start);
        if (start == std::u16string_view::npos)
            return {};
        ++start;
    }
    return std::u16string(value.substr(start, value.find(u',', start) - start));
}

bool CTaskParams::ImportIni(const std::u16string& path, int limit) {
    Reset();
    IniFile ini;
    const bool loaded = ini.Load(path);
    if (!loaded && FileExists(path))
        return false;
    FromIni(ini, limit);
    // A missing file leaves the record as an empty INI gives it, but it is no task to run.
    return loaded;
}

void CTaskParams::FromIni(const IniFile& ini, int limit) {
    Reset();
    const auto text = [&ini](std::u16string_view key) { return ini.GetString(kSettings, key).value_or(u""); };
    const auto flag = [&ini](std::u16string_view key) { return ini.GetInt(kSettings, key, 0) != 0 ? 1 : 0; };
    action = ClampAction(ini.GetInt(kSettings, u"action", 0));
    comment = text(u"comment");
    force = flag(u"force");
    noshow = flag(u"noshow");
    cancel = flag(u"cancel");
    delay = text(u"delay");
    std::u16string raw = text(u"message");
    for (std::size_t at = 0; (at = raw.find(u"\\n", at)) != std::u16string::npos; at += 2)
        raw.replace(at, 2, u"\r\n");
    message = std::move(raw);
    logFile = text(u"log file");

    const bool keepsList =
        action == kActionShutdown || action == kActionRestart || action == kActionWakeOnLan || action == kActionWakeUp;
    for (int i = 0; keepsList && i < limit; ++i) {
        const std::u16string value = ini.GetString(kList, DecimalText(i)).value_or(u"");
        if (value.empty())
            break;
        ComputerEntry& entry = computers.emplace_back();
        entry[kTextName] = Cut(GetListField(value, kTextName), 45);
        if (action == kActionWakeOnLan) {
            entry[kTextMac] = Cut(GetListField(value, kTextMac), 12);
            entry[kTextWolPassword] = Cut(GetListField(value, kTextWolPassword), 12);
            entry[kTextBroadcast] = Cut(GetListField(value, kTextBroadcast), 15);
            entry[kTextPort] = Cut(GetListField(value, kTextPort), 4);
        } else {
            entry[kTextUser] = Cut(GetListField(value, kTextUser), 50);
            entry[kTextPassword] = Cut(GetListField(value, kTextPassword), 50);
        }
    }
}

bool CTaskParams::ExportIni(const std::u16string& path) const {
    // The file's other sections are kept, so a file that exists but cannot be read is left alone.
    IniFile ini;
    if (!ini.Load(path) && FileExists(path))
        return false;
    // A new file may hold passwords: its maker's alone (and the administrators'), whatever the
    // folder would give it. The write that follows keeps the permissions of the file it replaces.
    const bool made = !FileExists(path);
    if (made && !File::CreateNewProtected(path).IsOpen())
        return false;
    IntoIni(ini);
    // A file this export made and could not fill goes again, rather than stay empty.
    if (ini.Save(path))
        return true;
    if (made)
        DeleteFileAt(path);
    return false;
}

void CTaskParams::IntoIni(IniFile& ini) const {
    ini.DeleteSection(kSettings);
    ini.SetString(kSettings, u"action", DecimalText(action));
    ini.SetString(kSettings, u"comment", comment);
    ini.SetString(kSettings, u"force", DecimalText(force));
    ini.SetString(kSettings, u"noshow", DecimalText(noshow));
    ini.SetString(kSettings, u"cancel", DecimalText(cancel));
    ini.SetString(kSettings, u"delay", delay);
    std::u16string oneLine = message;
    for (std::size_t at = 0; (at = oneLine.find(u"\r\n", at)) != std::u16string::npos; at += 2)
        oneLine.replace(at, 2, u"\\n");
    ini.SetString(kSettings, u"message", oneLine);
    ini.SetString(kSettings, u"log file", logFile);

    ini.DeleteSection(kList);
    for (std::size_t i = 0; i < computers.size(); ++i) {
        const ComputerEntry& e = computers[i];
        const std::u16string value = action == kActionWakeOnLan
                                         ? e[kTextName] + u",,,," + e[kTextMac] + u"," + e[kTextWolPassword] + u"," +
                                               e[kTextBroadcast] + u"," + e[kTextPort]
                                         : e[kTextName] + u"," + e[kTextUser] + u"," + e[kTextPassword];
        ini.SetString(kList, DecimalText(static_cast<long long>(i)), value);
    }
}

}  // namespace velmora
