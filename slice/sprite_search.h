#pragma once

#include "common/errors.h"
#include "mask/foreground_mask.h"
#include "grid/grid_cells.h"
#include "regions/region_owners.h"
#include "shaping/region_shaping.h"

#include <optional>
#include <vector>

namespace iconfinder {

// How the sprites of a picture are cut: the search's regions shaped, the cells of a grid, or
// the cells of the grid the shaped regions repeat with. find-icons and the window both cut
// through here.
struct SpriteSettings {
    Shaping shaping;
    std::optional<GridSpec> grid; // cells instead of the search
    std::optional<GridCount> gridCount; // `grid`'s cells as large as this many fit, from its corner and spacing
    bool guessGrid = false;
    bool trim = false;      // a cell's box is the bounding box of its foreground
    bool keepEmpty = false; // cells without foreground are sprites too
    bool isolate = false;   // record which sprite took each pixel (a search, not a grid)
    bool strays = false;    // with a given grid: search regions in no single cell are sprites of their own
    bool whole = false;     // one sprite a picture: the box of all its foreground

    bool gridded() const { return grid || guessGrid; }
};

struct Sprites {
    std::vector<PlacedRegion> placed;
    std::optional<MergeDistance> autoMerge; // the distance --merge auto chose
    std::optional<GridLayout> grid;
    std::optional<RegionOwners> owners; // with isolate: sprite i owns the pixels labelled i + 1
};

// A grid that leaves no whole cell in the picture: the settings, not the picture, are wrong.
class GridMisfit : public Error {
public:
    using Error::Error;
};

// No uniform grid puts every region in a cell: the picture is no sheet on a grid.
class NoGridFound : public Error {
public:
    using Error::Error;
};

// The cells of the grid the settings give (a size, or columns and rows) on a picture of
// `width` x `height`; none when they give none, or columns and rows that leave less than a pixel
// a cell.
std::optional<GridSpec> givenGrid(const SpriteSettings& settings, int width, int height);

// Cuts the sprites of `mask`, which a search empties. With a grid and `strays`, the search's
// regions that lie in no single cell follow the cells as sprites of their own (row 0, numbered
// across as columns), and their pixels count for no cell. Throws GridMisfit or NoGridFound.
Sprites findSprites(ForegroundMask& mask, const SpriteSettings& settings);

} // namespace iconfinder
