#include "region_merge.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace iconfinder {
namespace {

RegionBox unite(const RegionBox& a, const RegionBox& b)
{
    return {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX), std::max(a.maxY, b.maxY)};
}

class DisjointSets {
public:
    explicit DisjointSets(std::size_t count) : parent_(count) { std::iota(parent_.begin(), parent_.end(), std::size_t{0}); }
    std::size_t find(std::size_t i)
    {
        while (parent_[i] != i)
            i = parent_[i] = parent_[parent_[i]];
        return i;
    }
    // The earlier one stays the root, so a group's root is its earliest member.
    bool unite(std::size_t a, std::size_t b)
    {
        a = find(a);
        b = find(b);
        if (a == b)
            return false;
        parent_[std::max(a, b)] = std::min(a, b);
        return true;
    }

private:
    std::vector<std::size_t> parent_;
};

// Grid cells about twice the size of a typical box widened by the distance (the median, so
// that a few huge boxes do not make every cell crowded).
int cellSizeFor(std::span<const RegionBox> boxes, int distance)
{
    std::vector<int> sizes;
    sizes.reserve(boxes.size());
    for (const RegionBox& box : boxes)
        sizes.push_back(std::max(box.width(), box.height()) + distance);
    std::nth_element(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2), sizes.end());
    return std::max(4, 2 * sizes[sizes.size() / 2]);
}

// One round: boxes closer than the distance, directly or through others, become one group,
// the union of its boxes in the place of its earliest member. False when nothing merged.
bool mergeOnce(std::vector<RegionBox>& boxes, int distance)
{
    // Widened to the right and downwards by the distance, two boxes are closer than it exactly
    // when they overlap: each is filed under the grid cells its widened box covers, and only
    // boxes filed under one cell are compared.
    const int cell = cellSizeFor(boxes, distance);
    struct Filed {
        std::uint64_t cell;
        std::uint32_t box;
        bool operator<(const Filed& other) const { return cell != other.cell ? cell < other.cell : box < other.box; }
    };
    std::vector<Filed> filed;
    filed.reserve(boxes.size() * 2);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const RegionBox& box = boxes[i];
        for (std::uint64_t row = static_cast<std::uint64_t>(box.minY / cell); row <= static_cast<std::uint64_t>((box.maxY + distance) / cell); ++row)
            for (std::uint64_t column = static_cast<std::uint64_t>(box.minX / cell);
                 column <= static_cast<std::uint64_t>((box.maxX + distance) / cell); ++column)
                filed.push_back({row << 32 | column, static_cast<std::uint32_t>(i)});
    }
    std::sort(filed.begin(), filed.end());

    DisjointSets groups(boxes.size());
    bool merged = false;
    for (std::size_t start = 0; start < filed.size();) {
        std::size_t end = start + 1;
        while (end < filed.size() && filed[end].cell == filed[start].cell)
            ++end;
        for (std::size_t a = start; a < end; ++a)
            for (std::size_t b = a + 1; b < end; ++b)
                if (closerThan(boxes[filed[a].box], boxes[filed[b].box], distance))
                    merged |= groups.unite(filed[a].box, filed[b].box);
        start = end;
    }
    if (!merged)
        return false;
    std::vector<RegionBox> united;
    std::vector<std::size_t> place(boxes.size(), SIZE_MAX);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const std::size_t root = groups.find(i);
        if (place[root] == SIZE_MAX) {
            place[root] = united.size();
            united.push_back(boxes[i]);
        } else {
            united[place[root]] = unite(united[place[root]], boxes[i]);
        }
    }
    boxes = std::move(united);
    return true;
}

} // namespace

bool closerThan(const RegionBox& a, const RegionBox& b, int distance)
{
    return distance > 0 && b.minX <= a.maxX + distance && a.minX <= b.maxX + distance && b.minY <= a.maxY + distance &&
           a.minY <= b.maxY + distance;
}

std::vector<RegionBox> mergeRegions(std::span<const RegionBox> boxes, int distance)
{
    std::vector<RegionBox> merged(boxes.begin(), boxes.end());
    // A merged box may now be close to boxes none of its members was close to: again until
    // a round merges nothing.
    if (distance > 0 && !merged.empty())
        while (mergeOnce(merged, distance)) {
        }
    return merged;
}

} // namespace iconfinder
