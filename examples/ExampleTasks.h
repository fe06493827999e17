// Example tasks for the run command, the help's pictures and the benchmarks, so the manager has
// something to show on both lists.
#pragma once

#include <string>

namespace velmora {

// Adds the local examples (a weekday shutdown, a daily popup, a disabled lock, a one-time restart)
// when no local task exists yet, and the remote ones (a Wake-on-LAN and a remote shutdown of three
// lab computers) when no remote task exists yet. `report` gets a line for each list; false when a
// task could not be made. COM must be initialised on the calling thread.
bool MakeExampleTasks(std::string& report);

// Adds `count` daily popup tasks whatever exists (for measuring long lists).
bool MakePopupTasks(int count);

}  // namespace velmora
