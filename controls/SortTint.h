// The tint of a sorted column, made from the list's background colour.
#pragma once

#include <cstdint>

namespace velmora {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A light background gets 8 darker in every component; any other gets a tenth brighter, capped
// at 255.
constexpr Rgb SortTint(Rgb background) {
    const bool light = background.red > 240 && background.green > 240 && background.blue > 240;
    auto tint = [light](std::uint8_t x) -> std::uint8_t {
        if (light)
            return static_cast<std::uint8_t>(x - 8);
        return x > 231 ? 255 : static_cast<std::uint8_t>(x + x / 10);
    };
    return {tint(background.red), tint(background.green), tint(background.blue)};
}

}  // namespace velmora
