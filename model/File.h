// A plain file object with explicit sharing, and the few file-system steps the task model needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// What other openers may do with the file while this object holds it open for reading.
enum class ShareMode {
    kRead,            // others may read, not write
    kReadWriteDelete  // others may read, write, and rename or delete it
};

// Move-only file handle. The platform half lives in File_posix.cpp and win/File_win.cpp.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    static File OpenRead(const std::u16string& path, ShareMode share);
    // Opens for reading and writing, creating the file when it is missing and keeping its content.
    static File OpenReadWrite(const std::u16string& path);
    // Creates the file or truncates it, for writing; others may read it meanwhile.
    static File CreateTruncate(const std::u16string& path);
    // Creates a new, uniquely named file in the folder of `target`; its path goes to `path`.
    static File CreateTempBeside(const std::u16string& target, std::u16string& path);
    // Creates a file that must not exist yet, for writing, that only the system, the administrators
    // and its maker may open; nothing when a file is there already.
    static File CreateNewProtected(const std::u16string& path);

    bool IsOpen() const { return handle_ != kInvalid; }
    // Reads up to `size` bytes; 0 at the end of the file or on an error.
    std::size_t Read(void* buffer, std::size_t size);
    // Writes all bytes; false on any error (a full disk included).
    bool Write(const void* data, std::size_t size);
    bool SeekToStart();
    // The file's length in bytes, or -1 when unknown.
    std::int64_t Length() const;
    // Forces written data to the disk.
    bool Flush();
    // False when closing failed, which can mean that buffered data was not written.
    bool Close();

private:
    static constexpr std::intptr_t kInvalid = -1;
    explicit File(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = kInvalid;
};

bool DeleteFileAt(const std::u16string& path);

// Whether a program that runs tasks with high rights may trust a file: its owner is the system, the
// administrators, or the program's own account. Anyone else could have planted it.
// A file that is there but whose owner cannot be read (its maker may deny us that) is foreign.
enum class FileOwner { kTrusted, kForeign, kMissing };
FileOwner CheckFileOwner(const std::u16string& path);
// The decision over security identifiers in their text form ("S-1-5-18").
bool IsTrustedOwner(std::u16string_view owner, std::u16string_view self);
// The account this process runs as, from its token, in the same text form ("S-1-5-18" for the
// system account); empty when it cannot be read.
std::u16string OwnAccountSid();
// The whole content of a file; nothing when it cannot be opened or read to its end.
std::optional<std::string> ReadWholeFile(const std::u16string& path);
bool FileExists(const std::u16string& path);
// When a file was last written and how long it is: a file whose stamp is the same was not
// rewritten in between. None for a file that is not there.
struct FileStamp {
    std::int64_t written = 0;
    std::uint64_t size = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(const std::u16string& path);

// How an attempt to put one file in the place of another ended.
enum class ReplaceOutcome {
    kReplaced,    // the target holds the source's content and the source is gone
    kUnchanged,   // nothing moved: the old target (if any) and the source are as they were
    kTargetGone,  // the old target left its name, but the source could not take it: the new content
                  // is only in the source
};

// Replaces `target` by `source` in one step, keeping the target's identity where the platform can.
ReplaceOutcome ReplaceFileWith(const std::u16string& source, const std::u16string& target);
// Renames `source` to `target`, over an existing target.
bool MoveFileOver(const std::u16string& source, const std::u16string& target);
// Joins a folder and a file name with the platform's separator.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);

// The file-system steps of a replacing write; the platform's own unless a test passes others.
struct ReplaceSteps {
    std::function<File(const std::u16string& target, std::u16string& tempPath)> createTemp = File::CreateTempBeside;
    std::function<ReplaceOutcome(const std::u16string& source, const std::u16string& target)> replace = ReplaceFileWith;
    std::function<bool(const std::u16string& source, const std::u16string& target)> move = MoveFileOver;
    std::function<bool(const std::u16string& path)> remove = DeleteFileAt;
    // Opens the target itself for a write in place: created or truncated.
    std::function<File(const std::u16string& path)> openInPlace = File::CreateTruncate;
    // Whether a write in place may stand in for a replacement. A write in place opens whatever the
    // name leads to, through any link: a program with high rights never takes it.
    bool inPlace = true;
};

// Writes a whole new version of `path` so that a crash or a full disk never leaves a half-written
// file: `write` fills a temporary file beside it, which then replaces the old file in one step.
// Where no file can be created beside it, the file is written in place, when the steps allow it. False when the new
// version could not be stored: the old file then stays as it was, unless the platform's replace took
// it away or a write in place failed halfway; no step ever deletes the last copy of the new text.
bool WriteFileReplacing(const std::u16string& path, const std::function<bool(File&)>& write,
                        const ReplaceSteps& steps = {});

}  // namespace velmora
