// The Windows Installer package under Wine's msiexec, in a throwaway prefix that
// tests/packaging/installer_test.sh makes for this program alone: a silent install puts every file,
// the system folder's copy, the Start menu's entry and the uninstall entry in place, and the bare
// command line with which the Task Scheduler starts the executor finds it; an older version is
// upgraded in place and its task kept; a silent uninstall removes the tasks and every file, and
// stays installed when a task cannot be removed; the package and the setup program refuse to
// install beside each other.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "model/File.h"
#include "platform/win/Unique.h"
#include "tests/packaging/win/InstallChecks.h"
#include "tests/support/win/WorkItems.h"

namespace velmora {
namespace {

using test::Exists;
using test::KeyExists;
using test::kVelmoraKey;
using test::RegNumber;
using test::RegText;
using test::RunCommandLine;
using test::SystemFolder;
using test::UninstallEntries;

constexpr wchar_t kDefaultDir[] = L"C:\\Program Files\\Velmora";

std::wstring Package() {
    return test::Env("VELMORA_MSI");
}
std::wstring OlderPackage() {
    return test::Env("VELMORA_OLDER_MSI");
}

// msiexec from the system folder, with `arguments`; its exit code.
std::optional<DWORD> Msiexec(const std::wstring& arguments) {
    return RunCommandLine(L"\"" + SystemFolder() + L"\\msiexec.exe\" " + arguments);
}
std::optional<DWORD> InstallSilently(const std::wstring& package, const std::wstring& properties = L"") {
    return Msiexec(L"/i \"" + package + L"\" /qn" + (properties.empty() ? L"" : L" " + properties));
}
std::optional<DWORD> UninstallSilently(const std::wstring& package) {
    return Msiexec(L"/x \"" + package + L"\" /qn");
}

// The Start menu's entry. The package puts it in the all-users Start menu; Wine's msiexec resolves
// ProgramMenuFolder to the user's own even for a per-machine install.
std::optional<std::wstring> StartMenuEntry() {
    for (const int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        const std::wstring entry = test::ShellFolder(folder) + L"\\Velmora.lnk";
        if (Exists(entry))
            return entry;
    }
    return std::nullopt;
}

std::vector<std::wstring> ProgramFiles(const std::wstring& dir) {
    return {SystemFolder() + L"\\quenex.exe", dir + L"\\quenex.exe", dir + L"\\Velmora.exe", dir + L"\\Velmora.chm"};
}

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

void ExpectNothingInstalled(const std::wstring& dir) {
    for (const std::wstring& file : ProgramFiles(dir))
        EXPECT_FALSE(Exists(file)) << std::string(file.begin(), file.end());
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(StartMenuEntry());
    EXPECT_TRUE(UninstallEntries(L"Velmora").empty());
    EXPECT_FALSE(KeyExists(kVelmoraKey));
}

// Every test starts from a prefix without Velmora and leaves it so.
class Msi : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Package().empty()) << "VELMORA_MSI names the package";
        ASSERT_TRUE(Exists(Package()));
        ASSERT_TRUE(Exists(OlderPackage()));
        ASSERT_TRUE(UninstallEntries(L"Velmora").empty());
        ASSERT_FALSE(Exists(SystemFolder() + L"\\quenex.exe"));
        test::ExpectNoExecutorSearchedFirst();
    }
    void TearDown() override {
        if (!UninstallEntries(L"Velmora").empty())
            UninstallSilently(Package());
    }
};

TEST_F(Msi, SilentInstallPutsEverythingInPlaceAndTheBareCommandLineFindsTheExecutor) {
    struct Case {
        const char* what;
        std::wstring properties;
        std::wstring dir;
    };
    const Case cases[] = {
        {"the default folder", L"", kDefaultDir},
        {"a chosen folder with a blank", L"INSTALLDIR=\"C:\\Tools\\Velmora Test\"", L"C:\\Tools\\Velmora Test"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(InstallSilently(Package(), c.properties), 0u);

        for (const std::wstring& file : ProgramFiles(c.dir))
            EXPECT_TRUE(Exists(file)) << std::string(file.begin(), file.end());
        EXPECT_TRUE(StartMenuEntry());
        const std::vector<std::wstring> entries = UninstallEntries(L"Velmora");
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(RegText(entries[0], L"DisplayVersion"), L"3.3.1");
        EXPECT_EQ(RegText(entries[0], L"Publisher"), L"The Velmora developers");
        EXPECT_EQ(RegNumber(entries[0], L"NoModify"), 1u);
        EXPECT_EQ(RegNumber(entries[0], L"NoRepair"), 1u);
        EXPECT_EQ(RegText(kVelmoraKey, L"InstallDir"), c.dir + L"\\");
        EXPECT_EQ(RegText(kVelmoraKey, L"Version"), L"3.3.1");

        // This process's environment predates the install, as the running Task Scheduler's does.
        const std::u16string task = test::MakePopupTask();
        ASSERT_FALSE(task.empty());
        EXPECT_EQ(RunCommandLine(L"quenex -r"), 0u);
        EXPECT_TRUE(test::LocalTasks().empty());
        EXPECT_FALSE(Exists(test::TaskFile(task)));

        ASSERT_EQ(UninstallSilently(Package()), 0u);
        ExpectNothingInstalled(c.dir);
    }
}

TEST_F(Msi, InstallOverAnOlderVersionKeepsTheTaskAndReplacesThePrograms) {
    ASSERT_EQ(InstallSilently(OlderPackage()), 0u);
    EXPECT_EQ(RegText(kVelmoraKey, L"Version"), L"3.3.0");
    const std::u16string task = test::MakePopupTask();
    ASSERT_FALSE(task.empty());
    // The older package holds the programs unstripped.
    std::vector<std::optional<std::uint64_t>> before;
    for (const std::wstring& file : ProgramFiles(kDefaultDir))
        before.push_back(FileSize(file));

    ASSERT_EQ(InstallSilently(Package()), 0u);

    const std::vector<std::u16string> kept = test::LocalTasks();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].substr(0, kept[0].find(u'.')), task);
    EXPECT_TRUE(Exists(test::TaskFile(task)));
    const std::vector<std::wstring> files = ProgramFiles(kDefaultDir);
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(std::string(files[i].begin(), files[i].end()));
        ASSERT_TRUE(FileSize(files[i]));
        if (files[i].ends_with(L".exe")) {
            EXPECT_LT(*FileSize(files[i]), *before[i]) << "the older program is still there";
        }
    }
    EXPECT_TRUE(StartMenuEntry());
    const std::vector<std::wstring> entries = UninstallEntries(L"Velmora");
    ASSERT_EQ(entries.size(), 1u) << "the older version's entry stayed";
    EXPECT_EQ(RegText(entries[0], L"DisplayVersion"), L"3.3.1");
    EXPECT_EQ(RegText(kVelmoraKey, L"Version"), L"3.3.1");
}

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// The texts of a multi-string value, empty ones included (a file to delete at the next restart is a
// pair of its name and an empty text), or none.
std::vector<std::wstring> RegTexts(const wchar_t* key, const wchar_t* name) {
    std::vector<wchar_t> value(65536);
    DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    std::vector<std::wstring> texts;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_MULTI_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS)
        return texts;
    const std::size_t count = size / sizeof(wchar_t);
    for (std::size_t start = 0, i = 0; i < count; ++i) {
        if (value[i] == L'\0') {
            texts.emplace_back(value.data() + start, i - start);
            start = i + 1;
        }
    }
    return texts;
}

// A running executor holds its program file: Windows Installer puts the new one in place at the
// next restart of Windows and ends with 3010.
TEST_F(Msi, AnUpgradeWhileTheExecutorRunsEndsWith3010AndReplacesItAtTheNextRestart) {
    ASSERT_EQ(InstallSilently(OlderPackage()), 0u);
    test::HeldExecutor running(kDefaultDir);
    ASSERT_TRUE(running.started);

    EXPECT_EQ(InstallSilently(Package()), static_cast<DWORD>(ERROR_SUCCESS_REBOOT_REQUIRED));

    bool pending = false;
    for (const std::wstring& text : RegTexts(kSessionManager, L"PendingFileRenameOperations"))
        pending = pending || text.ends_with(L"\\Velmora\\quenex.exe");
    EXPECT_TRUE(pending) << "the held executor is not replaced at the next restart";
    EXPECT_EQ(RegText(kVelmoraKey, L"Version"), L"3.3.1");

    running.Stop();

    // No restart comes here: after the uninstall the files that waited for one go too.
    ASSERT_EQ(UninstallSilently(Package()), 0u);
    const std::vector<std::wstring> operations = RegTexts(kSessionManager, L"PendingFileRenameOperations");
    for (std::size_t i = 0; i < operations.size(); i += 2) {
        std::wstring source = operations[i];
        if (source.starts_with(L"\\??\\"))
            source.erase(0, 4);
        ::DeleteFileW(source.c_str());
    }
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations");
    ::RemoveDirectoryW(kDefaultDir);
}

TEST_F(Msi, SilentUninstallRemovesTheTasksAndEveryFile) {
    ASSERT_EQ(InstallSilently(Package()), 0u);
    const std::u16string task = test::MakePopupTask();
    ASSERT_FALSE(task.empty());

    ASSERT_EQ(UninstallSilently(Package()), 0u);

    EXPECT_TRUE(test::LocalTasks().empty());
    EXPECT_FALSE(Exists(test::TaskFile(task)));
    ExpectNothingInstalled(kDefaultDir);
    // With the executor gone, the bare command line finds nothing.
    EXPECT_FALSE(RunCommandLine(L"quenex -r"));
}

// Another program's work item whose name shares the prefix is not Velmora's: "quenex -r" leaves it,
// and it neither keeps Velmora installed nor goes with it.
TEST_F(Msi, AnotherProgramsWorkItemWithThePrefixNeitherStopsTheUninstallNorGoesWithIt) {
    ASSERT_EQ(InstallSilently(Package()), 0u);
    ASSERT_FALSE(test::MakePopupTask().empty());
    const std::u16string foreign = u"quenep-0f0e1d2c3b4a";
    test::AddForeignWorkItem(foreign, L"C:\\windows\\system32\\cmd.exe");

    ASSERT_EQ(UninstallSilently(Package()), 0u);

    EXPECT_EQ(test::LocalTasks(), std::vector<std::u16string>{foreign + u".job"});
    ExpectNothingInstalled(kDefaultDir);
    ComInit com;
    EXPECT_HRESULT_SUCCEEDED(CScheduledTask().DeleteTask(foreign + u".job"));
}

// Windows ends a failed deferred custom action with 1603 and rolls the uninstall back; Wine's
// msiexec ends with 1627 and has dropped the package's registration by then, though every file
// stays. Either way the executor and the tasks are still there.
TEST_F(Msi, AnUninstallThatCannotRemoveATaskFailsAndLeavesTheProgramsInPlace) {
    ASSERT_EQ(InstallSilently(Package()), 0u);
    const std::u16string task = test::MakePopupTask();
    ASSERT_FALSE(task.empty());
    const std::u16string job = TaskStoreFolder() + u"\\" + task + u".job";
    std::optional<DWORD> code;
    {
        // The work item cannot be deleted while this is open.
        UniqueFile held(::CreateFileW(std::wstring(job.begin(), job.end()).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        code = UninstallSilently(Package());
    }
    ASSERT_TRUE(code);
    EXPECT_TRUE(*code == ERROR_INSTALL_FAILURE || *code == ERROR_FUNCTION_FAILED) << *code;
    std::printf("failed uninstall: exit code %lu, %s\n", *code,
                UninstallEntries(L"Velmora").empty() ? "registration gone" : "registration kept");
    for (const std::wstring& file : ProgramFiles(kDefaultDir))
        EXPECT_TRUE(Exists(file)) << std::string(file.begin(), file.end());
    // The work item stays ("quenex -r" deletes the task file whatever became of the work item).
    EXPECT_EQ(test::LocalTasks().size(), 1u);

    // With the work item free again an uninstall goes through; where the registration is gone, an
    // install of the same package over the files comes first.
    if (UninstallEntries(L"Velmora").empty()) {
        ASSERT_EQ(InstallSilently(Package()), 0u);
    }
    ASSERT_EQ(UninstallSilently(Package()), 0u);
    EXPECT_TRUE(test::LocalTasks().empty());
    ExpectNothingInstalled(kDefaultDir);
}

// The setup program's uninstaller, run in place so that its exit code is the run's; it leaves
// itself and its folder, which go afterwards.
std::optional<DWORD> UninstallSetupProgram(const std::wstring& dir) {
    const std::optional<DWORD> code = RunCommandLine(L"\"" + dir + L"\\uninstall.exe\" /S _?=" + dir);
    ::DeleteFileW((dir + L"\\uninstall.exe").c_str());
    ::RemoveDirectoryW(dir.c_str());
    return code;
}

// The setup program and the package never share a computer: each refuses to install beside the
// other, says why (silently: only its exit code) and changes nothing.
TEST_F(Msi, TheSetupProgramAndThePackageRefuseToInstallBesideEachOther) {
    const std::wstring setupDir = L"C:\\Tools\\Velmora Setup";
    const std::wstring setupEntry = std::wstring(test::kUninstallRoot) + L"\\Velmora";
    const std::wstring setup = L"\"" + test::Env("VELMORA_SETUP") + L"\" /S /D=" + setupDir;

    // The package where the setup program's Velmora is: its launch condition ends it.
    ASSERT_EQ(RunCommandLine(setup), 0u);
    EXPECT_EQ(InstallSilently(Package()), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
    EXPECT_EQ(UninstallEntries(L"Velmora"), std::vector<std::wstring>{setupEntry});
    EXPECT_FALSE(Exists(kDefaultDir));
    EXPECT_EQ(RegText(kVelmoraKey, L"InstallDir"), setupDir + L"\\");
    EXPECT_TRUE(Exists(setupDir + L"\\quenex.exe"));
    ASSERT_EQ(UninstallSetupProgram(setupDir), 0u);
    EXPECT_FALSE(KeyExists(kVelmoraKey)) << "the setup program's uninstaller leaves its registration";

    // The setup program where the package's Velmora is: exit code 3.
    ASSERT_EQ(InstallSilently(Package()), 0u);
    EXPECT_EQ(RunCommandLine(setup), 3u);
    EXPECT_FALSE(KeyExists(setupEntry));
    EXPECT_FALSE(Exists(setupDir));
    EXPECT_EQ(RegText(kVelmoraKey, L"InstallDir"), std::wstring(kDefaultDir) + L"\\");
    EXPECT_EQ(RegText(kVelmoraKey, L"Version"), L"3.3.1");
    for (const std::wstring& file : ProgramFiles(kDefaultDir))
        EXPECT_TRUE(Exists(file)) << std::string(file.begin(), file.end());
}

}  // namespace
}  // namespace velmora
