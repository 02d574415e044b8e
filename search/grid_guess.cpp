#include "grid_guess.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace iconfinder {
namespace {

struct Span {
    std::int64_t first;
    std::int64_t last;
};

// One side of a grid: where the first cell starts, its size and the gap after it.
struct Side {
    int offset = 0;
    int cell = 0;
    int spacing = 0;
};

// The projections of the regions onto one side, overlapping ones joined, in order.
std::vector<Span> bandsOf(std::vector<Span> spans)
{
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
    std::vector<Span> bands;
    for (const Span& span : spans) {
        if (!bands.empty() && span.first <= bands.back().last)
            bands.back().last = std::max(bands.back().last, span.last);
        else
            bands.push_back(span);
    }
    return bands;
}

// Whether cells at pitch p can hold band j in cell j: the first cell edge after band 0,
// t, must satisfy t + (j - 1) p <= first_j and t + j p > last_j for every j.
bool pitchFits(const std::vector<Span>& bands, std::int64_t p)
{
    std::int64_t low = std::numeric_limits<std::int64_t>::min(), high = std::numeric_limits<std::int64_t>::max();
    for (std::size_t j = 0; j < bands.size(); ++j) {
        const auto k = static_cast<std::int64_t>(j);
        low = std::max(low, bands[j].last + 1 - k * p);
        high = std::min(high, bands[j].first - (k - 1) * p);
        if (low > high)
            return false;
    }
    return true;
}

// The grid from the first pixel to the last at pitch p, if it holds each band in a cell of its own.
std::optional<Side> filling(const std::vector<Span>& bands, std::int64_t extent, std::int64_t p)
{
    const std::int64_t columns = (extent + p - 1) / p;
    const std::int64_t spacing = columns * p - extent;
    const std::int64_t cell = p - spacing;
    std::int64_t previous = -1;
    for (const Span& band : bands) {
        const std::int64_t k = band.first / p;
        if (k <= previous || band.last > k * p + cell - 1)
            return std::nullopt;
        previous = k;
    }
    return Side{0, static_cast<int>(cell), static_cast<int>(spacing)};
}

// The tightest cells at pitch p holding band j in cell j, if they lie apart and inside.
std::optional<Side> tightest(const std::vector<Span>& bands, std::int64_t extent, std::int64_t p)
{
    std::int64_t start = std::numeric_limits<std::int64_t>::max(), end = std::numeric_limits<std::int64_t>::min();
    for (std::size_t j = 0; j < bands.size(); ++j) {
        start = std::min(start, bands[j].first - static_cast<std::int64_t>(j) * p);
        end = std::max(end, bands[j].last - static_cast<std::int64_t>(j) * p);
    }
    const std::int64_t cell = end - start + 1;
    const std::int64_t lastCellEnd = start + static_cast<std::int64_t>(bands.size() - 1) * p + cell - 1;
    if (start < 0 || cell > p || lastCellEnd >= extent)
        return std::nullopt;
    return Side{static_cast<int>(start), static_cast<int>(cell), static_cast<int>(p - cell)};
}

std::optional<Side> guessSide(std::vector<Span> spans, int extent)
{
    const std::vector<Span> bands = bandsOf(std::move(spans));
    if (bands.empty())
        return Side{0, extent, 0};
    std::int64_t widest = 0;
    for (const Span& band : bands)
        widest = std::max(widest, band.last - band.first + 1);

    std::optional<Side> filled, tight;
    std::int64_t filledCells = 0;
    for (std::int64_t p = widest; p <= extent; ++p) {
        if (!pitchFits(bands, p))
            continue;
        if (const std::optional<Side> side = filling(bands, extent, p)) {
            const std::int64_t cells = (extent + p - 1) / p;
            if (!filled || cells < filledCells || (cells == filledCells && side->spacing < filled->spacing)) {
                filled = side;
                filledCells = cells;
            }
        }
        if (const std::optional<Side> side = tightest(bands, extent, p); side && (!tight || side->cell < tight->cell))
            tight = side;
    }
    return filled ? filled : tight;
}

} // namespace

std::optional<GridSpec> guessGrid(std::span<const RegionBox> regions, int width, int height)
{
    std::vector<Span> across, down;
    for (const RegionBox& box : regions) {
        across.push_back({box.minX, box.maxX});
        down.push_back({box.minY, box.maxY});
    }
    const std::optional<Side> x = guessSide(std::move(across), width);
    const std::optional<Side> y = guessSide(std::move(down), height);
    if (!x || !y)
        return std::nullopt;
    // Regions whose projections overlap both ways share a cell; such a grid separates nothing.
    const GridSpec grid{x->cell, y->cell, x->offset, y->offset, x->spacing, y->spacing};
    std::vector<std::pair<int, int>> cells;
    for (const RegionBox& box : regions)
        cells.emplace_back((box.minY - grid.y) / (grid.cellHeight + grid.spacingY), (box.minX - grid.x) / (grid.cellWidth + grid.spacingX));
    std::sort(cells.begin(), cells.end());
    if (std::adjacent_find(cells.begin(), cells.end()) != cells.end())
        return std::nullopt;
    return grid;
}

} // namespace iconfinder
