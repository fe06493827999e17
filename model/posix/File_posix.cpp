// The File object over POSIX descriptors; paths are UTF-16 and reach the system as UTF-8.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "model/File.h"
#include "model/Utf.h"

namespace velmora {
namespace {

std::string NativePath(const std::u16string& path) {
    return Utf16ToUtf8(path);
}

// POSIX has no share modes: the sharing a caller asks for is what the system gives anyway.
std::intptr_t OpenPath(const std::u16string& path, int flags) {
    const int fd = ::open(NativePath(path).c_str(), flags | O_CLOEXEC, 0644);
    return fd < 0 ? -1 : fd;
}

}  // namespace

File File::OpenRead(const std::u16string& path, ShareMode) {
    return File(OpenPath(path, O_RDONLY));
}

File File::OpenReadWrite(const std::u16string& path) {
    return File(OpenPath(path, O_RDWR | O_CREAT));
}

File File::CreateTruncate(const std::u16string& path) {
    return File(OpenPath(path, O_WRONLY | O_CREAT | O_TRUNC));
}

File File::CreateTempBeside(const std::u16string& target, std::u16string& path) {
    std::string pattern = NativePath(target) + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return File();
    ::fchmod(fd, 0644);
    path = Utf8ToUtf16(pattern);
    return File(fd);
}

std::size_t File::Read(void* buffer, std::size_t size) {
    if (!IsOpen())
        return 0;
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return 0;
    }
}

bool File::Write(const void* data, std::size_t size) {
    if (!IsOpen())
        return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(static_cast<int>(handle_), p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool File::SeekToStart() {
    return IsOpen() && ::lseek(static_cast<int>(handle_), 0, SEEK_SET) == 0;
}

std::int64_t File::Length() const {
    struct stat st {};
    if (!IsOpen() || ::fstat(static_cast<int>(handle_), &st) != 0)
        return -1;
    return st.st_size;
}

bool File::Flush() {
    return IsOpen() && ::fsync(static_cast<int>(handle_)) == 0;
}

bool File::Close() {
    if (!IsOpen())
        return true;
    const int result = ::close(static_cast<int>(handle_));
    handle_ = kInvalid;
    return result == 0;
}

bool DeleteFileAt(const std::u16string& path) {
    return ::unlink(NativePath(path).c_str()) == 0;
}

bool FileExists(const std::u16string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<FileStamp> StampOf(const std::u16string& path) {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0)
        return std::nullopt;
    return FileStamp{static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                     static_cast<std::uint64_t>(st.st_size)};
}

// A rename either happens whole or not at all.
ReplaceOutcome ReplaceFileWith(const std::u16string& source, const std::u16string& target) {
    return MoveFileOver(source, target) ? ReplaceOutcome::kReplaced : ReplaceOutcome::kUnchanged;
}

bool MoveFileOver(const std::u16string& source, const std::u16string& target) {
    return ::rename(NativePath(source).c_str(), NativePath(target).c_str()) == 0;
}

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
    if (folder.empty() || folder.back() == u'/')
        return folder + name;
    return folder + u'/' + name;
}

File File::CreateNewProtected(const std::u16string& path) {
    const int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    return File(fd < 0 ? -1 : fd);
}

// The same rule in this system's terms: the super-user, or the program's own user.
FileOwner CheckFileOwner(const std::u16string& path) {
    struct stat info {};
    if (::stat(NativePath(path).c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileOwner::kMissing : FileOwner::kForeign;
    const std::u16string owner = info.st_uid == 0 ? u"S-1-5-18" : u"uid-" + Utf8ToUtf16(std::to_string(info.st_uid));
    return IsTrustedOwner(owner, OwnAccountSid()) ? FileOwner::kTrusted : FileOwner::kForeign;
}

// The super-user stands for the system account.
std::u16string OwnAccountSid() {
    const uid_t self = ::geteuid();
    return self == 0 ? u"S-1-5-18" : u"uid-" + Utf8ToUtf16(std::to_string(self));
}

}  // namespace velmora
