// Helpers shared by the tests: temporary folders, whole-file bytes and golden files.
#pragma once

#include <filesystem>
#include <string>

namespace velmora::test {

// A fresh folder that is removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of `name` inside the folder, as the product's wide path text.
    std::u16string File(const std::string& name) const;
    std::u16string Folder() const { return path_.u16string(); }

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::filesystem::path GoldenPath(const std::string& name);
std::string Golden(const std::string& name);

// UTF-16 little-endian bytes of a text, and back.
std::string Utf16LeBytes(const std::u16string& text);
std::u16string FromUtf16LeBytes(const std::string& bytes);

}  // namespace velmora::test
