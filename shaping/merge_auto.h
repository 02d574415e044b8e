#pragma once

#include "regions/region_box.h"
#include "shaping/region_merge.h"

#include <span>

namespace iconfinder {

// The merge distance the boxes' own spacing suggests, for sprites that come in pieces: of the
// gaps that join the boxes into ever larger groups, nearest first (a spanning tree over each
// box's four nearest neighbours), those within sprites and those between them lie apart where
// the sorted gaps jump the most (at least doubling); the distance merges the first and not
// the second. No merge (0) for fewer than two boxes or without such a jump.
MergeDistance autoMergeDistance(std::span<const RegionBox> boxes);

} // namespace iconfinder
