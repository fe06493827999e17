// The installer under Wine, in a throwaway prefix that tests/packaging/installer_test.sh makes for
// this program alone: a silent install into a chosen folder, the executor found from the bare
// command line with which the Task Scheduler starts it, an upgrade that keeps the tasks and waits
// out a running executor, a silent uninstall that removes the tasks and leaves nothing behind, and
// an install folder that is the administrators' alone.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "model/File.h"
#include "platform/win/SidText.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"
#include "tests/packaging/win/InstallChecks.h"
#include "tests/support/win/WorkItems.h"

namespace velmora {
namespace {

using test::Exists;
using test::KeyExists;
using test::LocalTasks;
using test::MakePopupTask;
using test::RegNumber;
using test::RegText;
using test::RunCommandLine;
using test::SystemFolder;
using test::TaskFile;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
constexpr wchar_t kEnvironmentKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
// A chosen folder with a blank in its name: /D= takes the rest of the command line unquoted.
constexpr wchar_t kInstallDir[] = L"C:\\Tools\\Velmora Test";

std::wstring InstallerPath() {
    return test::Env("VELMORA_SETUP");
}

std::wstring StartMenuEntry() {
    return test::ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\Velmora.lnk";
}

std::optional<DWORD> Install(const std::wstring& options, const std::wstring& folder = kInstallDir) {
    return RunCommandLine(L"\"" + InstallerPath() + L"\" /S " + options + L" /D=" + folder);
}

// The file's identity on its volume: a file moved away and back keeps it, a replaced one does not
// (the installer gives the files it writes their packed times, so times cannot tell).
std::optional<std::uint64_t> FileId(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.get(), &info))
        return std::nullopt;
    return (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
}

std::vector<std::wstring> ProgramFiles() {
    const std::wstring dir = kInstallDir;
    return {SystemFolder() + L"\\quenex.exe", dir + L"\\quenex.exe", dir + L"\\Velmora.exe", dir + L"\\Velmora.chm"};
}

std::vector<std::optional<std::uint64_t>> ProgramFileIds() {
    std::vector<std::optional<std::uint64_t>> ids;
    for (const std::wstring& file : ProgramFiles())
        ids.push_back(FileId(file));
    return ids;
}

void ExpectNoLeftovers() {
    for (const std::wstring& file : ProgramFiles())
        for (const wchar_t* ending : {L".new", L".old"})
            EXPECT_FALSE(Exists(file + ending)) << file << ending;
}

// The programs running now whose names are among `names`, each once.
std::wstring RunningPrograms(const std::vector<std::wstring>& names) {
    std::wstring found;
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        for (const std::wstring& name : names)
            if (::lstrcmpiW(entry.szExeFile, name.c_str()) == 0 && found.find(name) == std::wstring::npos)
                found += name + L" ";
    return found;
}

// The uninstaller copies itself away and ends at once; the copy does the work. Waits until the
// entry and the folder are gone. A busy machine has once made that take a minute: when it takes
// long, what is still running and what is left is said, so the next slow run tells why.
bool UninstallSilently() {
    const auto quiet = RegText(kUninstallKey, L"QuietUninstallString");
    const auto folder = RegText(kUninstallKey, L"InstallLocation");
    if (!quiet || !folder || !RunCommandLine(*quiet))
        return false;
    for (int i = 0; i < 1800; ++i) {
        if (!KeyExists(kUninstallKey) && !Exists(*folder))
            return true;
        if (i == 200) {
            std::wstring left;
            for (const std::wstring& file : ProgramFiles())
                if (Exists(file))
                    left += file + L" ";
            const std::wstring running =
                RunningPrograms({L"quenex.exe", L"velmora-tasks.exe", L"Un_A.exe", L"Au_.exe", L"uninstall.exe"});
            std::wcerr << L"the uninstall still runs after 20 s; running: " << running << L"; left: " << left
                       << std::endl;
        }
        ::Sleep(100);
    }
    return false;
}

// Every test starts from a prefix without Velmora and leaves it so.
class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(InstallerPath().empty()) << "VELMORA_SETUP names the installer";
        ASSERT_TRUE(Exists(InstallerPath()));
        ASSERT_FALSE(KeyExists(kUninstallKey));
        ASSERT_FALSE(Exists(SystemFolder() + L"\\quenex.exe"));
        // No executor may lie in this program's folder or the current one, which are searched first.
        wchar_t program[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        std::wstring folder = program;
        folder.erase(folder.find_last_of(L'\\'));
        ASSERT_FALSE(Exists(folder + L"\\quenex.exe"));
        ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
        ASSERT_FALSE(Exists(L"C:\\quenex.exe"));
        path_ = RegText(kEnvironmentKey, L"Path");
    }
    void TearDown() override {
        if (KeyExists(kUninstallKey)) {
            EXPECT_TRUE(UninstallSilently()) << "Velmora stays installed after this test";
        }
    }

    std::optional<std::wstring> path_;
};

TEST_F(Installer, SilentInstallPutsFilesEntryAndShortcutAndTheBareCommandLineFindsTheExecutor) {
    ASSERT_EQ(Install(L""), 0u);

    const std::wstring dir = kInstallDir;
    for (const wchar_t* file : {L"Velmora.exe", L"quenex.exe", L"Velmora.chm", L"uninstall.exe"})
        EXPECT_TRUE(Exists(dir + L"\\" + file)) << file;
    EXPECT_FALSE(Exists(dir + L"\\quenex.exe.new"));
    EXPECT_TRUE(Exists(SystemFolder() + L"\\quenex.exe"));
    EXPECT_TRUE(Exists(StartMenuEntry()));

    EXPECT_EQ(RegText(kUninstallKey, L"DisplayName"), L"Velmora");
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayVersion"), L"3.3.1");
    EXPECT_EQ(RegText(kUninstallKey, L"Publisher"), L"The Velmora developers");
    EXPECT_EQ(RegText(kUninstallKey, L"InstallLocation"), dir);
    EXPECT_EQ(RegText(kUninstallKey, L"UninstallString"), L"\"" + dir + L"\\uninstall.exe\"");
    EXPECT_EQ(RegText(kUninstallKey, L"QuietUninstallString"), L"\"" + dir + L"\\uninstall.exe\" /S");
    EXPECT_EQ(RegText(kUninstallKey, L"DisplayIcon"), dir + L"\\Velmora.exe,0");
    // The two executables and the help alone are more than 1 MiB; all of it is far below 50 MiB.
    const auto size = RegNumber(kUninstallKey, L"EstimatedSize");
    ASSERT_TRUE(size);
    EXPECT_GT(*size, 1024u);
    EXPECT_LT(*size, 50u * 1024u);
    // The search path stays as it was: the executor is found through the system folder.
    EXPECT_EQ(RegText(kEnvironmentKey, L"Path"), path_);

    // This process's environment predates the install, as the running Task Scheduler service's does.
    const std::u16string task = MakePopupTask();
    ASSERT_FALSE(task.empty());
    ASSERT_TRUE(Exists(TaskFile(task)));
    EXPECT_EQ(RunCommandLine(L"quenex -r"), 0u);
    EXPECT_TRUE(LocalTasks().empty());
    EXPECT_FALSE(Exists(TaskFile(task)));
}

TEST_F(Installer, SilentUninstallRemovesTheTasksAndEverythingTheInstallerMade) {
    ASSERT_EQ(Install(L""), 0u);
    const std::u16string task = MakePopupTask();
    ASSERT_FALSE(task.empty());

    ASSERT_TRUE(UninstallSilently());

    EXPECT_TRUE(LocalTasks().empty());
    EXPECT_FALSE(Exists(TaskFile(task)));
    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(Exists(SystemFolder() + L"\\quenex.exe"));
    EXPECT_FALSE(Exists(StartMenuEntry()));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(RegText(kEnvironmentKey, L"Path"), path_);
    // With the executor gone, the bare command line finds nothing.
    EXPECT_FALSE(RunCommandLine(L"quenex -r"));
}

TEST_F(Installer, UpgradeKeepsTheTasksAndARunningExecutorHoldsASilentOneBackUnchanged) {
    ASSERT_EQ(Install(L""), 0u);
    const std::u16string task = MakePopupTask();
    ASSERT_FALSE(task.empty());

    // An executor that counts down for a long time holds its program file.
    test::HeldExecutor running(kInstallDir);
    ASSERT_TRUE(running.started);
    const auto before = ProgramFileIds();

    EXPECT_EQ(Install(L"/WAIT=1"), 2u);
    EXPECT_EQ(ProgramFileIds(), before);
    ExpectNoLeftovers();

    running.Stop();

    ASSERT_EQ(Install(L""), 0u);
    const std::vector<std::u16string> kept = LocalTasks();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].substr(0, kept[0].find(u'.')), task);
    EXPECT_TRUE(Exists(TaskFile(task)));
    EXPECT_TRUE(Exists(SystemFolder() + L"\\quenex.exe"));
}

TEST_F(Installer, InstallIntoAnotherFolderTakesTheOldFolderAwayAndKeepsTheTasks) {
    ASSERT_EQ(Install(L""), 0u);
    const std::u16string task = MakePopupTask();
    ASSERT_FALSE(task.empty());
    const std::wstring moved = L"C:\\Tools\\Velmora Moved";

    ASSERT_EQ(Install(L"", moved), 0u);

    EXPECT_FALSE(Exists(kInstallDir));
    for (const wchar_t* file : {L"Velmora.exe", L"quenex.exe", L"Velmora.chm", L"uninstall.exe"})
        EXPECT_TRUE(Exists(moved + L"\\" + file)) << file;
    EXPECT_EQ(RegText(kUninstallKey, L"InstallLocation"), moved);
    EXPECT_EQ(RegText(kUninstallKey, L"QuietUninstallString"), L"\"" + moved + L"\\uninstall.exe\" /S");
    EXPECT_EQ(LocalTasks().size(), 1u);
    EXPECT_TRUE(Exists(TaskFile(task)));

    ASSERT_TRUE(UninstallSilently());
    EXPECT_FALSE(Exists(moved));
}

// A stop partway through an upgrade puts every file back: none is replaced, none left beside.
struct HeldFile {
    const char* what;
    DWORD share;  // how the holder shares the help file
};

TEST_F(Installer, AnUpgradeStoppedByAHeldHelpFileLeavesTheOldFilesAsTheyWere) {
    const HeldFile cases[] = {
        // The viewer has it open: the install waits for it and stops before changing anything.
        {"open in the viewer", FILE_SHARE_READ},
        // Open, but not to be moved: the first three files are moved aside before this one fails.
        {"not to be moved", FILE_SHARE_READ | FILE_SHARE_WRITE},
    };
    ASSERT_EQ(Install(L""), 0u);
    for (const HeldFile& c : cases) {
        SCOPED_TRACE(c.what);
        const auto before = ProgramFileIds();
        {
            UniqueFile held(::CreateFileW((std::wstring(kInstallDir) + L"\\Velmora.chm").c_str(), GENERIC_READ, c.share,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held);
            EXPECT_EQ(Install(L"/WAIT=0"), 2u);
        }
        EXPECT_EQ(ProgramFileIds(), before);
        ExpectNoLeftovers();
    }
    ASSERT_EQ(Install(L""), 0u);
    ExpectNoLeftovers();
}

TEST_F(Installer, AFileThatCannotBeWrittenStopsTheUpgradeWithTheOldExecutorInPlace) {
    ASSERT_EQ(Install(L""), 0u);
    const auto before = ProgramFileIds();
    // A folder where the executor's new copy would be unpacked.
    const std::wstring blocked = SystemFolder() + L"\\quenex.exe.new";
    ASSERT_TRUE(::CreateDirectoryW(blocked.c_str(), nullptr));

    EXPECT_EQ(Install(L""), 2u);
    ::RemoveDirectoryW(blocked.c_str());

    EXPECT_EQ(ProgramFileIds(), before);
    ExpectNoLeftovers();
}

TEST_F(Installer, InstallOverTheSameFolderSpelledAnotherWayKeepsThePrograms) {
    ASSERT_EQ(Install(L""), 0u);
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameW(kInstallDir, shortName, MAX_PATH), 0u);
    std::wstring slashes = kInstallDir;
    for (wchar_t& c : slashes)
        c = c == L'\\' ? L'/' : c;
    for (const std::wstring& spelling : {std::wstring(shortName), std::wstring(kInstallDir) + L"\\", slashes}) {
        SCOPED_TRACE(std::string(spelling.begin(), spelling.end()));
        ASSERT_EQ(Install(L"", spelling), 0u);
        for (const std::wstring& file : ProgramFiles())
            EXPECT_TRUE(Exists(file)) << std::string(file.begin(), file.end());
        ExpectNoLeftovers();
    }
}

TEST_F(Installer, AnUninstallThatCannotRemoveATaskEndsWithExitCode2AndLeavesEverythingInstalled) {
    ASSERT_EQ(Install(L""), 0u);
    const std::u16string task = MakePopupTask();
    ASSERT_FALSE(task.empty());
    const std::u16string job = TaskStoreFolder() + u"\\" + task + u".job";
    const std::wstring dir = kInstallDir;
    {
        // The work item cannot be deleted while this is open.
        UniqueFile held(::CreateFileW(std::wstring(job.begin(), job.end()).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        // In its own folder the uninstaller runs in place, so its exit code is the run's.
        EXPECT_EQ(RunCommandLine(L"\"" + dir + L"\\uninstall.exe\" /S _?=" + dir), 2u);
    }
    for (const std::wstring& file : ProgramFiles())
        EXPECT_TRUE(Exists(file)) << std::string(file.begin(), file.end());
    EXPECT_TRUE(Exists(dir + L"\\uninstall.exe"));
    EXPECT_TRUE(Exists(StartMenuEntry()));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    // With the work item free again, the uninstall goes through.
    ASSERT_TRUE(UninstallSilently());
    EXPECT_TRUE(LocalTasks().empty());
}

// Another program's work item whose name shares the prefix is not Velmora's: "quenex -r" leaves it,
// and it neither keeps Velmora installed nor goes with it.
TEST_F(Installer, AnotherProgramsWorkItemWithThePrefixNeitherStopsTheUninstallNorGoesWithIt) {
    ASSERT_EQ(Install(L""), 0u);
    ASSERT_FALSE(MakePopupTask().empty());
    const std::u16string foreign = u"quenep-0f0e1d2c3b4a";
    test::AddForeignWorkItem(foreign, L"C:\\windows\\system32\\cmd.exe");
    const std::wstring dir = kInstallDir;

    EXPECT_EQ(RunCommandLine(L"\"" + dir + L"\\uninstall.exe\" /S _?=" + dir), 0u);

    EXPECT_EQ(LocalTasks(), std::vector<std::u16string>{foreign + u".job"});
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(SystemFolder() + L"\\quenex.exe"));
    // Run in place, the uninstaller leaves itself and its folder.
    ::DeleteFileW((dir + L"\\uninstall.exe").c_str());
    ::RemoveDirectoryW(dir.c_str());
    ComInit com;
    EXPECT_HRESULT_SUCCEEDED(CScheduledTask().DeleteTask(foreign + u".job"));
}

// A folder's owner, whether its access list is protected from its parent's, and the rights that
// its entries allow on the folder itself, by account.
struct FolderSecurity {
    bool read = false;
    std::wstring owner;
    bool protectedList = false;
    std::vector<std::pair<std::wstring, DWORD>> allowed;
};

FolderSecurity ReadFolderSecurity(const std::wstring& path) {
    FolderSecurity security;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return security;
    const UniqueLocal descriptorOwner(descriptor);
    security.read = dacl != nullptr;
    security.owner = ToWide(SidText(owner));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    security.protectedList = (control & SE_DACL_PROTECTED) != 0;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (::GetAce(dacl, i, &ace) && static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE &&
            !(static_cast<ACE_HEADER*>(ace)->AceFlags & INHERIT_ONLY_ACE)) {
            const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            security.allowed.emplace_back(ToWide(SidText(const_cast<DWORD*>(&allowed->SidStart))), allowed->Mask);
        }
    }
    return security;
}

bool SetFolderDescriptor(const std::wstring& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    const UniqueLocal descriptorOwner(descriptor);
    PACL dacl = nullptr;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    std::wstring name = path;
    return ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                   dacl, nullptr) == ERROR_SUCCESS;
}

// Rights with which someone could put files in a folder, or another folder in its place.
constexpr DWORD kChangingRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                  WRITE_OWNER | GENERIC_ALL | GENERIC_WRITE;

// The accounts other than the system, the administrators and the installing account that may
// change the folder.
std::vector<std::wstring> OthersWhoMayChange(const FolderSecurity& security) {
    const std::wstring self = ToWide(OwnAccountSid());
    std::vector<std::wstring> others;
    for (const auto& [sid, rights] : security.allowed)
        if (sid != L"S-1-5-18" && sid != L"S-1-5-32-544" && sid != self && (rights & kChangingRights))
            others.push_back(sid);
    return others;
}

// Whether the file system keeps a descriptor as it was given (Windows), or makes one up from what it
// keeps itself (Wine maps the entries onto the Unix folder's mode and reads them back from it).
bool SystemKeepsDescriptors() {
    const std::wstring probe = L"C:\\velmora-descriptor-probe";
    ::CreateDirectoryW(probe.c_str(), nullptr);
    const bool set = SetFolderDescriptor(probe, L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
    const FolderSecurity back = ReadFolderSecurity(probe);
    ::RemoveDirectoryW(probe.c_str());
    return set && back.protectedList && back.allowed.size() == 3 && back.allowed[2].first == L"S-1-5-32-545";
}

TEST_F(Installer, TheInstallFolderIsTheAdministratorsAlone) {
    ASSERT_EQ(Install(L""), 0u);
    for (const std::wstring& folder : {std::wstring(L"C:\\Tools"), std::wstring(kInstallDir)}) {
        SCOPED_TRACE(std::string(folder.begin(), folder.end()));
        const FolderSecurity security = ReadFolderSecurity(folder);
        ASSERT_TRUE(security.read);
        EXPECT_EQ(std::vector<std::wstring>{}, OthersWhoMayChange(security));
        if (SystemKeepsDescriptors()) {
            EXPECT_EQ(L"S-1-5-32-544", security.owner);
            EXPECT_TRUE(security.protectedList) << "the folder inherits from its parent";
        }
    }
}

// A folder on the way that everyone may rename: someone could move it away and put one of their
// own, with their own programs, in its place. The installer refuses it and changes nothing.
TEST_F(Installer, AFolderOthersCouldReplaceIsRefusedAndNothingIsInstalled) {
    const std::wstring open = L"C:\\Open To All";
    ASSERT_TRUE(::CreateDirectoryW(open.c_str(), nullptr));
    struct Remove {
        std::wstring folder;
        ~Remove() { ::RemoveDirectoryW(folder.c_str()); }
    } remove{open};
    ASSERT_TRUE(SetFolderDescriptor(open, L"D:P(A;OICI;FA;;;WD)"));
    ASSERT_NE(std::vector<std::wstring>{}, OthersWhoMayChange(ReadFolderSecurity(open)))
        << "the system keeps no right of everyone's on the folder";

    EXPECT_EQ(Install(L"", open + L"\\Velmora"), 2u);
    EXPECT_FALSE(Exists(open + L"\\Velmora"));
    EXPECT_FALSE(Exists(SystemFolder() + L"\\quenex.exe"));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(StartMenuEntry()));
}

// The uninstaller runs with administrators' rights and trusts no executor but the system folder's:
// without it the tasks stay, and so does Velmora, with a message saying why.
TEST_F(Installer, WithoutTheSystemFoldersExecutorTheUninstallerRunsNoOtherAndKeepsEverything) {
    ASSERT_EQ(Install(L""), 0u);
    const std::u16string task = MakePopupTask();
    ASSERT_FALSE(task.empty());
    const std::wstring dir = kInstallDir;
    const std::wstring system = SystemFolder() + L"\\quenex.exe";
    ASSERT_TRUE(::MoveFileW(system.c_str(), (system + L".away").c_str()));
    EXPECT_EQ(RunCommandLine(L"\"" + dir + L"\\uninstall.exe\" /S _?=" + dir), 2u);
    ASSERT_TRUE(::MoveFileW((system + L".away").c_str(), system.c_str()));
    EXPECT_EQ(LocalTasks().size(), 1u) << "the install folder's executor removed the tasks";
    EXPECT_TRUE(Exists(TaskFile(task)));
    EXPECT_TRUE(Exists(dir + L"\\quenex.exe"));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    ASSERT_TRUE(UninstallSilently());
    EXPECT_TRUE(LocalTasks().empty());
}

// Waits up to 20 s for a top-level window of that title.
HWND WaitForWindow(const wchar_t* title) {
    for (int i = 0; i < 200; ++i) {
        if (HWND window = ::FindWindowW(nullptr, title))
            return window;
        ::Sleep(100);
    }
    return nullptr;
}

void EndProcessOf(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
        ::TerminateProcess(process, 0);
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
    }
}

TEST_F(Installer, HelpButtonOfTheInstalledManagerOpensTheHelpFile) {
    ASSERT_EQ(Install(L""), 0u);
    // A task first: the scheduler service runs then, so the manager asks nothing at its start.
    ASSERT_FALSE(MakePopupTask().empty());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION manager{};
    std::wstring line = L"\"" + std::wstring(kInstallDir) + L"\\Velmora.exe\"";
    ASSERT_TRUE(
        ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &manager));
    ::CloseHandle(manager.hThread);
    const HWND sheet = WaitForWindow(L"Velmora LT 3.3.1");
    EXPECT_TRUE(sheet);
    if (sheet) {
        const HWND help = ::GetDlgItem(sheet, IDHELP);
        ASSERT_TRUE(help);
        ::PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED), reinterpret_cast<LPARAM>(help));
        // The viewer's window carries the help file's title.
        const HWND viewer = WaitForWindow(L"Velmora Help");
        EXPECT_TRUE(viewer);
        if (viewer)
            EndProcessOf(viewer);
    }
    ::TerminateProcess(manager.hProcess, 0);
    ::WaitForSingleObject(manager.hProcess, 10000);
    ::CloseHandle(manager.hProcess);
}

}  // namespace
}  // namespace velmora
