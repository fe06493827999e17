// The names of the running processes, for the executor watcher.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// Every running process's program file name, as the system's process snapshot gives it; none
// when no snapshot can be taken.
std::vector<std::u16string> RunningProcessNames();

}  // namespace velmora
