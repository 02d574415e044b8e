#include "image/color.h"

#include <array>

namespace iconfinder {
namespace {

// The classic Windows scheme, by system colour index.
constexpr std::array<Rgb, 25> kSystemScheme{{
    {212, 208, 200}, // 0 scroll bar
    {58, 110, 165},  // 1 desktop background
    {10, 36, 106},   // 2 active caption
    {128, 128, 128}, // 3 inactive caption
    {212, 208, 200}, // 4 menu
    {255, 255, 255}, // 5 window
    {0, 0, 0},       // 6 window frame
    {0, 0, 0},       // 7 menu text
    {0, 0, 0},       // 8 window text
    {255, 255, 255}, // 9 caption text
    {212, 208, 200}, // 10 active border
    {212, 208, 200}, // 11 inactive border
    {128, 128, 128}, // 12 application workspace
    {10, 36, 106},   // 13 highlight
    {255, 255, 255}, // 14 highlight text
    {212, 208, 200}, // 15 button face
    {128, 128, 128}, // 16 button shadow
    {128, 128, 128}, // 17 grey text
    {0, 0, 0},       // 18 button text
    {212, 208, 200}, // 19 inactive caption text
    {255, 255, 255}, // 20 button highlight
    {64, 64, 64},    // 21 3-D dark shadow
    {212, 208, 200}, // 22 3-D light
    {0, 0, 0},       // 23 tooltip text
    {255, 255, 225}, // 24 tooltip background
}};

} // namespace

Rgb resolve(ColorValue color)
{
    if (color & 0x80000000u) {
        const std::size_t index = color & 0xFFu;
        return index < kSystemScheme.size() ? kSystemScheme[index] : Rgb{};
    }
    return {static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8), static_cast<std::uint8_t>(color >> 16)};
}

Pixel toPixel(ColorValue color)
{
    const Rgb rgb = resolve(color);
    return makePixel(rgb.red, rgb.green, rgb.blue);
}

} // namespace iconfinder
