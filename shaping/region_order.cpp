#include "shaping/region_order.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace iconfinder {
namespace {

// The box seen with x and y exchanged, so that columns are ordered as rows.
RegionBox transposed(const RegionBox& b) { return {b.minY, b.minX, b.maxY, b.maxX}; }

// Orders boxes into rows; `line` and `place` receive the row and the place in it.
std::vector<PlacedRegion> orderInRows(std::span<const RegionBox> boxes, bool columns)
{
    const auto view = [&](std::size_t i) { return columns ? transposed(boxes[i]) : boxes[i]; };
    std::vector<std::size_t> byCentre(boxes.size());
    std::iota(byCentre.begin(), byCentre.end(), std::size_t{0});
    // Centres doubled, to stay whole numbers.
    const auto centre = [&](std::size_t i) { return std::int64_t{view(i).minY} + view(i).maxY; };
    std::stable_sort(byCentre.begin(), byCentre.end(), [&](std::size_t a, std::size_t b) {
        return centre(a) != centre(b) ? centre(a) < centre(b) : view(a).minX < view(b).minX;
    });

    std::vector<PlacedRegion> placed;
    placed.reserve(boxes.size());
    std::size_t rowStart = 0;
    int line = 0;
    int lowest = 0;
    const auto closeRow = [&](std::size_t end) {
        std::stable_sort(byCentre.begin() + static_cast<std::ptrdiff_t>(rowStart), byCentre.begin() + static_cast<std::ptrdiff_t>(end),
                         [&](std::size_t a, std::size_t b) {
                             const RegionBox p = view(a), q = view(b);
                             return p.minX != q.minX ? p.minX < q.minX : p.minY != q.minY ? p.minY < q.minY : a < b;
                         });
        for (std::size_t k = rowStart; k < end; ++k) {
            const int place = static_cast<int>(k - rowStart) + 1;
            placed.push_back({boxes[byCentre[k]], columns ? place : line, columns ? line : place, byCentre[k]});
        }
    };
    for (std::size_t k = 0; k < byCentre.size(); ++k) {
        const RegionBox box = view(byCentre[k]);
        if (k == 0 || centre(byCentre[k]) > 2 * std::int64_t{lowest}) {
            if (k > 0)
                closeRow(k);
            rowStart = k;
            ++line;
            lowest = box.maxY;
        } else {
            lowest = std::max(lowest, box.maxY);
        }
    }
    if (!byCentre.empty())
        closeRow(byCentre.size());
    return placed;
}

} // namespace

std::vector<PlacedRegion> orderRegions(std::span<const RegionBox> boxes, RegionOrder order)
{
    if (order == RegionOrder::Search) {
        std::vector<PlacedRegion> placed;
        placed.reserve(boxes.size());
        for (std::size_t i = 0; i < boxes.size(); ++i)
            placed.push_back({boxes[i], 0, 0, i});
        return placed;
    }
    return orderInRows(boxes, order == RegionOrder::Columns);
}

std::vector<RegionBox> boxesOf(std::span<const PlacedRegion> regions)
{
    std::vector<RegionBox> boxes;
    boxes.reserve(regions.size());
    for (const PlacedRegion& region : regions)
        boxes.push_back(region.box);
    return boxes;
}

} // namespace iconfinder
