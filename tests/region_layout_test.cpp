// Merging, the size filter and the orders, against plain models on thousands of random box sets.
#include "pictures.h"
#include "region_merge.h"
#include "region_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace iconfinder;

namespace {

// The definition, pair by pair, merging the first close pair found until none is left.
std::vector<RegionBox> mergedPlainly(std::vector<RegionBox> boxes, int distance)
{
    const auto gap = [](int aMin, int aMax, int bMin, int bMax) { return std::max({0, bMin - aMax - 1, aMin - bMax - 1}); };
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t i = 0; i < boxes.size() && !changed; ++i) {
            for (std::size_t j = i + 1; j < boxes.size() && !changed; ++j) {
                const RegionBox a = boxes[i], b = boxes[j];
                if (std::max(gap(a.minX, a.maxX, b.minX, b.maxX), gap(a.minY, a.maxY, b.minY, b.maxY)) < distance) {
                    boxes[i] = {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX), std::max(a.maxY, b.maxY)};
                    boxes.erase(boxes.begin() + static_cast<std::ptrdiff_t>(j));
                    changed = true;
                }
            }
        }
    }
    return boxes;
}

std::vector<RegionBox> randomBoxes(pictures::Random& random)
{
    const int count = random.between(0, 60);
    const int area = random.between(10, 300);
    std::vector<RegionBox> boxes;
    for (int i = 0; i < count; ++i) {
        const int x = random.below(area), y = random.below(area);
        boxes.push_back({x, y, x + random.below(12), y + random.below(12)});
    }
    // A chain whose links are each just close enough, so that only the transitive merge joins
    // its ends, and two boxes that touch at a corner.
    if (random.chance(30)) {
        const int step = random.between(1, 6);
        for (int k = 0, x = random.below(area); k < 6; ++k, x += 3 + step)
            boxes.push_back({x, 5, x + 2, 7});
    }
    if (random.chance(30)) {
        boxes.push_back({40, 40, 45, 45});
        boxes.push_back({46, 46, 50, 50});
    }
    return boxes;
}

TEST(RegionMerge, MatchesThePlainDefinition)
{
    pictures::Random random(99);
    for (int i = 0; i < 3000; ++i) {
        const std::vector<RegionBox> boxes = randomBoxes(random);
        const int distance = std::array{0, 1, 1, 2, 3, 5, 9}[static_cast<std::size_t>(i % 7)];
        ASSERT_EQ(mergeRegions(boxes, distance), mergedPlainly(boxes, distance)) << "set " << i << ", distance " << distance;
    }
    EXPECT_EQ(mergeRegions(std::vector<RegionBox>{{0, 0, 5, 5}, {6, 6, 9, 9}}, 1).size(), 1u) << "a corner touch joins at 1";
    EXPECT_EQ(mergeRegions(std::vector<RegionBox>{{0, 0, 5, 5}, {7, 0, 9, 5}}, 1).size(), 2u) << "a one-column gap does not";
    EXPECT_EQ(mergeRegions(std::vector<RegionBox>{{0, 0, 5, 5}, {7, 0, 9, 5}}, 2).size(), 1u) << "but is closer than 2";
}

TEST(RegionMerge, CascadesAndHugeBoxesMatchThePlainDefinition)
{
    // Many boxes of very different sizes, so that groups grow into one another again and
    // again and huge boxes meet small ones.
    pictures::Random random(2024);
    for (int i = 0; i < 200; ++i) {
        std::vector<RegionBox> boxes;
        const int area = random.between(100, 600);
        for (int k = random.between(100, 250); k > 0; --k) {
            const int x = random.below(area), y = random.below(area);
            const int size = random.chance(5) ? random.between(50, 200) : random.between(0, 6);
            boxes.push_back({x, y, x + random.below(size + 1), y + random.below(size + 1)});
        }
        const int distance = random.between(1, 12);
        ASSERT_EQ(mergeRegions(boxes, distance), mergedPlainly(boxes, distance)) << "set " << i << ", distance " << distance;
    }
}

TEST(RegionMerge, ManyBoxesStayFast)
{
    // 300,000 boxes on a grid, 3 pixels apart but for every third pair in a row, 2 apart: a
    // pairwise merge would take hours, and growing one box at a time, minutes.
    std::vector<RegionBox> boxes;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 500; ++x)
            boxes.push_back({x * 10, y * 10, x * 10 + (x % 3 == 0 ? 7 : 6), y * 10 + 6});
    EXPECT_EQ(mergeRegions(boxes, 3).size(), 600u * 333) << "the pairs only";
    EXPECT_EQ(mergeRegions(boxes, 4).size(), 1u) << "everything, in one";
}

TEST(RegionOrder, RowsAndColumnsFollowTheirRules)
{
    pictures::Random random(4);
    for (int i = 0; i < 3000; ++i) {
        const std::vector<RegionBox> boxes = randomBoxes(random);
        for (const RegionOrder order : {RegionOrder::Rows, RegionOrder::Columns}) {
            const bool columns = order == RegionOrder::Columns;
            // Columns are rows of the boxes seen with x and y exchanged.
            const auto seen = [&](const RegionBox& b) { return columns ? RegionBox{b.minY, b.minX, b.maxY, b.maxX} : b; };
            const std::vector<PlacedRegion> placed = orderRegions(boxes, order);
            ASSERT_EQ(placed.size(), boxes.size());
            std::vector<RegionBox> sortedIn, sortedOut;
            for (const PlacedRegion& p : placed)
                sortedOut.push_back(p.box);
            sortedIn = boxes;
            const auto less = [](const RegionBox& a, const RegionBox& b) {
                return std::tie(a.minX, a.minY, a.maxX, a.maxY) < std::tie(b.minX, b.minY, b.maxX, b.maxY);
            };
            std::sort(sortedIn.begin(), sortedIn.end(), less);
            std::sort(sortedOut.begin(), sortedOut.end(), less);
            ASSERT_EQ(sortedIn, sortedOut) << "a permutation";

            int lowestBefore = -1;
            for (std::size_t k = 0; k < placed.size();) {
                const int line = columns ? placed[k].column : placed[k].row;
                std::size_t end = k;
                while (end < placed.size() && (columns ? placed[end].column : placed[end].row) == line)
                    ++end;
                ASSERT_EQ(line, k == 0 ? 1 : (columns ? placed[k - 1].column : placed[k - 1].row) + 1) << "set " << i;
                std::vector<RegionBox> members;
                for (std::size_t m = k; m < end; ++m) {
                    ASSERT_EQ(columns ? placed[m].row : placed[m].column, static_cast<int>(m - k) + 1);
                    members.push_back(seen(placed[m].box));
                    if (m > k) {
                        const RegionBox a = seen(placed[m - 1].box), b = seen(placed[m].box);
                        ASSERT_TRUE(a.minX < b.minX || (a.minX == b.minX && a.minY <= b.minY)) << "left to right, set " << i;
                    }
                }
                // Taken by their tops, every member but the first starts no lower than the
                // lowest bottom before it, and the line starts below every earlier line.
                std::stable_sort(members.begin(), members.end(), [](const RegionBox& a, const RegionBox& b) { return a.minY < b.minY; });
                ASSERT_GT(members.front().minY, lowestBefore) << "set " << i;
                int lowest = members.front().maxY;
                for (std::size_t m = 1; m < members.size(); ++m) {
                    ASSERT_LE(members[m].minY, lowest) << "set " << i;
                    lowest = std::max(lowest, members[m].maxY);
                }
                lowestBefore = std::max(lowestBefore, lowest);
                k = end;
            }
        }
    }
}

TEST(RegionOrder, ASheetReadsRowByRow)
{
    // Sprites of a 3 x 2 sheet whose tops wobble, found in scan order.
    const std::vector<RegionBox> found = {{40, 0, 50, 9}, {0, 2, 10, 12}, {20, 1, 30, 11}, {21, 20, 29, 30}, {0, 22, 9, 31}, {41, 19, 49, 29}};
    std::vector<std::pair<int, int>> places;
    std::vector<int> lefts;
    for (const PlacedRegion& p : orderRegions(found, RegionOrder::Rows)) {
        places.emplace_back(p.row, p.column);
        lefts.push_back(p.box.minX);
    }
    EXPECT_EQ(lefts, (std::vector<int>{0, 20, 40, 0, 21, 41}));
    EXPECT_EQ(places, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 3}}));
    const std::vector<PlacedRegion> byColumns = orderRegions(found, RegionOrder::Columns);
    EXPECT_EQ(byColumns[1].box.minX, 0);
    EXPECT_EQ(byColumns[1].column, 1);
    EXPECT_EQ(byColumns[1].row, 2);
    EXPECT_EQ(withMinimumSize(found, 11, 11).size(), 2u);
    EXPECT_EQ(withMinimumSize(found, 10, 0).size(), 4u);
}

} // namespace
