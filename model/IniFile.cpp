// INI parsing, lookup and writing.
#include "model/IniFile.h"

#include <algorithm>

#include "model/CodePage.h"
#include "model/File.h"
#include "model/Text.h"
#include "model/TextFile.h"

namespace velmora {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\n';
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// One pair of matching single or double quotes around a value is not part of it.
std::u16string_view Unquote(std::u16string_view value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Quotes a value whose blanks or quotes a reader would otherwise take away.
std::u16string StoredValue(std::u16string_view value) {
    const bool needsQuotes =
        !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || Unquote(value).size() != value.size());
    return needsQuotes ? u"\"" + std::u16string(value) + u"\"" : std::u16string(value);
}

std::u16string WithoutLineBreaks(std::u16string_view text) {
    std::u16string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
    return out;
}

}  // namespace

bool IniFile::Load(const std::u16string& path) {
    // Others may be writing the file meanwhile, as with the platform's own INI functions.
    File file = File::OpenRead(path, ShareMode::kReadWriteDelete);
    CTextFileRead reader(file);
    Read(reader);
    return reader.IsOpen();
}

void IniFile::LoadBytes(std::string_view bytes) {
    CTextFileRead reader(bytes);
    Read(reader);
}

void IniFile::Read(CTextFileRead& reader) {
    std::u16string text;
    const bool opened = reader.ReadAll(text, u"\n");
    encoding_ = opened ? reader.GetEncoding() : kEncodingCodePage;
    Parse(text);
}

void IniFile::Parse(std::u16string_view text) {
    sections_.clear();
    firstSectionByName_.clear();
    sections_.emplace_back();
    while (!text.empty()) {
        const std::size_t end = text.find_first_of(u"\r\n");
        const std::u16string_view line = text.substr(0, end);
        text.remove_prefix(end == std::u16string_view::npos ? text.size() : end);
        if (text.starts_with(u"\r\n"))
            text.remove_prefix(2);
        else if (!text.empty())
            text.remove_prefix(1);

        const std::u16string_view content = Trim(line);
        if (content.starts_with(u'[')) {
            const std::size_t close = content.find(u']');
            if (close != std::u16string_view::npos) {
                Section section;
                section.name = Trim(content.substr(1, close - 1));
                section.header = line;
                AddSection(std::move(section));
                continue;
            }
        }
        Entry entry;
        entry.line = line;
        if (!content.empty() && content.front() != u';') {
            const std::size_t equals = content.find(u'=');
            entry.key = Trim(content.substr(0, equals));
            if (equals != std::u16string_view::npos)
                entry.value = Unquote(Trim(content.substr(equals + 1)));
        }
        AddEntry(sections_.back(), std::move(entry));
    }
}

void IniFile::AddEntry(Section& section, Entry entry) {
    if (!entry.key.empty())
        section.firstByKey.emplace(FoldedCase(entry.key), section.entries.size());
    section.entries.push_back(std::move(entry));
}

void IniFile::AddSection(Section section) {
    firstSectionByName_.emplace(FoldedCase(section.name), sections_.size());
    sections_.push_back(std::move(section));
}

const IniFile::Section* IniFile::FindSection(std::u16string_view name) const {
    const auto it = firstSectionByName_.find(FoldedCase(name));
    return it == firstSectionByName_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section& IniFile::SectionForWriting(std::u16string_view name) {
    if (sections_.empty())
        sections_.emplace_back();
    if (const Section* found = FindSection(name))
        return const_cast<Section&>(*found);
    Section section;
    section.name = WithoutLineBreaks(name);
    AddSection(std::move(section));
    return sections_.back();
}

std::optional<std::u16string> IniFile::GetString(std::u16string_view section, std::u16string_view key) const {
    const Section* found = FindSection(section);
    if (!found)
        return std::nullopt;
    const auto it = found->firstByKey.find(FoldedCase(key));
    if (it == found->firstByKey.end())
        return std::nullopt;
    return found->entries[it->second].value;
}

int IniFile::GetInt(std::u16string_view section, std::u16string_view key, int fallback) const {
    const std::optional<std::u16string> value = GetString(section, key);
    if (!value)
        return fallback;
    const long long result = LeadingInteger(*value);
    return static_cast<int>(std::clamp(result, -(1LL << 31), (1LL << 31) - 1));
}

void IniFile::SetString(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    Section& target = SectionForWriting(section);
    Entry entry{WithoutLineBreaks(Trim(key)), WithoutLineBreaks(value), {}};
    const auto it = target.firstByKey.find(FoldedCase(entry.key));
    if (it != target.firstByKey.end())
        target.entries[it->second] = std::move(entry);
    else
        AddEntry(target, std::move(entry));
}

void IniFile::DeleteSection(std::u16string_view section) {
    if (sections_.empty())
        return;
    const std::u16string folded = FoldedCase(section);
    if (firstSectionByName_.erase(folded) == 0)
        return;
    sections_.erase(std::remove_if(sections_.begin() + 1, sections_.end(),
                                   [&folded](const Section& s) { return FoldedCase(s.name) == folded; }),
                    sections_.end());
    // The sections behind the removed ones moved up.
    firstSectionByName_.clear();
    for (std::size_t i = 1; i < sections_.size(); ++i)
        firstSectionByName_.emplace(FoldedCase(sections_[i].name), i);
}

std::u16string IniFile::Text() const {
    std::u16string text;
    for (const Section& section : sections_) {
        if (&section != &sections_.front())
            text += (section.header.empty() ? u"[" + section.name + u"]" : section.header) + u"\r\n";
        for (const Entry& entry : section.entries) {
            if (!entry.line.empty() || entry.key.empty())
                text += entry.line;
            else
                text += entry.key + u"=" + StoredValue(entry.value);
            text += u"\r\n";
        }
    }
    return text;
}

std::string IniFile::Bytes() const {
    const std::u16string text = Text();
    int encoding = encoding_;
    if (encoding == kEncodingCodePage) {
        bool lost = false;
        WideToCodePage(text, kSystemCodePage, '?', &lost);
        if (lost)
            encoding = kEncodingUtf16LittleEndian;
    }
    std::string bytes;
    CTextFileWrite writer(bytes, encoding);
    writer.Write(std::u16string_view(text));
    writer.Close();
    return bytes;
}

bool IniFile::Save(const std::u16string& path) const {
    const std::string bytes = Bytes();
    return WriteFileReplacing(path, [&bytes](File& file) { return file.Write(bytes.data(), bytes.size()); });
}

}  // namespace velmora
