// The checks of a privileged run's log path.
#include "executor/LogPath.h"

#include "model/Text.h"

namespace velmora {
namespace {

constexpr std::u16string_view kSystem = u"S-1-5-18";
constexpr std::u16string_view kAdministrators = u"S-1-5-32-544";
constexpr std::u16string_view kCreatorOwner = u"S-1-3-0";
constexpr std::u16string_view kTrustedInstaller = u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Rights that change what a folder holds or who may change it: add a file (also write data), add a
// folder (also append), write extended attributes or attributes, delete a child, delete, change the
// permissions or the owner, and the generic rights that include writing.
constexpr std::uint32_t kWriteRights = 0x2 | 0x4 | 0x10 | 0x40 | 0x100 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 |
                                       0x40000000 | 0x02000000;  // the last: maximum allowed

bool Trusted(std::u16string_view account) {
    return account == kSystem || account == kAdministrators || account == kTrustedInstaller;
}

// The creator's entry is a pattern for what is made inside: on the folder itself it grants nobody.
bool GrantsNobody(std::u16string_view account) {
    return account == kCreatorOwner;
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

std::u16string ErrorText(const std::u16string& what, std::uint32_t error) {
    return what + u" cannot be examined (error " + DecimalText(static_cast<std::int32_t>(error)) + u")";
}

}  // namespace

// Denying entries are not weighed: a grant that a denial may cancel still counts, which errs on the
// side of refusing.
bool OthersMayWrite(const PathStep& step) {
    if (!step.hasAccessList || !Trusted(step.owner))
        return true;
    for (const AccessEntry& entry : step.entries) {
        if (entry.allows && !entry.inheritOnly && (entry.rights & kWriteRights) != 0 && !Trusted(entry.account) &&
            !GrantsNobody(entry.account))
            return true;
    }
    return false;
}

LogPathCheck CheckPrivilegedLogPath(const std::u16string& path, PathExaminer& examiner) {
    LogPathCheck check{path, {}};
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        check.refusal = u"it is a network or device path";
        return check;
    }
    const std::optional<std::u16string> full = examiner.FullPath(path);
    if (!full || full->size() < 4 || (*full)[1] != u':' || (*full)[2] != u'\\') {
        check.refusal = u"it is not a full local path";
        return check;
    }
    check.path = *full;
    const std::u16string root = full->substr(0, 3);
    if (examiner.IsNetworkDrive(root)) {
        check.refusal = u"it is on a network drive";
        return check;
    }
    // Every folder from the drive's root down, held open as it is looked at.
    const std::size_t fileStart = full->find_last_of(u'\\') + 1;
    if (fileStart == full->size()) {
        check.refusal = u"it names a folder";
        return check;
    }
    std::vector<std::u16string> folders{root};
    for (std::size_t at = full->find(u'\\', 3); at != std::u16string::npos && at < fileStart;
         at = full->find(u'\\', at + 1))
        folders.push_back(full->substr(0, at));
    PathStep folder;
    for (const std::u16string& prefix : folders) {
        folder = examiner.HoldFolder(prefix);
        if (folder.error != 0) {
            check.refusal = ErrorText(u"the folder " + prefix, folder.error);
            return check;
        }
        if (folder.reparsePoint) {
            check.refusal = u"the folder " + prefix + u" is a link";
            return check;
        }
    }
    if (OthersMayWrite(folder)) {
        check.refusal = u"others than the administrators may write its folder";
        return check;
    }
    const PathStep file = examiner.LookAtFile(*full);
    if (file.error == 0 && file.reparsePoint)
        check.refusal = u"the file is a link";
    else if (file.error != 0 && file.error != 2)
        check.refusal = ErrorText(u"the file", file.error);
    return check;
}

}  // namespace velmora
