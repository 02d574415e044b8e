#pragma once

#include "regions/region_box.h"

#include <span>
#include <vector>

namespace iconfinder {

enum class RegionOrder {
    Search,  // as found
    Rows,    // reading order: rows top to bottom, left to right within a row
    Columns, // columns left to right, top to bottom within a column
};

// A region in its output place. Under Rows, `row` is its row and `column` its place in it;
// under Columns, `column` is its column and `row` its place in it; in a grid, the cell's row
// and column; all from 1, and 0 under Search. `source` is its place in the boxes it was
// ordered from.
struct PlacedRegion {
    RegionBox box;
    int row = 0;
    int column = 0;
    std::size_t source = 0;
    friend bool operator==(const PlacedRegion&, const PlacedRegion&) = default;
};

// Rows: boxes taken by their vertical centre, then their left edge; a box joins the current
// row when its centre is not below the lowest bottom of the row so far, otherwise it starts a
// new row; within a row, left to right (equal left edges: the higher first, then the order
// found). So rows whose boxes overlap by a little stay apart, and a short frame stays in its
// row. Boxes more than half as tall again as the median box (a glyph merged across lines, a
// long bracket) take no part in forming rows, so that they cannot chain rows together: each
// joins the row nearest its centre (the one it lies in between its first centre and lowest
// bottom, else the closest, the upper of two). Columns: the same with x and y exchanged.
std::vector<PlacedRegion> orderRegions(std::span<const RegionBox> boxes, RegionOrder order);

// The regions' boxes, in their order.
std::vector<RegionBox> boxesOf(std::span<const PlacedRegion> regions);

} // namespace iconfinder
