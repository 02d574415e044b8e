#pragma once

#include "image/pixel_image.h"

#include <cstdint>

namespace iconfinder {

// A colour as chosen and drawn: red in the lowest byte, then green, then blue (0x00BBGGRR).
// A value with the top bit set names a system colour by its index in the low byte.
using ColorValue = std::uint32_t;

inline constexpr ColorValue kSystemColorFlag = 0xFF000000u;

constexpr ColorValue rgbColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return ColorValue{red} | ColorValue{green} << 8 | ColorValue{blue} << 16;
}
constexpr ColorValue systemColor(std::uint8_t index) { return kSystemColorFlag | index; }

inline constexpr ColorValue kWhite = rgbColor(255, 255, 255);
inline constexpr ColorValue kRed = rgbColor(255, 0, 0);

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// System colours resolve through a fixed table, the classic Windows scheme; an index the
// table does not hold resolves to black, as the system itself answers for unknown indices.
Rgb resolve(ColorValue color);

// The stored form of a colour: its resolved red, green and blue, opaque.
Pixel toPixel(ColorValue color);

} // namespace iconfinder
