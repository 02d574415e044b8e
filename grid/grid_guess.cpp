#include "grid/grid_guess.h"

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

// The first cell edge, modulo p, of cells at pitch p that cut no band and leave no line of
// cells empty between two bands; none when every edge does one or the other. Edges are the
// first pixel of a cell.
std::optional<std::int64_t> firstFreeEdge(const std::vector<Span>& bands, std::int64_t p)
{
    std::vector<Span> forbidden; // residues, both ends inclusive
    const auto forbid = [&](std::int64_t first, std::int64_t last) {
        if (first > last)
            return;
        if (last - first + 1 >= p) {
            forbidden.push_back({0, p - 1});
            return;
        }
        const std::int64_t from = first % p, to = last % p;
        if (from <= to) {
            forbidden.push_back({from, to});
        } else {
            forbidden.push_back({from, p - 1});
            forbidden.push_back({0, to});
        }
    };
    for (std::size_t j = 0; j < bands.size(); ++j) {
        forbid(bands[j].first + 1, bands[j].last); // an edge inside the band cuts it
        if (j + 1 < bands.size()) // two edges in a gap make an empty line: the first may not come p before the next band
            forbid(bands[j].last + 1, bands[j + 1].first - p);
    }
    std::sort(forbidden.begin(), forbidden.end(), [](const Span& a, const Span& b) { return a.first < b.first; });
    std::int64_t free = 0;
    for (const Span& span : forbidden) {
        if (span.first > free)
            break;
        free = std::max(free, span.last + 1);
    }
    return free < p ? std::optional(free) : std::nullopt;
}

// The grid from the first pixel to the last at pitch p, if its cells hold every band.
std::optional<Side> filling(const std::vector<Span>& bands, std::int64_t extent, std::int64_t p)
{
    const std::int64_t columns = (extent + p - 1) / p;
    const std::int64_t spacing = columns * p - extent;
    const std::int64_t cell = p - spacing;
    for (const Span& band : bands)
        if (band.last > band.first / p * p + cell - 1)
            return std::nullopt;
    return Side{0, static_cast<int>(cell), static_cast<int>(spacing)};
}

// The tightest cells at pitch p holding each band where cells with their first edge at `edge`
// put it, if they lie inside the picture.
std::optional<Side> tightest(const std::vector<Span>& bands, std::int64_t extent, std::int64_t p, std::int64_t edge)
{
    const auto cellOf = [&](const Span& band) { return (band.first - edge + p) / p; }; // from 0 for an edge before band 0
    const std::int64_t firstCell = cellOf(bands.front());
    std::int64_t start = std::numeric_limits<std::int64_t>::max(), end = std::numeric_limits<std::int64_t>::min();
    for (const Span& band : bands) {
        const std::int64_t shift = (cellOf(band) - firstCell) * p;
        start = std::min(start, band.first - shift);
        end = std::max(end, band.last - shift);
    }
    const std::int64_t cell = end - start + 1;
    const std::int64_t lastCellEnd = start + (cellOf(bands.back()) - firstCell) * p + cell - 1;
    if (start < 0 || lastCellEnd >= extent)
        return std::nullopt;
    return Side{static_cast<int>(start), static_cast<int>(cell), static_cast<int>(p - cell)};
}

// How many lines of cells the bands span when cells at pitch p have an edge at `edge`.
std::int64_t linesSpanned(const std::vector<Span>& bands, std::int64_t p, std::int64_t edge)
{
    return (bands.back().first - edge + p) / p - (bands.front().first - edge + p) / p + 1;
}

// The finest pitch that fits sets how many lines of cells the bands span. Of the pitches that
// fit with the same lines, the grid filling the picture with the fewest cells, then the least
// spacing, when one holds every band; otherwise the tightest cells at the finest pitch.
std::optional<Side> guessSide(std::vector<Span> spans, int extent)
{
    const std::vector<Span> bands = bandsOf(std::move(spans));
    if (bands.empty())
        return Side{0, extent, 0};
    // A pitch below a band's width cuts it; one at most half a gap leaves an empty line in it.
    std::int64_t finest = 1;
    for (std::size_t j = 0; j < bands.size(); ++j) {
        finest = std::max(finest, bands[j].last - bands[j].first + 1);
        if (j + 1 < bands.size())
            finest = std::max(finest, (bands[j + 1].first - bands[j].last) / 2 + 1);
    }
    std::optional<std::int64_t> edge;
    for (; finest <= extent && !(edge = firstFreeEdge(bands, finest)); ++finest) {
    }
    if (!edge)
        return std::nullopt;
    const std::int64_t lines = linesSpanned(bands, finest, *edge);
    // Bands n lines apart lie at least (n - 2) pitches apart.
    const std::int64_t span = bands.back().first - bands.front().last;
    const std::int64_t coarsest = lines >= 3 ? std::min<std::int64_t>(extent, span / (lines - 2)) : extent;
    std::optional<Side> filled;
    std::int64_t filledCells = 0;
    for (std::int64_t p = finest; p <= coarsest; ++p) {
        // The filling grid's edges lie on multiples of p: the first free one must be 0.
        if (firstFreeEdge(bands, p) != 0 || linesSpanned(bands, p, 0) != lines)
            continue;
        const std::optional<Side> side = filling(bands, extent, p);
        const std::int64_t cells = (extent + p - 1) / p;
        if (side && (!filled || cells < filledCells || (cells == filledCells && side->spacing < filled->spacing))) {
            filled = side;
            filledCells = cells;
        }
    }
    return filled ? filled : tightest(bands, extent, finest, *edge);
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
