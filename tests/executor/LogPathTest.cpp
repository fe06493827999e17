// Where a run with high rights may write its log: the path's form, its drive, every folder on the way
// and the permissions of the folder that holds the file, over a scripted file system.
#include <gtest/gtest.h>

#include <map>

#include "executor/LogPath.h"

namespace velmora {
namespace {

constexpr char16_t kSystem[] = u"S-1-5-18";
constexpr char16_t kAdministrators[] = u"S-1-5-32-544";
constexpr char16_t kUsers[] = u"S-1-5-32-545";
constexpr char16_t kAuthenticated[] = u"S-1-5-11";
constexpr char16_t kCreatorOwner[] = u"S-1-3-0";
constexpr char16_t kTrustedInstaller[] = u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr char16_t kSomeUser[] = u"S-1-5-21-1-2-3-1001";
constexpr std::uint32_t kFull = 0x1F01FF;
constexpr std::uint32_t kReadExecute = 0x1200A9;

// A folder as a fresh Windows gives the administrators' own: the system and the administrators
// write, users read.
PathStep AdminFolder() {
    PathStep step;
    step.folder = true;
    step.owner = kAdministrators;
    step.entries = {{kSystem, kFull, true, false},
                    {kAdministrators, kFull, true, false},
                    {kUsers, kReadExecute, true, false},
                    {kCreatorOwner, 0x10000000, true, true}};
    return step;
}

PathStep With(PathStep step, AccessEntry entry) {
    step.entries.push_back(std::move(entry));
    return step;
}

struct ScriptedExaminer : PathExaminer {
    std::map<std::u16string, std::u16string> full;  // what FullPath gives; the path itself when absent
    std::map<std::u16string, PathStep> steps;       // folders and files; absent: an administrators' folder
    std::u16string networkRoot;
    std::vector<std::u16string> held;

    std::optional<std::u16string> FullPath(const std::u16string& path) override {
        if (const auto it = full.find(path); it != full.end())
            return it->second.empty() ? std::nullopt : std::optional(it->second);
        return path;
    }
    bool IsNetworkDrive(const std::u16string& root) override { return root == networkRoot; }
    PathStep HoldFolder(const std::u16string& path) override {
        held.push_back(path);
        const auto it = steps.find(path);
        return it != steps.end() ? it->second : AdminFolder();
    }
    PathStep LookAtFile(const std::u16string& path) override {
        const auto it = steps.find(path);
        PathStep missing;
        missing.error = 2;
        return it != steps.end() ? it->second : missing;
    }
};

TEST(PrivilegedLogPath, RefusesWhatAnyoneButTheAdministratorsCouldLay) {
    PathStep link = AdminFolder();
    link.reparsePoint = true;
    PathStep fileLink;
    fileLink.reparsePoint = true;
    PathStep unowned = AdminFolder();
    unowned.owner = kSomeUser;
    PathStep noList = AdminFolder();
    noList.hasAccessList = false;
    PathStep unreadable;
    unreadable.error = 5;
    struct Case {
        const char* what;
        std::u16string path;
        std::map<std::u16string, PathStep> steps;
        std::u16string refusal;  // empty: allowed
        std::vector<std::u16string> held;
        std::u16string written = {};  // the full path that is written; the path itself when empty
    };
    const Case cases[] = {
        {"an administrators' folder",
         u"C:\\ProgramData\\Velmora\\lab.log",
         {},
         u"",
         {u"C:\\", u"C:\\ProgramData", u"C:\\ProgramData\\Velmora"}},
        {"the drive's root", u"D:\\lab.log", {}, u"", {u"D:\\"}},
        {"a relative path, resolved", u"..\\lab.log", {}, u"", {u"C:\\", u"C:\\Windows"}, u"C:\\Windows\\lab.log"},
        {"a share", u"\\\\server\\logs\\lab.log", {}, u"it is a network or device path", {}},
        {"a share with slashes", u"//server/logs/lab.log", {}, u"it is a network or device path", {}},
        {"a device path", u"\\\\?\\C:\\Logs\\lab.log", {}, u"it is a network or device path", {}},
        {"a mapped network drive", u"N:\\lab.log", {}, u"it is on a network drive", {}},
        {"what cannot be resolved", u"C:lab.log", {}, u"it is not a full local path", {}},
        {"a folder's name", u"C:\\Logs\\", {}, u"it names a folder", {}},
        {"a junction on the way",
         u"C:\\Logs\\Lab\\lab.log",
         {{u"C:\\Logs", link}},
         u"the folder C:\\Logs is a link",
         {u"C:\\", u"C:\\Logs"}},
        {"a link as the file",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs\\lab.log", fileLink}},
         u"the file is a link",
         {u"C:\\", u"C:\\Logs"}},
        {"users may create files",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", With(AdminFolder(), {kUsers, 0x2, true, false})}},
         u"others than the administrators may write its folder",
         {u"C:\\", u"C:\\Logs"}},
        {"signed-in users may add folders",
         u"C:\\lab.log",
         {{u"C:\\", With(AdminFolder(), {kAuthenticated, 0x4, true, false})}},
         u"others than the administrators may write its folder",
         {u"C:\\"}},
        {"a user may change its permissions",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", With(AdminFolder(), {kSomeUser, 0x40000, true, false})}},
         u"others than the administrators may write its folder",
         {u"C:\\", u"C:\\Logs"}},
        {"a user may write through a generic right",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", With(AdminFolder(), {kSomeUser, 0x40000000, true, false})}},
         u"others than the administrators may write its folder",
         {u"C:\\", u"C:\\Logs"}},
        {"a user owns the folder",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", unowned}},
         u"others than the administrators may write its folder",
         {u"C:\\", u"C:\\Logs"}},
        {"no access list",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", noList}},
         u"others than the administrators may write its folder",
         {u"C:\\", u"C:\\Logs"}},
        {"a folder above may be written: it is held, not weighed",
         u"C:\\Data\\Logs\\lab.log",
         {{u"C:\\Data", With(AdminFolder(), {kUsers, 0x2, true, false})}},
         u"",
         {u"C:\\", u"C:\\Data", u"C:\\Data\\Logs"}},
        {"writing only for what is made inside",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", With(AdminFolder(), {kUsers, 0x2, true, true})}},
         u"",
         {u"C:\\", u"C:\\Logs"}},
        {"a denial is not weighed",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", With(AdminFolder(), {kUsers, 0x2, false, false})}},
         u"",
         {u"C:\\", u"C:\\Logs"}},
        {"the system's installer",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", With(AdminFolder(), {kTrustedInstaller, kFull, true, false})}},
         u"",
         {u"C:\\", u"C:\\Logs"}},
        {"a folder that cannot be examined",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs", unreadable}},
         u"the folder C:\\Logs cannot be examined (error 5)",
         {u"C:\\", u"C:\\Logs"}},
        {"a file that cannot be examined",
         u"C:\\Logs\\lab.log",
         {{u"C:\\Logs\\lab.log", unreadable}},
         u"the file cannot be examined (error 5)",
         {u"C:\\", u"C:\\Logs"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedExaminer examiner;
        examiner.steps = c.steps;
        examiner.networkRoot = u"N:\\";
        examiner.full = {{u"..\\lab.log", u"C:\\Windows\\lab.log"}, {u"C:lab.log", u""}};
        const LogPathCheck check = CheckPrivilegedLogPath(c.path, examiner);
        EXPECT_EQ(c.refusal, check.refusal);
        EXPECT_EQ(c.held, examiner.held);
        if (c.refusal.empty()) {
            EXPECT_EQ(c.written.empty() ? c.path : c.written, check.path);
        }
    }
}

}  // namespace
}  // namespace velmora
