// A static text control that paints its text with a font, colour and alignment of its own.
#pragma once

#include <windows.h>

#include "controls/FontStyle.h"

namespace velmora {

class CFontStatic {
public:
    CFontStatic() = default;
    ~CFontStatic();
    CFontStatic(const CFontStatic&) = delete;
    CFontStatic& operator=(const CFontStatic&) = delete;

    // Takes over the painting of a dialog item and adds the notify style to it.
    bool Attach(HWND control);
    void SetFont(const std::u16string& face, int height, COLORREF color, unsigned flags);
    void SetText(const std::u16string& text);
    const FontStyle& style() const { return style_; }
    HWND hwnd() const { return hwnd_; }
    // The font's cell height in pixels as painted now: the style's height for the window's DPI.
    int PixelHeight() const;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void Paint();

    HWND hwnd_ = nullptr;
    FontStyle style_;
};

}  // namespace velmora
