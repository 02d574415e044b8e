#include "region_order.h"

#include <algorithm>
#include <numeric>

namespace iconfinder {
namespace {

// The box seen with x and y exchanged, so that columns are ordered as rows.
RegionBox transposed(const RegionBox& b) { return {b.minY, b.minX, b.maxY, b.maxX}; }

// Orders boxes into rows; `line` and `place` receive the row and the place in it.
std::vector<PlacedRegion> orderInRows(std::span<const RegionBox> boxes, bool columns)
{
    const auto view = [&](std::size_t i) { return columns ? transposed(boxes[i]) : boxes[i]; };
    std::vector<std::size_t> byTop(boxes.size());
    std::iota(byTop.begin(), byTop.end(), std::size_t{0});
    std::stable_sort(byTop.begin(), byTop.end(), [&](std::size_t a, std::size_t b) { return view(a).minY < view(b).minY; });

    std::vector<PlacedRegion> placed;
    placed.reserve(boxes.size());
    std::size_t rowStart = 0;
    int line = 0;
    int lowest = 0;
    const auto closeRow = [&](std::size_t end) {
        std::stable_sort(byTop.begin() + static_cast<std::ptrdiff_t>(rowStart), byTop.begin() + static_cast<std::ptrdiff_t>(end),
                         [&](std::size_t a, std::size_t b) {
                             const RegionBox p = view(a), q = view(b);
                             return p.minX != q.minX ? p.minX < q.minX : p.minY != q.minY ? p.minY < q.minY : a < b;
                         });
        for (std::size_t k = rowStart; k < end; ++k) {
            const int place = static_cast<int>(k - rowStart) + 1;
            placed.push_back({boxes[byTop[k]], columns ? place : line, columns ? line : place});
        }
    };
    for (std::size_t k = 0; k < byTop.size(); ++k) {
        const RegionBox box = view(byTop[k]);
        if (k == 0 || box.minY > lowest) {
            if (k > 0)
                closeRow(k);
            rowStart = k;
            ++line;
            lowest = box.maxY;
        } else {
            lowest = std::max(lowest, box.maxY);
        }
    }
    if (!byTop.empty())
        closeRow(byTop.size());
    return placed;
}

} // namespace

std::vector<PlacedRegion> orderRegions(std::span<const RegionBox> boxes, RegionOrder order)
{
    if (order == RegionOrder::Search) {
        std::vector<PlacedRegion> placed;
        placed.reserve(boxes.size());
        for (const RegionBox& box : boxes)
            placed.push_back({box, 0, 0});
        return placed;
    }
    return orderInRows(boxes, order == RegionOrder::Columns);
}

std::vector<RegionBox> withMinimumSize(std::span<const RegionBox> boxes, int width, int height)
{
    std::vector<RegionBox> kept;
    std::copy_if(boxes.begin(), boxes.end(), std::back_inserter(kept),
                 [&](const RegionBox& box) { return box.width() >= width && box.height() >= height; });
    return kept;
}

} // namespace iconfinder
