#pragma once

#include "region_box.h"

#include <span>
#include <vector>

namespace iconfinder {

// Whether two boxes are closer than `distance` pixels: max(gapX, gapY) < distance, with gapX
// the number of columns between them (0 when they overlap or touch) and gapY likewise.
bool closerThan(const RegionBox& a, const RegionBox& b, int distance);

// Merges boxes closer than `distance` into their common box, again and again, until no two
// are closer; a merged box takes the place of its earliest member. A distance of 0 merges
// nothing, 1 joins boxes that overlap or touch. Boxes meet only through grids of cells, never
// pair by pair.
std::vector<RegionBox> mergeRegions(std::span<const RegionBox> boxes, int distance);

} // namespace iconfinder
