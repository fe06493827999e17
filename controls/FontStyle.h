// The look of a font static control: face, size, colour, style and alignment.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

enum FontStyleFlag : unsigned {
    kFontBold = 0x1,
    kFontItalic = 0x2,
    kFontUnderline = 0x4,
    kFontStrikeOut = 0x8,
    kFontSmooth = 0x10,
    kFontCenter = 0x20,
    kFontRight = 0x80,
};

enum class TextAlign { kLeft, kCenter, kRight };

// Font sizes in pixels are given for this many dots per inch.
constexpr int kDesignDpi = 96;

// A pixel height given for kDesignDpi, for a window of `dpi` dots per inch, to the nearest pixel;
// kept as it is when the window's resolution is unknown (0).
inline int ScaledHeight(int height, int dpi) {
    if (dpi <= 0)
        return height;
    const long long scaled = static_cast<long long>(height) * dpi;
    return static_cast<int>((scaled >= 0 ? scaled + kDesignDpi / 2 : scaled - kDesignDpi / 2) / kDesignDpi);
}

struct FontStyle {
    std::u16string face = u"MS Sans Serif";
    int height = 8;  // font cell height in pixels at kDesignDpi
    std::uint32_t textColor = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool smooth = false;
    TextAlign align = TextAlign::kLeft;

    // A set flag sets its style; a clear one leaves it as it was. The alignment is always replaced:
    // centre wins over right, anything else is left.
    void Apply(const std::u16string& faceName, int cellHeight, std::uint32_t color, unsigned flags) {
        face = faceName;
        height = cellHeight;
        textColor = color;
        bold = bold || (flags & kFontBold);
        italic = italic || (flags & kFontItalic);
        underline = underline || (flags & kFontUnderline);
        strikeOut = strikeOut || (flags & kFontStrikeOut);
        smooth = smooth || (flags & kFontSmooth);
        align = (flags & kFontCenter)  ? TextAlign::kCenter
                : (flags & kFontRight) ? TextAlign::kRight
                                       : TextAlign::kLeft;
    }
};

}  // namespace velmora
