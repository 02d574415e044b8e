#pragma once

#include "regions/region_box.h"

#include <cstdint>
#include <span>
#include <vector>

namespace iconfinder {

// How close two boxes must be to merge, across and down: they merge when gapX < x and
// gapY < y, with gapX the number of columns between them (0 when they overlap or touch) and
// gapY likewise. A distance of 0 either way merges nothing; 1 joins boxes that overlap or touch.
struct MergeDistance {
    int x = 0;
    int y = 0;

    MergeDistance() = default;
    MergeDistance(int both) : x(both), y(both) {}
    MergeDistance(int across, int down) : x(across), y(down) {}
    bool merges() const { return x > 0 && y > 0; }
};

bool closerThan(const RegionBox& a, const RegionBox& b, MergeDistance distance);

// The larger of the two gaps between boxes.
int gapBetween(const RegionBox& a, const RegionBox& b);

struct MergedRegions {
    std::vector<RegionBox> boxes;
    std::vector<std::uint32_t> groupOf; // for each box given, the merged box that holds it
};

// Merges boxes closer than `distance` into their common box, again and again, until no two
// are closer; a merged box takes the place of its earliest member. Boxes meet only through
// grids of cells, never pair by pair.
//
// With `speck` above 0, boxes at most speck x speck pixels are specks: they take no part in
// that merge. Afterwards each speck joins the nearest merged box closer than the distance (as
// the boxes stood before any speck joined; nearest by the larger gap, ties to the box found
// first) or stays on its own in its place. So a speck never joins another speck and never
// makes two boxes merge, and a line of dots cannot chain sprites together.
MergedRegions mergeRegions(std::span<const RegionBox> boxes, MergeDistance distance, int speck = 0);

} // namespace iconfinder
