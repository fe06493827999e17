// The names of the running processes, for the executor watcher.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Every running process's program name: its first module's base name, or, where that cannot be
// read (a process of another account, such as the system's), the name in the process snapshot;
// "<unknown>" when neither can be had.
std::vector<std::u16string> RunningProcessNames();

}  // namespace velmora
