// velmora-folder.exe, the installer's helper for the install folder:
//   velmora-folder check <folder>    whether the folder may hold the programs
//   velmora-folder protect <folder>  checks again, then makes the missing folders on the way and the
//                                    install folder the installer's own (its descriptor, owner and all)
// The exit code is the verdict (packaging/InstallFolder.h). A program of the graphical subsystem, so
// the installer shows no console window while it runs.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "model/File.h"
#include "packaging/InstallFolder.h"
#include "platform/win/SidText.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

// The folder's owner and the entries that allow something on the folder itself; entries that only
// pass on to what the folder holds do not count for it.
void ReadSecurity(FolderFacts& facts) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(W(facts.path), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        facts.readable = false;
        return;
    }
    const UniqueLocal descriptorOwner(descriptor);
    facts.owner = SidText(owner);
    if (!dacl) {
        facts.nullDacl = true;
        return;
    }
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) {
            facts.readable = false;
            return;
        }
        const auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        facts.allowed.push_back({SidText(const_cast<DWORD*>(&allowed->SidStart)), allowed->Mask});
    }
}

std::vector<std::u16string> Entries(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(W(folder + u"\\*"), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(FromWide(name));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// The folders of the chain that exist, root first; a file in the way reads as unreadable.
std::vector<FolderFacts> ExistingFolders(const std::vector<std::u16string>& chain) {
    std::vector<FolderFacts> existing;
    for (const std::u16string& path : chain) {
        const DWORD attributes = ::GetFileAttributesW(W(path));
        if (attributes == INVALID_FILE_ATTRIBUTES)
            break;
        FolderFacts facts;
        facts.path = path;
        facts.reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            facts.readable = false;
        else
            ReadSecurity(facts);
        existing.push_back(std::move(facts));
        if (!existing.back().readable)
            break;
    }
    if (existing.size() == chain.size() && !existing.empty())
        existing.back().entries = Entries(existing.back().path);
    return existing;
}

// Makes the missing folders with the installer's descriptor and gives it to an install folder that
// was there and holds only Velmora's files. Setting it on a folder passes its entries on to what the
// folder already holds.
bool Protect(const std::vector<std::u16string>& chain, const std::vector<FolderFacts>& existingFolders) {
    const std::size_t existing = existingFolders.size();
    if (existing == chain.size() && !TakesInstallDescriptor(existingFolders.back().entries))
        return true;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(W(std::u16string(kInstallFolderDescriptor)),
                                                                SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    const UniqueLocal descriptorOwner(descriptor);
    if (existing == chain.size()) {
        PSID owner = nullptr;
        PACL dacl = nullptr;
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        if (!::GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
            !::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
            return false;
        std::wstring path = ToWide(chain.back());
        return ::SetNamedSecurityInfoW(
                   path.data(), SE_FILE_OBJECT,
                   OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, owner,
                   nullptr, dacl, nullptr) == ERROR_SUCCESS;
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    for (std::size_t i = existing; i < chain.size(); ++i)
        if (!::CreateDirectoryW(W(chain[i]), &attributes))
            return false;
    return true;
}

int Run(const std::wstring& mode, const std::wstring& folder) {
    const bool protect = mode == L"protect";
    if (!protect && mode != L"check")
        return kFolderExitUsage;
    const std::vector<std::u16string> chain = FolderChain(FromWide(folder));
    if (chain.empty())
        return kFolderExitUsage;
    const std::vector<FolderFacts> existing = ExistingFolders(chain);
    const FolderCheck check = CheckInstallFolder(existing, existing.size() == chain.size(), OwnAccountSid());
    if (check.verdict != FolderVerdict::kUsable || !protect)
        return FolderExitCode(check.verdict);
    return Protect(chain, existing) ? kFolderExitUsable : kFolderExitNotProtected;
}

}  // namespace
}  // namespace velmora

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments)
        return velmora::kFolderExitUsage;
    const int code = count == 3 ? velmora::Run(arguments[1], arguments[2]) : velmora::kFolderExitUsage;
    ::LocalFree(arguments);
    return code;
}
