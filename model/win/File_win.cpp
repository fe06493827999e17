// The File object over Win32 file handles, with the share modes the task store relies on.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <string>

#include "model/File.h"
#include "platform/win/SidText.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t Open(const std::u16string& path, DWORD access, DWORD share, DWORD disposition,
                   SECURITY_ATTRIBUTES* security = nullptr) {
    HANDLE h = ::CreateFileW(W(path), access, share, security, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h);
}

std::u16string HexText(unsigned long long value) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    std::u16string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return text;
}

}  // namespace

// The process's own user, read once: it does not change while the process lives.
std::u16string OwnAccountSid() {
    static const std::u16string sid = [] {
        UniqueHandle token;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
            return std::u16string();
        alignas(TOKEN_USER) unsigned char buffer[256];
        DWORD size = 0;
        if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size))
            return std::u16string();
        return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    }();
    return sid;
}

File File::OpenRead(const std::u16string& path, ShareMode share) {
    const DWORD shareFlags =
        share == ShareMode::kRead ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    return File(Open(path, GENERIC_READ, shareFlags, OPEN_EXISTING));
}

File File::OpenReadWrite(const std::u16string& path) {
    return File(Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS));
}

File File::CreateTruncate(const std::u16string& path) {
    return File(Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
}

File File::CreateTempBeside(const std::u16string& target, std::u16string& path) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long long tag = (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32) |
                                       (::GetTickCount() ^ (counter.fetch_add(1) * 0x9E3779B9u));
        std::u16string candidate = target + u"." + HexText(tag) + u".tmp";
        const std::intptr_t h = Open(candidate, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);
        if (h != -1) {
            path = candidate;
            return File(h);
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    return File();
}

std::size_t File::Read(void* buffer, std::size_t size) {
    if (!IsOpen())
        return 0;
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD read = 0;
    if (!::ReadFile(AsHandle(handle_), buffer, chunk, &read, nullptr))
        return 0;
    return read;
}

bool File::Write(const void* data, std::size_t size) {
    if (!IsOpen())
        return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(AsHandle(handle_), p, chunk, &written, nullptr) || written == 0)
            return false;
        p += written;
        size -= written;
    }
    return true;
}

bool File::SeekToStart() {
    LARGE_INTEGER zero{};
    return IsOpen() && ::SetFilePointerEx(AsHandle(handle_), zero, nullptr, FILE_BEGIN);
}

std::int64_t File::Length() const {
    LARGE_INTEGER size{};
    if (!IsOpen() || !::GetFileSizeEx(AsHandle(handle_), &size))
        return -1;
    return size.QuadPart;
}

bool File::Flush() {
    return IsOpen() && ::FlushFileBuffers(AsHandle(handle_));
}

bool File::Close() {
    if (!IsOpen())
        return true;
    const BOOL closed = ::CloseHandle(AsHandle(handle_));
    handle_ = kInvalid;
    return closed != FALSE;
}

bool DeleteFileAt(const std::u16string& path) {
    return ::DeleteFileW(W(path)) != FALSE;
}

bool FileExists(const std::u16string& path) {
    const DWORD attributes = ::GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FileStamp> StampOf(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(W(path), GetFileExInfoStandard, &data))
        return std::nullopt;
    return FileStamp{static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                               data.ftLastWriteTime.dwLowDateTime),
                     (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
}

// ReplaceFileW also succeeds while a reader holds the old file open with delete sharing, where a
// plain rename over it is refused; it needs an existing target, so a new file is moved into place
// by the caller. Two of its failures leave the old file away from its name while the new text is
// still in the source: ERROR_UNABLE_TO_MOVE_REPLACEMENT (without a backup name, the old file is
// gone) and ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 (the old file lives on under another name).
// Another program may hold the new file alone for a moment: Wine's task scheduler opens every file
// that appears or changes in the Tasks folder without sharing it, to see whether it is a work item,
// and virus scanners do the like. Such a hold is waited out for about a second.
ReplaceOutcome ReplaceFileWith(const std::u16string& source, const std::u16string& target) {
    const DWORD attributes = ::GetFileAttributesW(W(target));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ReplaceOutcome::kUnchanged;  // Wine's ReplaceFileW would put the file in a folder's place
    for (int attempt = 1;; ++attempt) {
        if (::ReplaceFileW(W(target), W(source), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return ReplaceOutcome::kReplaced;
        const DWORD error = ::GetLastError();
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
            return ReplaceOutcome::kTargetGone;
        if (error != ERROR_SHARING_VIOLATION || attempt == 20)
            return ReplaceOutcome::kUnchanged;
        ::Sleep(50);
    }
}

bool MoveFileOver(const std::u16string& source, const std::u16string& target) {
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(W(source), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (::GetLastError() != ERROR_SHARING_VIOLATION || attempt == 20)
            return false;
        ::Sleep(50);
    }
}

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
    if (folder.empty() || folder.back() == u'\\' || folder.back() == u'/')
        return folder + name;
    return folder + u'\\' + name;
}

File File::CreateNewProtected(const std::u16string& path) {
    // Protected from the folder's inherited entries: a folder where every user may create files
    // (the Tasks folder) would otherwise decide who reads the task's passwords. Its maker keeps
    // full access: the executor runs a task made by an administrator as that user, often without
    // the administrators' rights, and must still store the run's log in it.
    std::u16string text = u"D:P(A;;FA;;;SY)(A;;FA;;;BA)";
    if (const std::u16string self = OwnAccountSid(); !self.empty())
        text += u"(A;;FA;;;" + self + u")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(W(text), SDDL_REVISION_1, &descriptor, nullptr))
        return File();
    const UniqueLocal descriptorOwner(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    return File(Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW, &attributes));
}

FileOwner CheckFileOwner(const std::u16string& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = ::GetNamedSecurityInfoW(W(path), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                                 nullptr, nullptr, &descriptor);
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND)
        return FileOwner::kMissing;
    if (status != ERROR_SUCCESS)
        return FileOwner::kForeign;
    const UniqueLocal descriptorOwner(descriptor);
    const std::u16string ownerSid = SidText(owner);
    if (ownerSid.empty())
        return FileOwner::kForeign;
    return IsTrustedOwner(ownerSid, OwnAccountSid()) ? FileOwner::kTrusted : FileOwner::kForeign;
}

}  // namespace velmora
