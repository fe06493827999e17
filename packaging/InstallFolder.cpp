// The install folder's check: the folders on its way, who may change them, and what it holds.
#include "packaging/InstallFolder.h"

#include <algorithm>

namespace velmora {
namespace {

constexpr std::u16string_view kSystem = u"S-1-5-18";
constexpr std::u16string_view kAdministrators = u"S-1-5-32-544";
constexpr std::u16string_view kTrustedInstaller = u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr std::u16string_view kCreatorOwner = u"S-1-3-0";
constexpr std::u16string_view kOwnerRights = u"S-1-3-4";

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Lower(x) == Lower(y); });
}

// The rights an entry's mask grants, with the generic rights spelt out as a folder reads them.
std::uint32_t Granted(std::uint32_t mask) {
    if (mask & kRightGenericAll)
        return 0xFFFFFFFF;
    if (mask & kRightGenericWrite)
        mask |= kRightAddFile | kRightAddSubfolder;
    return mask;
}

// Whether anyone the installer cannot trust holds one of `rights` over the folder.
bool OthersHold(const FolderFacts& folder, std::uint32_t rights, std::u16string_view self) {
    if (folder.nullDacl)
        return true;
    return std::any_of(folder.allowed.begin(), folder.allowed.end(), [&](const AllowedAccess& entry) {
        return (Granted(entry.rights) & rights) != 0 && !IsInstallTrustee(entry.sid, self);
    });
}

}  // namespace

std::vector<std::u16string> FolderChain(std::u16string_view installFolder) {
    std::u16string path(installFolder);
    std::replace(path.begin(), path.end(), u'/', u'\\');
    std::u16string root;
    std::size_t rest = 0;
    if (path.size() >= 3 && path[1] == u':' && path[2] == u'\\' &&
        ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'))) {
        root = path.substr(0, 3);
        rest = 3;
    } else if (path.starts_with(u"\\\\") && !path.starts_with(u"\\\\?\\") && !path.starts_with(u"\\\\.\\")) {
        const std::size_t server = path.find(u'\\', 2);
        const std::size_t share = server == std::u16string::npos ? server : path.find(u'\\', server + 1);
        if (server == 2 || share == std::u16string::npos || share == server + 1)
            return {};
        root = path.substr(0, share + 1);
        rest = share + 1;
    } else {
        return {};
    }
    std::vector<std::u16string> chain{root};
    std::u16string current = root;
    while (rest < path.size()) {
        std::size_t end = path.find(u'\\', rest);
        if (end == std::u16string::npos)
            end = path.size();
        const std::u16string part = path.substr(rest, end - rest);
        rest = end + 1;
        if (part.empty())
            continue;
        // A "." or ".." would make the chain's folders other than the ones the path reaches.
        if (part == u"." || part == u"..")
            return {};
        if (current.back() != u'\\')
            current += u'\\';
        current += part;
        chain.push_back(current);
    }
    return chain;
}

bool IsInstallTrustee(std::u16string_view sid, std::u16string_view self) {
    return sid == kSystem || sid == kAdministrators || sid == kTrustedInstaller || sid == kCreatorOwner ||
           sid == kOwnerRights || (!self.empty() && sid == self);
}

bool IsVelmoraFileName(std::u16string_view name) {
    for (std::u16string_view ending : {u".new", u".old"}) {
        if (name.size() > ending.size() && SameIgnoringCase(name.substr(name.size() - ending.size()), ending)) {
            name.remove_suffix(ending.size());
            break;
        }
    }
    for (std::u16string_view ours : {u"Velmora.exe", u"quenex.exe", u"Velmora.chm", u"uninstall.exe"})
        if (SameIgnoringCase(name, ours))
            return true;
    return false;
}

bool TakesInstallDescriptor(const std::vector<std::u16string>& entries) {
    return std::all_of(entries.begin(), entries.end(), IsVelmoraFileName);
}

FolderCheck CheckInstallFolder(const std::vector<FolderFacts>& existing, bool installFolderExists,
                               std::u16string_view self) {
    for (std::size_t i = 0; i < existing.size(); ++i) {
        const FolderFacts& folder = existing[i];
        if (!folder.readable)
            return {FolderVerdict::kUnreadable, folder.path};
        if (folder.reparsePoint)
            return {FolderVerdict::kReparsePoint, folder.path};
        // An owner may always rewrite the access list; whoever may change the list or the owner
        // may give themselves every right.
        if (folder.owner.empty() || !IsInstallTrustee(folder.owner, self) ||
            OthersHold(folder, kRightWriteDac | kRightWriteOwner, self))
            return {FolderVerdict::kReplaceable, folder.path};
        // A folder that others may delete or rename, or whose parent lets them remove what it
        // holds, can be moved away and another one put in its place. A drive's root cannot.
        if (i > 0 && (OthersHold(folder, kRightDelete, self) || OthersHold(existing[i - 1], kRightDeleteChild, self)))
            return {FolderVerdict::kReplaceable, folder.path};
    }
    // The installer gives an existing install folder its own descriptor; what others put in it
    // before, a library beside the programs above all, would stay.
    if (installFolderExists && !existing.empty()) {
        const FolderFacts& folder = existing.back();
        if (OthersHold(folder, kRightAddFile | kRightAddSubfolder | kRightDeleteChild, self) &&
            !std::all_of(folder.entries.begin(), folder.entries.end(), IsVelmoraFileName))
            return {FolderVerdict::kOthersContent, folder.path};
    }
    return {};
}

int FolderExitCode(FolderVerdict verdict) {
    switch (verdict) {
        case FolderVerdict::kUsable:
            return kFolderExitUsable;
        case FolderVerdict::kUnreadable:
            return kFolderExitUnreadable;
        case FolderVerdict::kReparsePoint:
            return kFolderExitReparsePoint;
        case FolderVerdict::kReplaceable:
            return kFolderExitReplaceable;
        case FolderVerdict::kOthersContent:
            return kFolderExitOthersContent;
    }
    return kFolderExitUnreadable;
}

}  // namespace velmora
