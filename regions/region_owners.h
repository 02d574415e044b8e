#pragma once

#include "image/large_buffer.h"
#include "mask/foreground_mask.h"
#include "regions/region_box.h"

#include <cstdint>
#include <span>
#include <vector>

namespace iconfinder {

// Which region took each foreground pixel: the pixels of its own group, and those its box
// erased. A label per pixel, the region's number + 1, or 0 for a pixel no region took.
class RegionOwners {
public:
    RegionOwners() = default;
    RegionOwners(int width, int height);

    const std::uint32_t* row(int y) const { return labels_.data() + static_cast<std::size_t>(y) * width_; }
    std::uint32_t at(int x, int y) const { return row(y)[x]; }

    // Gives every pixel of region r the label newLabel[r] (0: none), for regions whose
    // numbers change when they are merged, left out or reordered.
    void relabel(std::span<const std::uint32_t> newLabel);

private:
    friend std::vector<RegionBox> extractOwnedRegions(ForegroundMask& work, RegionOwners& owners);
    std::uint32_t* row(int y) { return labels_.data() + static_cast<std::size_t>(y) * width_; }

    int width_ = 0;
    LargeBuffer<std::uint32_t> labels_;
};

// Runs the extraction to the end on `work`, as extractRegions does, and records in `owners`
// (of the mask's size) which region took each pixel.
std::vector<RegionBox> extractOwnedRegions(ForegroundMask& work, RegionOwners& owners);

} // namespace iconfinder
