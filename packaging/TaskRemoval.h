// What the uninstallers decide about the tasks before they take the executor away: no task can run
// without it, so every Velmora task goes first, and when one stays, Velmora stays.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Exit codes of velmora-tasks.exe, which the uninstallers read.
constexpr int kTasksGone = 0;           // no Velmora task is left, or a newer version keeps them
constexpr int kTaskLeft = 2;            // a Velmora task could not be removed
constexpr int kTaskLeftNoExecutor = 3;  // one is left and the system folder has no executor to remove it
constexpr int kTaskRemovalUsage = 4;    // the command line named no known mode

// Whether the tasks go with the package being removed. `packageVersion` is the version of the
// Windows Installer package whose removal runs (empty for the setup program's uninstaller);
// `registeredVersion` the "Version" that HKLM\Software\Velmora holds now. A package removed after
// another version installed itself over it (a major upgrade removes the old package last) finds
// that version registered: the tasks belong to the new one.
bool TasksGoWithThisPackage(std::u16string_view packageVersion, const std::optional<std::u16string>& registeredVersion);

// The exit code once "quenex -r" has run (or could not: `executorFound` false); `left` holds the
// executor's work items still there.
int TaskRemovalExitCode(bool executorFound, const std::vector<std::u16string>& left);

}  // namespace velmora
