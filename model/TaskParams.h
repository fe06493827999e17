// The task parameters record: action codes, computer entries, the task file and the INI form.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/File.h"

namespace velmora {

enum ActionCode : int {
    kActionShutdown = 0,
    kActionHibernate = 1,
    kActionStandby = 2,
    kActionRestart = 3,
    kActionPowerOff = 4,
    kActionLock = 5,
    kActionLogOff = 6,
    kActionMonitorOff = 7,  // named "ping": the computer list's ping command uses the code
    kActionMonitorOn = 8,
    kActionPopup = 9,
    kActionWakeOnLan = 10,
    kActionWakeUp = 11,  // the work item itself wakes the computer; the executor does nothing
};

// 0 to 10 stay, every other value reads as 11.
int ClampAction(long long code);
// The name written to logs; empty for 11 and for any value outside the codes.
std::u16string ActionName(int code);

// The eleven texts of one computer, addressed by index.
enum ComputerText : std::size_t {
    kTextName = 0,  // computer name or IPv4 address
    kTextUser = 1,
    kTextPassword = 2,
    kTextMac = 4,          // twelve hexadecimal digits
    kTextWolPassword = 5,  // twelve hexadecimal digits, empty for none
    kTextBroadcast = 6,
    kTextPort = 7,
    kTextRangeAddress = 9,  // set when an IP range added the computer
    kTextState = 10,        // the last result shown in the computer list
    kComputerTextCount = 11,
};
using ComputerEntry = std::array<std::u16string, kComputerTextCount>;

constexpr std::size_t kHistoryLimit = 150000;
constexpr int kComputerLimit = 10000;

// Every task name begins with the prefix of its kind: a task for this computer, or one for a list
// of computers. The scheduler's work item and the task file carry the same name.
constexpr char16_t kLocalPrefix[] = u"quenep-0";
constexpr char16_t kRemotePrefix[] = u"quenep-1";

// The task name within a longer text (an argument, a file name): everything up to the first ".".
std::u16string TaskNameOf(std::u16string_view text);
// The task file of a task: "<folder>\<name>.dat".
std::u16string TaskFilePath(const std::u16string& folder, std::u16string_view name);

// The record format has no escapes: a text unit equal to a marker (7000 to 7999), or one that the
// encoding step turns into the line feed that ends the record (0x3C68), cannot be stored. Such
// units are written as U+FFFD; dialogs can refuse them up front with this test.
bool IsStorableText(std::u16string_view text);

class IniFile;

class CTaskParams {
public:
    CTaskParams();

    bool Reset();

    // The record text with its checksum, before the encoding step.
    std::u16string Serialize() const;
    // Reads an encoded record text; `full` false reads only the flags and the comment.
    bool Parse(std::u16string_view encoded, bool full);

    // False also for a task file whose owner is not trusted (see CheckFileOwner).
    bool Load(const std::u16string& folder, std::u16string_view name, bool full);
    // Never leaves a half-written task file: false, and the old file as it was, on any failure. A
    // file whose owner is not trusted is not replaced. `steps` may forbid a write in place.
    bool Save(const std::u16string& folder, std::u16string_view name, const ReplaceSteps& steps = {}) const;
    // The task file of a new task: created only where no file is, readable by the system and the
    // administrators alone; false when a file of that name is there already.
    bool SaveNew(const std::u16string& folder, std::u16string_view name) const;
    static bool Remove(const std::u16string& folder, std::u16string_view name);
    // Reads a task file's bytes held in memory, as Load reads the file.
    bool ParseFileBytes(std::string_view bytes, bool full);
    // The bytes Save writes; they hold the passwords in the clear, so wipe them after use.
    std::string FileBytes() const;

    // Reads the INI form; at most `limit` computers are read. False when the file is missing (the
    // record is then reset with cancel 0) or cannot be read (the record is reset).
    bool ImportIni(const std::u16string& path, int limit);
    // Writes the INI form into `path`, keeping the file's other sections; false when it cannot.
    bool ExportIni(const std::u16string& path) const;
    // The INI form's fields, read from and written into an INI file's content.
    void FromIni(const IniFile& ini, int limit);
    void IntoIni(IniFile& ini) const;

    // Field `n` of a comma-separated list value (field 0 skips leading commas).
    static std::u16string GetListField(std::u16string_view value, int n);

    int action = kActionShutdown;
    std::u16string comment;
    int local = 0;
    int force = 0;
    int noshow = 0;
    int cancel = 1;
    std::u16string delay;
    std::u16string message;
    std::u16string history;
    std::u16string logFile;
    std::vector<ComputerEntry> computers;
};

// The action code a task file holds, as stored and before it is clamped to a known code; nothing
// when the file cannot be read or fails its check.
std::optional<long long> LoadStoredAction(const std::u16string& folder, std::u16string_view name);

// The encoding step of the task file, and its inverse: every unit from index 100 on is shifted.
void EncodeRecordText(std::u16string& text);
void DecodeRecordText(std::u16string& text);

}  // namespace velmora
