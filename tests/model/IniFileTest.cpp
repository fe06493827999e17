// The INI reader and writer: lookup rules, editing, encodings and hostile files.
#include <gtest/gtest.h>

#include "model/IniFile.h"
#include "model/Text.h"
#include "model/TextFile.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;

TEST(IniFile, SectionsAndKeysIgnoreCaseAndValuesTheirBlanks) {
    IniFile ini;
    ini.Parse(u"  [ Settings ]  \r\n  Action =  3  \r\nCOMMENT=\t hello world \t\r\nempty=\r\nnovalue\r\n");
    EXPECT_EQ(u"3", ini.GetString(u"settings", u"action"));
    EXPECT_EQ(u"hello world", ini.GetString(u"SETTINGS", u"comment"));
    EXPECT_EQ(u"", ini.GetString(u"settings", u"empty"));
    EXPECT_EQ(u"", ini.GetString(u"settings", u"novalue"));
    EXPECT_EQ(std::nullopt, ini.GetString(u"settings", u"missing"));
    EXPECT_EQ(std::nullopt, ini.GetString(u"other", u"action"));
    EXPECT_EQ(3, ini.GetInt(u"settings", u"action", 7));
    EXPECT_EQ(7, ini.GetInt(u"settings", u"missing", 7));
    EXPECT_EQ(0, ini.GetInt(u"settings", u"comment", 7));
}

TEST(IniFile, NonAsciiNamesFoldCase) {
    IniFile ini;
    ini.Parse(u"[\u00dcBER]\r\n\u0414\u0410=1\r\n");
    EXPECT_EQ(u"1", ini.GetString(u"\u00fcber", u"\u0434\u0430"));
}

TEST(IniFile, FirstOfRepeatedKeysAndSectionsWins) {
    IniFile ini;
    ini.Parse(u"[a]\r\nk=1\r\nK=2\r\n[A]\r\nk=3\r\nother=4\r\n");
    EXPECT_EQ(u"1", ini.GetString(u"a", u"k"));
    // Like the platform, only the first section of a name is searched.
    EXPECT_EQ(std::nullopt, ini.GetString(u"a", u"other"));
    ini.SetString(u"a", u"k", u"new");
    EXPECT_EQ(u"[a]\r\nk=new\r\nK=2\r\n[A]\r\nk=3\r\nother=4\r\n", ini.Text());
}

TEST(IniFile, OneOuterPairOfQuotesIsNotPartOfTheValue) {
    IniFile ini;
    ini.Parse(u"[s]\r\na=\"x y\"\r\nb='z'\r\nc=\"mixed'\r\nd=\"\r\ne=\"\"\r\n");
    EXPECT_EQ(u"x y", ini.GetString(u"s", u"a"));
    EXPECT_EQ(u"z", ini.GetString(u"s", u"b"));
    EXPECT_EQ(u"\"mixed'", ini.GetString(u"s", u"c"));
    EXPECT_EQ(u"\"", ini.GetString(u"s", u"d"));
    EXPECT_EQ(u"", ini.GetString(u"s", u"e"));
}

TEST(IniFile, WrittenValuesReadBackExactly) {
    IniFile ini;
    const std::u16string values[] = {u"plain", u" lead", u"trail ", u"\"q\"",          u"'s'",
                                     u"\"",    u"a=b",   u"",       u"; not a comment"};
    for (std::size_t i = 0; i < std::size(values); ++i)
        ini.SetString(u"s", std::u16string(1, static_cast<char16_t>(u'a' + i)), values[i]);
    IniFile back;
    back.Parse(ini.Text());
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(values[i], back.GetString(u"s", std::u16string(1, static_cast<char16_t>(u'a' + i))));
}

TEST(IniFile, LineBreaksCannotEnterTheFile) {
    IniFile ini;
    ini.SetString(u"s", u"k", u"one\r\ntwo\nthree");
    ini.SetString(u"s", u"next", u"x");
    IniFile back;
    back.Parse(ini.Text());
    EXPECT_EQ(u"one  two three", back.GetString(u"s", u"k"));
    EXPECT_EQ(u"x", back.GetString(u"s", u"next"));
}

TEST(IniFile, DeleteSectionRemovesEveryCopyAndKeepsTheRest) {
    IniFile ini;
    ini.Parse(u"; header comment\r\n[keep]\r\na=1\r\n\r\n[gone]\r\nb=2\r\n[GONE]\r\nc=3\r\n[keep2]\r\nd = 4\r\n");
    ini.DeleteSection(u"Gone");
    EXPECT_EQ(std::nullopt, ini.GetString(u"gone", u"b"));
    EXPECT_EQ(u"; header comment\r\n[keep]\r\na=1\r\n\r\n[keep2]\r\nd = 4\r\n", ini.Text());
    ini.SetString(u"gone", u"b", u"back");
    EXPECT_EQ(u"; header comment\r\n[keep]\r\na=1\r\n\r\n[keep2]\r\nd = 4\r\n[gone]\r\nb=back\r\n", ini.Text());
}

TEST(IniFile, LinesBeforeAnySectionAndBrokenHeadersAreNoEntries) {
    IniFile ini;
    ini.Parse(u"stray=1\r\n[broken\r\nx=2\r\n[s]\r\ny=3");
    EXPECT_EQ(std::nullopt, ini.GetString(u"", u"stray"));
    EXPECT_EQ(std::nullopt, ini.GetString(u"broken", u"x"));
    EXPECT_EQ(u"3", ini.GetString(u"s", u"y"));
}

TEST(IniFile, ReadsEveryEncodingWithItsMark) {
    TempDir dir;
    const std::u16string text = u"[s]\r\nk=\u00fc\u20ac\r\n";
    for (int encoding : {kEncodingUtf16LittleEndian, kEncodingUtf16BigEndian, kEncodingUtf8}) {
        {
            CTextFileWrite writer(dir.File("e.ini"), encoding);
            writer.Write(std::u16string_view(text));
        }
        IniFile ini;
        ASSERT_TRUE(ini.Load(dir.File("e.ini")));
        EXPECT_EQ(u"\u00fc\u20ac", ini.GetString(u"s", u"k")) << encoding;
        // Saving keeps the encoding the file had.
        ini.SetString(u"s", u"n", u"1");
        ASSERT_TRUE(ini.Save(dir.File("e.ini")));
        CTextFileRead reader(dir.File("e.ini"));
        EXPECT_EQ(encoding, reader.GetEncoding());
    }
}

// The bytes in memory are the file's: what Save writes, and what Load reads from them.
TEST(IniFile, MemoryFormIsTheFilesBytes) {
    test::TempDir dir;
    for (const char* golden : {"export_shutdown.ini", "export_wol.ini", "text_mixed_enc1.txt", "text_mixed_enc3.txt"}) {
        SCOPED_TRACE(golden);
        IniFile fromFile, fromBytes;
        ASSERT_TRUE(fromFile.Load(test::GoldenPath(golden).u16string()));
        fromBytes.LoadBytes(test::Golden(golden));
        EXPECT_EQ(fromFile.Text(), fromBytes.Text());
        fromBytes.SetString(u"settings", u"comment", u"\u00fcber");
        ASSERT_TRUE(fromBytes.Save(dir.File("s.ini")));
        EXPECT_EQ(test::ReadBytes(dir.Path() / "s.ini"), fromBytes.Bytes());
    }
}

TEST(IniFile, NewFileIsPlainTextWhenItCanBe) {
    TempDir dir;
    IniFile ini;
    EXPECT_FALSE(ini.Load(dir.File("new.ini")));
    ini.SetString(u"settings", u"action", u"0");
    ini.SetString(u"list", u"0", u"pc,,");
    ASSERT_TRUE(ini.Save(dir.File("new.ini")));
    EXPECT_EQ("[settings]\r\naction=0\r\n[list]\r\n0=pc,,\r\n", test::ReadBytes(dir.Path() / "new.ini"));
}

TEST(IniFile, TextTheCodePageCannotShowIsKeptAsUtf16) {
    TempDir dir;
    IniFile ini;
    ini.SetString(u"s", u"k", std::u16string(u"bad \xDC00 unit", 10));
    ASSERT_TRUE(ini.Save(dir.File("u.ini")));
    CTextFileRead reader(dir.File("u.ini"));
    EXPECT_EQ(kEncodingUtf16LittleEndian, reader.GetEncoding());
    IniFile back;
    ASSERT_TRUE(back.Load(dir.File("u.ini")));
    EXPECT_EQ(std::u16string(u"bad \xDC00 unit", 10), back.GetString(u"s", u"k"));
}

TEST(IniFile, HundredThousandKeys) {
    std::u16string text = u"[list]\r\n";
    for (int i = 0; i < 100000; ++i) {
        const std::string key = std::to_string(i);
        text += std::u16string(key.begin(), key.end()) + u"=pc" + std::u16string(key.begin(), key.end()) + u"\r\n";
    }
    IniFile ini;
    ini.Parse(text);
    EXPECT_EQ(u"pc0", ini.GetString(u"list", u"0"));
    EXPECT_EQ(u"pc99999", ini.GetString(u"list", u"99999"));
    EXPECT_EQ(std::nullopt, ini.GetString(u"list", u"100000"));
}

TEST(IniFile, ManySectionsAndADeletionAmongThem) {
    std::u16string text;
    for (int i = 0; i < 20000; ++i)  // every name twice: the first one counts
        text += u"[S" + DecimalText(i % 10000) + u"]\r\nk=" + DecimalText(i) + u"\r\n";
    IniFile ini;
    ini.Parse(text);
    EXPECT_EQ(u"9999", ini.GetString(u"s9999", u"k"));
    ini.DeleteSection(u"s10");
    EXPECT_EQ(std::nullopt, ini.GetString(u"S10", u"k"));
    EXPECT_EQ(u"11", ini.GetString(u"s11", u"k")) << "sections behind a deleted one are still found";
    ini.SetString(u"s10", u"k", u"new");
    EXPECT_TRUE(ini.Text().ends_with(u"[S9999]\r\nk=19999\r\n[s10]\r\nk=new\r\n"));
}

TEST(IniFile, IntegersSaturateAndStopAtTheFirstNonDigit) {
    IniFile ini;
    ini.Parse(u"[s]\r\na=12abc\r\nb=-7\r\nc=+4\r\nd=99999999999999\r\ne=-99999999999999\r\nf=x1\r\ng=-\r\n");
    EXPECT_EQ(12, ini.GetInt(u"s", u"a", 0));
    EXPECT_EQ(-7, ini.GetInt(u"s", u"b", 0));
    EXPECT_EQ(4, ini.GetInt(u"s", u"c", 0));
    EXPECT_EQ(2147483647, ini.GetInt(u"s", u"d", 0));
    EXPECT_EQ(-2147483647 - 1, ini.GetInt(u"s", u"e", 0));
    EXPECT_EQ(0, ini.GetInt(u"s", u"f", 5));
    EXPECT_EQ(0, ini.GetInt(u"s", u"g", 5));
}

}  // namespace
}  // namespace velmora
