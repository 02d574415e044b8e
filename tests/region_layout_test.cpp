// Merging, the size filter and the orders, against plain models on thousands of random box sets.
#include "shaping/merge_auto.h"
#include "shaping/region_merge.h"
#include "shaping/region_order.h"
#include "shaping/region_shaping.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <optional>
#include <tuple>

using namespace iconfinder;

namespace {

int gapOf(int aMin, int aMax, int bMin, int bMax) { return std::max({0, bMin - aMax - 1, aMin - bMax - 1}); }

RegionBox unitedPlainly(const RegionBox& a, const RegionBox& b)
{
    return {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX), std::max(a.maxY, b.maxY)};
}

// The definition, pair by pair, merging the first close pair found until none is left; each
// box with the boxes given that it holds.
struct PlainGroup {
    RegionBox box;
    std::vector<std::size_t> members;
};

std::vector<PlainGroup> mergedPlainly(const std::vector<RegionBox>& boxes, std::vector<std::size_t> which, MergeDistance distance)
{
    std::vector<PlainGroup> groups;
    for (const std::size_t i : which)
        groups.push_back({boxes[i], {i}});
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t i = 0; i < groups.size() && !changed; ++i) {
            for (std::size_t j = i + 1; j < groups.size() && !changed; ++j) {
                const RegionBox a = groups[i].box, b = groups[j].box;
                if (distance.merges() && gapOf(a.minX, a.maxX, b.minX, b.maxX) < distance.x && gapOf(a.minY, a.maxY, b.minY, b.maxY) < distance.y) {
                    groups[i].box = unitedPlainly(a, b);
                    groups[i].members.insert(groups[i].members.end(), groups[j].members.begin(), groups[j].members.end());
                    groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(j));
                    changed = true;
                }
            }
        }
    }
    return groups;
}

// The speck rule written out: the others merged plainly, then each speck to the nearest box.
MergedRegions mergedWithSpecksPlainly(const std::vector<RegionBox>& boxes, MergeDistance distance, int speck)
{
    std::vector<std::size_t> sprites, specks;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        (boxes[i].width() <= speck && boxes[i].height() <= speck ? specks : sprites).push_back(i);
    std::vector<PlainGroup> groups = mergedPlainly(boxes, sprites, distance);
    const std::vector<PlainGroup> before = groups;
    for (const std::size_t s : specks) {
        const RegionBox dot = boxes[s];
        std::optional<std::size_t> best;
        int bestGap = 0;
        for (std::size_t g = 0; g < before.size(); ++g) {
            const RegionBox b = before[g].box;
            const int gapX = gapOf(dot.minX, dot.maxX, b.minX, b.maxX), gapY = gapOf(dot.minY, dot.maxY, b.minY, b.maxY);
            if (!distance.merges() || gapX >= distance.x || gapY >= distance.y)
                continue;
            if (!best || std::max(gapX, gapY) < bestGap)
                best = g, bestGap = std::max(gapX, gapY);
        }
        if (best) {
            groups[*best].box = unitedPlainly(groups[*best].box, dot);
            groups[*best].members.push_back(s);
        } else {
            groups.push_back({dot, {s}});
        }
    }
    // Every group in the place of its first member: a lone speck in its own.
    std::stable_sort(groups.begin(), groups.end(),
                     [](const PlainGroup& a, const PlainGroup& b) { return a.members.front() < b.members.front(); });
    MergedRegions merged;
    merged.groupOf.resize(boxes.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        merged.boxes.push_back(groups[g].box);
        for (const std::size_t m : groups[g].members)
            merged.groupOf[m] = static_cast<std::uint32_t>(g);
    }
    return merged;
}

std::vector<RegionBox> boxesOf(const std::vector<PlainGroup>& groups)
{
    std::vector<RegionBox> boxes;
    for (const PlainGroup& group : groups)
        boxes.push_back(group.box);
    return boxes;
}

std::vector<std::size_t> all(std::size_t count)
{
    std::vector<std::size_t> indices(count);
    std::iota(indices.begin(), indices.end(), std::size_t{0});
    return indices;
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
        const int across = std::array{0, 1, 1, 2, 3, 5, 9}[static_cast<std::size_t>(i % 7)];
        const MergeDistance distance = i % 3 == 0 ? MergeDistance(across, random.between(1, 9)) : MergeDistance(across);
        const MergedRegions merged = mergeRegions(boxes, distance);
        const std::vector<PlainGroup> plain = mergedPlainly(boxes, all(boxes.size()), distance);
        ASSERT_EQ(merged.boxes, boxesOf(plain)) << "set " << i << ", distance " << distance.x << "x" << distance.y;
        for (std::size_t g = 0; g < plain.size(); ++g)
            for (const std::size_t member : plain[g].members)
                ASSERT_EQ(merged.groupOf[member], g) << "set " << i << ": box " << member << " is in merged box " << g;
    }
    // Many boxes of very different sizes, so that groups grow into one another again and
    // again and huge boxes meet small ones.
    for (int i = 0; i < 200; ++i) {
        std::vector<RegionBox> boxes;
        const int area = random.between(100, 600);
        for (int k = random.between(100, 250); k > 0; --k) {
            const int x = random.below(area), y = random.below(area), size = random.chance(5) ? random.between(50, 200) : random.between(0, 6);
            boxes.push_back({x, y, x + random.below(size + 1), y + random.below(size + 1)});
        }
        const int distance = random.between(1, 12);
        ASSERT_EQ(mergeRegions(boxes, distance).boxes, boxesOf(mergedPlainly(boxes, all(boxes.size()), distance))) << "cascade " << i;
    }
    EXPECT_EQ(mergeRegions(std::vector<RegionBox>{{0, 0, 5, 5}, {6, 6, 9, 9}}, 1).boxes.size(), 1u) << "a corner touch joins at 1";
    EXPECT_EQ(mergeRegions(std::vector<RegionBox>{{0, 0, 5, 5}, {7, 0, 9, 5}}, 1).boxes.size(), 2u) << "a one-column gap does not";
    EXPECT_EQ(mergeRegions(std::vector<RegionBox>{{0, 0, 5, 5}, {7, 0, 9, 5}}, 2).boxes.size(), 1u) << "but is closer than 2";
    EXPECT_EQ(mergeRegions(std::vector<RegionBox>{{0, 0, 5, 5}, {0, 9, 5, 12}}, {2, 4}).boxes.size(), 1u) << "3 rows apart, down 4";
    EXPECT_EQ(mergeRegions(std::vector<RegionBox>{{0, 0, 5, 5}, {9, 0, 12, 5}}, {2, 4}).boxes.size(), 2u) << "3 columns apart, across 2";
}

TEST(RegionMerge, SpecksJoinTheNearestBoxAsThePlainRuleSays)
{
    pictures::Random random(515);
    for (int i = 0; i < 3000; ++i) {
        std::vector<RegionBox> boxes = randomBoxes(random);
        // Sprites in parts with dotted lines and specks between them.
        for (int k = random.below(30); k > 0; --k) {
            const int x = random.below(200), y = random.below(200), size = random.between(0, 2);
            boxes.push_back({x, y, x + size, y + size});
        }
        std::swap_ranges(boxes.begin(), boxes.begin() + static_cast<std::ptrdiff_t>(boxes.size() / 2), boxes.rbegin());
        const MergeDistance distance(random.between(1, 8), random.between(1, 8));
        const int speck = random.between(1, 4);
        const MergedRegions merged = mergeRegions(boxes, distance, speck), plain = mergedWithSpecksPlainly(boxes, distance, speck);
        ASSERT_EQ(merged.boxes, plain.boxes) << "set " << i;
        ASSERT_EQ(merged.groupOf, plain.groupOf) << "set " << i;
    }
}

TEST(RegionMerge, AColumnOfDotsDoesNotChainSpritesTogether)
{
    // A font's left edge: dots 3 pixels apart down the sheet, beside lines of letters 3 apart
    // across and 8 apart down.
    std::vector<RegionBox> boxes;
    for (int y = 0; y < 200; y += 4)
        boxes.push_back({0, y, 0, y});
    for (int y = 0; y < 200; y += 20)
        for (int x = 4; x < 200; x += 15)
            boxes.push_back({x, y, x + 11, y + 11});
    EXPECT_EQ(mergeRegions(boxes, 5).boxes.size(), 1u) << "without specks, one box over the sheet";
    const MergedRegions merged = mergeRegions(boxes, 5, 1);
    EXPECT_EQ(merged.boxes.size(), 10u) << "every line on its own, with the dots beside it";
    EXPECT_EQ(std::count_if(merged.boxes.begin(), merged.boxes.end(), [](const RegionBox& b) { return b.width() == 1; }), 0);
}

TEST(RegionMerge, AutomaticDistanceJoinsThePiecesOfEachSprite)
{
    // Sprites on a grid, each in two or three slabs a pixel or two apart, the sprites 6 to 12
    // apart: the distance chosen makes each sprite one box again.
    pictures::Random random(71);
    for (int sheet = 0; sheet < 200; ++sheet) {
        std::vector<RegionBox> pieces, sprites;
        const int apart = random.between(6, 12), columns = random.between(2, 9), rows = random.between(1, 6);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                const int x = column * (20 + apart), y = row * (30 + apart), w = random.between(10, 20);
                int top = y;
                for (int slab = random.between(2, 3); slab > 0; --slab) {
                    const int h = random.between(2, 8);
                    pieces.push_back({x + random.below(3), top, x + w - 1 - random.below(3), top + h - 1});
                    top += h + random.between(1, 2);
                }
                sprites.push_back({x, y, x + w - 1, top - 1});
            }
        const MergeDistance chosen = autoMergeDistance(pieces);
        const std::vector<RegionBox> merged = mergeRegions(pieces, chosen).boxes;
        ASSERT_EQ(merged.size(), sprites.size()) << "sheet " << sheet << ", distance " << chosen.x;
    }
    // Nothing to tell apart: one box, or boxes all as far apart.
    EXPECT_FALSE(autoMergeDistance(std::vector<RegionBox>{{0, 0, 5, 5}}).merges());
    std::vector<RegionBox> even;
    for (int i = 0; i < 30; ++i)
        even.push_back({i % 6 * 20, i / 6 * 20, i % 6 * 20 + 9, i / 6 * 20 + 9});
    EXPECT_FALSE(autoMergeDistance(even).merges());
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
            ASSERT_TRUE(std::ranges::is_permutation(boxes, placed, {}, {}, &PlacedRegion::box)) << "set " << i;

            // The rows are formed by the boxes of usual height (at most half as tall again as the
            // median); each taller one is in the row nearest its centre.
            std::vector<int> heights;
            for (const RegionBox& b : boxes)
                heights.push_back(seen(b).height());
            std::sort(heights.begin(), heights.end());
            const int usual = heights.empty() ? 0 : heights[heights.size() / 2];
            const auto centre2 = [](const RegionBox& b) { return b.minY + b.maxY; };
            const auto tall = [&](const RegionBox& b) { return 2 * b.height() > 3 * usual; };
            struct Span2 {
                int first, lowest; // doubled: the row's first centre and lowest bottom
            };
            std::vector<Span2> spans;
            std::vector<std::vector<RegionBox>> talls;
            int lowestBefore = -1, highestCentreBefore = -1; // doubled, as the centres
            for (std::size_t k = 0; k < placed.size();) {
                const int line = columns ? placed[k].column : placed[k].row;
                std::size_t end = k;
                while (end < placed.size() && (columns ? placed[end].column : placed[end].row) == line)
                    ++end;
                ASSERT_EQ(line, k == 0 ? 1 : (columns ? placed[k - 1].column : placed[k - 1].row) + 1) << "set " << i;
                std::vector<RegionBox> members;
                talls.emplace_back();
                for (std::size_t m = k; m < end; ++m) {
                    ASSERT_EQ(columns ? placed[m].row : placed[m].column, static_cast<int>(m - k) + 1);
                    (tall(seen(placed[m].box)) ? talls.back() : members).push_back(seen(placed[m].box));
                    if (m > k) {
                        const RegionBox a = seen(placed[m - 1].box), b = seen(placed[m].box);
                        ASSERT_TRUE(a.minX < b.minX || (a.minX == b.minX && a.minY <= b.minY)) << "left to right, set " << i;
                    }
                }
                // Taken by their centres, every usual member but the first has its centre no
                // lower than the lowest bottom before it; the line's first centre is below the
                // previous line's lowest bottom, and no centre of a later line is higher.
                ASSERT_FALSE(members.empty()) << "set " << i;
                std::stable_sort(members.begin(), members.end(), [&](const RegionBox& a, const RegionBox& b) { return centre2(a) < centre2(b); });
                ASSERT_GT(centre2(members.front()), lowestBefore) << "set " << i;
                ASSERT_GE(centre2(members.front()), highestCentreBefore) << "set " << i;
                int lowest = 2 * members.front().maxY;
                for (std::size_t m = 1; m < members.size(); ++m) {
                    ASSERT_LE(centre2(members[m]), lowest) << "set " << i;
                    lowest = std::max(lowest, 2 * members[m].maxY);
                }
                spans.push_back({centre2(members.front()), lowest});
                lowestBefore = lowest;
                highestCentreBefore = centre2(members.back());
                k = end;
            }
            const auto distance = [](const Span2& row, int c) { return c < row.first ? row.first - c : c > row.lowest ? c - row.lowest : 0; };
            for (std::size_t r = 0; r < talls.size(); ++r)
                for (const RegionBox& b : talls[r])
                    for (std::size_t other = 0; other < spans.size(); ++other) {
                        if (other < r) {
                            ASSERT_LT(distance(spans[r], centre2(b)), distance(spans[other], centre2(b))) << "set " << i;
                        } else {
                            ASSERT_LE(distance(spans[r], centre2(b)), distance(spans[other], centre2(b))) << "set " << i;
                        }
                    }
        }
    }
}

TEST(RegionOrder, LinesOfTextAreRowsHoweverTallSomeGlyphsAre)
{
    // Lines of glyphs on a baseline: small letters, capitals, descenders, brackets reaching
    // above and below, and now and then a box merged across two lines; each glyph in its line.
    pictures::Random random(17);
    for (int sheet = 0; sheet < 300; ++sheet) {
        const int capital = random.between(8, 30), pitch = capital + random.between(capital / 4 + 2, capital);
        std::vector<RegionBox> boxes;
        std::vector<int> lineOf;
        const int lines = random.between(2, 6);
        for (int line = 0; line < lines; ++line) {
            const int base = 5 + line * pitch + capital;
            for (int x = 0; x < 400; x += random.between(capital / 2 + 2, capital)) {
                const int kind = random.below(10), small = capital * 2 / 3, descent = capital / 4 + 1;
                const int top = base - (kind < 5 ? small : capital) + 1 - (kind == 9 ? 1 : 0);
                const int bottom = kind == 7 || kind == 9 ? base + descent : base;
                boxes.push_back({x, top, x + capital / 2, bottom});
                lineOf.push_back(line + 1);
                if (line + 1 < lines && random.chance(3)) {
                    boxes.push_back({x + 1, top, x + capital / 3, base + pitch}); // merged across two lines
                    lineOf.push_back(0);
                }
            }
        }
        // The glyphs of a line share a row, the lines' rows in order; a box across two lines
        // may be a row of its own between them.
        std::map<int, int> rowOfLine;
        for (const PlacedRegion& p : orderRegions(boxes, RegionOrder::Rows)) {
            const int line = lineOf[p.source];
            if (line == 0)
                continue;
            const auto [at, added] = rowOfLine.try_emplace(line, p.row);
            ASSERT_EQ(at->second, p.row) << "sheet " << sheet << ", line " << line;
        }
        for (auto it = rowOfLine.begin(); std::next(it) != rowOfLine.end(); ++it)
            ASSERT_LT(it->second, std::next(it)->second) << "sheet " << sheet;
    }
}

TEST(RegionOrder, ASheetReadsRowByRowThoughItsRowsWobbleOrOverlap)
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
    EXPECT_EQ(std::tuple(byColumns[1].box.minX, byColumns[1].column, byColumns[1].row), std::tuple(0, 1, 2));
    // Frames 20 high whose second row starts 3 pixels above the first one's bottom, and a short
    // frame hanging at the bottom of the first row.
    const std::vector<RegionBox> overlapping = {{0, 0, 9, 19}, {12, 0, 21, 19}, {24, 14, 33, 19}, {0, 17, 9, 36}, {12, 17, 21, 36}};
    places.clear();
    for (const PlacedRegion& p : orderRegions(overlapping, RegionOrder::Rows))
        places.emplace_back(p.row, p.column);
    EXPECT_EQ(places, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}}));
}

TEST(RegionShaping, EveryBoxFoundKnowsItsOutputRegion)
{
    // Two parts of a sprite, a speck beside it, a region too small to keep, and a sprite above.
    const std::vector<RegionBox> found = {{0, 10, 5, 15}, {7, 10, 9, 15}, {12, 12, 12, 12}, {40, 40, 40, 41}, {20, 0, 29, 5}};
    const ShapedRegions shaped = shapeRegions(found, {MergeDistance(3), 1, 2, 2, RegionOrder::Rows});
    ASSERT_EQ(shaped.regions.size(), 2u);
    EXPECT_EQ(shaped.regions[0].box, (RegionBox{20, 0, 29, 5}));
    EXPECT_EQ(shaped.regions[1].box, (RegionBox{0, 10, 12, 15}));
    EXPECT_EQ(shaped.labelOf, (std::vector<std::uint32_t>{2, 2, 2, 0, 1}));
}

} // namespace
