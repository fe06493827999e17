// The uninstallers' decisions about the tasks: when the tasks go with a package being removed, and
// the exit code that tells the uninstaller whether one is left.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "packaging/TaskRemoval.h"

namespace velmora {
namespace {

TEST(TaskRemoval, TasksGoUnlessAnotherVersionRegisteredItselfOverThePackage) {
    struct Case {
        const char* what;
        std::u16string package;
        std::optional<std::u16string> registered;
        bool tasksGo;
    };
    const Case cases[] = {
        {"the setup program's uninstaller", u"", u"3.3.1", true},
        {"the setup program's uninstaller, nothing registered", u"", std::nullopt, true},
        {"the package removed by itself", u"3.3.1", u"3.3.1", true},
        {"the registration already gone", u"3.3.1", std::nullopt, true},
        {"an empty registration", u"3.3.1", u"", true},
        {"the old package after an upgrade", u"3.3.0", u"3.3.1", false},
        {"an old package after a newer one's repair", u"3.3.0", u"3.4.0", false},
        {"versions differ only in a later part", u"3.3.1", u"3.3.10", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.tasksGo, TasksGoWithThisPackage(c.package, c.registered)) << c.what;
}

TEST(TaskRemoval, ExitCodeNamesWhatKeepsVelmoraInstalled) {
    struct Case {
        bool executorFound;
        std::vector<std::u16string> left;
        int code;
    };
    const Case cases[] = {
        {true, {}, kTasksGone},
        {false, {}, kTasksGone},
        {true, {u"quenep-0ab.job"}, kTaskLeft},
        {true, {u"quenep-0ab.job", u"quenep-1cd.job"}, kTaskLeft},
        {false, {u"quenep-1cd.job"}, kTaskLeftNoExecutor},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, TaskRemovalExitCode(c.executorFound, c.left)) << c.left.size() << " left";
}

}  // namespace
}  // namespace velmora
