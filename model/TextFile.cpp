// Text file reader and writer: byte-order marks, unit encoding and line splitting.
#include "model/TextFile.h"

#include <algorithm>
#include <cstring>

#include "model/CodePage.h"

namespace velmora {
namespace {

constexpr char16_t kCr = 13;
constexpr char16_t kLf = 10;
constexpr char16_t kReplacement = 0xFFFD;

int ValidEncoding(int encoding) {
    return encoding >= kEncodingCodePage && encoding <= kEncodingUtf8 ? encoding : kEncodingCodePage;
}

std::string BytesOf(const std::u16string& units) {
    std::string bytes(units.size(), '\0');
    std::transform(units.begin(), units.end(), bytes.begin(), [](char16_t u) { return static_cast<char>(u); });
    return bytes;
}

}  // namespace

// --- base -------------------------------------------------------------------------------------

CTextFileBase::CTextFileBase(int encoding) : encoding_(ValidEncoding(encoding)) {}

CTextFileBase::~CTextFileBase() {
    ReleaseFile();
}

void CTextFileBase::AttachOwned(File file) {
    ownedFile_ = std::move(file);
    file_ = ownedFile_.IsOpen() ? &ownedFile_ : nullptr;
}

void CTextFileBase::AttachBorrowed(File& file) {
    file_ = file.IsOpen() ? &file : nullptr;
}

bool CTextFileBase::ReleaseFile() {
    file_ = nullptr;
    input_.reset();
    output_ = nullptr;
    return ownedFile_.Close();
}

std::size_t CTextFileBase::EstimatedLength() const {
    if (!IsOpen())
        return 0;
    const std::int64_t bytes = input_ ? static_cast<std::int64_t>(input_->size()) : file_ ? file_->Length() : 0;
    if (bytes <= 0)
        return 0;
    const bool wide = encoding_ == kEncodingUtf16BigEndian || encoding_ == kEncodingUtf16LittleEndian;
    return static_cast<std::size_t>(wide ? bytes / 2 : bytes);
}

// --- writer -----------------------------------------------------------------------------------

CTextFileWrite::CTextFileWrite(const std::u16string& path, int encoding) : CTextFileBase(encoding) {
    AttachOwned(File::CreateTruncate(path));
    WriteMark();
}

CTextFileWrite::CTextFileWrite(File& file, int encoding) : CTextFileBase(encoding) {
    AttachBorrowed(file);
    WriteMark();
}

CTextFileWrite::CTextFileWrite(std::string& bytes, int encoding) : CTextFileBase(encoding) {
    output_ = &bytes;
    WriteMark();
}

CTextFileWrite::~CTextFileWrite() {
    Close();
}

void CTextFileWrite::WriteMark() {
    static const std::uint8_t kBigEndian[] = {0xFE, 0xFF};
    static const std::uint8_t kLittleEndian[] = {0xFF, 0xFE};
    static const std::uint8_t kUtf8[] = {0xEF, 0xBB, 0xBF};
    if (!IsOpen())
        return;
    switch (encoding_) {
        case kEncodingUtf16BigEndian:
            PutBytes(kBigEndian, sizeof kBigEndian);
            break;
        case kEncodingUtf16LittleEndian:
            PutBytes(kLittleEndian, sizeof kLittleEndian);
            break;
        case kEncodingUtf8:
            PutBytes(kUtf8, sizeof kUtf8);
            break;
        default:
            break;
    }
}

void CTextFileWrite::Write(std::u16string_view text) {
    if (!IsOpen())
        return;
    if (encoding_ == kEncodingCodePage) {
        const std::string bytes = WideToCodePage(text, codePage_, defaultChar_, &defaultCharUsed_);
        PutBytes(bytes.data(), bytes.size());
        return;
    }
    for (char16_t unit : text)
        PutUnit(unit);
}

void CTextFileWrite::Write(std::string_view text) {
    if (!IsOpen())
        return;
    if (encoding_ == kEncodingCodePage)
        PutBytes(text.data(), text.size());
    else
        Write(std::u16string_view(CodePageToWide(text, codePage_)));
}

void CTextFileWrite::WriteEndl() {
    if (encoding_ == kEncodingCodePage)
        Write(std::string_view("\r\n"));
    else
        Write(std::u16string_view(u"\r\n"));
}

// Each 16-bit unit is encoded on its own, so in UTF-8 a surrogate pair becomes two three-byte
// sequences; the reader joins them back into the same two units.
void CTextFileWrite::PutUnit(char16_t u) {
    std::uint8_t bytes[3];
    std::size_t count = 0;
    switch (encoding_) {
        case kEncodingUtf16BigEndian:
            bytes[0] = static_cast<std::uint8_t>(u >> 8);
            bytes[1] = static_cast<std::uint8_t>(u & 0xFF);
            count = 2;
            break;
        case kEncodingUtf16LittleEndian:
            bytes[0] = static_cast<std::uint8_t>(u & 0xFF);
            bytes[1] = static_cast<std::uint8_t>(u >> 8);
            count = 2;
            break;
        default:
            if (u < 0x80) {
                bytes[0] = static_cast<std::uint8_t>(u);
                count = 1;
            } else if (u < 0x800) {
                bytes[0] = static_cast<std::uint8_t>(0xC0 | (u >> 6));
                bytes[1] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
                count = 2;
            } else {
                bytes[0] = static_cast<std::uint8_t>(0xE0 | (u >> 12));
                bytes[1] = static_cast<std::uint8_t>(0x80 | ((u >> 6) & 0x3F));
                bytes[2] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
                count = 3;
            }
            break;
    }
    PutBytes(bytes, count);
}

void CTextFileWrite::PutBytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        if (bufferUsed_ == kBufferSize && !FlushBuffer())
            return;
        const std::size_t chunk = std::min(size, kBufferSize - bufferUsed_);
        std::memcpy(buffer_ + bufferUsed_, p, chunk);
        bufferUsed_ += chunk;
        p += chunk;
        size -= chunk;
    }
}

bool CTextFileWrite::FlushBuffer() {
    if (bufferUsed_ > 0 && output_ != nullptr)
        output_->append(reinterpret_cast<const char*>(buffer_), bufferUsed_);
    else if (bufferUsed_ > 0 && !file_->Write(buffer_, bufferUsed_))
        failed_ = true;
    bufferUsed_ = 0;
    return !failed_;
}

bool CTextFileWrite::Close() {
    if (!IsOpen())
        return false;
    FlushBuffer();
    const bool closed = ReleaseFile();
    return closed && !failed_;
}

// --- reader -----------------------------------------------------------------------------------

CTextFileRead::CTextFileRead(const std::u16string& path) : CTextFileBase(kEncodingCodePage) {
    AttachOwned(File::OpenRead(path, ShareMode::kRead));
    DetectEncoding();
}

CTextFileRead::CTextFileRead(File& file) : CTextFileBase(kEncodingCodePage) {
    AttachBorrowed(file);
    DetectEncoding();
}

CTextFileRead::CTextFileRead(std::string_view bytes) : CTextFileBase(kEncodingCodePage) {
    input_ = bytes;
    DetectEncoding();
}

CTextFileRead::~CTextFileRead() {
    Close();
}

bool CTextFileRead::Close() {
    return ReleaseFile();
}

// Looks at the first bytes without losing any: without a mark they stay in the buffer and are
// read again as text.
void CTextFileRead::DetectEncoding() {
    if (!IsOpen()) {
        endReached_ = true;
        return;
    }
    while (bufferBytes_ < 3 && !sourceDone_) {
        const std::size_t n = ReadSource(buffer_ + bufferBytes_, kBufferSize - bufferBytes_);
        if (n == 0)
            sourceDone_ = true;
        bufferBytes_ += n;
    }
    const auto starts = [this](std::initializer_list<std::uint8_t> mark) {
        return bufferBytes_ >= mark.size() && std::equal(mark.begin(), mark.end(), buffer_);
    };
    if (starts({0xFF, 0xFE})) {
        encoding_ = kEncodingUtf16LittleEndian;
        bufferUsed_ = 2;
    } else if (starts({0xFE, 0xFF})) {
        encoding_ = kEncodingUtf16BigEndian;
        bufferUsed_ = 2;
    } else if (starts({0xEF, 0xBB, 0xBF})) {
        encoding_ = kEncodingUtf8;
        bufferUsed_ = 3;
    } else {
        encoding_ = kEncodingCodePage;
        bufferUsed_ = 0;
    }
}

std::size_t CTextFileRead::ReadSource(void* buffer, std::size_t size) {
    if (!input_)
        return file_->Read(buffer, size);
    const std::size_t n = std::min(size, input_->size());
    std::memcpy(buffer, input_->data(), n);
    input_->remove_prefix(n);
    return n;
}

bool CTextFileRead::FillBuffer() {
    if (sourceDone_ || !IsOpen())
        return false;
    const std::size_t n = ReadSource(buffer_, kBufferSize);
    if (n == 0) {
        sourceDone_ = true;  // a read error counts as the end of the file
        return false;
    }
    bufferBytes_ = n;
    bufferUsed_ = 0;
    return true;
}

bool CTextFileRead::ReadByte(std::uint8_t& byte) {
    if (bufferUsed_ >= bufferBytes_ && !FillBuffer())
        return false;
    byte = buffer_[bufferUsed_++];
    return true;
}

std::optional<char16_t> CTextFileRead::ReadUnit() {
    if (pushedBack_) {
        const char16_t unit = *pushedBack_;
        pushedBack_.reset();
        return unit;
    }
    std::uint8_t b0 = 0;
    std::uint8_t b1 = 0;
    if (!ReadByte(b0))
        return std::nullopt;
    switch (encoding_) {
        case kEncodingUtf16LittleEndian:
            if (!ReadByte(b1))
                return std::nullopt;  // a lone last byte is no unit
            return static_cast<char16_t>(b0 | (b1 << 8));
        case kEncodingUtf16BigEndian:
            if (!ReadByte(b1))
                return std::nullopt;
            return static_cast<char16_t>((b0 << 8) | b1);
        case kEncodingUtf8:
            break;
        default:
            return b0;
    }
    if (b0 < 0x80)
        return b0;
    int continuation = 0;
    char16_t unit = 0;
    if ((b0 & 0xE0) == 0xC0) {
        continuation = 1;
        unit = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        continuation = 2;
        unit = b0 & 0x0F;
    } else {
        return kReplacement;  // a stray continuation byte or a lead byte of four or more
    }
    // A byte that does not continue the sequence is not swallowed: it may be a line end.
    for (int i = 0; i < continuation; ++i) {
        std::uint8_t next = 0;
        if (!ReadByte(next))
            return kReplacement;
        if ((next & 0xC0) != 0x80) {
            --bufferUsed_;
            return kReplacement;
        }
        unit = static_cast<char16_t>((unit << 6) | (next & 0x3F));
    }
    return unit;
}

bool CTextFileRead::InputUsedUp() {
    return bufferUsed_ >= bufferBytes_ && !FillBuffer();
}

// CR LF, LF alone and CR alone each end one line. The unit that ended a line is pushed back and
// skipped at the start of the next call. The end is reached once the file's last byte has been
// used: a file that ends with CR LF yields one last, empty line, one that ends with a lone CR or LF
// does not.
bool CTextFileRead::ReadRawLine(std::u16string& units) {
    units.clear();
    if (endReached_)
        return false;
    std::optional<char16_t> unit = ReadUnit();
    if (!firstLine_) {
        if (unit == kCr)
            unit = ReadUnit();
        if (unit == kLf)
            unit = ReadUnit();
    }
    firstLine_ = false;
    while (unit && *unit != kCr && *unit != kLf) {
        units += *unit;
        unit = ReadUnit();
    }
    if (unit) {
        pushedBack_ = unit;
        endReached_ = InputUsedUp();
    } else {
        endReached_ = true;
    }
    return true;
}

bool CTextFileRead::ReadLine(std::u16string& line) {
    std::u16string units;
    if (!ReadRawLine(units)) {
        line.clear();
        return false;
    }
    line = encoding_ == kEncodingCodePage ? CodePageToWide(BytesOf(units), codePage_) : std::move(units);
    return true;
}

bool CTextFileRead::ReadLine(std::string& line) {
    std::u16string units;
    if (!ReadRawLine(units)) {
        line.clear();
        return false;
    }
    line = encoding_ == kEncodingCodePage ? BytesOf(units)
                                          : WideToCodePage(units, codePage_, defaultChar_, &defaultCharUsed_);
    return true;
}

namespace {

// Reads every line into `text`, joined by `separator`, for the wide and the narrow form alike.
template <class Text, class Separator>
void JoinLines(CTextFileRead& reader, Text& text, Separator separator, std::size_t reserve) {
    text.clear();
    text.reserve(reserve);
    Text line;
    for (bool first = true; reader.ReadLine(line); first = false) {
        if (!first)
            text += separator;
        text += line;
    }
}

}  // namespace

bool CTextFileRead::ReadAll(std::u16string& text, std::u16string_view separator) {
    if (!IsOpen())
        return false;
    JoinLines(*this, text, separator, EstimatedLength());
    return true;
}

bool CTextFileRead::ReadAll(std::string& text, std::string_view separator) {
    if (!IsOpen())
        return false;
    JoinLines(*this, text, separator, EstimatedLength());
    return true;
}

}  // namespace velmora
