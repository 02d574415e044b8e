#pragma once

#include "image/color.h"
#include "image/frame_memory.h"
#include "image/pixel_image.h"
#include "search/background_rule.h"
#include "search/foreground_mask.h"
#include "search/region_box.h"
#include "search/string_list.h"

#include <functional>
#include <span>
#include <vector>

namespace iconfinder {

// Runs the extraction to the end on `work`, leaving it all background; the boxes in the
// order found.
std::vector<RegionBox> extractRegions(ForegroundMask& work);

// The same, handing each box to `found` as it is found and holding none.
void extractRegions(ForegroundMask& work, const std::function<void(const RegionBox&)>& found);

// The regions of a picture under a background rule.
std::vector<RegionBox> findRegions(const PixelImage& picture, const BackgroundRule& rule);

// Frames each box in opaque red on its outermost pixels.
void drawFrames(PixelImage& displayed, std::span<const RegionBox> boxes);

// What the window's search found: the result lines, and the boxes they were formatted from.
struct IconSearch {
    StringList ResultLines;
    std::vector<RegionBox> boxes;
};

// The search the window's button runs: extracts the regions of `displayed` with `BackColor`
// as background from a mask of it (the working copy), formats them as result lines and frames
// each line, read back through `Fields`, on `displayed`; through `frames`, when given, so that
// they can be taken back.
IconSearch findIcons(PixelImage& displayed, ColorValue BackColor, FrameMemory* frames = nullptr);

} // namespace iconfinder
