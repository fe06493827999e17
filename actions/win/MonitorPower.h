// The monitor command's send to one window, so that its time limit can be tried on a window of a test.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velmora {

// Sends WM_SYSCOMMAND with SC_MONITORPOWER and `argument` to `window`. Gives up at once on a window
// the system counts as hung, and after `timeoutMs` on one that does not answer; true when the window
// answered.
bool SendMonitorPowerTo(HWND window, std::intptr_t argument, unsigned timeoutMs);

}  // namespace velmora
