#include "slice/sprite_search.h"

#include "grid/grid_guess.h"
#include "regions/icon_search.h"

#include <string>

namespace iconfinder {
namespace {

std::string gridText(const GridSpec& grid)
{
    return "cells of " + std::to_string(grid.cellWidth) + "x" + std::to_string(grid.cellHeight) + " from " + std::to_string(grid.x) +
           "," + std::to_string(grid.y);
}

} // namespace

Sprites findSprites(ForegroundMask& mask, const SpriteSettings& settings)
{
    Sprites sprites;
    const int width = mask.width(), height = mask.height();
    std::optional<GridSpec> grid = settings.grid;
    if (grid && settings.gridCount) {
        grid = gridOfCount(*settings.gridCount, *settings.grid, width, height);
        if (!grid)
            throw GridMisfit(std::to_string(settings.gridCount->columns) + " x " + std::to_string(settings.gridCount->rows) + " cells from " +
                             std::to_string(settings.grid->x) + "," + std::to_string(settings.grid->y) +
                             " leave less than a pixel a cell in the picture (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    }
    if (!grid) {
        const bool owned = settings.isolate && !settings.guessGrid;
        // The search empties the mask; a guessed grid's cells are looked for in a copy.
        std::optional<ForegroundMask> cells;
        if (settings.guessGrid)
            cells = mask.copy();
        if (owned)
            sprites.owners.emplace(width, height);
        const std::vector<RegionBox> found = owned ? extractOwnedRegions(mask, *sprites.owners) : extractRegions(mask);
        ShapedRegions shaped = shapeRegions(found, settings.shaping);
        if (!settings.guessGrid) {
            if (owned)
                sprites.owners->relabel(shaped.labelOf);
            sprites.placed = std::move(shaped.regions);
            return sprites;
        }
        grid = guessGrid(boxesOf(shaped.regions), width, height);
        if (!grid)
            throw NoGridFound("no uniform grid explains the regions");
        mask = std::move(*cells);
    }
    sprites.grid = layOutGrid(*grid, width, height);
    if (sprites.grid->columns == 0 || sprites.grid->rows == 0)
        throw GridMisfit(gridText(*grid) + " leave no whole cell in the picture (" + std::to_string(width) + " x " +
                         std::to_string(height) + ")");
    sprites.placed = gridRegions(mask, *sprites.grid, settings.trim, settings.keepEmpty);
    std::erase_if(sprites.placed, [&](const PlacedRegion& region) {
        return region.box.width() < settings.shaping.minWidth || region.box.height() < settings.shaping.minHeight;
    });
    return sprites;
}

} // namespace iconfinder
