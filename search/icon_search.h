#pragma once

#include "color.h"
#include "pixel_image.h"
#include "string_list.h"

#include <string_view>

namespace iconfinder {

// The inclusive box of one result line.
struct RegionBox {
    int minX = 0;
    int minY = 0;
    int maxX = 0;
    int maxY = 0;
    friend bool operator==(const RegionBox&, const RegionBox&) = default;
};

// Splits a result line back into its four numbers through `Fields`.
RegionBox parseResultLine(std::string_view line, StringList& Fields);

// Runs the extraction to the end on `WorkBitmap`, consuming it; returns the result lines in
// the order found.
StringList extractRegions(PixelImage WorkBitmap, ColorValue backColor);

// Frames each region of `lines` in red on the outermost pixels of its box.
void drawFrames(PixelImage& displayed, const StringList& lines);

// The search the window's button runs: extracts the regions of a copy of `displayed`
// with `backColor` as background and frames them on `displayed`.
StringList findIcons(PixelImage& displayed, ColorValue backColor);

} // namespace iconfinder
