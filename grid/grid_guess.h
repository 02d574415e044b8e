#pragma once

#include "grid/grid_cells.h"
#include "regions/region_box.h"

#include <optional>
#include <span>

namespace iconfinder {

// The grid that the regions' positions repeat with, on a picture of `width` x `height`, or
// none when no uniform grid puts every region in a cell of its own.
//
// Each side is guessed on its own, from the bands the regions cover when projected onto it
// (overlapping spans joined). A pitch p (cell plus spacing) fits when cells at that pitch can
// be placed so that no cell edge cuts a band and no line of cells between two bands is empty.
// From the finest pitch up, the answer is the first grid that starts at the picture's first
// pixel and whose last cell ends on its last one (C cells of (W - (C - 1) * spacing) / C at
// pitch p, C = ceil(W / p)) when its cells hold every band; failing that, the tightest cells
// that hold every band at the finest pitch that fits. So a line of cells holding no region
// between two that do is not guessed.
std::optional<GridSpec> guessGrid(std::span<const RegionBox> regions, int width, int height);

} // namespace iconfinder
