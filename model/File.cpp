// Platform-independent file steps built on the File object.
#include "model/File.h"

namespace velmora {

File::File(File&& other) noexcept : handle_(other.handle_) {
    other.handle_ = kInvalid;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = kInvalid;
    }
    return *this;
}

File::~File() {
    Close();
}

namespace {

// Fills `file` through `write` and closes it; false when any byte may be missing.
bool FillAndClose(File& file, const std::function<bool(File&)>& write) {
    bool written = write(file) && file.Flush();
    written = file.Close() && written;
    return written;
}

bool WriteInPlace(const std::u16string& path, const std::function<bool(File&)>& write, const ReplaceSteps& steps) {
    if (!steps.inPlace)
        return false;
    File file = steps.openInPlace(path);
    return file.IsOpen() && FillAndClose(file, write);
}

}  // namespace

bool WriteFileReplacing(const std::u16string& path, const std::function<bool(File&)>& write,
                        const ReplaceSteps& steps) {
    std::u16string tempPath;
    File temp = steps.createTemp(path, tempPath);
    // An account may be allowed to write the file but not to create files in its folder (the task
    // store is one such place): writing in place is then the only way to store anything.
    if (!temp.IsOpen())
        return WriteInPlace(path, write, steps);
    if (!FillAndClose(temp, write)) {
        steps.remove(tempPath);
        return false;
    }
    switch (steps.replace(tempPath, path)) {
        case ReplaceOutcome::kReplaced:
            return true;
        case ReplaceOutcome::kTargetGone:
            // The old file has left its name and the new text lives only in the temporary file:
            // it is moved into place, or written there anew, and kept when neither works.
            if (steps.move(tempPath, path))
                return true;
            if (!WriteInPlace(path, write, steps))
                return false;
            steps.remove(tempPath);
            return true;
        case ReplaceOutcome::kUnchanged:
            break;
    }
    if (steps.move(tempPath, path))
        return true;
    steps.remove(tempPath);
    return false;
}

std::optional<std::string> ReadWholeFile(const std::u16string& path) {
    File file = File::OpenRead(path, ShareMode::kReadWriteDelete);
    const std::int64_t length = file.IsOpen() ? file.Length() : -1;
    if (length < 0)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t n = file.Read(bytes.data() + done, bytes.size() - done);
        if (n == 0)
            return std::nullopt;
        done += n;
    }
    return bytes;
}

bool IsTrustedOwner(std::u16string_view owner, std::u16string_view self) {
    constexpr std::u16string_view kSystem = u"S-1-5-18";
    constexpr std::u16string_view kAdministrators = u"S-1-5-32-544";
    return !owner.empty() && (owner == kSystem || owner == kAdministrators || owner == self);
}

}  // namespace velmora
