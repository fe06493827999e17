// Driving the manager's modal sheets and dialogs from a second thread, by control id and message,
// while the test's thread runs them.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/win/Messages.h"

namespace velmora::test {

// Pumps this thread's messages until `done` or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    return true;
}

// A visible window owned by `owner` whose title is `title` (any title when empty).
inline HWND WaitForOwned(HWND owner, const std::wstring& title = {}, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        struct Search {
            HWND owner;
            const std::wstring* title;
            HWND found;
        } search{owner, &title, nullptr};
        ::EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (::GetWindow(window, GW_OWNER) != s->owner || !::IsWindowVisible(window))
                    return TRUE;
                wchar_t text[128] = {};
                ::GetWindowTextW(window, text, 128);
                if (!s->title->empty() && *s->title != text)
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        ::Sleep(20);
    }
    return nullptr;
}

inline HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// A property sheet or wizard owned by `owner`; other windows it owns, such as file dialogs, are not.
inline HWND WaitForSheet(HWND owner, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        const HWND window = WaitForOwned(owner, {}, 20);
        if (window && CurrentPage(window))
            return window;
        ::Sleep(20);
    }
    return nullptr;
}

// Waits until a dialog has gone, so the next step meets the sheet's own loop again.
inline void WaitUntilGone(HWND dialog, DWORD timeoutMs = 5000) {
    for (DWORD waited = 0; waited < timeoutMs && ::IsWindow(dialog); waited += 10)
        ::Sleep(10);
}

// With VELMORA_SCREENSHOT_MS set, a driving thread waits that long with the window on the screen.
inline void HoldForScreenshot() {
    if (const char* hold = std::getenv("VELMORA_SCREENSHOT_MS"))
        ::Sleep(static_cast<DWORD>(std::atoi(hold)));
}

// Presses a button that ends the sheet. The sheet's loop sees that it has ended only when it takes
// a posted message: a press sent from another thread is handled inside its wait and wakes nothing.
inline void PressToEnd(HWND sheet, int button) {
    ::SendMessageW(sheet, PSM_PRESSBUTTON, button, 0);
    for (int i = 0; i < 50 && ::IsWindow(sheet); ++i) {
        ::PostMessageW(sheet, WM_NULL, 0, 0);
        ::Sleep(20);
    }
}

// Runs steps against the sheet that `owner` comes to own, on a thread of its own, while the test's
// thread runs the sheet modally. The steps must end the sheet; one left open is a failure.
class SheetDriver {
public:
    ~SheetDriver() { Join(); }
    void Drive(HWND owner, std::function<void(HWND sheet)> steps) {
        Join();
        thread_ = std::thread([owner, steps = std::move(steps)] {
            // A loaded machine can take seconds to show a sheet whose pages start the Task Scheduler.
            const HWND sheet = WaitForSheet(owner, 30000);
            if (!sheet) {
                ADD_FAILURE() << "no sheet appeared";
                // The test's thread may still be about to run it modally: a sheet that comes late is
                // cancelled, so the test fails instead of waiting for it for ever.
                if (const HWND late = WaitForSheet(owner, 60000))
                    PressToEnd(late, PSBTN_CANCEL);
                return;
            }
            // The first page is shown once it was made active and filled.
            for (int i = 0; i < 500 && !(CurrentPage(sheet) && ::IsWindowVisible(CurrentPage(sheet))); ++i)
                ::Sleep(10);
            ::SendMessageW(sheet, WM_NULL, 0, 0);
            steps(sheet);
            WaitUntilGone(sheet);
            if (::IsWindow(sheet)) {
                ADD_FAILURE() << "the sheet stayed open";
                PressToEnd(sheet, PSBTN_CANCEL);
            }
        });
    }
    void Join() {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::thread thread_;
};

// Answers the next common file dialog that the given thread opens (the calling thread when none):
// notes the file name it proposes and its owner, then chooses `fileName`, or cancels when empty.
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(std::wstring fileName, DWORD dialogThread = ::GetCurrentThreadId())
        : fileName_(std::move(fileName)), dialogThread_(dialogThread), thread_([this] { Answer(); }) {}
    ~FileDialogAnswer() { Finish(); }
    void Finish() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    HWND dialog = nullptr, owner = nullptr;
    std::wstring proposed;

private:
    void Answer() {
        for (int i = 0; i < 200 && !dialog && !stop_; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::EnumThreadWindows(
                dialogThread_,
                [](HWND window, LPARAM found) {
                    wchar_t name[16] = {};
                    ::GetClassNameW(window, name, 16);
                    if (::IsWindowVisible(window) && std::wstring(name) == L"#32770" && ::GetDlgItem(window, cmb13))
                        *reinterpret_cast<HWND*>(found) = window;
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&dialog));
        }
        if (!dialog)
            return;
        owner = ::GetWindow(dialog, GW_OWNER);
        wchar_t text[MAX_PATH] = {};
        ::SendMessageW(::GetDlgItem(dialog, cmb13), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
        proposed = text;
        ::SendMessageW(::GetDlgItem(dialog, cmb13), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName_.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, fileName_.empty() ? IDCANCEL : IDOK, 0);
    }

    std::wstring fileName_;
    DWORD dialogThread_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace velmora::test
