// Watching for a popup menu that a window of this process opens, from a thread of its own: the
// menu's modal loop holds the thread that opened it.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/win/Input.h"

namespace velmora::test {

// Waits for the next visible popup menu of this process, notes its place and item texts, then
// closes it with Escape, as a person would.
class PopupMenuWatch {
public:
    PopupMenuWatch() : thread_([this] { Watch(); }) {}
    ~PopupMenuWatch() { Finish(); }
    PopupMenuWatch(const PopupMenuWatch&) = delete;
    PopupMenuWatch& operator=(const PopupMenuWatch&) = delete;

    void Finish() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    bool seen() const { return seen_; }
    RECT place{};
    std::vector<std::wstring> items;  // separators as empty texts

private:
    void Watch() {
        HWND menu = nullptr;
        for (int i = 0; i < 300 && !menu && !stop_; ++i) {
            ::Sleep(10);
            ::EnumWindows(
                [](HWND window, LPARAM found) {
                    wchar_t name[16] = {};
                    ::GetClassNameW(window, name, 16);
                    DWORD process = 0;
                    ::GetWindowThreadProcessId(window, &process);
                    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
                        std::wstring(name) == L"#32768") {
                        *reinterpret_cast<HWND*>(found) = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&menu));
        }
        if (!menu)
            return;
        ::GetWindowRect(menu, &place);
        constexpr UINT kGetMenu = 0x01E1;  // MN_GETHMENU
        const HMENU handle = reinterpret_cast<HMENU>(::SendMessageW(menu, kGetMenu, 0, 0));
        for (int i = 0; handle && i < ::GetMenuItemCount(handle); ++i) {
            wchar_t text[64] = {};
            ::GetMenuStringW(handle, i, text, 64, MF_BYPOSITION);
            items.emplace_back(text);
        }
        seen_ = true;
        PressKey(VK_ESCAPE);
    }

    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::thread thread_;
};

}  // namespace velmora::test
