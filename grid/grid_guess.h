#pragma once

#include "grid/grid_cells.h"
#include "regions/region_box.h"

#include <optional>
#include <span>

namespace iconfinder {

// The grid that the regions' positions repeat with, on a picture of `width` x `height`: every
// region inside one cell (several may share one), or none when no uniform grid does that.
//
// Each side is guessed on its own, from the bands the regions cover when projected onto it
// (overlapping spans joined). A pitch p (cell plus spacing) fits when no cell edge cuts a band
// and no line of cells between two bands is empty; the finest that fits sets how many lines
// the bands span. Of the grids with that many lines it prefers the one that fills the picture
// from its first pixel to its last, bands in its first and last line (the widest gutters of
// those); else, at the pitch that aligns the bands best (the tightest cells), cells of the
// whole pitch from the picture's corner, or the tightest cells. A grid of fewer than two cells,
// or with more cells empty than holding a region, explains nothing.
std::optional<GridSpec> guessGrid(std::span<const RegionBox> regions, int width, int height);

} // namespace iconfinder
