#pragma once

#include "region_box.h"

#include <span>
#include <vector>

namespace iconfinder {

enum class RegionOrder {
    Search,  // as found
    Rows,    // reading order: rows top to bottom, left to right within a row
    Columns, // columns left to right, top to bottom within a column
};

// A region in its output place. Under Rows, `row` is its row and `column` its place in it;
// under Columns, `column` is its column and `row` its place in it; both from 1, and 0 under
// Search.
struct PlacedRegion {
    RegionBox box;
    int row = 0;
    int column = 0;
};

// Rows: boxes taken by their top; a box joins the current row when its top is not below the
// lowest bottom of the row so far, otherwise it starts a new row; within a row, left to right
// (equal left edges: the higher first, then the order found). Columns: the same with x and y
// exchanged.
std::vector<PlacedRegion> orderRegions(std::span<const RegionBox> boxes, RegionOrder order);

// The boxes at least `width` wide and `height` high.
std::vector<RegionBox> withMinimumSize(std::span<const RegionBox> boxes, int width, int height);

} // namespace iconfinder
