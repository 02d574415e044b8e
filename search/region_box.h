#pragma once

#include "image/pixel_image.h"

namespace iconfinder {

// The bounding box of one region, every edge inclusive.
struct RegionBox {
    int minX = 0;
    int minY = 0;
    int maxX = 0;
    int maxY = 0;

    int width() const { return maxX - minX + 1; }
    int height() const { return maxY - minY + 1; }
    friend bool operator==(const RegionBox&, const RegionBox&) = default;
};

// The rectangle whose outline lies on the box's outermost pixels: right and bottom exclusive.
constexpr Rect frameRect(const RegionBox& box) { return {box.minX, box.minY, box.maxX + 1, box.maxY + 1}; }

} // namespace iconfinder
