#include "shaping/merge_auto.h"

#include "shaping/disjoint_sets.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace iconfinder {
namespace {

constexpr std::size_t kNeighbours = 4;
constexpr int kLargeInCells = 16; // boxes wider or higher than this many cells are met by every box

// The boxes by the square cells of `side` pixels they cover, cell by cell in one array; the
// large ones apart.
class Buckets {
public:
    Buckets(std::span<const RegionBox> boxes, int side) : boxes_(boxes), side_(side)
    {
        for (std::uint32_t i = 0; i < boxes.size(); ++i) {
            across_ = std::max(across_, boxes[i].maxX / side + 1);
            down_ = std::max(down_, boxes[i].maxY / side + 1);
            if (large(i))
                large_.push_back(i);
        }
        std::vector<std::uint32_t> count(static_cast<std::size_t>(across_) * down_ + 1, 0);
        forEachCell([&](std::size_t cell, std::uint32_t) { ++count[cell + 1]; });
        for (std::size_t c = 1; c < count.size(); ++c)
            count[c] += count[c - 1];
        first_ = count;
        members_.resize(count.back());
        forEachCell([&](std::size_t cell, std::uint32_t i) { members_[count[cell]++] = i; });
    }

    bool large(std::uint32_t i) const
    {
        const RegionBox& b = boxes_[i];
        return b.maxX / side_ - b.minX / side_ > kLargeInCells || b.maxY / side_ - b.minY / side_ > kLargeInCells;
    }

    // The gaps from box i to its nearest neighbours into `best` (gap, box, ascending), ring
    // after ring of cells around it until no box further out can be nearer.
    void nearest(std::uint32_t i, std::vector<std::pair<int, std::uint32_t>>& best) const
    {
        best.clear();
        const auto offer = [&](std::uint32_t j) {
            if (j == i || std::any_of(best.begin(), best.end(), [&](const auto& b) { return b.second == j; }))
                return;
            const int gap = gapBetween(boxes_[i], boxes_[j]);
            if (best.size() == kNeighbours && gap >= best.back().first)
                return;
            if (best.size() == kNeighbours)
                best.pop_back();
            best.insert(std::upper_bound(best.begin(), best.end(), std::pair(gap, j)), {gap, j});
        };
        for (const std::uint32_t j : large_)
            offer(j);
        if (large(i)) {
            for (std::uint32_t j = 0; j < boxes_.size(); ++j)
                offer(j);
            return;
        }
        const RegionBox& b = boxes_[i];
        const int x0 = b.minX / side_, x1 = b.maxX / side_, y0 = b.minY / side_, y1 = b.maxY / side_;
        for (int r = 0; r <= std::max(across_, down_); ++r) {
            for (int cy = std::max(0, y0 - r); cy <= std::min(down_ - 1, y1 + r); ++cy)
                for (int cx = std::max(0, x0 - r); cx <= std::min(across_ - 1, x1 + r); ++cx) {
                    if (r > 0 && cy > y0 - r && cy < y1 + r && cx > x0 - r && cx < x1 + r)
                        cx = x1 + r; // inside the last ring: straight to its right edge
                    if (cx >= across_)
                        break;
                    const std::size_t cell = static_cast<std::size_t>(cy) * across_ + cx;
                    for (std::uint32_t k = first_[cell]; k < first_[cell + 1]; ++k)
                        offer(members_[k]);
                }
            // Boxes beyond ring r lie at least r cells away.
            if (best.size() == kNeighbours && best.back().first <= r * side_)
                break;
        }
    }

private:
    template <class Visit>
    void forEachCell(const Visit& visit)
    {
        for (std::uint32_t i = 0; i < boxes_.size(); ++i) {
            if (large(i))
                continue;
            const RegionBox& b = boxes_[i];
            for (int cy = b.minY / side_; cy <= b.maxY / side_; ++cy)
                for (int cx = b.minX / side_; cx <= b.maxX / side_; ++cx)
                    visit(static_cast<std::size_t>(cy) * across_ + cx, i);
        }
    }

    std::span<const RegionBox> boxes_;
    int side_;
    int across_ = 0, down_ = 0;
    std::vector<std::uint32_t> first_;   // where each cell's boxes start in members_
    std::vector<std::uint32_t> members_;
    std::vector<std::uint32_t> large_;
};

// Cells about as large as the usual box, and not many more than there are boxes.
int cellSide(std::span<const RegionBox> boxes)
{
    std::vector<int> sides;
    sides.reserve(boxes.size());
    std::int64_t right = 0, bottom = 0;
    for (const RegionBox& b : boxes) {
        sides.push_back(std::max(b.width(), b.height()));
        right = std::max<std::int64_t>(right, b.maxX + 1), bottom = std::max<std::int64_t>(bottom, b.maxY + 1);
    }
    std::nth_element(sides.begin(), sides.begin() + static_cast<std::ptrdiff_t>(sides.size() / 2), sides.end());
    int side = std::max(4, sides[sides.size() / 2]);
    while ((right / side + 1) * (bottom / side + 1) > 4 * static_cast<std::int64_t>(boxes.size()) + 64)
        side *= 2;
    return side;
}

// The gaps that join the boxes into groups, the nearest first (the spanning tree of the
// nearest-neighbour graph): within sprites they are small, between sprites large.
std::vector<int> joiningGaps(std::span<const RegionBox> boxes)
{
    const Buckets buckets(boxes, cellSide(boxes));
    struct Edge {
        int gap;
        std::uint32_t a, b;
    };
    std::vector<Edge> edges;
    edges.reserve(boxes.size() * kNeighbours);
    std::vector<std::pair<int, std::uint32_t>> nearest;
    for (std::uint32_t i = 0; i < boxes.size(); ++i) {
        buckets.nearest(i, nearest);
        for (const auto& [gap, j] : nearest)
            edges.push_back({gap, i, j});
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& x, const Edge& y) { return x.gap < y.gap; });
    DisjointSets groups(boxes.size());
    std::vector<int> gaps;
    for (const Edge& edge : edges)
        if (groups.find(edge.a) != groups.find(edge.b)) {
            groups.unite(edge.a, edge.b);
            gaps.push_back(edge.gap);
        }
    return gaps;
}

} // namespace

MergeDistance autoMergeDistance(std::span<const RegionBox> boxes)
{
    if (boxes.size() < 2)
        return {};
    const std::vector<int> gaps = joiningGaps(boxes);
    // The largest jump, at least a doubling (counted from one more than each gap).
    std::size_t at = 0;
    std::int64_t jumpAbove = 1, jumpBelow = 1;
    for (std::size_t k = 0; k + 1 < gaps.size(); ++k) {
        const std::int64_t below = gaps[k] + 1, above = gaps[k + 1] + 1;
        if (above * jumpBelow > jumpAbove * below) {
            at = k;
            jumpAbove = above;
            jumpBelow = below;
        }
    }
    if (jumpAbove < 2 * jumpBelow)
        return {};
    return MergeDistance(gaps[at] + 1);
}

} // namespace iconfinder
