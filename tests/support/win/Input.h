// Real keyboard and mouse input for the Wine GUI tests. The input goes through the system's input
// queue (SendInput), so a key meets the dialog manager, the sheet's own loop and WM_GETDLGCODE, and
// a click meets hit testing, focus and capture, as a person's do.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

namespace velmora::test {

// Keys whose scan code carries the extended flag on a real keyboard; without it the system reads
// the number pad's twin (Insert becomes 0, Delete the decimal point).
inline bool IsExtendedKey(WORD key) {
    switch (key) {
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_APPS:
        case VK_RCONTROL:
        case VK_RMENU:
            return true;
        default:
            return false;
    }
}

inline INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

// Presses the keys in order and lets them go in reverse: {VK_SHIFT, VK_F10} is Shift+F10. The keys
// go to the window that has the keyboard focus in the foreground window.
inline void PressKeys(const std::vector<WORD>& keys) {
    std::vector<INPUT> inputs;
    for (const WORD key : keys)
        inputs.push_back(KeyInput(key, false));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        inputs.push_back(KeyInput(*key, true));
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline void PressKey(WORD key) {
    PressKeys({key});
}

enum class Button { kLeft, kRight };

// The pointer's move to a point of `window`'s client area, as the system's absolute input takes it.
inline INPUT PointerTo(HWND window, POINT client) {
    ::ClientToScreen(window, &client);
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = static_cast<LONG>((client.x * 65536LL + width / 2) / width);
    move.mi.dy = static_cast<LONG>((client.y * 65536LL + height / 2) / height);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return move;
}

// The pointer moved to a point of `window`'s client area, then a button pressed or let go there
// when `press` names one (MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP): a drag is made of these.
inline void MouseTo(HWND window, POINT client, DWORD press = 0) {
    INPUT inputs[2] = {PointerTo(window, client), {}};
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = press;
    ::SendInput(press ? 2 : 1, inputs, sizeof(INPUT));
}

// A click at a point of `window`'s client area (its centre when none is given), with the pointer
// moved there first, as a mouse does.
inline void ClickAt(HWND window, POINT client, Button button = Button::kLeft, int clicks = 1) {
    std::vector<INPUT> inputs = {PointerTo(window, client)};
    const DWORD down = button == Button::kLeft ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    const DWORD up = button == Button::kLeft ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
    for (int i = 0; i < clicks; ++i) {
        INPUT press{};
        press.type = INPUT_MOUSE;
        press.mi.dwFlags = down;
        inputs.push_back(press);
        press.mi.dwFlags = up;
        inputs.push_back(press);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The centre of a list view's row, in the list's client area: where a click on the row aims.
inline POINT RowCentre(HWND list, int row) {
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

inline void Click(HWND window, Button button = Button::kLeft, int clicks = 1) {
    RECT area{};
    ::GetClientRect(window, &area);
    ClickAt(window, {(area.left + area.right) / 2, (area.top + area.bottom) / 2}, button, clicks);
}

// Brings a top-level window to the front, as a person's click on its title does, so that keys
// reach it. False when it did not come to the front.
inline bool BringToFront(HWND window) {
    for (int i = 0; i < 100; ++i) {
        if (::GetForegroundWindow() == window)
            return true;
        ::SetForegroundWindow(window);
        ::Sleep(10);
    }
    return ::GetForegroundWindow() == window;
}

// Brings a window to the front and waits until it stays where it is, so that a click lands on the
// control it is aimed at: a window still settling on the screen loses a click.
inline void ReadyForInput(HWND window) {
    BringToFront(window);
    RECT last{};
    int still = 0;
    for (int i = 0; i < 100 && still < 3; ++i) {
        RECT now{};
        ::GetWindowRect(window, &now);
        still = ::EqualRect(&now, &last) && ::GetForegroundWindow() == window ? still + 1 : 0;
        last = now;
        ::Sleep(30);
    }
}

}  // namespace velmora::test
