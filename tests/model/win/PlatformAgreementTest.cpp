// The task model against the real platform: private-profile functions, the ANSI code page, file
// sharing and the task store folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "model/CodePage.h"
#include "model/File.h"
#include "model/IniFile.h"
#include "model/TaskParams.h"
#include "model/TextFile.h"
#include "model/win/TaskFolder.h"
#include "platform/win/WideText.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;

std::u16string PlatformRead(const std::u16string& path, const std::u16string& section, const std::u16string& key) {
    wchar_t buffer[4096] = {};
    const DWORD length = ::GetPrivateProfileStringW(W(section), W(key), L"<missing>", buffer, 4096, W(path));
    return FromWide(buffer, length);
}

// Texts the system's ANSI code page can show, so both sides can store them in a plain INI file.
CTaskParams Record() {
    CTaskParams record;
    record.action = kActionWakeOnLan;
    record.comment = u"  Lab \u00fcber \"night\"  ";
    record.force = 1;
    record.delay = u"'15'";
    record.message = u"line one\r\nline two";
    record.logFile = u"C:\\logs\\wake up.log";
    record.computers.push_back({u"pc-01", u"", u"", u"", u"001122AABBCC", u"", u"10.0.0.255", u"9"});
    record.computers.push_back({u"pc-02", u"", u"", u"", u"0A0B0C0D0E0F"});
    return record;
}

TEST(PlatformAgreement, PlatformReadsWhatWeExport) {
    TempDir dir;
    const std::u16string path = dir.File("ours.ini");
    const CTaskParams record = Record();
    ASSERT_TRUE(record.ExportIni(path));
    EXPECT_EQ(u"10", PlatformRead(path, u"settings", u"action"));
    EXPECT_EQ(record.comment, PlatformRead(path, u"Settings", u"COMMENT"));
    EXPECT_EQ(u"1", PlatformRead(path, u"settings", u"force"));
    EXPECT_EQ(u"0", PlatformRead(path, u"settings", u"noshow"));
    EXPECT_EQ(u"1", PlatformRead(path, u"settings", u"cancel"));
    EXPECT_EQ(record.delay, PlatformRead(path, u"settings", u"delay"));
    EXPECT_EQ(u"line one\\nline two", PlatformRead(path, u"settings", u"message"));
    EXPECT_EQ(record.logFile, PlatformRead(path, u"settings", u"log file"));
    EXPECT_EQ(u"pc-01,,,,001122AABBCC,,10.0.0.255,9", PlatformRead(path, u"list", u"0"));
    EXPECT_EQ(u"pc-02,,,,0A0B0C0D0E0F,,,", PlatformRead(path, u"list", u"1"));
    EXPECT_EQ(u"<missing>", PlatformRead(path, u"list", u"2"));
    EXPECT_EQ(10, static_cast<int>(::GetPrivateProfileIntW(L"settings", L"action", 99, W(path))));
}

TEST(PlatformAgreement, WeReadWhatThePlatformWrites) {
    TempDir dir;
    const std::u16string path = dir.File("theirs.ini");
    const std::pair<const wchar_t*, const wchar_t*> settings[] = {
        {L"action", L"3"},      {L"comment", L"caf\u00e9 \u00fcber"},
        {L"force", L"1"},       {L"noshow", L"0"},
        {L"cancel", L"0"},      {L"delay", L"20"},
        {L"message", L"a\\nb"}, {L"log file", L"C:\\x y\\log.txt"}};
    for (const auto& [key, value] : settings)
        ASSERT_TRUE(::WritePrivateProfileStringW(L"Settings", key, value, W(path)));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"list", L"0", L"pc-a,admin,pw", W(path)));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"list", L"1", L"pc-b,,", W(path)));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"old", L"k", L"v", W(path)));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"old", nullptr, nullptr, W(path)));  // a section deleted whole

    IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    EXPECT_EQ(std::nullopt, ini.GetString(u"old", u"k"));
    CTaskParams record;
    ASSERT_TRUE(record.ImportIni(path, kComputerLimit));
    EXPECT_EQ(kActionRestart, record.action);
    EXPECT_EQ(u"caf\u00e9 \u00fcber", record.comment);
    EXPECT_EQ(1, record.force);
    EXPECT_EQ(0, record.cancel);
    EXPECT_EQ(u"20", record.delay);
    EXPECT_EQ(u"a\r\nb", record.message);
    EXPECT_EQ(u"C:\\x y\\log.txt", record.logFile);
    ASSERT_EQ(2u, record.computers.size());
    EXPECT_EQ((ComputerEntry{u"pc-a", u"admin", u"pw"}), record.computers[0]);
    EXPECT_EQ((ComputerEntry{u"pc-b"}), record.computers[1]);
}

TEST(PlatformAgreement, PlatformReadsOurUtf16File) {
    // Text the ANSI code page cannot show makes our writer switch to UTF-16 with a mark.
    TempDir dir;
    const std::u16string path = dir.File("wide.ini");
    IniFile ini;
    ini.SetString(u"settings", u"comment", u"\u4e2d\u6587 \u0416");
    ASSERT_TRUE(ini.Save(path));
    if (::GetACP() != CP_UTF8) {
        CTextFileRead reader(path);
        EXPECT_EQ(kEncodingUtf16LittleEndian, reader.GetEncoding());
    }
    EXPECT_EQ(u"\u4e2d\u6587 \u0416", PlatformRead(path, u"settings", u"comment"));
}

TEST(PlatformAgreement, LookAlikesCountAsLostSoTheIniKeepsTheText) {
    if (::GetACP() != 1252)
        GTEST_SKIP() << "the check is written for code page 1252";
    bool used = false;
    WideToCodePage(u"\u0141\u00f3d\u017a", kSystemCodePage, '?', &used);  // no best-fit "L", "z"
    EXPECT_TRUE(used);
    TempDir dir;
    IniFile ini;
    ini.SetString(u"settings", u"comment", u"\u0141\u00f3d\u017a");
    ASSERT_TRUE(ini.Save(dir.File("city.ini")));
    IniFile back;
    ASSERT_TRUE(back.Load(dir.File("city.ini")));
    EXPECT_EQ(u"\u0141\u00f3d\u017a", back.GetString(u"settings", u"comment"));
}

TEST(PlatformAgreement, IniFileHeldByAnotherProgramIsNotImportedAsAnEmptyTask) {
    TempDir dir;
    test::WriteBytes(dir.Path() / "held.ini", "[settings]\r\naction=5\r\n");
    HANDLE held =
        ::CreateFileW(W(dir.File("held.ini")), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    CTaskParams record;
    EXPECT_FALSE(record.ImportIni(dir.File("held.ini"), kComputerLimit));
    ::CloseHandle(held);
    EXPECT_TRUE(record.ImportIni(dir.File("held.ini"), kComputerLimit));
    EXPECT_EQ(kActionLock, record.action);
}

TEST(PlatformAgreement, CodePageConversionIsThePlatforms) {
    const std::u16string text = u"Gr\u00fc\u00dfe";
    std::string expected(64, '\0');
    const int length = ::WideCharToMultiByte(CP_ACP, 0, W(text), -1, expected.data(), 64, nullptr, nullptr);
    expected.resize(static_cast<std::size_t>(length - 1));
    bool used = false;
    EXPECT_EQ(expected, WideToCodePage(text, kSystemCodePage, '?', &used));
    EXPECT_EQ(text, CodePageToWide(expected, kSystemCodePage));
    if (::GetACP() == 1252) {
        EXPECT_FALSE(used);
        EXPECT_EQ("?", WideToCodePage(u"\u4e2d", kSystemCodePage, '?', &used));
        EXPECT_TRUE(used);
    }
    EXPECT_EQ("\xC3\xBC", WideToCodePage(u"\u00fc", CP_UTF8, '?', nullptr));  // UTF-8 takes no default
}

TEST(PlatformAgreement, TaskFileCanBeReplacedWhileSomeoneReadsIt) {
    TempDir dir;
    CTaskParams record = Record();
    ASSERT_TRUE(record.Save(dir.Folder(), u"t"));
    // A reader with the sharing Load uses does not stop the replacement.
    File reading = File::OpenRead(dir.File("t.dat"), ShareMode::kReadWriteDelete);
    ASSERT_TRUE(reading.IsOpen());
    record.comment = u"changed";
    EXPECT_TRUE(record.Save(dir.Folder(), u"t"));
    reading.Close();
    CTaskParams loaded;
    ASSERT_TRUE(loaded.Load(dir.Folder(), u"t", true));
    EXPECT_EQ(u"changed", loaded.comment);
    // A task file held open for writing by someone else can still be loaded.
    HANDLE writer = ::CreateFileW(W(dir.File("t.dat")), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_TRUE(loaded.Load(dir.Folder(), u"t", true));
    ::CloseHandle(writer);
}

// Wine's task scheduler opens every new file of the Tasks folder without sharing it for a moment;
// a task file saved just then must still be saved.
TEST(PlatformAgreement, ReplacementWaitsForAShortExclusiveHold) {
    TempDir dir;
    test::WriteBytes(dir.Path() / "new.tmp", "new");
    test::WriteBytes(dir.Path() / "t.dat", "old");
    HANDLE held = ::CreateFileW(W(dir.File("new.tmp")), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::thread release([held] {
        ::Sleep(200);
        ::CloseHandle(held);
    });
    EXPECT_EQ(ReplaceOutcome::kReplaced, ReplaceFileWith(dir.File("new.tmp"), dir.File("t.dat")));
    release.join();
    EXPECT_EQ("new", test::ReadBytes(dir.Path() / "t.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "new.tmp"));
}

TEST(PlatformAgreement, TextReaderKeepsWritersOut) {
    TempDir dir;
    test::WriteBytes(dir.Path() / "r.txt", "text");
    CTextFileRead reader(dir.File("r.txt"));
    ASSERT_TRUE(reader.IsOpen());
    HANDLE writer = ::CreateFileW(W(dir.File("r.txt")), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
    if (writer != INVALID_HANDLE_VALUE)
        ::CloseHandle(writer);
    HANDLE other =
        ::CreateFileW(W(dir.File("r.txt")), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, other);
    ::CloseHandle(other);
}

TEST(PlatformAgreement, TaskStoreIsTheWindowsTasksFolder) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::u16string expected = FromWide(windows) + u"\\Tasks";
    EXPECT_EQ(0, ::lstrcmpiW(W(expected), W(TaskStoreFolder())));
    EXPECT_EQ(expected + u"\\quenep-0ab.dat", TaskFilePath(TaskStoreFolder(), u"quenep-0ab"));
}

}  // namespace
}  // namespace velmora
