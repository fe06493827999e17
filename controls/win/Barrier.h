// Where the system enters a window procedure of ours: an exception stops the operation there and
// never crosses the system's message dispatch, and the user is told that the operation failed.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>

namespace velmora {

// How the program tells the user of a failed operation: the window it happened in and the
// exception, null when it was none of the standard ones. Until the program sets one, nobody is told.
using FailureTeller = std::function<void(HWND window, const std::exception* failure)>;
void SetFailureTeller(FailureTeller teller);

// Tells of the exception being handled; only inside a catch block. A failure while one is being
// told is not told again.
void TellCurrentFailure(HWND window) noexcept;

// Runs `body`; when it throws, tells of it and gives `failed` instead.
template <class Result, class Body>
Result Barrier(HWND window, Result failed, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        TellCurrentFailure(window);
        return failed;
    }
}

}  // namespace velmora
