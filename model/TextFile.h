// Line-oriented text files in four encodings, with their own 1024-byte buffering. A reader also
// takes bytes already in memory, and a writer also writes into memory, as into a file of that content.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/File.h"

namespace velmora {

enum TextEncoding : int {
    kEncodingCodePage = 0,           // the object's code page, no byte-order mark
    kEncodingUtf16BigEndian = 1,     // mark FE FF
    kEncodingUtf16LittleEndian = 2,  // mark FF FE
    kEncodingUtf8 = 3,               // mark EF BB BF
};

class CTextFileBase {
public:
    CTextFileBase(const CTextFileBase&) = delete;
    CTextFileBase& operator=(const CTextFileBase&) = delete;
    virtual ~CTextFileBase();

    bool IsOpen() const { return (file_ != nullptr && file_->IsOpen()) || input_ || output_ != nullptr; }
    int GetEncoding() const { return encoding_; }

    unsigned GetCodePage() const { return codePage_; }
    void SetCodePage(unsigned codePage) { codePage_ = codePage; }
    char GetDefaultChar() const { return defaultChar_; }
    void SetDefaultChar(char defaultChar) { defaultChar_ = defaultChar; }
    bool IsDefaultCharUsed() const { return defaultCharUsed_; }
    void ResetDefaultCharUsed() { defaultCharUsed_ = false; }

protected:
    static constexpr std::size_t kBufferSize = 1024;

    explicit CTextFileBase(int encoding);
    void AttachOwned(File file);
    void AttachBorrowed(File& file);
    // Releases the file: an owned file is closed, a borrowed one is left to its owner.
    bool ReleaseFile();
    // A size estimate in characters, for reserving space before reading a whole file.
    std::size_t EstimatedLength() const;

    File* file_ = nullptr;
    File ownedFile_;
    std::optional<std::string_view> input_;  // a reader's bytes in memory, those not read yet
    std::string* output_ = nullptr;          // a writer's bytes in memory
    int encoding_ = kEncodingCodePage;
    std::uint8_t buffer_[kBufferSize] = {};
    std::size_t bufferUsed_ = 0;  // bytes of the buffer consumed (reader) or filled (writer)
    unsigned codePage_ = 0;
    char defaultChar_ = 0;
    bool defaultCharUsed_ = false;
};

class CTextFileWrite : public CTextFileBase {
public:
    // Creates or truncates the file and owns it.
    CTextFileWrite(const std::u16string& path, int encoding);
    // Writes into a file the caller opened, from its current position; the caller keeps it.
    CTextFileWrite(File& file, int encoding);
    // Appends the bytes a file would hold, its mark included, to `bytes`.
    CTextFileWrite(std::string& bytes, int encoding);
    ~CTextFileWrite() override;

    void Write(std::u16string_view text);
    void Write(std::string_view text);
    void Write(char16_t unit) { Write(std::u16string_view(&unit, 1)); }
    void Write(char byte) { Write(std::string_view(&byte, 1)); }
    void WriteEndl();
    // Writes out the buffer and releases the file. False when any byte could not be written
    // (or no file was open), so a caller can keep an older copy instead.
    bool Close();

private:
    void WriteMark();
    void PutBytes(const void* data, std::size_t size);
    void PutUnit(char16_t unit);
    bool FlushBuffer();

    bool failed_ = false;
};

class CTextFileRead : public CTextFileBase {
public:
    // Opens the file for reading while others may read but not write it; the object owns it.
    explicit CTextFileRead(const std::u16string& path);
    // Reads from a file the caller opened; the caller keeps it.
    explicit CTextFileRead(File& file);
    // Reads bytes held in memory as the content of a file; the caller keeps them.
    explicit CTextFileRead(std::string_view bytes);
    ~CTextFileRead() override;

    // One line without its line end; false once the end has been reached.
    bool ReadLine(std::u16string& line);
    bool ReadLine(std::string& line);
    // All lines joined by `separator`; false only when no file is open.
    bool ReadAll(std::u16string& text, std::u16string_view separator = u"\r\n");
    bool ReadAll(std::string& text, std::string_view separator = "\r\n");
    bool Close();

private:
    void DetectEncoding();
    bool FillBuffer();
    // Up to `size` bytes from the file or from memory; 0 at the end.
    std::size_t ReadSource(void* buffer, std::size_t size);
    // True when every byte of the file has been used; reads ahead when the buffer is spent.
    bool InputUsedUp();
    bool ReadByte(std::uint8_t& byte);
    std::optional<char16_t> ReadUnit();
    // Reads one line's units (bytes in the code-page encoding) into `units`.
    bool ReadRawLine(std::u16string& units);

    std::size_t bufferBytes_ = 0;
    bool sourceDone_ = false;  // the file has no more bytes
    bool endReached_ = false;  // no more lines
    bool firstLine_ = true;
    std::optional<char16_t> pushedBack_;
};

}  // namespace velmora
