// The task file: golden bytes, checksum, encoding, hostile records and the safe save.
#include <gtest/gtest.h>

#include "model/File.h"
#include "model/TaskParams.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::FromUtf16LeBytes;
using test::Golden;
using test::TempDir;

// The record the golden file task_two_computers.dat was worked out from.
CTaskParams TwoComputers() {
    CTaskParams record;
    record.action = kActionRestart;
    record.comment = u"Labor M\u00fcller nightly";
    record.force = 1;
    record.noshow = 0;
    record.cancel = 1;
    record.delay = u"30";
    record.message = u"Closing time\r\nSave your work";
    record.computers.push_back(
        {u"pc-01", u"admin", u"s3cret", u"", u"001122AABBCC", u"", u"192.168.1.255", u"9", u"", u"", u""});
    record.computers.push_back({u"10.0.0.7", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"Ok"});
    record.history = u"12/06/26 21:30:05 Start\r\n";
    record.logFile = u"C:\\logs\\lab.log";
    return record;
}

void ExpectSameRecord(const CTaskParams& expected, const CTaskParams& actual) {
    EXPECT_EQ(expected.action, actual.action);
    EXPECT_EQ(expected.comment, actual.comment);
    EXPECT_EQ(expected.force, actual.force);
    EXPECT_EQ(expected.noshow, actual.noshow);
    EXPECT_EQ(expected.cancel, actual.cancel);
    EXPECT_EQ(expected.delay, actual.delay);
    EXPECT_EQ(expected.message, actual.message);
    EXPECT_EQ(expected.computers, actual.computers);
    EXPECT_EQ(expected.history, actual.history);
    EXPECT_EQ(expected.logFile, actual.logFile);
}

// The encoded record line of a golden task file, without its line feed.
std::u16string GoldenLine(const std::string& name) {
    std::u16string units = FromUtf16LeBytes(Golden(name));
    EXPECT_FALSE(units.empty());
    EXPECT_EQ(u'\n', units.back());
    units.pop_back();
    return units;
}

TEST(TaskFile, SavesTheGoldenBytes) {
    TempDir dir;
    struct Case {
        const char* golden;
        CTaskParams record;
    };
    CTaskParams longHistory;
    longHistory.history = std::u16string(10, u'X');
    for (int i = 0; i < 15000; ++i)
        longHistory.history += u"0123456789";
    const Case cases[] = {{"task_empty.dat", CTaskParams()},
                          {"task_two_computers.dat", TwoComputers()},
                          {"task_history_cut.dat", longHistory}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        ASSERT_TRUE(c.record.Save(dir.Folder(), u"quenep-0abc"));
        EXPECT_EQ(Golden(c.golden), test::ReadBytes(dir.Path() / "quenep-0abc.dat"));
    }
}

// The bytes in memory are the file's: what Save writes, and what Load reads from them.
TEST(TaskFile, MemoryFormIsTheFilesBytes) {
    TempDir dir;
    for (const char* golden : {"task_empty.dat", "task_two_computers.dat", "task_history_cut.dat"}) {
        SCOPED_TRACE(golden);
        CTaskParams fromFile, fromBytes;
        test::WriteBytes(dir.Path() / "quenep-0m.dat", Golden(golden));
        ASSERT_TRUE(fromFile.Load(dir.Folder(), u"quenep-0m", true));
        ASSERT_TRUE(fromBytes.ParseFileBytes(Golden(golden), true));
        ExpectSameRecord(fromFile, fromBytes);
        EXPECT_EQ(Golden(golden), fromBytes.FileBytes());
    }
    EXPECT_FALSE(CTaskParams().ParseFileBytes(Golden("task_two_computers.dat").substr(0, 300), true));
}

TEST(TaskFile, EmptyRecordIsLeadInBodyAndChecksum) {
    const std::u16string text = CTaskParams().Serialize();
    EXPECT_EQ(std::u16string(111, u'\t'), text.substr(0, 111));
    EXPECT_EQ(u"000003082a", text.substr(text.size() - 10));
    EXPECT_EQ(char16_t{7999}, text[111]);
    EXPECT_EQ(char16_t{7999}, text[text.size() - 11]);
}

TEST(TaskFile, LoadsGoldenFilesBack) {
    TempDir dir;
    test::WriteBytes(dir.Path() / "quenep-1a.dat", Golden("task_two_computers.dat"));
    test::WriteBytes(dir.Path() / "quenep-1b.dat", Golden("task_upper_checksum.dat"));
    test::WriteBytes(dir.Path() / "quenep-0c.dat", Golden("task_empty.dat"));
    for (const char16_t* name : {u"quenep-1a", u"quenep-1b"}) {
        CTaskParams loaded;
        ASSERT_TRUE(loaded.Load(dir.Folder(), name, true));
        ExpectSameRecord(TwoComputers(), loaded);
    }
    CTaskParams loaded;
    loaded.action = kActionLock;
    ASSERT_TRUE(loaded.Load(dir.Folder(), u"quenep-0c", true));
    ExpectSameRecord(CTaskParams(), loaded);
}

TEST(TaskFile, LocalFlagIsWrittenButNotRead) {
    CTaskParams record = TwoComputers();
    record.local = 1;
    std::u16string text = record.Serialize();
    EXPECT_EQ(char16_t{7001}, text[112 + 5]);
    EncodeRecordText(text);
    CTaskParams parsed;
    ASSERT_TRUE(parsed.Parse(text, true));
    EXPECT_EQ(0, parsed.local);
}

TEST(TaskFile, WithoutFullOnlyFlagsAndCommentAreRead) {
    std::u16string text = TwoComputers().Serialize();
    EncodeRecordText(text);
    CTaskParams parsed;
    ASSERT_TRUE(parsed.Parse(text, false));
    EXPECT_EQ(kActionRestart, parsed.action);
    EXPECT_EQ(1, parsed.force);
    EXPECT_EQ(TwoComputers().comment, parsed.comment);
    EXPECT_TRUE(parsed.delay.empty());
    EXPECT_TRUE(parsed.computers.empty());
    EXPECT_TRUE(parsed.history.empty());
}

TEST(TaskFile, AnyChangedUnitBeforeTheChecksumFails) {
    const std::u16string line = GoldenLine("task_two_computers.dat");
    // Every unit of the record text, lead-in included, is covered by the checksum.
    for (std::size_t i = 0; i + 10 < line.size(); ++i) {
        std::u16string changed = line;
        changed[i] = static_cast<char16_t>(changed[i] + 1);
        CTaskParams parsed;
        EXPECT_FALSE(parsed.Parse(changed, true)) << "unit " << i;
    }
    TempDir dir;
    std::u16string changed = line;
    changed[200] = static_cast<char16_t>(changed[200] ^ 1);
    test::WriteBytes(dir.Path() / "t.dat", test::Utf16LeBytes(changed + u"\n"));
    CTaskParams loaded;
    EXPECT_FALSE(loaded.Load(dir.Folder(), u"t", true));
}

TEST(TaskFile, ChecksumMismatchResetsTheRecord) {
    std::u16string text = TwoComputers().Serialize();
    text[text.size() - 1] = text[text.size() - 1] == u'0' ? u'1' : u'0';
    EncodeRecordText(text);
    CTaskParams parsed = TwoComputers();
    EXPECT_FALSE(parsed.Parse(text, true));
    ExpectSameRecord(CTaskParams(), parsed);
}

TEST(TaskFile, MissingFileLeavesTheRecordAlone) {
    TempDir dir;
    CTaskParams record = TwoComputers();
    EXPECT_FALSE(record.Load(dir.Folder(), u"quenep-0missing", true));
    ExpectSameRecord(TwoComputers(), record);
}

TEST(TaskFile, OnlyTheFirstLineCountsAndCarriageReturnIsDropped) {
    TempDir dir;
    const std::u16string line = GoldenLine("task_two_computers.dat");
    test::WriteBytes(dir.Path() / "a.dat", test::Utf16LeBytes(line + u"\r\ngarbage that follows\n"));
    test::WriteBytes(dir.Path() / "b.dat", test::Utf16LeBytes(line));  // no line feed at all
    for (const char16_t* name : {u"a", u"b"}) {
        CTaskParams loaded;
        ASSERT_TRUE(loaded.Load(dir.Folder(), name, true));
        ExpectSameRecord(TwoComputers(), loaded);
    }
}

// Encodes a hand-built record text, with a correct checksum, for the parser.
std::u16string Encoded(std::u16string recordWithoutChecksum) {
    std::uint32_t sum = 0;
    for (char16_t u : recordWithoutChecksum)
        sum += u;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%010x", sum);
    for (const char* p = digits; *p; ++p)
        recordWithoutChecksum += static_cast<char16_t>(*p);
    EncodeRecordText(recordWithoutChecksum);
    return recordWithoutChecksum;
}

std::u16string Flags(int action, int force, int noshow, int cancel) {
    std::u16string f{char16_t(7100),          char16_t(7000 + action), char16_t(7000 + force),
                     char16_t(7000 + noshow), char16_t(7000 + cancel), char16_t(7000)};
    f.append(6, char16_t(7000));
    f += char16_t(7100);
    return f;
}

TEST(TaskFile, FlagAboveOneFailsAfterTheFieldsBeforeIt) {
    const std::u16string lead(111, u'\t');
    CTaskParams parsed;
    EXPECT_FALSE(parsed.Parse(Encoded(lead + char16_t(7999) + Flags(5, 1, 2, 1) + char16_t(7999)), true));
    EXPECT_EQ(kActionLock, parsed.action);
    EXPECT_EQ(1, parsed.force);
    EXPECT_EQ(0, parsed.noshow);

    // A unit below the marker base is no flag either.
    std::u16string flags = Flags(0, 0, 0, 1);
    flags[2] = char16_t(6999);
    EXPECT_FALSE(parsed.Parse(Encoded(lead + char16_t(7999) + flags + char16_t(7999)), true));
}

TEST(TaskFile, UnknownActionReadsAsWakeUp) {
    const std::u16string lead(111, u'\t');
    for (int unit : {7012, 7999 - 1, 6000}) {
        std::u16string flags = Flags(0, 0, 0, 0);
        flags[1] = static_cast<char16_t>(unit);
        CTaskParams parsed;
        EXPECT_TRUE(parsed.Parse(Encoded(lead + char16_t(7999) + flags + char16_t(7999)), true));
        EXPECT_EQ(kActionWakeUp, parsed.action);
    }
}

TEST(TaskFile, MissingMarkersGiveEmptyTextsAndEmptyEntriesAreSkipped) {
    const std::u16string lead(111, u'\t');
    std::u16string body = Flags(3, 0, 1, 0);
    body += char16_t(7300);  // comment opened, never closed
    body += u"dangling";
    body += std::u16string{char16_t(7600), char16_t(7650), char16_t(7650), char16_t(7650), char16_t(7651)} + u"pc" +
            char16_t(7651) + char16_t(7650) + char16_t(7600);
    CTaskParams parsed;
    ASSERT_TRUE(parsed.Parse(Encoded(lead + char16_t(7999) + body + char16_t(7999)), true));
    EXPECT_EQ(kActionRestart, parsed.action);
    EXPECT_EQ(1, parsed.noshow);
    EXPECT_EQ(0, parsed.cancel);
    EXPECT_TRUE(parsed.message.empty());
    ASSERT_EQ(1u, parsed.computers.size());
    EXPECT_EQ(u"pc", parsed.computers[0][kTextName]);
    EXPECT_TRUE(parsed.computers[0][kTextUser].empty());
}

TEST(TaskFile, HostileRecordsAreRefusedWithoutHarm) {
    const std::u16string lead(111, u'\t');
    CTaskParams parsed;
    EXPECT_FALSE(parsed.Parse(u"", true));
    EXPECT_FALSE(parsed.Parse(u"abc", true));
    EXPECT_FALSE(parsed.Parse(Encoded(u""), true));                    // nothing but a checksum
    EXPECT_FALSE(parsed.Parse(Encoded(lead), true));                   // no body
    EXPECT_FALSE(parsed.Parse(Encoded(lead + char16_t(7999)), true));  // body never closed
    std::u16string shortFlags =
        lead + char16_t(7999) + char16_t(7100) + char16_t(7000) + char16_t(7100) + char16_t(7999);
    EXPECT_FALSE(parsed.Parse(Encoded(shortFlags), true));
}

TEST(TaskFile, UnstorableUnitsNeverBreakTheRecord) {
    CTaskParams record = TwoComputers();
    record.comment = u"a\u1E46b";                // unit 7750, the log file marker
    record.message = u"x\u3C68y";                // encodes to the record's line feed
    record.computers[0][kTextName] = u"\u1F3F";  // unit 7999, the body marker
    record.history = u"h\u1B58";                 // unit 7000
    EXPECT_FALSE(IsStorableText(record.comment));
    EXPECT_FALSE(IsStorableText(record.message));
    EXPECT_TRUE(IsStorableText(u"plain \u00fc\u20ac text"));

    TempDir dir;
    ASSERT_TRUE(record.Save(dir.Folder(), u"t"));
    CTaskParams loaded;
    ASSERT_TRUE(loaded.Load(dir.Folder(), u"t", true));
    EXPECT_EQ(u"a\uFFFDb", loaded.comment);
    EXPECT_EQ(u"x\uFFFDy", loaded.message);
    EXPECT_EQ(u"\uFFFD", loaded.computers[0][kTextName]);
    EXPECT_EQ(u"h\uFFFD", loaded.history);
    EXPECT_EQ(TwoComputers().logFile, loaded.logFile);
    EXPECT_EQ(TwoComputers().computers[1], loaded.computers[1]);
}

TEST(TaskFile, SaveReplacesTheOldFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    ASSERT_TRUE(TwoComputers().Save(dir.Folder(), u"t"));
    CTaskParams changed = TwoComputers();
    changed.comment = u"second";
    ASSERT_TRUE(changed.Save(dir.Folder(), u"t"));
    CTaskParams loaded;
    ASSERT_TRUE(loaded.Load(dir.Folder(), u"t", true));
    EXPECT_EQ(u"second", loaded.comment);
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ("t.dat", item.path().filename().string());
        ++files;
    }
    EXPECT_EQ(1, files);
}

TEST(TaskFile, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    ASSERT_TRUE(TwoComputers().Save(dir.Folder(), u"t"));
    const std::string before = test::ReadBytes(dir.Path() / "t.dat");
    // A folder that does not exist cannot take the temporary file.
    EXPECT_FALSE(TwoComputers().Save(dir.File("missing"), u"t"));
    // A folder in the place of the task file cannot be replaced.
    std::filesystem::create_directory(dir.Path() / "d.dat");
    EXPECT_FALSE(TwoComputers().Save(dir.Folder(), u"d"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "d.dat"));
    EXPECT_EQ(before, test::ReadBytes(dir.Path() / "t.dat"));
    int files = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(2, files) << "a temporary file was left behind";
}

TEST(TaskFile, RemoveDeletesOnlyTheTaskFile) {
    TempDir dir;
    ASSERT_TRUE(CTaskParams().Save(dir.Folder(), u"quenep-0a"));
    ASSERT_TRUE(CTaskParams().Save(dir.Folder(), u"quenep-0b"));
    EXPECT_TRUE(CTaskParams::Remove(dir.Folder(), u"quenep-0a"));
    EXPECT_FALSE(CTaskParams::Remove(dir.Folder(), u"quenep-0a"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "quenep-0a.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "quenep-0b.dat"));
}

TEST(TaskFile, TaskNameIsTheTextUpToTheFirstDot) {
    EXPECT_EQ(u"quenep-0ab12", TaskNameOf(u"quenep-0ab12.job"));
    EXPECT_EQ(u"quenep-0ab12", TaskNameOf(u"quenep-0ab12.dat.tmp"));
    EXPECT_EQ(u"quenep-0ab12", TaskNameOf(u"quenep-0ab12"));
    EXPECT_EQ(u"", TaskNameOf(u".hidden"));
}

}  // namespace
}  // namespace velmora
