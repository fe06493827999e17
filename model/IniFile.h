// A private-profile (INI) file of our own that keeps the platform's rules: sections and keys compare
// without regard to case, values lose their surrounding blanks and one pair of matching quotes, the
// first of repeated keys wins, and a section is deleted whole. The same code runs on every platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

class CTextFileRead;

class IniFile {
public:
    // Reads ANSI, UTF-8 with a byte-order mark and UTF-16 with a mark. False when the file could
    // not be opened; the object is then empty.
    bool Load(const std::u16string& path);
    // Reads the bytes of a file held in memory, as Load reads the file.
    void LoadBytes(std::string_view bytes);
    // Takes the lines of `text` as the file's content.
    void Parse(std::u16string_view text);

    std::optional<std::u16string> GetString(std::u16string_view section, std::u16string_view key) const;
    // The value as a signed decimal integer (leading digits only, 0 when there are none), or
    // `fallback` when the key is missing.
    int GetInt(std::u16string_view section, std::u16string_view key, int fallback) const;

    // Replaces the key's value in its section, adding the key (and the section) at the end when
    // missing. A line break cannot be kept in an INI value: each CR or LF becomes a blank.
    void SetString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    void DeleteSection(std::u16string_view section);

    // The file's text, lines ended by CR LF. Lines that were read and not changed keep their form.
    std::u16string Text() const;
    // Writes the whole file anew in one step. The file keeps the encoding it was read in; text
    // that the ANSI code page cannot show makes it UTF-16 with a mark, so nothing is lost.
    bool Save(const std::u16string& path) const;
    // The bytes Save writes.
    std::string Bytes() const;

private:
    // Takes the whole text of the reader and the encoding it was read in.
    void Read(CTextFileRead& reader);

    struct Entry {
        std::u16string key;  // empty for a line that is no entry (blank, comment, junk)
        std::u16string value;
        std::u16string line;  // the line as read; empty once the entry has been changed
    };
    struct Section {
        std::u16string name;
        std::u16string header;  // the header line as read; empty for a new section
        std::vector<Entry> entries;
        std::unordered_map<std::u16string, std::size_t> firstByKey;  // folded key -> entry index
    };

    const Section* FindSection(std::u16string_view name) const;
    Section& SectionForWriting(std::u16string_view name);
    void AddSection(Section section);
    static void AddEntry(Section& section, Entry entry);

    // The first section holds the lines before any header; it has no name and is never looked up.
    std::vector<Section> sections_;
    // Folded name -> index of the first section of that name, so that a file with very many
    // sections is still read in linear time.
    std::unordered_map<std::u16string, std::size_t> firstSectionByName_;
    int encoding_ = 0;
};

}  // namespace velmora
