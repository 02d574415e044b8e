#include "pack/packer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace iconfinder {
namespace {

struct Free {
    int x, y, w, h;
    bool contains(const Free& o) const { return o.x >= x && o.y >= y && o.x + o.w <= x + w && o.y + o.h <= y + h; }
};

// One page: the maximal free rectangles left on it.
class MaxRects {
public:
    MaxRects(int width, int height) : free_{{0, 0, width, height}} {}

    // Where a w x h rectangle would leave the shortest side over, with that side and the long
    // one; none when it fits nowhere.
    std::optional<std::pair<Free, std::pair<int, int>>> bestFor(int w, int h) const
    {
        std::optional<std::pair<Free, std::pair<int, int>>> best;
        for (const Free& f : free_) {
            if (w > f.w || h > f.h)
                continue;
            const int shortSide = std::min(f.w - w, f.h - h), longSide = std::max(f.w - w, f.h - h);
            const std::pair<int, int> score{shortSide, longSide};
            if (!best || score < best->second)
                best = {{f.x, f.y, w, h}, score};
        }
        return best;
    }

    void place(const Free& used)
    {
        std::vector<Free> added;
        for (std::size_t i = 0; i < free_.size();) {
            const Free f = free_[i];
            if (used.x >= f.x + f.w || used.x + used.w <= f.x || used.y >= f.y + f.h || used.y + used.h <= f.y) {
                ++i;
                continue;
            }
            // The parts of f on each side of the used rectangle, each as large as it can be.
            if (used.x > f.x)
                added.push_back({f.x, f.y, used.x - f.x, f.h});
            if (used.x + used.w < f.x + f.w)
                added.push_back({used.x + used.w, f.y, f.x + f.w - used.x - used.w, f.h});
            if (used.y > f.y)
                added.push_back({f.x, f.y, f.w, used.y - f.y});
            if (used.y + used.h < f.y + f.h)
                added.push_back({f.x, used.y + used.h, f.w, f.y + f.h - used.y - used.h});
            free_[i] = free_.back();
            free_.pop_back();
        }
        // Only the new rectangles can be contained in another: the old ones were maximal.
        for (std::size_t i = 0; i < added.size(); ++i) {
            bool inside = std::any_of(free_.begin(), free_.end(), [&](const Free& f) { return f.contains(added[i]); });
            for (std::size_t k = 0; k < added.size() && !inside; ++k)
                inside = k != i && added[k].contains(added[i]) && !(added[i].contains(added[k]) && k > i);
            if (!inside)
                free_.push_back(added[i]);
        }
    }

private:
    std::vector<Free> free_;
};

int powerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}


// Largest side first, then largest area; equal ones keep their order.
std::vector<std::size_t> largestFirst(const std::vector<std::pair<int, int>>& sizes)
{
    std::vector<std::size_t> order(sizes.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto [aw, ah] = sizes[a];
        const auto [bw, bh] = sizes[b];
        return std::max(aw, ah) != std::max(bw, bh) ? std::max(aw, ah) > std::max(bw, bh)
                                                    : std::int64_t{aw} * ah > std::int64_t{bw} * bh;
    });
    return order;
}

// The rectangles on a first page of `side` and pages of `largest` after it; none when the
// first page overflows while it may still grow.
std::optional<PackedPages> packOnPages(const std::vector<std::pair<int, int>>& sizes, const std::vector<std::size_t>& order, int side,
                                       int largest, int gap)
{
    PackedPages packed;
    packed.placements.resize(sizes.size());
    std::vector<MaxRects> pages;
    for (const std::size_t i : order) {
        const auto [w, h] = sizes[i];
        std::optional<std::pair<Free, std::pair<int, int>>> best;
        std::size_t page = 0;
        for (; page < pages.size() && !(best = pages[page].bestFor(w, h)); ++page) {
        }
        if (!best) {
            if (!pages.empty() && side < largest)
                return std::nullopt;
            pages.emplace_back(pages.empty() ? side : largest, pages.empty() ? side : largest);
            packed.pageSizes.emplace_back(0, 0);
            best = pages.back().bestFor(w, h);
            page = pages.size() - 1;
        }
        pages[page].place(best->first);
        packed.placements[i] = {page, best->first.x, best->first.y};
        auto& [pw, ph] = packed.pageSizes[page];
        pw = std::max(pw, best->first.x + w - gap);
        ph = std::max(ph, best->first.y + h - gap);
    }
    return packed;
}

} // namespace

std::optional<PackedPages> packRectangles(const std::vector<std::pair<int, int>>& given, int gap, int largest, bool powerOfTwo)
{
    // Each rectangle with the gap after it, on a page as much wider and higher, so that the
    // last ones need no gap inside the page.
    std::vector<std::pair<int, int>> sizes;
    for (const auto& [w, h] : given) {
        if (w > largest || h > largest)
            return std::nullopt;
        sizes.emplace_back(w + gap, h + gap);
    }
    const int limit = largest;
    largest += gap;
    const std::vector<std::size_t> order = largestFirst(sizes);
    // A first page about as large as the rectangles need, grown until they fit or it is as
    // large as allowed; the pages after it are as large as allowed.
    std::int64_t area = 0;
    for (const auto& [w, h] : sizes)
        area += std::int64_t{w} * h;
    int side = std::min<int>(largest, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(area) / 0.9))));
    for (const auto& [w, h] : sizes)
        side = std::max({side, w, h});
    std::optional<PackedPages> packed;
    while (!(packed = packOnPages(sizes, order, side, largest, gap)))
        side = std::min(largest, side + std::max(1, side / 10));
    if (powerOfTwo)
        for (auto& [pw, ph] : packed->pageSizes)
            pw = std::min(limit, powerOfTwoAtLeast(pw)), ph = std::min(limit, powerOfTwoAtLeast(ph));
    return packed;
}

} // namespace iconfinder
