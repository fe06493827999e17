// The executor's temporary service: a task that runs under the system account shows its countdown
// on the user's desktop through an interactive service, which runs one task and removes itself.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

constexpr wchar_t kServiceName[] = L"Velmora";

// Creates the service; 0, or the Windows error of the creation.
std::uint32_t InstallService();
// Starts the service with the task argument as its one service argument; 0 or the error.
std::uint32_t LaunchService(const std::u16string& argument);
// Stops the service when it runs, and deletes it.
void RemoveService();
// Creates and starts the service for a task. A service left by an overlapping run is waited for,
// within the work item's time limit, so no scheduled run is lost. 0 or the last error.
std::uint32_t HandToService(const std::u16string& argument);
// The service process: runs the task the service was started with; returns when it has stopped,
// after the service was removed.
int RunServiceProcess();

}  // namespace velmora
