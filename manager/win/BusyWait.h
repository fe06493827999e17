// A job that may take seconds (name resolution, ARP requests) run on a worker thread while a small
// modal window over the page says that it is busy: the page keeps painting, and Cancel or Escape
// ends the wait. The job's result reaches the window's thread only when it finished in time.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "manager/CompListLogic.h"

namespace velmora {

// Runs `job` through `launcher` and waits, modal over `owner`, with `text` shown. True when the job
// finished; false when the user ended the wait (the job then ends on its own and whatever it
// produces is dropped: it must own all it touches) or no thread could start.
bool WaitWhileBusy(HWND owner, const std::wstring& text, WorkerLauncher& launcher, std::function<void()> job);

}  // namespace velmora
