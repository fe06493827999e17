// The task record's vocabulary and its INI form.
#include <gtest/gtest.h>

#include "model/TaskParams.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;

TEST(ActionCodes, ClampKeepsKnownCodesAndMapsTheRestToWakeUp) {
    for (int code = 0; code <= 10; ++code)
        EXPECT_EQ(code, ClampAction(code));
    for (long long code : {11LL, 12LL, -1LL, 1000LL, 0x100000000LL, -0x80000000LL})
        EXPECT_EQ(kActionWakeUp, ClampAction(code)) << code;
}

TEST(ActionCodes, NamesAsTheLogsShowThem) {
    EXPECT_EQ(u"shutdown", ActionName(0));
    EXPECT_EQ(u"restart", ActionName(3));
    EXPECT_EQ(u"log off", ActionName(6));
    EXPECT_EQ(u"ping", ActionName(7));
    EXPECT_EQ(u"turn on monitor", ActionName(8));
    EXPECT_EQ(u"wol", ActionName(10));
    EXPECT_EQ(u"", ActionName(11));
    EXPECT_EQ(u"", ActionName(-1));
    EXPECT_EQ(u"", ActionName(12));
}

TEST(TaskRecord, ResetRestoresEveryDefault) {
    CTaskParams record;
    record.action = 5;
    record.comment = u"c";
    record.local = 1;
    record.force = 1;
    record.noshow = 1;
    record.cancel = 0;
    record.delay = u"9";
    record.message = u"m";
    record.history = u"h";
    record.logFile = u"l";
    record.computers.emplace_back();
    EXPECT_TRUE(record.Reset());
    EXPECT_EQ(0, record.action);
    EXPECT_EQ(0, record.local);
    EXPECT_EQ(0, record.force);
    EXPECT_EQ(0, record.noshow);
    EXPECT_EQ(1, record.cancel);
    EXPECT_TRUE(record.comment.empty() && record.delay.empty() && record.message.empty() && record.history.empty() &&
                record.logFile.empty() && record.computers.empty());
}

TEST(ListField, FieldsOfACommaSeparatedValue) {
    EXPECT_EQ(u"pc", CTaskParams::GetListField(u"pc,user,pw", 0));
    EXPECT_EQ(u"user", CTaskParams::GetListField(u"pc,user,pw", 1));
    EXPECT_EQ(u"pw", CTaskParams::GetListField(u"pc,user,pw", 2));
    EXPECT_EQ(u"", CTaskParams::GetListField(u"pc,user,pw", 3));
    EXPECT_EQ(u"", CTaskParams::GetListField(u"pc,,pw", 1));
    EXPECT_EQ(u"pc", CTaskParams::GetListField(u",,pc,x", 0));  // leading commas are skipped
    EXPECT_EQ(u"", CTaskParams::GetListField(u",,,", 0));
    EXPECT_EQ(u"", CTaskParams::GetListField(u"", 2));
    EXPECT_EQ(u"MAC", CTaskParams::GetListField(u"pc,,,,MAC,,bc,9", 4));
    EXPECT_EQ(u"9", CTaskParams::GetListField(u"pc,,,,MAC,,bc,9", 7));
}

CTaskParams ShutdownRecord() {
    CTaskParams record;
    record.action = kActionRestart;
    record.comment = u"Lab A nightly";
    record.force = 1;
    record.delay = u"30";
    record.message = u"Closing time\r\nSave your work";
    record.logFile = u"C:\\logs\\lab.log";
    record.computers.push_back(
        {u"pc-01", u"admin", u"s3cret", u"", u"001122AABBCC", u"", u"192.168.1.255", u"9", u"", u"", u""});
    record.computers.push_back({u"10.0.0.7", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"Ok"});
    record.history = u"not exported";
    return record;
}

CTaskParams WakeRecord() {
    CTaskParams record;
    record.action = kActionWakeOnLan;
    record.comment = u"Wake lab";
    record.noshow = 1;
    record.cancel = 0;
    record.computers.push_back(
        {u"pc-01", u"", u"", u"", u"001122AABBCC", u"A1B2C3D4E5F6", u"192.168.1.255", u"9", u"", u"", u""});
    record.computers.push_back({u"pc-02", u"", u"", u"", u"0A0B0C0D0E0F", u"", u"", u"", u"", u"", u""});
    return record;
}

TEST(IniForm, ExportWritesTheGoldenFiles) {
    TempDir dir;
    ASSERT_TRUE(ShutdownRecord().ExportIni(dir.File("s.ini")));
    EXPECT_EQ(test::Golden("export_shutdown.ini"), test::ReadBytes(dir.Path() / "s.ini"));
    ASSERT_TRUE(WakeRecord().ExportIni(dir.File("w.ini")));
    EXPECT_EQ(test::Golden("export_wol.ini"), test::ReadBytes(dir.Path() / "w.ini"));
}

TEST(IniForm, ImportReadsTheGoldenFiles) {
    CTaskParams record;
    ASSERT_TRUE(record.ImportIni(test::GoldenPath("export_shutdown.ini").u16string(), kComputerLimit));
    CTaskParams expected = ShutdownRecord();
    EXPECT_EQ(expected.action, record.action);
    EXPECT_EQ(expected.comment, record.comment);
    EXPECT_EQ(1, record.force);
    EXPECT_EQ(0, record.noshow);
    EXPECT_EQ(1, record.cancel);
    EXPECT_EQ(u"30", record.delay);
    EXPECT_EQ(u"Closing time\r\nSave your work", record.message);
    EXPECT_EQ(u"C:\\logs\\lab.log", record.logFile);
    EXPECT_TRUE(record.history.empty());
    ASSERT_EQ(2u, record.computers.size());
    EXPECT_EQ((ComputerEntry{u"pc-01", u"admin", u"s3cret"}), record.computers[0]);
    EXPECT_EQ((ComputerEntry{u"10.0.0.7"}), record.computers[1]);

    ASSERT_TRUE(record.ImportIni(test::GoldenPath("export_wol.ini").u16string(), kComputerLimit));
    EXPECT_EQ(WakeRecord().computers, record.computers);
    EXPECT_EQ(1, record.noshow);
    EXPECT_EQ(0, record.cancel);
}

// Writes an INI file from lines joined with CR LF.
std::u16string IniWith(const TempDir& dir, const std::string& name, const std::string& text) {
    test::WriteBytes(dir.Path() / name, text);
    return dir.File(name);
}

TEST(IniForm, MissingFileIsAFailedImportOfAnEmptyTaskWithCancelOff) {
    TempDir dir;
    CTaskParams record = ShutdownRecord();
    EXPECT_FALSE(record.ImportIni(dir.File("none.ini"), kComputerLimit)) << "no task to run";
    EXPECT_EQ(0, record.action);
    EXPECT_EQ(0, record.cancel);
    EXPECT_EQ(0, record.force);
    EXPECT_TRUE(record.comment.empty() && record.computers.empty() && record.logFile.empty());
}

TEST(IniForm, ImportedNumbersAreClampedAndFlagsMadeBoolean) {
    TempDir dir;
    CTaskParams record;
    record.ImportIni(IniWith(dir, "a.ini", "[settings]\r\naction=12\r\nforce=2\r\nnoshow=-3\r\n"), 10);
    EXPECT_EQ(kActionWakeUp, record.action);
    EXPECT_EQ(1, record.force);
    EXPECT_EQ(1, record.noshow);
    EXPECT_EQ(0, record.cancel);
    record.ImportIni(IniWith(dir, "b.ini", "[settings]\r\naction=abc\r\nforce=0\r\ncancel=1\r\n"), 10);
    EXPECT_EQ(kActionShutdown, record.action);
    EXPECT_EQ(0, record.force);
    EXPECT_EQ(1, record.cancel);
    record.ImportIni(IniWith(dir, "c.ini", "[settings]\r\naction=99999999999999999999\r\n"), 10);
    EXPECT_EQ(kActionWakeUp, record.action);
    record.ImportIni(IniWith(dir, "d.ini", "[settings]\r\naction=-4294967295\r\n"), 10);
    EXPECT_EQ(kActionWakeUp, record.action);
}

TEST(IniForm, ListStopsAtTheFirstGapAndAtTheLimit) {
    TempDir dir;
    CTaskParams record;
    record.ImportIni(IniWith(dir, "gap.ini", "[settings]\r\naction=0\r\n[list]\r\n0=a\r\n1=b\r\n3=d\r\n"), 10);
    ASSERT_EQ(2u, record.computers.size());
    EXPECT_EQ(u"b", record.computers[1][kTextName]);

    record.ImportIni(IniWith(dir, "empty.ini", "[settings]\r\naction=3\r\n[list]\r\n0=a\r\n1=\r\n2=c\r\n"), 10);
    EXPECT_EQ(1u, record.computers.size());

    std::string many = "[list]\r\n";
    for (int i = 0; i < 8; ++i)
        many += std::to_string(i) + "=pc" + std::to_string(i) + "\r\n";
    record.ImportIni(IniWith(dir, "many.ini", many), 5);
    EXPECT_EQ(5u, record.computers.size());
}

TEST(IniForm, ListIsReadOnlyForActionsThatActOnComputers) {
    TempDir dir;
    for (int action = 0; action <= 11; ++action) {
        CTaskParams record;
        const std::string text = "[settings]\r\naction=" + std::to_string(action) + "\r\n[list]\r\n0=pc,u,p\r\n";
        record.ImportIni(IniWith(dir, "x.ini", text), 10);
        const bool keeps = action == 0 || action == 3 || action == 10 || action == 11;
        EXPECT_EQ(keeps ? 1u : 0u, record.computers.size()) << "action " << action;
    }
}

TEST(IniForm, ListFieldsAreCutAndPlacedByAction) {
    TempDir dir;
    CTaskParams record;
    record.ImportIni(IniWith(dir, "s.ini",
                             "[settings]\r\naction=0\r\n[list]\r\n0=pc,user,pass,extra\r\n1=pc2,me,pa,ss\r\n2=" +
                                 std::string(60, 'n') + "," + std::string(60, 'u') + "\r\n"),
                     10);
    ASSERT_EQ(3u, record.computers.size());
    EXPECT_EQ((ComputerEntry{u"pc", u"user", u"pass"}), record.computers[0]);
    EXPECT_EQ(u"pa", record.computers[1][kTextPassword]);  // a comma in a password cuts it
    EXPECT_EQ(45u, record.computers[2][kTextName].size());
    EXPECT_EQ(50u, record.computers[2][kTextUser].size());

    record.ImportIni(
        IniWith(dir, "w.ini", "[settings]\r\naction=10\r\n[list]\r\n0=pc,,,,001122334455FF,,10.0.0.255,40000\r\n"), 10);
    ASSERT_EQ(1u, record.computers.size());
    EXPECT_EQ((ComputerEntry{u"pc", u"", u"", u"", u"001122334455", u"", u"10.0.0.255", u"4000"}), record.computers[0]);
}

TEST(IniForm, MessageLinesSurviveTheRoundTrip) {
    TempDir dir;
    CTaskParams record;
    record.action = kActionPopup;
    record.message = u"first line\r\nsecond line";
    ASSERT_TRUE(record.ExportIni(dir.File("m.ini")));
    EXPECT_NE(std::string::npos, test::ReadBytes(dir.Path() / "m.ini").find("message=first line\\nsecond line\r\n"));
    CTaskParams back;
    back.ImportIni(dir.File("m.ini"), 10);
    EXPECT_EQ(record.message, back.message);
}

TEST(IniForm, ExportKeepsOtherSectionsAndReplacesItsOwn) {
    TempDir dir;
    const auto path =
        IniWith(dir, "e.ini", "[List]\r\n0=old,,\r\n5=stale\r\n[mine]\r\nkeep=yes\r\n[Settings]\r\nobsolete=1\r\n");
    CTaskParams record = ShutdownRecord();
    ASSERT_TRUE(record.ExportIni(path));
    const std::string text = test::ReadBytes(dir.Path() / "e.ini");
    EXPECT_EQ(0u, text.find("[mine]\r\nkeep=yes\r\n[settings]\r\naction=3\r\n"));
    EXPECT_EQ(std::string::npos, text.find("stale"));
    EXPECT_EQ(std::string::npos, text.find("obsolete"));
    CTaskParams back;
    back.ImportIni(path, 10);
    EXPECT_EQ(2u, back.computers.size());
}

TEST(IniForm, TextsWithBlanksAndQuotesComeBackWhole) {
    TempDir dir;
    CTaskParams record;
    record.action = kActionPopup;
    record.comment = u"  padded  ";
    record.message = u"\"quoted\"";
    record.delay = u"'5'";
    record.logFile = u"C:\\Program Files\\log \u00fc.txt";
    ASSERT_TRUE(record.ExportIni(dir.File("q.ini")));
    CTaskParams back;
    back.ImportIni(dir.File("q.ini"), 10);
    EXPECT_EQ(record.comment, back.comment);
    EXPECT_EQ(record.message, back.message);
    EXPECT_EQ(record.delay, back.delay);
    EXPECT_EQ(record.logFile, back.logFile);
}

}  // namespace
}  // namespace velmora
