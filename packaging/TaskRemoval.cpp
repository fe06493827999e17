#include "packaging/TaskRemoval.h"

namespace velmora {

bool TasksGoWithThisPackage(std::u16string_view packageVersion,
                            const std::optional<std::u16string>& registeredVersion) {
    // The setup program's uninstaller, or a registration that is gone or names this very package:
    // Velmora leaves the computer.
    return packageVersion.empty() || !registeredVersion || registeredVersion->empty() ||
           *registeredVersion == packageVersion;
}

int TaskRemovalExitCode(bool executorFound, const std::vector<std::u16string>& left) {
    if (left.empty())
        return kTasksGone;
    return executorFound ? kTaskLeft : kTaskLeftNoExecutor;
}

}  // namespace velmora
