#pragma once

#include "grid_cells.h"
#include "region_box.h"

#include <optional>
#include <span>

namespace iconfinder {

// The grid that the regions' positions repeat with, on a picture of `width` x `height`, or
// none when no uniform grid puts every region within a cell of its own.
//
// Each side is guessed on its own, from the bands the regions cover when projected onto it
// (overlapping spans joined). A pitch p (cell plus spacing) fits when cells at that pitch can
// hold the bands one each, in consecutive cells; the pitches that fit form one range, since
// each band bounds the first cell's edge by a linear function of p. Within that range:
// - the grid starting at the picture's first pixel whose last cell ends on its last one
//   (C columns of cell = (W - (C - 1) * spacing) / C), the fewest cells first, then the least
//   spacing, when each band lies within one of its cells, each in a cell of its own;
// - otherwise the tightest cells that hold every band at a fitting pitch, at the offset of
//   the first one.
// So columns or rows without any region between the first and the last one are not guessed.
std::optional<GridSpec> guessGrid(std::span<const RegionBox> regions, int width, int height);

} // namespace iconfinder
