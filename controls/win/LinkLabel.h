// Static texts of a dialog drawn as links: underlined, blue (grey when disabled), with the hand
// cursor. They report a click as STN_CLICKED, so they need the SS_NOTIFY style.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

#include "controls/win/DialogBase.h"
#include "platform/win/Unique.h"

namespace velmora {

class LinkLabels {
public:
    LinkLabels() = default;
    LinkLabels(const LinkLabels&) = delete;
    LinkLabels& operator=(const LinkLabels&) = delete;

    void Attach(HWND dialog, std::initializer_list<int> ids);
    // The text colour of a label; null for other controls.
    HBRUSH ControlColor(HDC dc, HWND control) const;
    // The hand cursor over an enabled label; false for other windows.
    bool SetCursor(HWND window) const;

private:
    bool IsLabel(HWND window) const;

    HWND dialog_ = nullptr;
    std::vector<int> ids_;
    UniqueGdi<HFONT> font_;
};

// A dialog whose link labels get their colour and their hand cursor; it attaches them in its
// OnInitDialog.
class DialogWithLinks : public DialogBase {
protected:
    HBRUSH OnControlColor(UINT, HDC dc, HWND control) override { return links_.ControlColor(dc, control); }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message != WM_SETCURSOR || !links_.SetCursor(reinterpret_cast<HWND>(wParam)))
            return false;
        SetResult(TRUE);
        return true;
    }

    LinkLabels links_;
};

}  // namespace velmora
