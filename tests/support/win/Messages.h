// The message loop of the Wine tests and benchmarks that drive windows on their own thread.
#pragma once

#include <windows.h>

namespace velmora::test {

// Handles every message waiting for this thread's windows, and returns when none is left.
inline void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace velmora::test
