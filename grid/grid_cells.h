#pragma once

#include "mask/foreground_mask.h"
#include "shaping/region_order.h"

#include <optional>
#include <vector>

namespace iconfinder {

// Cells of cellWidth x cellHeight pixels, the first with its top-left corner at (x, y), the
// next ones spacingX and spacingY pixels further apart than the cells are wide and high.
struct GridSpec {
    int cellWidth = 1;
    int cellHeight = 1;
    int x = 0;
    int y = 0;
    int spacingX = 0;
    int spacingY = 0;
    friend bool operator==(const GridSpec&, const GridSpec&) = default;
};

// A grid laid on a picture: the cells lying wholly inside it.
struct GridLayout {
    GridSpec spec;
    int columns = 0;
    int rows = 0;

    // The cell in `column` and `row`, both from 0.
    RegionBox cell(int column, int row) const;
};

GridLayout layOutGrid(const GridSpec& spec, int width, int height);

// How many cells a grid has across and down, for sheets whose cell size is not known.
struct GridCount {
    int columns = 1;
    int rows = 1;
};

// The grid of `count` cells, each as large as the picture holds them from `placement`'s corner
// and spacing (its cell size is not used); none when a cell would be less than a pixel.
std::optional<GridSpec> gridOfCount(GridCount count, GridSpec placement, int width, int height);

// The bounding box of the foreground inside `area`, or none when it holds none.
std::optional<RegionBox> foregroundBox(const ForegroundMask& mask, const RegionBox& area);

// The cells as regions, row by row and left to right, each with its row and column (from 1):
// every cell holding foreground, or every cell with `keepEmpty`. A region's box is its cell,
// or with `trim` the bounding box of the cell's foreground (an empty cell kept stays whole).
std::vector<PlacedRegion> gridRegions(const ForegroundMask& mask, const GridLayout& grid, bool trim, bool keepEmpty);

} // namespace iconfinder
