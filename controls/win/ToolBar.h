// A row of image buttons with tool tips above a list. A press reaches the parent as a registered
// message: first parameter the button's tool tip text, second the button's place k (its control
// id is the first id + k).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win/Unique.h"

namespace velmora {

struct ToolButton {
    int bitmapId = 0;  // 16 x 16, magenta background
    std::wstring tip;
    bool enabled = true;
    // Not 0: the button has an arrow beside it, whose click reaches the parent as this command.
    int dropDownCommand = 0;
};

class ToolBar {
public:
    ToolBar() = default;
    ~ToolBar();
    ToolBar(const ToolBar&) = delete;
    ToolBar& operator=(const ToolBar&) = delete;

    // Creates the bar as the child `controlId` of `parent` over `area`, with the window text
    // `windowText`; buttons get the ids firstButtonId + k. `pressMessage` goes to the parent.
    HWND Create(HWND parent, int controlId, const RECT& area, const wchar_t* windowText, UINT pressMessage,
                int firstButtonId, std::vector<ToolButton> buttons);
    HWND hwnd() const { return hwnd_; }
    HWND buttons() const { return toolbar_; }
    // Button k's rectangle on the screen.
    RECT ButtonScreenRect(int k) const;

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    HWND toolbar_ = nullptr;
    UniqueImageList images_;
    UINT pressMessage_ = 0;
    int firstButtonId_ = 0;
    std::vector<ToolButton> buttons_;
};

}  // namespace velmora
