// Where a privileged run may write its log file: only along a path that no one but the system and the
// administrators could have laid, so that nobody can send the run's writing into a file of theirs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// One entry of an access list as the system keeps it, the account in its text form ("S-1-5-18").
struct AccessEntry {
    std::u16string account;
    std::uint32_t rights = 0;
    bool allows = true;
    bool inheritOnly = false;  // it applies to what is made inside, not to the folder itself
};

// What the system says about one folder or file of a path.
struct PathStep {
    std::uint32_t error = 0;  // it could not be opened or its security read: the system's code
    bool folder = false;
    bool reparsePoint = false;  // a junction, a symbolic link or a mount point
    std::u16string owner;
    bool hasAccessList = true;  // without one, everyone may do everything
    std::vector<AccessEntry> entries;
};

class PathExaminer {
public:
    virtual ~PathExaminer() = default;
    // The full path as the system resolves it (".." and "." taken out); nothing when it cannot.
    virtual std::optional<std::u16string> FullPath(const std::u16string& path) = 0;
    virtual bool IsNetworkDrive(const std::u16string& root) = 0;
    // Looks at a folder and holds it open until the examiner goes, so that nobody can rename or
    // replace it while the log is written.
    virtual PathStep HoldFolder(const std::u16string& path) = 0;
    // Looks at the file itself without holding it; error 2 when there is none yet.
    virtual PathStep LookAtFile(const std::u16string& path) = 0;
};

// Whether anyone but the system, the administrators and the system's installer could change what the
// folder holds: its owner, or an entry that grants writing, appending, creating, deleting or changing
// its permissions to another account.
bool OthersMayWrite(const PathStep& step);

struct LogPathCheck {
    std::u16string path;     // the full path to write
    std::u16string refusal;  // why the path is refused; empty when it is not
};

// A local path on a drive of this computer, through no junction or link, into a folder that only the
// system and the administrators can write.
LogPathCheck CheckPrivilegedLogPath(const std::u16string& path, PathExaminer& examiner);

}  // namespace velmora
