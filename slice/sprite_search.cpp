#include "slice/sprite_search.h"

#include "grid/grid_guess.h"
#include "regions/icon_search.h"

#include <algorithm>
#include <string>

namespace iconfinder {
namespace {

std::string gridText(const GridSpec& grid)
{
    return "cells of " + std::to_string(grid.cellWidth) + "x" + std::to_string(grid.cellHeight) + " from " + std::to_string(grid.x) +
           "," + std::to_string(grid.y);
}

bool inOneCell(const RegionBox& box, const GridLayout& grid)
{
    if (box.minX < grid.spec.x || box.minY < grid.spec.y)
        return false;
    const int column = (box.minX - grid.spec.x) / (grid.spec.cellWidth + grid.spec.spacingX);
    const int row = (box.minY - grid.spec.y) / (grid.spec.cellHeight + grid.spec.spacingY);
    if (column >= grid.columns || row >= grid.rows)
        return false;
    const RegionBox cell = grid.cell(column, row);
    return box.maxX <= cell.maxX && box.maxY <= cell.maxY;
}

// The search's regions that lie in no single cell, in the order found, their pixels taken out
// of `mask` so that no cell holds them.
std::vector<RegionBox> takeOutStrays(ForegroundMask& mask, const GridLayout& grid)
{
    ForegroundMask search = mask.copy();
    RegionOwners owners(mask.width(), mask.height());
    const std::vector<RegionBox> found = extractOwnedRegions(search, owners);
    std::vector<bool> stray(found.size());
    std::vector<RegionBox> strays;
    for (std::size_t i = 0; i < found.size(); ++i)
        if ((stray[i] = !inOneCell(found[i], grid)))
            strays.push_back(found[i]);
    if (strays.empty())
        return strays;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (const std::uint32_t label = owners.at(x, y); label != 0 && stray[label - 1])
                mask.row(y)[x >> 6] &= ~(std::uint64_t{1} << (x & 63));
    return strays;
}

} // namespace

std::optional<GridSpec> givenGrid(const SpriteSettings& settings, int width, int height)
{
    if (settings.grid && settings.gridCount)
        return gridOfCount(*settings.gridCount, *settings.grid, width, height);
    return settings.grid;
}

Sprites findSprites(ForegroundMask& mask, const SpriteSettings& settings)
{
    Sprites sprites;
    if (settings.whole) {
        std::optional<RegionBox> all;
        extractRegions(mask, [&](const RegionBox& box) { all = all ? united(*all, box) : box; });
        if (all)
            sprites.placed.push_back({*all, 0, 0, 0});
        return sprites;
    }
    const int width = mask.width(), height = mask.height();
    std::optional<GridSpec> grid = givenGrid(settings, width, height);
    if (!grid && settings.grid) // columns and rows the picture cannot hold
        throw GridMisfit(std::to_string(settings.gridCount->columns) + " x " + std::to_string(settings.gridCount->rows) + " cells from " +
                         std::to_string(settings.grid->x) + "," + std::to_string(settings.grid->y) +
                         " leave less than a pixel a cell in the picture (" + std::to_string(width) + " x " + std::to_string(height) + ")");
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
        if (settings.shaping.mergeAuto)
            sprites.autoMerge = shaped.merged;
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
    const std::vector<RegionBox> strays = settings.strays ? takeOutStrays(mask, *sprites.grid) : std::vector<RegionBox>{};
    sprites.placed = gridRegions(mask, *sprites.grid, settings.trim, settings.keepEmpty);
    for (std::size_t k = 0; k < strays.size(); ++k)
        sprites.placed.push_back({strays[k], 0, static_cast<int>(k) + 1, sprites.placed.size()});
    std::erase_if(sprites.placed, [&](const PlacedRegion& region) {
        return region.box.width() < settings.shaping.minWidth || region.box.height() < settings.shaping.minHeight;
    });
    return sprites;
}

} // namespace iconfinder
