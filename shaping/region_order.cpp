#include "shaping/region_order.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <cstdint>
#include <numeric>

namespace iconfinder {
namespace {

// The box seen with x and y exchanged, so that columns are ordered as rows.
RegionBox transposed(const RegionBox& b) { return {b.minY, b.minX, b.maxY, b.maxX}; }

// A row being formed: its boxes, and how far its centres and bottoms reach (doubled).
struct Row {
    std::vector<std::size_t> members;
    std::int64_t firstCentre = 0;
    std::int64_t lowest = 0;
};

// Rows of the boxes given, taken by their centres: a box joins the current row when its centre
// is not below the row's lowest bottom.
std::vector<Row> rowsOf(const std::vector<std::size_t>& byCentre, const std::function<std::int64_t(std::size_t)>& centre,
                        const std::function<RegionBox(std::size_t)>& view)
{
    std::vector<Row> rows;
    for (const std::size_t i : byCentre) {
        if (rows.empty() || centre(i) > rows.back().lowest)
            rows.push_back({{}, centre(i), 2 * std::int64_t{view(i).maxY}});
        rows.back().members.push_back(i);
        rows.back().lowest = std::max(rows.back().lowest, 2 * std::int64_t{view(i).maxY});
    }
    return rows;
}

// The row nearest a centre: the one it lies in, else the closest, the upper one of two.
std::size_t nearestRow(const std::vector<Row>& rows, std::int64_t centre)
{
    const auto after = std::upper_bound(rows.begin(), rows.end(), centre, [](std::int64_t c, const Row& row) { return c < row.firstCentre; });
    if (after == rows.begin())
        return 0;
    const std::size_t above = static_cast<std::size_t>(after - rows.begin()) - 1;
    if (after == rows.end() || centre <= rows[above].lowest || centre - rows[above].lowest <= after->firstCentre - centre)
        return above;
    return above + 1;
}

// Orders boxes into rows (columns: the boxes seen with x and y exchanged). Boxes more than half
// as tall again as the median one (a glyph merged across lines, a long bracket) take no part in
// forming the rows, so that they cannot chain rows together; each then joins the nearest row.
std::vector<PlacedRegion> orderInRows(std::span<const RegionBox> boxes, bool columns)
{
    const std::function<RegionBox(std::size_t)> view = [&](std::size_t i) { return columns ? transposed(boxes[i]) : boxes[i]; };
    const std::function<std::int64_t(std::size_t)> centre = [&](std::size_t i) { return std::int64_t{view(i).minY} + view(i).maxY; };
    std::vector<std::size_t> byCentre(boxes.size());
    std::iota(byCentre.begin(), byCentre.end(), std::size_t{0});
    std::stable_sort(byCentre.begin(), byCentre.end(), [&](std::size_t a, std::size_t b) {
        return centre(a) != centre(b) ? centre(a) < centre(b) : view(a).minX < view(b).minX;
    });
    std::vector<int> heights;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        heights.push_back(view(i).height());
    std::nth_element(heights.begin(), heights.begin() + static_cast<std::ptrdiff_t>(heights.size() / 2), heights.end());
    const std::int64_t usual = heights.empty() ? 0 : heights[heights.size() / 2];
    const auto tall = [&](std::size_t i) { return 2 * std::int64_t{view(i).height()} > 3 * usual; };
    std::vector<std::size_t> usualOnes;
    std::copy_if(byCentre.begin(), byCentre.end(), std::back_inserter(usualOnes), [&](std::size_t i) { return !tall(i); });
    std::vector<Row> rows = rowsOf(usualOnes, centre, view);
    for (const std::size_t i : byCentre)
        if (tall(i))
            rows[nearestRow(rows, centre(i))].members.push_back(i);

    std::vector<PlacedRegion> placed;
    placed.reserve(boxes.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<std::size_t>& members = rows[r].members;
        std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
            const RegionBox p = view(a), q = view(b);
            return p.minX != q.minX ? p.minX < q.minX : p.minY != q.minY ? p.minY < q.minY : a < b;
        });
        for (std::size_t k = 0; k < members.size(); ++k) {
            const int line = static_cast<int>(r) + 1, place = static_cast<int>(k) + 1;
            placed.push_back({boxes[members[k]], columns ? place : line, columns ? line : place, members[k]});
        }
    }
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
