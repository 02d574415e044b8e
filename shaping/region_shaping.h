#pragma once

#include "shaping/region_merge.h"
#include "shaping/region_order.h"

#include <cstdint>
#include <span>
#include <vector>

namespace iconfinder {

// What is done to the boxes found, in this order: merging (specks last), the size filter,
// then the order.
struct Shaping {
    MergeDistance merge;
    int speck = 0;
    int minWidth = 0;
    int minHeight = 0;
    RegionOrder order = RegionOrder::Search;
    bool mergeAuto = false; // the merge distance from the boxes' own spacing instead
};

struct ShapedRegions {
    std::vector<PlacedRegion> regions;
    // For each box found, its output region + 1, or 0 when it was left out.
    std::vector<std::uint32_t> labelOf;
    MergeDistance merged; // the distance used
};

ShapedRegions shapeRegions(std::span<const RegionBox> found, const Shaping& shaping);

} // namespace iconfinder
