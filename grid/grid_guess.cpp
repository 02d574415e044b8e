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

// How many lines of cells the bands span when cells at pitch p have an edge at `edge`.
std::int64_t linesSpanned(const std::vector<Span>& bands, std::int64_t p, std::int64_t edge)
{
    return (bands.back().first - edge + p) / p - (bands.front().first - edge + p) / p + 1;
}

// Where the tightest cells at pitch p begin and how wide they are, holding each band where
// cells with their first edge at `edge` put it.
Span tightestCells(const std::vector<Span>& bands, std::int64_t p, std::int64_t edge)
{
    const auto lineOf = [&](const Span& band) { return (band.first - edge + p) / p; }; // from 0 for an edge before band 0
    const std::int64_t firstLine = lineOf(bands.front());
    std::int64_t start = std::numeric_limits<std::int64_t>::max(), end = std::numeric_limits<std::int64_t>::min();
    for (const Span& band : bands) {
        const std::int64_t shift = (lineOf(band) - firstLine) * p;
        start = std::min(start, band.first - shift);
        end = std::max(end, band.last - shift);
    }
    return {start, end - start + 1};
}

// The tightest cells at pitch p, if they lie inside the picture.
std::optional<Side> tightest(const std::vector<Span>& bands, std::int64_t extent, std::int64_t p, std::int64_t edge)
{
    const auto [start, cell] = tightestCells(bands, p, edge);
    const std::int64_t lastCellEnd = start + (linesSpanned(bands, p, edge) - 1) * p + cell - 1;
    if (start < 0 || lastCellEnd >= extent)
        return std::nullopt;
    return Side{static_cast<int>(start), static_cast<int>(cell), static_cast<int>(p - cell)};
}

// Of the grids filling the picture whose cells hold every band, with bands in the first and
// the last of its `lines` lines and no line empty between two bands: the one with the widest
// gutters.
std::optional<Side> filling(const std::vector<Span>& bands, std::int64_t extent, std::int64_t finest, std::int64_t lines)
{
    std::optional<Side> best;
    for (std::int64_t p = finest; p <= extent && (extent + p - 1) / p >= lines; ++p) {
        if ((extent + p - 1) / p != lines || bands.front().first >= p || bands.back().first / p != lines - 1 || firstFreeEdge(bands, p) != 0)
            continue;
        const std::int64_t spacing = lines * p - extent;
        const std::int64_t cell = p - spacing;
        if (std::all_of(bands.begin(), bands.end(), [&](const Span& band) { return band.last <= band.first / p * p + cell - 1; }))
            best = Side{0, static_cast<int>(cell), static_cast<int>(spacing)};
    }
    return best;
}

// The pitch that fits with as many lines of cells as the finest one and aligns the bands
// best (the tightest cells, then the finer), with its first free edge.
std::pair<std::int64_t, std::int64_t> bestAligned(const std::vector<Span>& bands, std::int64_t extent, std::int64_t finest,
                                                  std::int64_t edge, std::int64_t lines)
{
    std::pair<std::int64_t, std::int64_t> best{finest, edge};
    std::int64_t bestCell = tightestCells(bands, finest, edge).last;
    for (std::int64_t p = finest + 1; p <= extent && (extent + p - 1) / p >= lines; ++p) {
        const std::optional<std::int64_t> free = firstFreeEdge(bands, p);
        if (!free || linesSpanned(bands, p, *free) != lines)
            continue;
        const std::int64_t cell = tightestCells(bands, p, *free).last;
        if (cell < bestCell) {
            best = {p, *free};
            bestCell = cell;
        }
    }
    return best;
}

// At the finest pitch that fits, or one spanning as many lines of cells: the grid that fills
// the picture; else, at the pitch that aligns the bands best, cells of the whole pitch from
// the picture's corner or the tightest cells. A pitch fits when no cell edge cuts a band and
// no line of cells between two bands is empty.
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
    if (const std::optional<Side> filled = filling(bands, extent, finest, lines))
        return filled;
    const auto [p, free] = bestAligned(bands, extent, finest, *edge, lines);
    if (free == 0 && bands.back().last < extent / p * p)
        return Side{0, static_cast<int>(p), 0};
    return tightest(bands, extent, p, free);
}

// Whether a grid explains the regions: between the first and the last line of cells holding a
// region each way, two cells or more, no more of them empty than holding a region.
bool explains(const GridSpec& grid, std::span<const RegionBox> regions)
{
    std::vector<std::pair<int, int>> filled;
    filled.reserve(regions.size());
    for (const RegionBox& box : regions)
        filled.emplace_back((box.minY - grid.y) / (grid.cellHeight + grid.spacingY), (box.minX - grid.x) / (grid.cellWidth + grid.spacingX));
    std::sort(filled.begin(), filled.end());
    filled.erase(std::unique(filled.begin(), filled.end()), filled.end());
    if (filled.empty())
        return false;
    const auto [left, right] = std::minmax_element(filled.begin(), filled.end(), [](auto& a, auto& b) { return a.second < b.second; });
    const std::int64_t cells = static_cast<std::int64_t>(filled.back().first - filled.front().first + 1) * (right->second - left->second + 1);
    const auto held = static_cast<std::int64_t>(filled.size());
    return cells >= 2 && cells - held <= held;
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
    const GridSpec grid{x->cell, y->cell, x->offset, y->offset, x->spacing, y->spacing};
    return explains(grid, regions) ? std::optional(grid) : std::nullopt;
}

} // namespace iconfinder
