#pragma once

#include "image/pixel_image.h"

#include <algorithm>

namespace iconfinder {

// Two conventions, each where its readers expect it:
// - a RegionBox has every edge inclusive, as result lines give it: minX .. maxX, minY .. maxY;
// - a Rect has its right and bottom edges excluded, as the canvas draws rectangles.
// Frames outline frameRect(box), the box's outermost pixels. The search erases erasedBy(box):
// the rectangle with the box's own corners, which leaves out its last column and row.

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

// Which way a frame lies on its page when packers turned it a quarter round: its box is then
// as high as the frame is wide.
enum class Turn : unsigned char { None, Clockwise, Anticlockwise };

// A frame drawn larger than its box, as texture packers record a trimmed sprite: the size of
// the picture it was cut from and where the box, turned back upright, stands in it.
struct FrameTrim {
    int sourceWidth = 0;
    int sourceHeight = 0;
    int offsetX = 0;
    int offsetY = 0;
    Turn turn = Turn::None;
    friend bool operator==(const FrameTrim&, const FrameTrim&) = default;
};

// The smallest box holding both.
constexpr RegionBox united(const RegionBox& a, const RegionBox& b)
{
    return {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX), std::max(a.maxY, b.maxY)};
}

// The rectangle whose outline lies on the box's outermost pixels.
constexpr Rect frameRect(const RegionBox& box) { return {box.minX, box.minY, box.maxX + 1, box.maxY + 1}; }

// The rectangle a region's box erases.
constexpr Rect erasedBy(const RegionBox& box) { return {box.minX, box.minY, box.maxX, box.maxY}; }

} // namespace iconfinder
