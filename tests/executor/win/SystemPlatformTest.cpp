// The executor's real platform and the real privilege step, where Wine implements them.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "actions/PowerApi.h"
#include "executor/win/KvApp.h"
#include "executor/win/SystemExecutorPlatform.h"
#include "model/Utf.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

TEST(SystemPlatform, TimeIsTheRuntimesDefaultDateAndTime) {
    SystemExecutorPlatform platform;
    const std::string text = Utf16ToUtf8(platform.TimeText());
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d)"))) << text;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    char expected[16];
    std::strftime(expected, sizeof expected, "%m/%d/%y", &local);
    EXPECT_EQ(expected, text.substr(0, 8));
}

TEST(SystemPlatform, MessageTextIsTheSystemsOnOneLine) {
    SystemExecutorPlatform platform;
    for (std::uint32_t code : {0u, 5u, 120u, 1326u}) {
        wchar_t* buffer = nullptr;
        const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                                  FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                              nullptr, code, 0x400, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        ASSERT_GT(length, 0u) << code;
        const UniqueLocal owner(buffer);
        const std::u16string expected = FromWide(buffer, length);
        const std::u16string text = platform.MessageText(code);
        EXPECT_EQ(expected, text) << code;
        EXPECT_EQ(std::u16string::npos, text.find_first_of(u"\r\n")) << code;
    }
    EXPECT_EQ(u"", platform.MessageText(0x2fffffffu));
}

TEST(SystemPlatform, LastErrorIsTheThreads) {
    SystemExecutorPlatform platform;
    ::SetLastError(1326);
    EXPECT_EQ(1326u, platform.LastError());
    platform.ClearLastError();
    EXPECT_EQ(0u, ::GetLastError());
}

TEST(SystemPlatform, ProgramNameHasNoPathNorEnding) {
    EXPECT_EQ(u"executor_win_tests", CKvApp::ProgramName());
}

TEST(PrivilegeStep, EnablesAKnownPrivilegeAndRefusesAnUnknownOne) {
    EXPECT_TRUE(SystemPowerApi().EnableTokenPrivilege(u"SeShutdownPrivilege"));
    EXPECT_FALSE(SystemPowerApi().EnableTokenPrivilege(u"SeNoSuchPrivilege"));
    const WindowsVersion version = SystemPowerApi().Version();
    EXPECT_GE(version.major, 5u);
}

}  // namespace
}  // namespace velmora

#include "executor/win/TemporaryService.h"

namespace velmora {
namespace {

bool ServiceIsThere() {
    const UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueService service(manager ? ::OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_CONFIG) : nullptr);
    bool interactiveOwnProcess = false;
    if (service) {
        BYTE buffer[8192];
        DWORD needed = 0;
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer);
        if (::QueryServiceConfigW(service.get(), config, sizeof buffer, &needed)) {
            interactiveOwnProcess = config->dwServiceType == 0x110 && config->dwStartType == SERVICE_DEMAND_START &&
                                    std::wstring(config->lpBinaryPathName).ends_with(L"\" -service");
        }
    }
    EXPECT_TRUE(!service || interactiveOwnProcess) << "the service's settings differ";
    return static_cast<bool>(service);
}

// The service is only created and removed here, never started: its program would be this test.
TEST(TemporaryService, CreatedOnceWithItsSettingsAndRemovedAgain) {
    if (ServiceIsThere())
        GTEST_SKIP() << "a run of the executor holds the service now";
    EXPECT_EQ(0u, InstallService());
    EXPECT_TRUE(ServiceIsThere());
    EXPECT_EQ(static_cast<std::uint32_t>(ERROR_SERVICE_EXISTS), InstallService()) << "a second run must see the first";
    RemoveService();
    for (int i = 0; i < 100 && ServiceIsThere(); ++i)
        ::Sleep(20);
    EXPECT_FALSE(ServiceIsThere());
}

}  // namespace
}  // namespace velmora

#include "executor/win/SystemPathExaminer.h"
#include "model/File.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

bool UnderWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// A folder looked at on the way to a log stays where it is until the log is written: nobody can
// rename it and put a link in its place meanwhile. Files inside can still be made and looked at.
TEST(SystemPathExaminer, HeldFolderCannotBeRenamedUntilTheExaminerGoes) {
    test::TempDir dir;
    const std::u16string folder = dir.File("logs");
    const std::u16string moved = dir.File("moved");
    ASSERT_TRUE(::CreateDirectoryW(W(folder), nullptr));
    {
        SystemPathExaminer examiner;
        const PathStep step = examiner.HoldFolder(folder);
        EXPECT_EQ(0u, step.error);
        EXPECT_TRUE(step.folder);
        EXPECT_FALSE(step.reparsePoint);
        EXPECT_FALSE(step.owner.empty());
        EXPECT_TRUE(step.hasAccessList);
        EXPECT_FALSE(step.entries.empty());
        test::WriteBytes(dir.Path() / "logs" / "a.log", "a");
        EXPECT_EQ(2u, examiner.LookAtFile(JoinPath(folder, u"missing.log")).error);
        EXPECT_EQ(0u, examiner.LookAtFile(JoinPath(folder, u"a.log")).error);
        if (UnderWine())
            GTEST_SKIP() << "Wine renames a folder that is held open without delete sharing; Windows refuses";
        EXPECT_FALSE(::MoveFileW(W(folder), W(moved)));
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
    }
    EXPECT_TRUE(::MoveFileW(W(folder), W(moved)));
}

// A link on the way is seen as one, or cannot be opened as a folder at all: either way the path is
// refused, and nothing is written through it.
TEST(SystemPathExaminer, FullPathTakesOutDotsAndAPathThroughALinkIsRefused) {
    test::TempDir dir;
    SystemPathExaminer examiner;
    EXPECT_EQ(u"C:\\Windows\\lab.log", examiner.FullPath(u"C:\\Windows\\System32\\..\\.\\lab.log").value_or(u""));
    EXPECT_FALSE(examiner.IsNetworkDrive(u"C:\\"));
    const std::u16string target = dir.File("target");
    const std::u16string link = dir.File("link");
    ASSERT_TRUE(::CreateDirectoryW(W(target), nullptr));
    if (!::CreateSymbolicLinkW(W(link), W(target), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "no symbolic link to a folder can be made here: " << ::GetLastError();
    const PathStep step = examiner.HoldFolder(link);
    EXPECT_TRUE(step.reparsePoint || step.error != 0);
    EXPECT_FALSE(examiner.HoldFolder(target).reparsePoint);
    SystemPathExaminer fresh;
    const LogPathCheck check = CheckPrivilegedLogPath(JoinPath(link, u"lab.log"), fresh);
    EXPECT_FALSE(check.refusal.empty());
    EXPECT_FALSE(FileExists(JoinPath(target, u"lab.log")));
}

// Under Wine the user is an administrator; the system account and elevated administrators count
// on Windows too.
TEST(SystemPlatform, AnAdministratorRunsPrivileged) {
    EXPECT_EQ(::IsUserAnAdmin() != FALSE, SystemExecutorPlatform().RunsPrivileged());
}

}  // namespace
}  // namespace velmora

#include "executor/Executor.h"

namespace velmora {
namespace {

// The real folders, held as for a run with high rights, but taken for the administrators' alone:
// Wine gives every folder its user as owner, whatever it was made with.
class AdministratorsFolders : public PathExaminer {
public:
    std::optional<std::u16string> FullPath(const std::u16string& path) override { return real_.FullPath(path); }
    bool IsNetworkDrive(const std::u16string& root) override { return real_.IsNetworkDrive(root); }
    PathStep HoldFolder(const std::u16string& path) override {
        PathStep step = real_.HoldFolder(path);
        step.owner = u"S-1-5-32-544";
        step.entries = {{u"S-1-5-18", 0x1F01FF, true, false}, {u"S-1-5-32-544", 0x1F01FF, true, false}};
        return step;
    }
    PathStep LookAtFile(const std::u16string& path) override { return real_.LookAtFile(path); }

private:
    SystemPathExaminer real_;
};

class HeldFoldersPlatform : public SystemExecutorPlatform {
public:
    bool RunsPrivileged() override { return true; }
    std::unique_ptr<PathExaminer> ExaminePaths() override { return std::make_unique<AdministratorsFolders>(); }
};

// The log of a run with high rights is made and then replaced beside the folders it holds.
TEST(PrivilegedLog, IsWrittenAndReplacedWhileItsFoldersAreHeld) {
    test::TempDir dir;
    const std::u16string log = dir.File("run.log");
    test::WriteBytes(dir.Path() / "run.log", "older run\r\n");
    HeldFoldersPlatform platform;
    for (const char16_t* line : {u"first", u"second"}) {
        Executor executor(platform);
        executor.SetIniMode(true);
        executor.task().logFile = JoinPath(dir.File(""), u".\\run.log");
        executor.AddLogLine(line);
        EXPECT_TRUE(executor.StoreLog(u"lab.ini")) << Utf16ToUtf8(line);
    }
    const std::string text = test::ReadBytes(dir.Path() / "run.log");
    EXPECT_EQ(0u, text.find("older run\r\n"));
    EXPECT_NE(std::string::npos, text.find(" first\r\n"));
    EXPECT_NE(std::string::npos, text.find(" second\r\n"));
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(dir.Path()), {})) << "a file was left behind";
    EXPECT_TRUE(FileExists(log));
}

}  // namespace
}  // namespace velmora
