// Text files: byte-order marks, the four encodings, line ends and hostile bytes.
#include <gtest/gtest.h>

#include "model/TextFile.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;

const std::u16string kMixed = u"Zeile 1\r\n\u00fc\u20ac\r\n\U0001D11E end";

std::string Written(const TempDir& dir, int encoding, const std::u16string& text) {
    const std::u16string path = dir.File("w.txt");
    CTextFileWrite writer(path, encoding);
    EXPECT_TRUE(writer.IsOpen());
    writer.Write(std::u16string_view(text));
    EXPECT_TRUE(writer.Close());
    return test::ReadBytes(dir.Path() / "w.txt");
}

std::u16string ReadAllOf(const TempDir& dir, const std::string& bytes, int* encoding = nullptr) {
    test::WriteBytes(dir.Path() / "r.txt", bytes);
    CTextFileRead reader(dir.File("r.txt"));
    std::u16string text;
    EXPECT_TRUE(reader.ReadAll(text));
    if (encoding)
        *encoding = reader.GetEncoding();
    return text;
}

TEST(TextFile, WritesTheGoldenBytesInEveryEncoding) {
    TempDir dir;
    EXPECT_EQ(test::Golden("text_abc_enc0.txt"), Written(dir, kEncodingCodePage, u"abc"));
    EXPECT_EQ(test::Golden("text_abc_enc1.txt"), Written(dir, kEncodingUtf16BigEndian, u"abc"));
    EXPECT_EQ(test::Golden("text_abc_enc2.txt"), Written(dir, kEncodingUtf16LittleEndian, u"abc"));
    EXPECT_EQ(test::Golden("text_abc_enc3.txt"), Written(dir, kEncodingUtf8, u"abc"));
    EXPECT_EQ(test::Golden("text_mixed_enc1.txt"), Written(dir, kEncodingUtf16BigEndian, kMixed));
    EXPECT_EQ(test::Golden("text_mixed_enc2.txt"), Written(dir, kEncodingUtf16LittleEndian, kMixed));
    EXPECT_EQ(test::Golden("text_mixed_enc3.txt"), Written(dir, kEncodingUtf8, kMixed));
}

TEST(TextFile, ReadsTheGoldenFilesAndDetectsTheirMarks) {
    TempDir dir;
    const struct {
        const char* golden;
        int encoding;
        std::u16string text;
    } cases[] = {{"text_abc_enc0.txt", kEncodingCodePage, u"abc"},
                 {"text_abc_enc1.txt", kEncodingUtf16BigEndian, u"abc"},
                 {"text_abc_enc2.txt", kEncodingUtf16LittleEndian, u"abc"},
                 {"text_abc_enc3.txt", kEncodingUtf8, u"abc"},
                 {"text_mixed_enc1.txt", kEncodingUtf16BigEndian, kMixed},
                 {"text_mixed_enc2.txt", kEncodingUtf16LittleEndian, kMixed},
                 {"text_mixed_enc3.txt", kEncodingUtf8, kMixed},
                 {"text_ascii_enc0.txt", kEncodingCodePage, u"line one\r\nline two\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.golden);
        int encoding = -1;
        EXPECT_EQ(c.text, ReadAllOf(dir, test::Golden(c.golden), &encoding));
        EXPECT_EQ(c.encoding, encoding);
    }
}

// A reader of bytes in memory and a writer into memory behave as they do on a file of those bytes.
TEST(TextFile, MemoryFormIsTheFilesBytes) {
    TempDir dir;
    for (int encoding : {kEncodingCodePage, kEncodingUtf16BigEndian, kEncodingUtf16LittleEndian, kEncodingUtf8}) {
        SCOPED_TRACE(encoding);
        const std::u16string text = encoding == kEncodingCodePage ? u"abc\r\nd" : kMixed;
        std::string bytes;
        CTextFileWrite writer(bytes, encoding);
        writer.Write(std::u16string_view(text));
        EXPECT_TRUE(writer.Close());
        EXPECT_EQ(Written(dir, encoding, text), bytes);
        CTextFileRead reader(std::string_view{bytes});
        std::u16string read;
        EXPECT_TRUE(reader.ReadAll(read));
        EXPECT_EQ(encoding, reader.GetEncoding());
        EXPECT_EQ(ReadAllOf(dir, bytes), read);
        EXPECT_EQ(text, read);
    }
}

TEST(TextFile, LineEndsOfEveryKindEndOneLine) {
    TempDir dir;
    test::WriteBytes(dir.Path() / "r.txt", "a\r\nb\nc\rd\r\n\r\ne");
    CTextFileRead reader(dir.File("r.txt"));
    std::vector<std::u16string> lines;
    std::u16string line;
    while (reader.ReadLine(line))
        lines.push_back(line);
    EXPECT_EQ((std::vector<std::u16string>{u"a", u"b", u"c", u"d", u"", u"e"}), lines);
    EXPECT_FALSE(reader.ReadLine(line));
}

TEST(TextFile, FinalLineEndGivesOneEmptyLastLine) {
    TempDir dir;
    EXPECT_EQ(u"a\r\nb\r\n", ReadAllOf(dir, "a\r\nb\r\n"));
    EXPECT_EQ(u"a\r\nb", ReadAllOf(dir, "a\r\nb"));
    EXPECT_EQ(u"a", ReadAllOf(dir, "a\r"));
    EXPECT_EQ(u"", ReadAllOf(dir, ""));
    EXPECT_EQ(u"", ReadAllOf(dir, "\xEF\xBB\xBF"));
}

// A lone CR or LF as the file's last byte ends the last line and adds no empty one, wherever the
// buffer's edge falls; CR LF at the end adds one.
TEST(TextFile, LoneLastLineEndAddsNoEmptyLine) {
    TempDir dir;
    const std::string full(1023, 'x');  // with its line end, as long as the buffer
    const struct {
        std::string bytes;
        std::u16string text;  // the lines joined by CR LF
    } cases[] = {{"a\n", u"a"},
                 {"a\r", u"a"},
                 {"a\r\n", u"a\r\n"},
                 {"a\n\n", u"a\r\n"},
                 {full + "\n", std::u16string(1023, u'x')},
                 {"x" + full + "\n", std::u16string(1024, u'x')},
                 {std::string("\xFF\xFE"
                              "a\0\n\0",
                              6),
                  u"a"}};
    for (const auto& c : cases)
        EXPECT_EQ(c.text, ReadAllOf(dir, c.bytes)) << c.bytes.size();
}

TEST(TextFile, IncompleteMarkIsText) {
    TempDir dir;
    for (const std::string& bytes : {std::string("\xEF\xBB"
                                                 "ab"),
                                     std::string("\xFF"),
                                     std::string("\xFE"
                                                 "a")}) {
        test::WriteBytes(dir.Path() / "r.txt", bytes + "\r\n");
        CTextFileRead reader(dir.File("r.txt"));
        EXPECT_EQ(kEncodingCodePage, reader.GetEncoding());
        std::string narrow;
        ASSERT_TRUE(reader.ReadLine(narrow));
        EXPECT_EQ(bytes, narrow);  // the bytes as read, from the very first one
    }
}

TEST(TextFile, BrokenUtf8BecomesReplacementUnits) {
    TempDir dir;
    const std::string mark = "\xEF\xBB\xBF";
    // A four-byte sequence: one unit for the lead byte and one for each continuation byte.
    EXPECT_EQ(u"a\uFFFD\uFFFD\uFFFD\uFFFDb", ReadAllOf(dir, mark + "a\xF0\x9F\x98\x80"
                                                                   "b"));
    // A sequence cut short by a line end keeps the line end.
    EXPECT_EQ(u"\uFFFD\r\nz", ReadAllOf(dir, mark + "\xE2\x82\r\nz"));
    // A sequence cut short by the end of the file.
    EXPECT_EQ(u"q\uFFFD", ReadAllOf(dir, mark + "q\xC3"));
    EXPECT_EQ(u"\uFFFDA", ReadAllOf(dir, mark + "\xC3"
                                                "A"));
}

TEST(TextFile, OddTrailingByteOfUtf16IsDropped) {
    TempDir dir;
    EXPECT_EQ(u"ab", ReadAllOf(dir, std::string("\xFF\xFE"
                                                "a\0b\0c",
                                                7)));
    EXPECT_EQ(u"ab", ReadAllOf(dir, std::string("\xFE\xFF\0a\0b\0", 7)));
}

TEST(TextFile, LinesLongerThanTheBufferAndManyLines) {
    TempDir dir;
    std::u16string text;
    for (int i = 0; i < 300; ++i)
        text += std::u16string(static_cast<std::size_t>(i * 7 % 2500), static_cast<char16_t>(u'a' + i % 26)) + u"\r\n";
    for (int encoding = 0; encoding <= 3; ++encoding) {
        SCOPED_TRACE(encoding);
        Written(dir, encoding, text);
        std::filesystem::rename(dir.Path() / "w.txt", dir.Path() / "big.txt");
        CTextFileRead reader(dir.File("big.txt"));
        std::u16string back;
        ASSERT_TRUE(reader.ReadAll(back));
        EXPECT_EQ(text, back);
    }
}

TEST(TextFile, NarrowWritesAndReads) {
    TempDir dir;
    {
        CTextFileWrite writer(dir.File("n.txt"), kEncodingUtf16LittleEndian);
        writer.Write(std::string_view("ab"));
        writer.Write('c');
        writer.Write(u'\u00fc');
        writer.WriteEndl();
        EXPECT_TRUE(writer.Close());
    }
    EXPECT_EQ(std::string("\xFF\xFE"
                          "a\0b\0c\0\xFC\0\r\0\n\0",
                          14),
              test::ReadBytes(dir.Path() / "n.txt"));
    CTextFileRead reader(dir.File("n.txt"));
    std::string all;
    ASSERT_TRUE(reader.ReadAll(all, "|"));
    EXPECT_EQ(0u, all.find("abc"));
    EXPECT_EQ('|', all.back());

    {
        CTextFileWrite writer(dir.File("e.txt"), kEncodingCodePage);
        writer.Write(std::string_view("x"));
        writer.WriteEndl();
        writer.Write(u"y");
    }  // the destructor writes out the buffer
    EXPECT_EQ("x\r\ny", test::ReadBytes(dir.Path() / "e.txt"));
}

TEST(TextFile, WriterIntoAnOpenFileLeavesItToItsOwner) {
    TempDir dir;
    File file = File::CreateTruncate(dir.File("o.txt"));
    ASSERT_TRUE(file.IsOpen());
    ASSERT_TRUE(file.Write("head:", 5));
    {
        CTextFileWrite writer(file, kEncodingUtf8);
        writer.Write(u"\u20ac");
        EXPECT_TRUE(writer.Close());
    }
    EXPECT_TRUE(file.IsOpen());
    ASSERT_TRUE(file.Write(":tail", 5));
    file.Close();
    EXPECT_EQ("head:\xEF\xBB\xBF\xE2\x82\xAC:tail", test::ReadBytes(dir.Path() / "o.txt"));

    File in = File::OpenRead(dir.File("o.txt"), ShareMode::kRead);
    CTextFileRead reader(in);
    std::u16string text;
    ASSERT_TRUE(reader.ReadAll(text));
    reader.Close();
    EXPECT_TRUE(in.IsOpen());
}

TEST(TextFile, MissingFilesAreHandledQuietly) {
    TempDir dir;
    CTextFileRead reader(dir.File("none.txt"));
    EXPECT_FALSE(reader.IsOpen());
    std::u16string text = u"old";
    EXPECT_FALSE(reader.ReadAll(text));
    EXPECT_FALSE(reader.ReadLine(text));

    CTextFileWrite writer(dir.File("no/such/folder.txt"), kEncodingUtf8);
    EXPECT_FALSE(writer.IsOpen());
    writer.Write(u"ignored");
    writer.WriteEndl();
    EXPECT_FALSE(writer.Close());
}

TEST(TextFile, DefaultCharacterMarksWhatTheCodePageCannotShow) {
    TempDir dir;
    CTextFileWrite writer(dir.File("d.txt"), kEncodingCodePage);
    writer.SetDefaultChar('?');
    writer.Write(u"ok");
    EXPECT_FALSE(writer.IsDefaultCharUsed());
    writer.Write(std::u16string_view(u"\xD800", 1));  // an unpaired surrogate fits no code page
    EXPECT_TRUE(writer.IsDefaultCharUsed());
    writer.ResetDefaultCharUsed();
    EXPECT_FALSE(writer.IsDefaultCharUsed());
    EXPECT_TRUE(writer.Close());
    EXPECT_EQ("ok?", test::ReadBytes(dir.Path() / "d.txt"));
}

}  // namespace
}  // namespace velmora
