// The install folder's check: the chain of folders to it, the names that are the installer's, and
// which folders others could change, replace or fill before the programs arrive.
#include "packaging/InstallFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

using Texts = std::vector<std::u16string>;

std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

TEST(InstallFolderChain, FromTheRootToTheFolder) {
    const struct {
        std::u16string path;
        Texts chain;
    } cases[] = {
        {u"C:\\Tools\\Velmora Test", {u"C:\\", u"C:\\Tools", u"C:\\Tools\\Velmora Test"}},
        {u"C:/Tools/Velmora/", {u"C:\\", u"C:\\Tools", u"C:\\Tools\\Velmora"}},
        {u"d:\\\\Velmora\\\\", {u"d:\\", u"d:\\Velmora"}},
        {u"C:\\", {u"C:\\"}},
        {u"\\\\lab\\share\\Velmora", {u"\\\\lab\\share\\", u"\\\\lab\\share\\Velmora"}},
        // Not a full path, or one whose folders are not the ones it reaches.
        {u"Velmora", {}},
        {u"C:Velmora", {}},
        {u"C:\\Tools\\..\\Velmora", {}},
        {u"C:\\.\\Velmora", {}},
        {u"\\\\?\\C:\\Velmora", {}},
        {u"\\\\lab", {}},
        {u"1:\\Velmora", {}},
        {u"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.chain, FolderChain(c.path)) << Narrow(c.path);
}

TEST(InstallFolderNames, OnlyTheInstallersOwnFilesAndTheirReplacementCopies) {
    const std::pair<std::u16string, bool> names[] = {
        {u"Velmora.exe", true},         {u"VELMORA.EXE", true},   {u"quenex.exe", true},
        {u"Velmora.chm", true},         {u"uninstall.exe", true}, {u"quenex.exe.new", true},
        {u"Velmora.exe.OLD", true},     {u"version.dll", false},  {u"Velmora.exe.local", false},
        {u"quenex.exe.new.old", false}, {u".new", false},         {u"Velmora", false},
    };
    for (const auto& [name, ours] : names)
        EXPECT_EQ(ours, IsVelmoraFileName(name)) << Narrow(name);
}

constexpr char16_t kSystem[] = u"S-1-5-18";
constexpr char16_t kAdmins[] = u"S-1-5-32-544";
constexpr char16_t kUsers[] = u"S-1-5-32-545";
constexpr char16_t kAuthenticated[] = u"S-1-5-11";
constexpr char16_t kEveryone[] = u"S-1-1-0";
constexpr char16_t kInstaller[] = u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr char16_t kPackages[] = u"S-1-15-2-1";
constexpr char16_t kSelf[] = u"S-1-5-21-7-7-7-500";    // the administrator who installs
constexpr char16_t kOther[] = u"S-1-5-21-7-7-7-1001";  // a standard user
constexpr std::uint32_t kFull = 0x1F01FF;
constexpr std::uint32_t kModify = 0x1301BF;  // no change of rights or owner, no removal of what it holds
constexpr std::uint32_t kReadRun = 0x1200A9;

FolderFacts Folder(std::u16string path, std::u16string owner, std::vector<AllowedAccess> allowed) {
    FolderFacts facts;
    facts.path = std::move(path);
    facts.owner = std::move(owner);
    facts.allowed = std::move(allowed);
    return facts;
}

// Windows' own folders as a fresh system has them.
const FolderFacts kSystemDrive =
    Folder(u"C:\\", kInstaller,
           {{kSystem, kFull}, {kAdmins, kFull}, {kUsers, kReadRun}, {kAuthenticated, kRightAddSubfolder}});
const FolderFacts kProgramFiles =
    Folder(u"C:\\Program Files", kInstaller,
           {{kInstaller, kFull}, {kSystem, kModify}, {kAdmins, kModify}, {kUsers, kReadRun}, {kPackages, kReadRun}});
// A data drive formatted by Windows: signed-in users may change everything below its root.
const FolderFacts kDataDrive =
    Folder(u"D:\\", kAdmins, {{kSystem, kFull}, {kAdmins, kFull}, {kUsers, kReadRun}, {kAuthenticated, kModify}});
// What the installer makes.
const FolderFacts kProtected =
    Folder(u"D:\\Tools\\Velmora", kAdmins, {{kSystem, kFull}, {kAdmins, kFull}, {kUsers, kReadRun}});

FolderFacts With(FolderFacts facts, std::u16string path) {
    facts.path = std::move(path);
    return facts;
}

TEST(InstallFolderCheck, RefusesWhatOthersCouldChangeReplaceOrHaveFilled) {
    FolderFacts reparse = With(kProtected, u"D:\\Tools");
    reparse.reparsePoint = true;
    FolderFacts unreadable = With(kProtected, u"D:\\Tools");
    unreadable.readable = false;
    FolderFacts nullDacl = With(kProtected, u"D:\\Tools");
    nullDacl.nullDacl = true;
    FolderFacts planted = kProtected;
    planted.allowed.push_back({kAuthenticated, kRightAddFile | kRightAddSubfolder});
    planted.entries = {u"Velmora.exe", u"version.dll"};
    FolderFacts ours = planted;
    ours.entries = {u"Velmora.exe", u"quenex.exe", u"quenex.exe.old", u"uninstall.exe", u"Velmora.chm"};
    FolderFacts adminsOnly = kProtected;
    adminsOnly.entries = {u"Velmora.exe", u"readme.txt"};
    FolderFacts genericWrite = kProtected;
    genericWrite.allowed.push_back({kUsers, kRightGenericWrite});
    genericWrite.entries = {u"version.dll"};
    // Wine gives every folder to the user who runs it, and a Unix folder that others may write
    // to everyone.
    const FolderFacts wineRoot = Folder(u"C:\\", kSelf, {{kSystem, kFull}, {kSelf, kFull}, {kEveryone, kReadRun}});
    const FolderFacts wineOpen = Folder(u"C:\\Tools", kSelf, {{kSystem, kFull}, {kSelf, kFull}, {kEveryone, 0x1301FF}});
    const FolderFacts wineRootOpen = With(wineOpen, u"C:\\");

    const struct {
        const char* what;
        std::vector<FolderFacts> existing;
        bool installFolderExists;
        FolderVerdict verdict;
        std::u16string path;
    } cases[] = {
        {"Program Files, new folder", {kSystemDrive, kProgramFiles}, false, FolderVerdict::kUsable, u""},
        {"a new folder on a data drive's root", {kDataDrive}, false, FolderVerdict::kUsable, u""},
        {"a folder users may rename on the way",
         {kDataDrive, Folder(u"D:\\Tools", kAdmins, {{kSystem, kFull}, {kAdmins, kFull}, {kAuthenticated, kModify}})},
         false,
         FolderVerdict::kReplaceable,
         u"D:\\Tools"},
        {"a parent that lets users remove what it holds",
         {kDataDrive, Folder(u"D:\\Tools", kAdmins, {{kAdmins, kFull}, {kUsers, kFull}}), kProtected},
         true,
         FolderVerdict::kReplaceable,
         u"D:\\Tools"},
        {"the parent alone lets users remove the install folder",
         {kDataDrive, Folder(u"D:\\Tools", kAdmins, {{kAdmins, kFull}, {kUsers, kRightDeleteChild}}), kProtected},
         true,
         FolderVerdict::kReplaceable,
         u"D:\\Tools\\Velmora"},
        {"a folder a user owns",
         {kDataDrive, Folder(u"D:\\Tools", kOther, {{kAdmins, kFull}})},
         false,
         FolderVerdict::kReplaceable,
         u"D:\\Tools"},
        {"a folder without an owner",
         {kDataDrive, Folder(u"D:\\Tools", u"", {{kAdmins, kFull}})},
         false,
         FolderVerdict::kReplaceable,
         u"D:\\Tools"},
        {"users may change a root's rights",
         {Folder(u"D:\\", kAdmins, {{kUsers, kRightWriteDac}})},
         false,
         FolderVerdict::kReplaceable,
         u"D:\\"},
        {"users may take a folder's ownership",
         {kDataDrive, With(kProtected, u"D:\\Tools"),
          Folder(u"D:\\Tools\\Velmora", kAdmins, {{kAdmins, kFull}, {kOther, kRightWriteOwner}})},
         true,
         FolderVerdict::kReplaceable,
         u"D:\\Tools\\Velmora"},
        {"generic all for users",
         {kDataDrive, Folder(u"D:\\Tools", kAdmins, {{kUsers, kRightGenericAll}})},
         false,
         FolderVerdict::kReplaceable,
         u"D:\\Tools"},
        {"no access list at all", {kDataDrive, nullDacl}, false, FolderVerdict::kReplaceable, u"D:\\Tools"},
        {"a junction on the way", {kDataDrive, reparse}, false, FolderVerdict::kReparsePoint, u"D:\\Tools"},
        {"a folder whose security cannot be read",
         {kDataDrive, unreadable},
         false,
         FolderVerdict::kUnreadable,
         u"D:\\Tools"},
        {"users could write in it and it holds a library",
         {kDataDrive, With(kProtected, u"D:\\Tools"), planted},
         true,
         FolderVerdict::kOthersContent,
         u"D:\\Tools\\Velmora"},
        {"users could write in it, but it holds only our files",
         {kDataDrive, With(kProtected, u"D:\\Tools"), ours},
         true,
         FolderVerdict::kUsable,
         u""},
        {"an administrator's own file in a folder only administrators write",
         {kDataDrive, With(kProtected, u"D:\\Tools"), adminsOnly},
         true,
         FolderVerdict::kUsable,
         u""},
        {"generic write lets users add files",
         {kDataDrive, With(kProtected, u"D:\\Tools"), genericWrite},
         true,
         FolderVerdict::kOthersContent,
         u"D:\\Tools\\Velmora"},
        {"the installing administrator's own folders",
         {wineRoot, With(wineRoot, u"C:\\Tools")},
         false,
         FolderVerdict::kUsable,
         u""},
        {"a folder everyone may write", {wineRoot, wineOpen}, false, FolderVerdict::kReplaceable, u"C:\\Tools"},
        {"a root everyone may empty",
         {wineRootOpen, With(wineRoot, u"C:\\Tools")},
         false,
         FolderVerdict::kReplaceable,
         u"C:\\Tools"},
    };
    for (const auto& c : cases) {
        const FolderCheck check = CheckInstallFolder(c.existing, c.installFolderExists, kSelf);
        EXPECT_EQ(c.verdict, check.verdict) << c.what;
        EXPECT_EQ(c.path, check.path) << c.what;
    }
}

TEST(InstallFolderCheck, TheInstallingAccountIsTrustedOnlyAsItself) {
    const FolderFacts own = Folder(u"C:\\Tools", kSelf, {{kSelf, kFull}});
    EXPECT_EQ(FolderVerdict::kUsable, CheckInstallFolder({kSystemDrive, own}, false, kSelf).verdict);
    EXPECT_EQ(FolderVerdict::kReplaceable, CheckInstallFolder({kSystemDrive, own}, false, kOther).verdict);
    EXPECT_EQ(FolderVerdict::kReplaceable, CheckInstallFolder({kSystemDrive, own}, false, u"").verdict);
}

// A folder that holds other things keeps its own descriptor: setting the installer's would pass
// it on to all of them.
TEST(InstallFolderCheck, OnlyAFolderOfVelmorasOwnFilesTakesTheInstallersDescriptor) {
    const std::pair<Texts, bool> cases[] = {
        {{}, true},
        {{u"Velmora.exe", u"quenex.exe.old", u"uninstall.exe"}, true},
        {{u"Velmora.exe", u"Common Files"}, false},
        {{u"readme.txt"}, false},
    };
    for (const auto& [entries, takes] : cases)
        EXPECT_EQ(takes, TakesInstallDescriptor(entries)) << entries.size();
}

TEST(InstallFolderCheck, EveryVerdictHasItsOwnExitCode) {
    const FolderVerdict verdicts[] = {FolderVerdict::kUsable, FolderVerdict::kUnreadable, FolderVerdict::kReparsePoint,
                                      FolderVerdict::kReplaceable, FolderVerdict::kOthersContent};
    std::vector<int> codes;
    for (FolderVerdict verdict : verdicts) {
        const int code = FolderExitCode(verdict);
        EXPECT_EQ(codes.end(), std::find(codes.begin(), codes.end(), code));
        codes.push_back(code);
    }
    EXPECT_EQ(kFolderExitUsable, codes[0]);
}

}  // namespace
}  // namespace velmora
