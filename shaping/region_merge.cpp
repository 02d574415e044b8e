#include "shaping/region_merge.h"

#include "shaping/disjoint_sets.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace iconfinder {
namespace {

// A range of grid cells, columns minX .. maxX and rows minY .. maxY.
struct Cells {
    std::int64_t minX, minY, maxX, maxY;
};

// The part of `outer` not in `inner` (which lies within it), as up to four rectangles of the
// same kind: cell ranges or pixel boxes, both ends inclusive.
template <class Rectangle>
std::vector<Rectangle> without(const Rectangle& outer, const Rectangle& inner)
{
    const auto empty = [](const Rectangle& r) { return r.minX > r.maxX || r.minY > r.maxY; };
    if (empty(inner))
        return {outer};
    std::vector<Rectangle> parts = {{outer.minX, outer.minY, outer.maxX, inner.minY - 1},
                                    {outer.minX, inner.maxY + 1, outer.maxX, outer.maxY},
                                    {outer.minX, inner.minY, inner.minX - 1, inner.maxY},
                                    {inner.maxX + 1, inner.minY, outer.maxX, inner.maxY}};
    std::erase_if(parts, empty);
    return parts;
}

// Boxes widened to the right and downwards by the distance: two boxes are closer than it
// exactly when their widened boxes overlap. Groups that are not closer than the distance to one
// another have widened boxes apart, so a grid in which each is filed under the cells its widened
// box touches holds few entries a cell; a group that grows is filed only under the cells it
// newly touches, and the cells of the groups it swallowed lead to it through the disjoint sets.
class Grid {
public:
    Grid(std::span<const RegionBox> boxes, MergeDistance distance) : distance_(distance)
    {
        // Cells about twice a typical widened box (the median, so that a few huge boxes do not
        // crowd every cell), and never many more cells than boxes.
        std::vector<std::int64_t> sizes;
        std::int64_t right = 0, bottom = 0;
        for (const RegionBox& box : boxes) {
            sizes.push_back(std::max(std::int64_t{box.width()} + distance.x, std::int64_t{box.height()} + distance.y));
            right = std::max<std::int64_t>(right, std::int64_t{box.maxX} + distance.x);
            bottom = std::max<std::int64_t>(bottom, std::int64_t{box.maxY} + distance.y);
        }
        std::nth_element(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2), sizes.end());
        cell_ = std::max<std::int64_t>(4, 2 * sizes[sizes.size() / 2]);
        while ((right / cell_ + 1) * (bottom / cell_ + 1) > 4 * static_cast<std::int64_t>(boxes.size()) + 1024)
            cell_ *= 2;
        columns_ = right / cell_ + 1;
        cells_.resize(static_cast<std::size_t>(columns_ * (bottom / cell_ + 1)));
    }

    // The pixels a box's widened box covers, and the cells those touch.
    RegionBox widened(const RegionBox& box) const { return {box.minX, box.minY, box.maxX + distance_.x, box.maxY + distance_.y}; }
    Cells touched(const RegionBox& pixels) const
    {
        return {pixels.minX / cell_, pixels.minY / cell_, pixels.maxX / cell_, pixels.maxY / cell_};
    }

    void file(const Cells& cells, std::uint32_t group)
    {
        forEach(cells, [&](std::vector<std::uint32_t>& cell) { cell.push_back(group); });
    }

    template <class Visit>
    void forEach(const Cells& cells, Visit visit)
    {
        for (std::int64_t row = cells.minY; row <= cells.maxY; ++row)
            for (std::int64_t column = cells.minX; column <= cells.maxX; ++column)
                visit(cells_[static_cast<std::size_t>(row * columns_ + column)]);
    }

private:
    MergeDistance distance_;
    std::int64_t cell_ = 4;
    std::int64_t columns_ = 1;
    std::vector<std::vector<std::uint32_t>> cells_;
};

// Boxes joining one at a time. The groups filed so far are not closer than the distance to
// one another; a new box takes in every group close to it, and the grown group every group
// close to what it grew by, until none is; then it is filed in turn.
class Merger {
public:
    Merger(std::span<const RegionBox> boxes, MergeDistance distance)
        : distance_(distance), grid_(boxes, distance), groups_(boxes.size()), extent_(boxes.begin(), boxes.end()),
          filed_(boxes.size(), 0), seen_(boxes.size(), 0)
    {
    }

    void join(std::size_t i)
    {
        std::size_t root = i;
        RegionBox box = extent_[i];
        Cells alreadyFiled{0, 0, -1, -1}; // cells of the largest group taken in, which lead here
        std::int64_t largestFiledArea = 0;
        std::vector<RegionBox> search = {grid_.widened(box)};
        while (findClose(search, root, box)) {
            // Nothing filed is close to a group taken in, and the box before was searched: of
            // those, the largest need not be searched again.
            RegionBox searched = box;
            std::int64_t largest = std::int64_t{box.width()} * box.height();
            for (const std::size_t other : close_) {
                const RegionBox& taken = extent_[other];
                const std::int64_t area = std::int64_t{taken.width()} * taken.height();
                if (area > largest) {
                    largest = area;
                    searched = taken;
                }
                if (area >= largestFiledArea) {
                    largestFiledArea = area;
                    alreadyFiled = grid_.touched(grid_.widened(taken));
                }
                filed_[other] = 0;
                box = united(box, taken);
                root = groups_.unite(root, other);
            }
            search = without(grid_.widened(box), grid_.widened(searched));
        }
        extent_[root] = box;
        filed_[root] = 1;
        for (const Cells& cells : without(grid_.touched(grid_.widened(box)), alreadyFiled))
            grid_.file(cells, static_cast<std::uint32_t>(root));
    }

    // The groups' boxes in the order of their earliest members, and each box's group.
    MergedRegions result()
    {
        MergedRegions merged;
        std::vector<std::uint32_t> outputOf(extent_.size());
        for (std::size_t i = 0; i < extent_.size(); ++i) {
            if (filed_[i]) {
                outputOf[i] = static_cast<std::uint32_t>(merged.boxes.size());
                merged.boxes.push_back(extent_[i]);
            }
        }
        for (std::size_t i = 0; i < extent_.size(); ++i)
            merged.groupOf.push_back(outputOf[groups_.find(i)]);
        return merged;
    }

private:
    // The filed groups other than `root` close to `box`, among those filed under `search`.
    bool findClose(const std::vector<RegionBox>& search, std::size_t root, const RegionBox& box)
    {
        ++round_;
        close_.clear();
        for (const RegionBox& pixels : search) {
            grid_.forEach(grid_.touched(pixels), [&](const std::vector<std::uint32_t>& cell) {
                for (const std::uint32_t entry : cell) {
                    const std::size_t other = groups_.find(entry);
                    if (other != root && filed_[other] && seen_[other] != round_) {
                        seen_[other] = round_;
                        if (closerThan(box, extent_[other], distance_))
                            close_.push_back(other);
                    }
                }
            });
        }
        return !close_.empty();
    }

    MergeDistance distance_;
    Grid grid_;
    DisjointSets groups_;
    std::vector<RegionBox> extent_; // each group's box, at its root
    std::vector<char> filed_;
    std::vector<std::size_t> seen_; // the round in which a group was looked at
    std::size_t round_ = 0;
    std::vector<std::size_t> close_;
};

// The merge itself, every box taking part.
MergedRegions mergeAll(std::span<const RegionBox> boxes, MergeDistance distance)
{
    if (!distance.merges() || boxes.size() < 2) {
        MergedRegions merged;
        merged.boxes.assign(boxes.begin(), boxes.end());
        merged.groupOf.resize(boxes.size());
        std::iota(merged.groupOf.begin(), merged.groupOf.end(), std::uint32_t{0});
        return merged;
    }
    Merger merger(boxes, distance);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        merger.join(i);
    return merger.result();
}

constexpr std::uint32_t kAlone = ~std::uint32_t{0};

// The merged box each speck joins: the nearest among those filed under the cells its widened
// box touches (the earliest of equally near ones), or kAlone.
std::vector<std::uint32_t> speckTargets(std::span<const RegionBox> boxes, const std::vector<std::uint32_t>& speckIndex,
                                        const MergedRegions& merged, MergeDistance distance)
{
    std::vector<std::uint32_t> joined(speckIndex.size(), kAlone);
    if (merged.boxes.empty())
        return joined;
    Grid grid(boxes, distance); // sized by every box, so that it covers the specks too
    for (std::uint32_t m = 0; m < merged.boxes.size(); ++m)
        grid.file(grid.touched(grid.widened(merged.boxes[m])), m);
    std::vector<std::size_t> seen(merged.boxes.size(), 0);
    for (std::size_t s = 0; s < speckIndex.size(); ++s) {
        const RegionBox& dot = boxes[speckIndex[s]];
        int nearest = 0;
        grid.forEach(grid.touched(grid.widened(dot)), [&](const std::vector<std::uint32_t>& cell) {
            for (const std::uint32_t m : cell) {
                if (seen[m] == s + 1 || !closerThan(dot, merged.boxes[m], distance))
                    continue;
                seen[m] = s + 1;
                const int gap = gapBetween(dot, merged.boxes[m]);
                // Merged boxes are numbered in the order their first members were found.
                if (joined[s] == kAlone || gap < nearest || (gap == nearest && m < joined[s])) {
                    joined[s] = m;
                    nearest = gap;
                }
            }
        });
    }
    return joined;
}

} // namespace

bool closerThan(const RegionBox& a, const RegionBox& b, MergeDistance distance)
{
    return distance.merges() && b.minX <= a.maxX + distance.x && a.minX <= b.maxX + distance.x && b.minY <= a.maxY + distance.y &&
           a.minY <= b.maxY + distance.y;
}

int gapBetween(const RegionBox& a, const RegionBox& b)
{
    const int gapX = std::max({0, b.minX - a.maxX - 1, a.minX - b.maxX - 1});
    const int gapY = std::max({0, b.minY - a.maxY - 1, a.minY - b.maxY - 1});
    return std::max(gapX, gapY);
}

MergedRegions mergeRegions(std::span<const RegionBox> boxes, MergeDistance distance, int speck)
{
    const auto isSpeck = [&](const RegionBox& box) { return box.width() <= speck && box.height() <= speck; };
    if (speck <= 0 || !distance.merges() || std::none_of(boxes.begin(), boxes.end(), isSpeck))
        return mergeAll(boxes, distance);

    std::vector<RegionBox> sprites;
    std::vector<std::uint32_t> spriteIndex, speckIndex; // where each came from
    for (std::uint32_t i = 0; i < boxes.size(); ++i) {
        (isSpeck(boxes[i]) ? speckIndex : spriteIndex).push_back(i);
        if (!isSpeck(boxes[i]))
            sprites.push_back(boxes[i]);
    }
    const MergedRegions merged = mergeAll(sprites, distance);

    const std::vector<std::uint32_t> joined = speckTargets(boxes, speckIndex, merged, distance);

    // Merged boxes keep the place of their earliest member, lone specks their own.
    std::vector<RegionBox> grown = merged.boxes;
    for (std::size_t s = 0; s < speckIndex.size(); ++s)
        if (joined[s] != kAlone)
            grown[joined[s]] = united(grown[joined[s]], boxes[speckIndex[s]]);
    std::vector<std::uint32_t> firstOf(merged.boxes.size(), kAlone);
    for (std::size_t k = 0; k < spriteIndex.size(); ++k)
        firstOf[merged.groupOf[k]] = std::min(firstOf[merged.groupOf[k]], spriteIndex[k]);

    MergedRegions result;
    result.groupOf.assign(boxes.size(), kAlone);
    std::vector<std::uint32_t> outputOf(merged.boxes.size());
    std::size_t m = 0, s = 0;
    while (m < merged.boxes.size() || s < speckIndex.size()) {
        const bool takeMerged = s == speckIndex.size() || (m < merged.boxes.size() && firstOf[m] < speckIndex[s]);
        const auto here = static_cast<std::uint32_t>(result.boxes.size());
        if (takeMerged) {
            outputOf[m] = here;
            result.boxes.push_back(grown[m++]);
        } else if (joined[s] != kAlone) {
            ++s; // placed with its box below
        } else {
            result.groupOf[speckIndex[s]] = here;
            result.boxes.push_back(boxes[speckIndex[s++]]);
        }
    }
    for (std::size_t k = 0; k < spriteIndex.size(); ++k)
        result.groupOf[spriteIndex[k]] = outputOf[merged.groupOf[k]];
    for (std::size_t k = 0; k < speckIndex.size(); ++k)
        if (joined[k] != kAlone)
            result.groupOf[speckIndex[k]] = outputOf[joined[k]];
    return result;
}

} // namespace iconfinder
