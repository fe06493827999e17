// Reading a folder's or file's kind and permissions through a handle that does not follow links.
#include "executor/win/SystemPathExaminer.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "platform/win/SidText.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

// Opened on the link itself where there is one: a junction or a symbolic link is looked at, not
// followed. Without delete sharing, nobody can rename or delete it while the handle is open.
UniqueFile OpenStep(const std::u16string& path, DWORD share) {
    return UniqueFile(::CreateFileW(W(path), READ_CONTROL | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

PathStep Examine(HANDLE handle) {
    PathStep step;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        step.error = ::GetLastError();
        return step;
    }
    step.folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    step.reparsePoint = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (const DWORD error =
            ::GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &list, nullptr, &descriptor);
        error != ERROR_SUCCESS) {
        step.error = error;
        return step;
    }
    const UniqueLocal descriptorOwner(descriptor);
    step.owner = SidText(owner);
    step.hasAccessList = list != nullptr;
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(list, i, &ace))
            continue;
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        const bool allows =
            header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
        const bool denies =
            header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == ACCESS_DENIED_CALLBACK_ACE_TYPE;
        if (!allows && !denies)
            continue;  // object and audit entries do not apply to files
        // The allowed, denied and callback entries share one layout: mask, then the account.
        const auto* entry = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        step.entries.push_back({SidText(const_cast<DWORD*>(&entry->SidStart)), entry->Mask, allows,
                                (header->AceFlags & INHERIT_ONLY_ACE) != 0});
    }
    return step;
}

}  // namespace

std::optional<std::u16string> SystemPathExaminer::FullPath(const std::u16string& path) {
    const DWORD needed = ::GetFullPathNameW(W(path), 0, nullptr, nullptr);
    if (needed == 0)
        return std::nullopt;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(W(path), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return std::nullopt;
    full.resize(length);
    return FromWide(full.c_str(), length);
}

bool SystemPathExaminer::IsNetworkDrive(const std::u16string& root) {
    return ::GetDriveTypeW(W(root)) == DRIVE_REMOTE;
}

PathStep SystemPathExaminer::HoldFolder(const std::u16string& path) {
    UniqueFile folder = OpenStep(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!folder) {
        PathStep step;
        step.error = ::GetLastError();
        return step;
    }
    PathStep step = Examine(folder.get());
    held_.push_back(std::move(folder));
    return step;
}

PathStep SystemPathExaminer::LookAtFile(const std::u16string& path) {
    const UniqueFile file = OpenStep(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!file) {
        PathStep step;
        step.error = ::GetLastError();
        return step;
    }
    return Examine(file.get());
}

}  // namespace velmora
