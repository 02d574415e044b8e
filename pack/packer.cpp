#include "pack/packer.h"

#include "pack/page_fill.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace iconfinder {
namespace {

using Order = std::vector<std::size_t>;

// MaxRects tries every fourth width with both its rules up to this many rectangles; beyond,
// the free rectangles it keeps make it too slow to be worth its gain.
constexpr std::size_t kMaxRectsAtMost = 600;
constexpr std::size_t kMaxRectsWidthStep = 4;

// Tallest first, then widest; equal ones in their order.
Order tallestFirst(const std::vector<Size>& sizes, Order items)
{
    std::stable_sort(items.begin(), items.end(), [&](std::size_t a, std::size_t b) {
        return std::pair{sizes[a].h, sizes[a].w} > std::pair{sizes[b].h, sizes[b].w};
    });
    return items;
}

// With turning, MaxRects turns each rectangle where it fits best; greedy, that may leave the
// page fuller or emptier, so it is tried without too.
std::vector<bool> turnsToTry(bool mayTurn) { return mayTurn ? std::vector<bool>{false, true} : std::vector<bool>{false}; }

int powerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

struct Page {
    int gap = 0;
    int limit = 0; // the largest side, with the gap the last rectangle brings
    bool powerOfTwo = false;
    bool mayTurn = false;

    std::pair<int, int> sizeOf(const PageFill& fill) const
    {
        const int w = std::max(1, fill.width - gap), h = std::max(1, fill.height - gap);
        if (!powerOfTwo)
            return {w, h};
        return {std::min(limit - gap, powerOfTwoAtLeast(w)), std::min(limit - gap, powerOfTwoAtLeast(h))};
    }
    long long areaOf(const PageFill& fill) const
    {
        const auto [w, h] = sizeOf(fill);
        return static_cast<long long>(w) * h;
    }
};

// Page widths worth trying for rectangles of `area` in all, the widest `widest`: a spread
// around the square, and with powers of two those too.
std::vector<int> widthsToTry(long long area, int widest, const Page& page, std::size_t count)
{
    std::vector<int> widths;
    const double square = std::sqrt(static_cast<double>(area));
    const int steps = count <= 2000 ? 64 : 12;
    for (int k = 0; k < steps; ++k)
        widths.push_back(static_cast<int>(square * (0.8 + 1.4 * k / steps)));
    if (page.powerOfTwo)
        for (int p = 1; p < 2 * page.limit; p *= 2)
            widths.push_back(p + page.gap);
    for (int& w : widths)
        w = std::clamp(w, widest, page.limit);
    std::sort(widths.begin(), widths.end());
    widths.erase(std::unique(widths.begin(), widths.end()), widths.end());
    return widths;
}

// The rectangles as the free-space method takes them: as given, and when they may turn, all
// lying (as wide as high or wider) and all standing.
struct Turning {
    std::vector<Size> sizes;
    std::vector<bool> turned;
    Order byHeight;
};

std::vector<Turning> turnings(const std::vector<Size>& sizes, const Order& items, bool mayTurn)
{
    std::vector<Turning> all{{sizes, {}, tallestFirst(sizes, items)}};
    if (!mayTurn)
        return all;
    for (const bool lying : {true, false}) {
        Turning turning{sizes, std::vector<bool>(sizes.size()), {}};
        for (const std::size_t i : items) {
            Size& s = turning.sizes[i];
            if (lying ? s.h > s.w : s.w > s.h)
                std::swap(s.w, s.h), turning.turned[i] = true;
        }
        turning.byHeight = tallestFirst(turning.sizes, items);
        all.push_back(std::move(turning));
    }
    return all;
}

// The page of least area holding every one of `items`, tried with each width, method, rule,
// order and turning worth it; none when they cannot share one page.
std::optional<PageFill> onePage(const std::vector<Size>& sizes, const Order& items, const Page& page)
{
    long long area = 0;
    int narrowest = 0; // the width no turning gets below
    for (const std::size_t i : items) {
        area += static_cast<long long>(sizes[i].w) * sizes[i].h;
        narrowest = std::max(narrowest, page.mayTurn ? std::min(sizes[i].w, sizes[i].h) : sizes[i].w);
    }
    if (area > static_cast<long long>(page.limit) * page.limit)
        return std::nullopt;
    const std::vector<Turning> ways = turnings(sizes, items, page.mayTurn);
    std::optional<PageFill> best;
    const auto consider = [&](PageFill fill) {
        if (fill.placed == items.size() && (!best || page.areaOf(fill) < page.areaOf(*best)))
            best = std::move(fill);
    };
    const std::vector<int> widths = widthsToTry(area, narrowest, page, items.size());
    for (const int width : widths)
        for (const Turning& way : ways)
            consider(fillBySpaces(way.sizes, way.byHeight, width, page.limit, way.turned));
    if (items.size() <= kMaxRectsAtMost)
        for (std::size_t k = 0; k < widths.size(); k += kMaxRectsWidthStep)
            for (const FitRule rule : {FitRule::ShortSide, FitRule::BottomLeft})
                for (const bool turn : turnsToTry(page.mayTurn))
                    consider(fillByMaxRects(sizes, ways[0].byHeight, widths[k], page.limit, rule, turn));
    return best;
}

// A whole page filled with as much of `items` as it takes.
PageFill fullPage(const std::vector<Size>& sizes, const Order& items, const Page& page)
{
    std::optional<PageFill> best;
    const auto consider = [&](PageFill fill) {
        if (!best || fill.placedArea > best->placedArea)
            best = std::move(fill);
    };
    const std::vector<Turning> ways = turnings(sizes, items, page.mayTurn);
    for (const Turning& way : ways)
        consider(fillBySpaces(way.sizes, way.byHeight, page.limit, page.limit, way.turned));
    if (items.size() <= kMaxRectsAtMost * 4)
        for (const FitRule rule : {FitRule::ShortSide, FitRule::BottomLeft})
            for (const bool turn : turnsToTry(page.mayTurn))
                consider(fillByMaxRects(sizes, ways[0].byHeight, page.limit, page.limit, rule, turn));
    return std::move(*best);
}

} // namespace

std::optional<PackedPages> packRectangles(const std::vector<std::pair<int, int>>& given, int gap, int largest, bool powerOfTwo,
                                          bool mayTurn)
{
    // Each rectangle with the gap after it, on a page as much wider and higher, so that the
    // last ones need no gap inside the page.
    std::vector<Size> sizes;
    for (const auto& [w, h] : given) {
        if (w > largest || h > largest)
            return std::nullopt;
        sizes.push_back({w + gap, h + gap});
    }
    const Page page{gap, largest + gap, powerOfTwo, mayTurn};
    PackedPages packed;
    packed.placements.resize(sizes.size());
    Order left(sizes.size());
    std::iota(left.begin(), left.end(), std::size_t{0});
    // Whole pages until the rest fits on one of its own size.
    while (!left.empty()) {
        const std::optional<PageFill> last = onePage(sizes, left, page);
        const PageFill fill = last ? *last : fullPage(sizes, left, page);
        Order rest;
        for (const std::size_t i : left) {
            if (fill.at[i].x < 0)
                rest.push_back(i);
            else
                packed.placements[i] = {packed.pageSizes.size(), fill.at[i].x, fill.at[i].y, fill.at[i].turned};
        }
        packed.pageSizes.push_back(page.sizeOf(fill));
        left = std::move(rest);
    }
    return packed;
}

} // namespace iconfinder
