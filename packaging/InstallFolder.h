// Whether a folder may hold Velmora's programs: the elevated uninstaller and the manager, which
// asks for the highest rights its user has, run from it, so nobody but the system and the
// administrators may put files in it, or put another folder in its place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Access rights of files and folders as their access entries hold them.
constexpr std::uint32_t kRightAddFile = 0x2;
constexpr std::uint32_t kRightAddSubfolder = 0x4;
constexpr std::uint32_t kRightDeleteChild = 0x40;
constexpr std::uint32_t kRightDelete = 0x10000;
constexpr std::uint32_t kRightWriteDac = 0x40000;
constexpr std::uint32_t kRightWriteOwner = 0x80000;
constexpr std::uint32_t kRightGenericAll = 0x10000000;
constexpr std::uint32_t kRightGenericWrite = 0x40000000;

// The descriptor the installer gives the install folder and every folder it makes on the way:
// owned by the administrators, not inheriting from its parent, full control for the system and the
// administrators, read and run for users; files and folders in it inherit the same.
constexpr char16_t kInstallFolderDescriptor[] = u"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// One access entry that allows, and applies to the folder itself (not only to what it holds).
struct AllowedAccess {
    std::u16string sid;  // text form, "S-1-5-32-545"
    std::uint32_t rights = 0;
};

// What the system says about one existing folder on the way to the install folder.
struct FolderFacts {
    std::u16string path;
    bool readable = true;       // its owner and access entries could be read
    bool reparsePoint = false;  // a junction or link, which leads elsewhere
    std::u16string owner;
    bool nullDacl = false;  // no access list at all: everyone may do everything
    std::vector<AllowedAccess> allowed;
    std::vector<std::u16string> entries;  // the names of what it holds (read for the install folder only)
};

enum class FolderVerdict {
    kUsable,
    kUnreadable,     // a folder's security could not be read
    kReparsePoint,   // a folder on the way is a junction or link
    kReplaceable,    // others may rename, delete or re-secure a folder on the way
    kOthersContent,  // the install folder exists, others may write in it, and it holds files not ours
};

struct FolderCheck {
    FolderVerdict verdict = FolderVerdict::kUsable;
    std::u16string path;  // the folder that decided
};

// The folders from the drive's root to `installFolder`: "C:\", "C:\Tools", "C:\Tools\Velmora".
// Slashes count as backslashes, and doubled or closing ones are dropped. Empty for a path that
// is not a full path on a drive ("C:\…") or a share ("\\server\share\…").
std::vector<std::u16string> FolderChain(std::u16string_view installFolder);

// Whether an account may be left with rights over the install folder: the system, the
// administrators, the system's installer service, the creator-owner and owner-rights entries
// (which stand for the owner, itself checked), and `self`, the account that installs.
bool IsInstallTrustee(std::u16string_view sid, std::u16string_view self);

// The names the installer itself puts in the install folder, with the ".new" and ".old" copies of
// a replacement; any other name was put there by someone else.
bool IsVelmoraFileName(std::u16string_view name);

// Whether an existing install folder gets the installer's descriptor: only when it holds nothing
// but Velmora's own files. Setting it passes it on to everything the folder holds, so a folder with
// other things in it (someone chose "C:\\Program Files" itself) keeps its own, which lets only
// administrators change it, or the check would have refused it.
bool TakesInstallDescriptor(const std::vector<std::u16string>& entries);

// Decides over the existing folders of the chain, root first; the last one is the install folder
// when `installFolderExists`.
FolderCheck CheckInstallFolder(const std::vector<FolderFacts>& existing, bool installFolderExists,
                               std::u16string_view self);

// The helper's exit codes, which the installer script tells apart.
constexpr int kFolderExitUsable = 0;
constexpr int kFolderExitUsage = 2;
constexpr int kFolderExitUnreadable = 3;
constexpr int kFolderExitReparsePoint = 4;
constexpr int kFolderExitReplaceable = 5;
constexpr int kFolderExitOthersContent = 6;
constexpr int kFolderExitNotProtected = 7;  // a folder could not be made or given its descriptor

int FolderExitCode(FolderVerdict verdict);

}  // namespace velmora
