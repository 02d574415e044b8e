// Grid cells against a plain scan of the pixels, and the guessed grid against the grids that
// made random sheets.
#include "mask/foreground_mask.h"
#include "grid/grid_cells.h"
#include "grid/grid_guess.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace iconfinder;

namespace {

ForegroundMask randomMask(pictures::Random& random, int width, int height)
{
    ForegroundMask mask(width, height);
    const int percent = random.between(0, 6) * random.between(0, 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (random.chance(percent))
                mask.setForeground(x, y);
    return mask;
}

// Cells taken row by row while they fit, each scanned pixel by pixel.
std::vector<PlacedRegion> cellsPlainly(const ForegroundMask& mask, const GridSpec& grid, bool trim, bool keepEmpty)
{
    std::vector<PlacedRegion> regions;
    for (int row = 0, top = grid.y; top + grid.cellHeight <= mask.height(); ++row, top += grid.cellHeight + grid.spacingY) {
        for (int column = 0, left = grid.x; left + grid.cellWidth <= mask.width(); ++column, left += grid.cellWidth + grid.spacingX) {
            const RegionBox cell{left, top, left + grid.cellWidth - 1, top + grid.cellHeight - 1};
            std::optional<RegionBox> drawn;
            for (int y = cell.minY; y <= cell.maxY; ++y)
                for (int x = cell.minX; x <= cell.maxX; ++x)
                    if (mask.foreground(x, y))
                        drawn = drawn ? RegionBox{std::min(drawn->minX, x), drawn->minY, std::max(drawn->maxX, x), y} : RegionBox{x, y, x, y};
            if (drawn || keepEmpty)
                regions.push_back({trim && drawn ? *drawn : cell, row + 1, column + 1, regions.size()});
        }
    }
    return regions;
}

TEST(GridCells, MatchAPlainScan)
{
    pictures::Random random(808);
    for (int i = 0; i < 2000; ++i) {
        const int width = random.between(1, 200), height = random.between(1, 90);
        const ForegroundMask mask = randomMask(random, width, height);
        const GridSpec grid{random.between(1, 40), random.between(1, 30), random.below(12), random.below(12), random.below(6), random.below(6)};
        const GridLayout layout = layOutGrid(grid, width, height);
        for (const bool trim : {false, true})
            for (const bool keepEmpty : {false, true})
                ASSERT_EQ(gridRegions(mask, layout, trim, keepEmpty), cellsPlainly(mask, grid, trim, keepEmpty))
                    << "picture " << i << (trim ? ", trimmed" : "") << (keepEmpty ? ", empty cells kept" : "");
    }
}

// A sheet drawn on a grid: a sprite in most cells, every row and column holding one.
struct Sheet {
    GridSpec grid;
    int columns, rows, width, height;
    std::vector<RegionBox> sprites;
    std::vector<std::pair<int, int>> cells; // each sprite's column and row
};

Sheet randomSheet(pictures::Random& random, bool fills)
{
    Sheet sheet;
    GridSpec& g = sheet.grid;
    g = {random.between(3, 40), random.between(3, 40), fills ? 0 : random.below(25), fills ? 0 : random.below(25), random.below(6), random.below(6)};
    sheet.columns = random.between(1, 9);
    sheet.rows = random.between(1, 7);
    sheet.width = g.x + sheet.columns * (g.cellWidth + g.spacingX) - g.spacingX + (fills ? 0 : random.below(30));
    sheet.height = g.y + sheet.rows * (g.cellHeight + g.spacingY) - g.spacingY + (fills ? 0 : random.below(30));
    for (int row = 0; row < sheet.rows; ++row) {
        for (int column = 0; column < sheet.columns; ++column) {
            if (column != row % sheet.columns && row != column % sheet.rows && random.chance(30))
                continue;
            // Sprites fill more than half their cell, as on real sheets; smaller ones leave the
            // grid open to finer explanations.
            const int w = random.between(g.cellWidth / 2 + 1, g.cellWidth), h = random.between(g.cellHeight / 2 + 1, g.cellHeight);
            const int x = g.x + column * (g.cellWidth + g.spacingX) + random.below(g.cellWidth - w + 1);
            const int y = g.y + row * (g.cellHeight + g.spacingY) + random.below(g.cellHeight - h + 1);
            sheet.sprites.push_back({x, y, x + w - 1, y + h - 1});
            sheet.cells.emplace_back(column, row);
        }
    }
    return sheet;
}

TEST(GridGuess, FindsTheGridThatMadeTheSheet)
{
    pictures::Random random(1207);
    for (int i = 0; i < 3000; ++i) {
        const bool fills = i % 2 == 0;
        const Sheet sheet = randomSheet(random, fills);
        const std::string what = "sheet " + std::to_string(i) + (fills ? ", filled" : "");
        const std::optional<GridSpec> guess = guessGrid(sheet.sprites, sheet.width, sheet.height);
        ASSERT_TRUE(guess) << what;
        const GridLayout layout = layOutGrid(*guess, sheet.width, sheet.height);
        if (fills) {
            ASSERT_EQ(std::pair(guess->x, guess->y), std::pair(0, 0)) << what;
            ASSERT_EQ(std::pair(layout.columns, layout.rows), std::pair(sheet.columns, sheet.rows)) << what;
            ASSERT_EQ(layout.cell(layout.columns - 1, layout.rows - 1).maxX, sheet.width - 1) << what << ": the last cell ends on the edge";
            ASSERT_EQ(layout.cell(layout.columns - 1, layout.rows - 1).maxY, sheet.height - 1) << what;
        }
        // Every sprite within a cell of the picture, the cells as the sheet's, maybe shifted.
        std::optional<std::pair<int, int>> shift;
        for (std::size_t s = 0; s < sheet.sprites.size(); ++s) {
            const RegionBox box = sheet.sprites[s];
            const int column = (box.minX - guess->x) / (guess->cellWidth + guess->spacingX);
            const int row = (box.minY - guess->y) / (guess->cellHeight + guess->spacingY);
            ASSERT_TRUE(box.minX >= guess->x && box.minY >= guess->y && column < layout.columns && row < layout.rows) << what;
            const RegionBox cell = layout.cell(column, row);
            ASSERT_TRUE(box.minX >= cell.minX && box.maxX <= cell.maxX && box.minY >= cell.minY && box.maxY <= cell.maxY)
                << what << ", sprite " << s;
            const std::pair<int, int> offset{column - sheet.cells[s].first, row - sheet.cells[s].second};
            ASSERT_EQ(offset, shift.value_or(offset)) << what << ", sprite " << s;
            shift = offset;
        }
    }
}

TEST(GridGuess, RefusesSheetsWithoutAGrid)
{
    // Columns 2 pixels apart, then one far off: no pitch holds them one to a cell.
    const std::vector<RegionBox> uneven = {{0, 0, 19, 9}, {22, 0, 41, 9}, {44, 0, 63, 9}, {100, 0, 119, 9}, {122, 0, 141, 9}, {300, 0, 319, 9}};
    EXPECT_FALSE(guessGrid(uneven, 320, 10));
    // Sprites scattered so that they overlap both ways: one cell would hold them all.
    const std::vector<RegionBox> scattered = {{0, 0, 30, 30}, {20, 25, 60, 50}, {50, 45, 90, 90}};
    EXPECT_FALSE(guessGrid(scattered, 100, 100));
    EXPECT_EQ(guessGrid(std::vector<RegionBox>{{3, 4, 8, 9}}, 12, 14), (GridSpec{12, 14, 0, 0, 0, 0})) << "one sprite, one cell";
}

} // namespace
