#pragma once

#include "background_rule.h"
#include "pixel_image.h"

#include <cstdint>

namespace iconfinder {

// The background a sheet most likely has: transparency when the picture has alpha and one of
// its four corners is fully transparent; otherwise the colour (red, green, blue) met most often
// on its outer border, each border pixel counted once, a tie going to the colour met first
// walking the border clockwise from the top-left pixel. Decided on exact values; `tolerance`
// then applies to the rule chosen.
BackgroundRule autoBackground(const PixelImage& picture, std::uint8_t tolerance);

} // namespace iconfinder
