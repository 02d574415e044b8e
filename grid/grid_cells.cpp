#include "grid/grid_cells.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace iconfinder {
namespace {

// The cells along one side: how many fit wholly between `offset` and `extent`.
int cellsAlong(int extent, int offset, int cell, int spacing)
{
    const std::int64_t room = std::int64_t{extent} - offset - cell;
    return room < 0 ? 0 : static_cast<int>(room / (std::int64_t{cell} + spacing) + 1);
}

} // namespace

RegionBox GridLayout::cell(int column, int row) const
{
    const int left = spec.x + column * (spec.cellWidth + spec.spacingX);
    const int top = spec.y + row * (spec.cellHeight + spec.spacingY);
    return {left, top, left + spec.cellWidth - 1, top + spec.cellHeight - 1};
}

GridLayout layOutGrid(const GridSpec& spec, int width, int height)
{
    return {spec, cellsAlong(width, spec.x, spec.cellWidth, spec.spacingX), cellsAlong(height, spec.y, spec.cellHeight, spec.spacingY)};
}

std::optional<GridSpec> gridOfCount(GridCount count, GridSpec placement, int width, int height)
{
    const auto cellOf = [](int extent, int offset, int cells, int spacing) {
        return (std::int64_t{extent} - offset - (std::int64_t{cells} - 1) * spacing) / cells;
    };
    const std::int64_t cellWidth = cellOf(width, placement.x, count.columns, placement.spacingX);
    const std::int64_t cellHeight = cellOf(height, placement.y, count.rows, placement.spacingY);
    if (cellWidth < 1 || cellHeight < 1)
        return std::nullopt;
    placement.cellWidth = static_cast<int>(cellWidth);
    placement.cellHeight = static_cast<int>(cellHeight);
    return placement;
}

std::optional<RegionBox> foregroundBox(const ForegroundMask& mask, const RegionBox& area)
{
    const int firstWord = area.minX >> 6, lastWord = area.maxX >> 6;
    const auto wordBits = [&](int word) {
        std::uint64_t bits = ~std::uint64_t{0};
        if (word == firstWord)
            bits &= ~std::uint64_t{0} << (area.minX & 63);
        if (word == lastWord)
            bits &= ~std::uint64_t{0} >> (63 - (area.maxX & 63));
        return bits;
    };
    // Per word, every column of the area that holds foreground in some row.
    std::vector<std::uint64_t> columns(static_cast<std::size_t>(lastWord - firstWord + 1), 0);
    int top = -1, bottom = -1;
    for (int y = area.minY; y <= area.maxY; ++y) {
        const std::uint64_t* row = mask.row(y);
        std::uint64_t any = 0;
        for (int word = firstWord; word <= lastWord; ++word) {
            const std::uint64_t bits = row[word] & wordBits(word);
            columns[static_cast<std::size_t>(word - firstWord)] |= bits;
            any |= bits;
        }
        if (any) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    if (top < 0)
        return std::nullopt;
    const auto first = std::find_if(columns.begin(), columns.end(), [](std::uint64_t w) { return w != 0; });
    const auto last = std::find_if(columns.rbegin(), columns.rend(), [](std::uint64_t w) { return w != 0; });
    const int left = (firstWord + static_cast<int>(first - columns.begin())) * 64 + std::countr_zero(*first);
    const int right = (firstWord + static_cast<int>(columns.rend() - last) - 1) * 64 + 63 - std::countl_zero(*last);
    return RegionBox{left, top, right, bottom};
}

std::vector<PlacedRegion> gridRegions(const ForegroundMask& mask, const GridLayout& grid, bool trim, bool keepEmpty)
{
    std::vector<PlacedRegion> regions;
    for (int row = 0; row < grid.rows; ++row) {
        for (int column = 0; column < grid.columns; ++column) {
            const RegionBox cell = grid.cell(column, row);
            const std::optional<RegionBox> drawn = foregroundBox(mask, cell);
            if (drawn || keepEmpty)
                regions.push_back({trim && drawn ? *drawn : cell, row + 1, column + 1, regions.size()});
        }
    }
    return regions;
}

} // namespace iconfinder
