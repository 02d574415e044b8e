// Grid cells against a plain scan of the pixels, and the guessed grid against the grids that
// made random sheets.
#include "mask/foreground_mask.h"
#include "grid/grid_cells.h"
#include "grid/grid_guess.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// A sheet drawn on a grid: a sprite in most cells, every row and column holding one, two
// cells or more. Some sprites come in pieces: a crosshair's bars across and down its box and
// specks around them, each a region of its own. (Pieces that leave a gap in both projections
// could as well be the sprites of a finer grid.)
struct Sheet {
    GridSpec grid;
    int columns, rows, width, height;
    std::vector<RegionBox> pieces;
    std::vector<std::pair<int, int>> cells; // each piece's column and row
};

void addSprite(pictures::Random& random, Sheet& sheet, const RegionBox& box, std::pair<int, int> cell)
{
    const auto piece = [&](int left, int top, int right, int bottom) {
        sheet.pieces.push_back({left, top, right, bottom});
        sheet.cells.push_back(cell);
    };
    if (random.chance(40)) {
        piece(box.minX, box.minY, box.maxX, box.maxY);
        return;
    }
    const int across = random.between(box.minY, box.maxY), down = random.between(box.minX, box.maxX);
    piece(box.minX, across, box.maxX, across);
    piece(down, box.minY, down, box.maxY);
    for (int k = random.below(4); k > 0; --k) {
        const int x = random.between(box.minX, box.maxX), y = random.between(box.minY, box.maxY);
        piece(x, y, x, y);
    }
}

Sheet randomSheet(pictures::Random& random, bool fills)
{
    Sheet sheet;
    GridSpec& g = sheet.grid;
    g = {random.between(3, 40), random.between(3, 40), fills ? 0 : random.below(25), fills ? 0 : random.below(25), random.below(6), random.below(6)};
    sheet.columns = random.between(1, 9);
    sheet.rows = random.between(sheet.columns == 1 ? 2 : 1, 7);
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
            addSprite(random, sheet, {x, y, x + w - 1, y + h - 1}, {column, row});
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
        std::vector<std::pair<int, int>> filled = sheet.cells;
        std::sort(filled.begin(), filled.end());
        if (2 * (std::unique(filled.begin(), filled.end()) - filled.begin()) < sheet.columns * sheet.rows)
            continue; // more cells empty than not: a sheet no grid explains
        const std::optional<GridSpec> guess = guessGrid(sheet.pieces, sheet.width, sheet.height);
        ASSERT_TRUE(guess) << what;
        const GridLayout layout = layOutGrid(*guess, sheet.width, sheet.height);
        if (fills) {
            ASSERT_EQ(std::pair(guess->x, guess->y), std::pair(0, 0)) << what;
            ASSERT_EQ(std::pair(layout.columns, layout.rows), std::pair(sheet.columns, sheet.rows)) << what;
            ASSERT_EQ(layout.cell(layout.columns - 1, layout.rows - 1).maxX, sheet.width - 1) << what << ": the last cell ends on the edge";
            ASSERT_EQ(layout.cell(layout.columns - 1, layout.rows - 1).maxY, sheet.height - 1) << what;
        }
        // Every piece within a cell of the picture, the cells as the sheet's, maybe shifted.
        std::optional<std::pair<int, int>> shift;
        for (std::size_t s = 0; s < sheet.pieces.size(); ++s) {
            const RegionBox box = sheet.pieces[s];
            const int column = (box.minX - guess->x) / (guess->cellWidth + guess->spacingX);
            const int row = (box.minY - guess->y) / (guess->cellHeight + guess->spacingY);
            ASSERT_TRUE(box.minX >= guess->x && box.minY >= guess->y && column < layout.columns && row < layout.rows) << what;
            const RegionBox cell = layout.cell(column, row);
            ASSERT_TRUE(box.minX >= cell.minX && box.maxX <= cell.maxX && box.minY >= cell.minY && box.maxY <= cell.maxY)
                << what << ", piece " << s;
            const std::pair<int, int> offset{column - sheet.cells[s].first, row - sheet.cells[s].second};
            ASSERT_EQ(offset, shift.value_or(offset)) << what << ", piece " << s;
            shift = offset;
        }
    }
}

TEST(GridGuess, RefusesGridsThatExplainNothing)
{
    // Sprites on a diagonal: of the nine cells between them, six would be empty.
    const std::vector<RegionBox> diagonal = {{0, 0, 9, 9}, {12, 12, 21, 21}, {24, 24, 33, 33}};
    EXPECT_FALSE(guessGrid(diagonal, 34, 34));
    EXPECT_TRUE(guessGrid(std::span(diagonal).first(2), 22, 22)) << "two of four cells";
    // Sprites scattered so that they overlap both ways, or one alone: one cell would hold them.
    const std::vector<RegionBox> scattered = {{0, 0, 30, 30}, {20, 25, 60, 50}, {50, 45, 90, 90}};
    EXPECT_FALSE(guessGrid(scattered, 100, 100));
    EXPECT_FALSE(guessGrid(std::vector<RegionBox>{{3, 4, 8, 9}}, 12, 14));
}

TEST(GridGuess, IconsCentredInCellsOfAPaddedPageAndAFilledSheetsGutters)
{
    // 50 x 50 cells from the corner of a 1024 x 512 page, an icon of 20 to 30 pixels centred in
    // most of them, the rest of the page empty.
    pictures::Random random(50);
    std::vector<RegionBox> icons;
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 20; ++column)
            if (random.chance(80) || row == column % 10) {
                const int half = random.between(10, 15);
                icons.push_back({column * 50 + 25 - half, row * 50 + 25 - half, column * 50 + 24 + half, row * 50 + 24 + half});
            }
    EXPECT_EQ(guessGrid(icons, 1024, 512), (GridSpec{50, 50, 0, 0, 0, 0}));
    // 12 x 6 cells of 14 pixels, 4 apart, filling the sheet; sprites of 5 to 14 pixels anywhere
    // in them. Cells 17 wide with no gutter would hold them too, drifting a pixel a column.
    std::vector<RegionBox> sprites;
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 12; ++column) {
            const int w = random.between(5, 14), h = random.between(5, 14);
            const int x = column * 18 + random.below(15 - w), y = row * 18 + random.below(15 - h);
            sprites.push_back({x, y, x + w - 1, y + h - 1});
        }
    EXPECT_EQ(guessGrid(sprites, 12 * 18 - 4, 6 * 18 - 4), (GridSpec{14, 14, 0, 0, 4, 4})) << "the gutters of a filled sheet kept";
}

TEST(GridCells, CountedCellsAreAsLargeAsThePictureHolds)
{
    EXPECT_EQ(gridOfCount({4, 2}, {1, 1, 0, 0, 2, 2}, 4 * 18 - 2, 2 * 14 - 2), (GridSpec{16, 12, 0, 0, 2, 2}));
    EXPECT_EQ(gridOfCount({4, 2}, {1, 1, 3, 1, 2, 0}, 4 * 18 + 4, 27), (GridSpec{16, 13, 3, 1, 2, 0})) << "the rest left over";
    EXPECT_FALSE(gridOfCount({40, 1}, {1, 1, 0, 0, 1, 0}, 77, 34)) << "cells of less than a pixel";
}

} // namespace
