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

bool WriteFileReplacing(const std::u16string& path, const std::function<bool(File&)>& write) {
    std::u16string tempPath;
    File temp = File::CreateTempBeside(path, tempPath);
    if (!temp.IsOpen())
        return false;
    bool written = write(temp) && temp.Flush();
    written = temp.Close() && written;
    if (written && ReplaceFileWith(tempPath, path))
        return true;
    DeleteFileAt(tempPath);
    return false;
}

}  // namespace velmora
