// The built help file: a compiled help file (ITSF header, ITSP directory of PMGL chunks) that
// holds the help viewer's system files and every page that its contents tree, its index and its
// pages name.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

std::uint64_t Little(const std::string& bytes, std::size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

struct ChmEntry {
    std::uint64_t section = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// The directory of a compiled help file: names (as "/page.html") to where their bytes are. An
// empty map with `error` set when the file is not one.
struct ChmDirectory {
    std::map<std::string, ChmEntry> entries;
    std::uint64_t contentOffset = 0;
    std::string error;
};

// A directory number: 7 bits a byte, most significant first, the high bit set on all but the last.
std::uint64_t EncInt(const std::string& bytes, std::size_t& at, std::size_t end) {
    std::uint64_t value = 0;
    while (at < end) {
        const auto byte = static_cast<unsigned char>(bytes.at(at++));
        value = value << 7 | (byte & 0x7F);
        if (!(byte & 0x80))
            return value;
    }
    throw std::out_of_range("a directory number runs past its chunk");
}

ChmDirectory ReadChmDirectory(const std::string& bytes) {
    ChmDirectory result;
    const auto fail = [&result](const char* why) {
        result.entries.clear();
        result.error = why;
        return result;
    };
    try {
        if (bytes.compare(0, 4, "ITSF") != 0)
            return fail("no ITSF signature");
        if (Little(bytes, 4, 4) != 3)
            return fail("ITSF version is not 3");
        const std::uint64_t directory = Little(bytes, 0x48, 8);
        result.contentOffset = Little(bytes, 0x58, 8);
        if (bytes.compare(directory, 4, "ITSP") != 0)
            return fail("no ITSP directory header");
        const std::uint64_t headerLength = Little(bytes, directory + 8, 4);
        const std::uint64_t chunkSize = Little(bytes, directory + 0x10, 4);
        std::int64_t chunk = static_cast<std::int32_t>(Little(bytes, directory + 0x20, 4));
        std::set<std::int64_t> seen;
        // The listing chunks form a chain from the first to the last.
        while (chunk >= 0) {
            if (!seen.insert(chunk).second)
                return fail("listing chunks form a loop");
            const std::size_t start = directory + headerLength + chunk * chunkSize;
            if (bytes.compare(start, 4, "PMGL") != 0)
                return fail("chunk without PMGL signature");
            const std::size_t end = start + chunkSize - Little(bytes, start + 4, 4);
            for (std::size_t at = start + 0x14; at < end;) {
                const std::uint64_t nameLength = EncInt(bytes, at, end);
                const std::string name = bytes.substr(at, nameLength);
                at += nameLength;
                ChmEntry entry;
                entry.section = EncInt(bytes, at, end);
                entry.offset = EncInt(bytes, at, end);
                entry.length = EncInt(bytes, at, end);
                result.entries[name] = entry;
            }
            chunk = static_cast<std::int32_t>(Little(bytes, start + 0x10, 4));
        }
    } catch (const std::out_of_range&) {
        return fail("the file ends inside its directory");
    }
    return result;
}

// The uncompressed bytes of an entry of content section 0.
std::string Uncompressed(const std::string& bytes, const ChmDirectory& directory, const std::string& name) {
    const ChmEntry& entry = directory.entries.at(name);
    return bytes.substr(directory.contentOffset + entry.offset, entry.length);
}

// The "Local" values of a contents or index file: the pages its entries open.
std::vector<std::string> SitemapPages(const std::string& sitemap) {
    std::vector<std::string> pages;
    const std::regex local(R"re(<param\s+name="Local"\s+value="([^"]+)")re", std::regex::icase);
    for (std::sregex_iterator it(sitemap.begin(), sitemap.end(), local), end; it != end; ++it)
        pages.push_back((*it)[1]);
    return pages;
}

// The pages and pictures of the project's [FILES] section.
std::vector<std::string> ProjectFiles(const std::string& project) {
    std::vector<std::string> files;
    std::istringstream lines(project);
    bool inFiles = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[')
            inFiles = line == "[FILES]";
        else if (inFiles && !line.empty())
            files.push_back(line);
    }
    return files;
}

bool IsPage(const std::string& file) {
    return file.size() > 5 && file.compare(file.size() - 5, 5, ".html") == 0;
}

class HelpFile : public ::testing::Test {
protected:
    void SetUp() override {
        bytes_ = velmora::test::ReadBytes(VELMORA_HELP_FILE);
        ASSERT_FALSE(bytes_.empty()) << VELMORA_HELP_FILE;
        directory_ = ReadChmDirectory(bytes_);
        ASSERT_TRUE(directory_.error.empty()) << directory_.error;
    }
    bool Holds(const std::string& name) const { return directory_.entries.count("/" + name) != 0; }
    static std::string Source(const std::string& name) {
        return velmora::test::ReadBytes(std::string(VELMORA_HELP_SOURCES) + "/" + name);
    }

    std::string bytes_;
    ChmDirectory directory_;
};

TEST_F(HelpFile, HoldsTheViewersSystemFiles) {
    for (const char* name : {"#SYSTEM", "#TOPICS", "#URLTBL", "#URLSTR", "#STRINGS", "$WWKeywordLinks/BTree"})
        EXPECT_TRUE(Holds(name)) << name;
    EXPECT_GT(directory_.entries.at("/#TOPICS").length, 0u);
}

// #SYSTEM: a version, then records of a 16-bit code, a 16-bit length and that many bytes.
TEST_F(HelpFile, SystemFileNamesTheContentsTheFirstPageAndTheTitle) {
    ASSERT_EQ(directory_.entries.at("/#SYSTEM").section, 0u);
    const std::string system = Uncompressed(bytes_, directory_, "/#SYSTEM");
    std::map<int, std::string> records;
    for (std::size_t at = 4; at + 4 <= system.size();) {
        const int code = static_cast<int>(Little(system, at, 2));
        const std::size_t length = Little(system, at + 2, 2);
        records[code] = system.substr(at + 4, length).c_str();
        at += 4 + length;
    }
    EXPECT_EQ(records[0], "Velmora.hhc");
    EXPECT_EQ(records[1], "Velmora.hhk");
    EXPECT_EQ(records[2], "index.html");
    EXPECT_EQ(records[3], "Velmora Help");
}

TEST_F(HelpFile, EveryPageOfTheContentsAndTheIndexIsInside) {
    for (const char* sitemap : {"Velmora.hhc", "Velmora.hhk"}) {
        const std::vector<std::string> pages = SitemapPages(Source(sitemap));
        EXPECT_FALSE(pages.empty()) << sitemap;
        for (const std::string& page : pages)
            EXPECT_TRUE(Holds(page)) << sitemap << " names " << page;
    }
}

TEST_F(HelpFile, EveryPageIsReachableFromTheContentsAndFromTheIndex) {
    const std::vector<std::string> contents = SitemapPages(Source("Velmora.hhc"));
    const std::vector<std::string> index = SitemapPages(Source("Velmora.hhk"));
    const std::set<std::string> inContents(contents.begin(), contents.end());
    const std::set<std::string> inIndex(index.begin(), index.end());
    int pages = 0;
    for (const std::string& file : ProjectFiles(Source("Velmora.hhp"))) {
        if (!IsPage(file))
            continue;
        ++pages;
        EXPECT_TRUE(inContents.count(file)) << file << " is missing from the contents";
        EXPECT_TRUE(inIndex.count(file)) << file << " is missing from the index";
    }
    EXPECT_GE(pages, 9);
}

// A broken link or a missing picture shows as an error page in the viewer.
TEST_F(HelpFile, EveryLinkAndPictureOfEveryPageIsInside) {
    const std::regex target(R"re((?:href|src)="([^"#:]+)")re", std::regex::icase);
    for (const std::string& file : ProjectFiles(Source("Velmora.hhp"))) {
        EXPECT_TRUE(Holds(file)) << file;
        if (!IsPage(file))
            continue;
        const std::string page = Source(file);
        for (std::sregex_iterator it(page.begin(), page.end(), target), end; it != end; ++it)
            EXPECT_TRUE(Holds((*it)[1])) << file << " links to " << (*it)[1];
    }
}

// The message that sends the user to the help names a page that answers it.
TEST_F(HelpFile, HibernationPageAnswersTheWizardsMessage) {
    const std::string page = Source("hibernation.html");
    EXPECT_NE(page.find("Hibernate support is not enabled. See help file."), std::string::npos);
    EXPECT_NE(page.find("powercfg /h on"), std::string::npos);
}

TEST(ChmDirectoryReader, RefusesWhatIsNotACompiledHelpFile) {
    EXPECT_FALSE(ReadChmDirectory("<html></html>").error.empty());
    std::string truncated = velmora::test::ReadBytes(VELMORA_HELP_FILE);
    ASSERT_GT(truncated.size(), 0x200u);
    truncated.resize(0x100);
    EXPECT_FALSE(ReadChmDirectory(truncated).error.empty());
}

}  // namespace
