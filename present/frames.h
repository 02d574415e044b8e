#pragma once

#include "image/color.h"
#include "image/frame_memory.h"
#include "image/pixel_image.h"
#include "mask/background_rule.h"
#include "regions/region_box.h"
#include "regions/string_list.h"

#include <functional>

#include <span>
#include <vector>

namespace iconfinder {

// Frames each box in opaque red on its outermost pixels: the framed picture find-icons writes
// and the window shows.
void drawFrames(PixelImage& displayed, std::span<const RegionBox> boxes);

// What the window's search found: the result lines, and the boxes they were formatted from.
struct IconSearch {
    StringList ResultLines;
    std::vector<RegionBox> boxes;
};

// The search the window's button runs: extracts the regions of `displayed` with `BackColor`
// as background from a mask of it (the working copy), formats them as result lines and frames
// each line, read back through `Fields`, on `displayed`; through `frames`, when given, so that
// they can be taken back. Should memory run out while framing, the frames it drew are taken
// back.
IconSearch findIcons(PixelImage& displayed, ColorValue BackColor, FrameMemory* frames = nullptr);

// The same search under any background rule: transparency, or one chosen from the picture.
IconSearch findIcons(PixelImage& displayed, const BackgroundRule& rule, FrameMemory* frames = nullptr);

// Frames `count` rectangles, frameOf(0), frameOf(1), ..., on `displayed`: through `frames`,
// when given. Should memory run out, the frames drawn are taken back.
void frameEach(PixelImage& displayed, FrameMemory* frames, std::size_t count, const std::function<Rect(std::size_t)>& frameOf);

} // namespace iconfinder
