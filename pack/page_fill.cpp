#include "pack/page_fill.h"

#include <algorithm>
#include <tuple>

namespace iconfinder {
namespace {

struct Free {
    int x, y, w, h;
    bool contains(const Free& o) const { return o.x >= x && o.y >= y && o.x + o.w <= x + w && o.y + o.h <= y + h; }
    bool overlaps(const Free& o) const { return o.x < x + w && x < o.x + o.w && o.y < y + h && y < o.y + o.h; }
};

void record(PageFill& fill, std::size_t i, int x, int y, Size size, bool turned)
{
    fill.at[i] = {x, y, turned};
    fill.width = std::max(fill.width, x + size.w);
    fill.height = std::max(fill.height, y + size.h);
    ++fill.placed;
    fill.placedArea += static_cast<long long>(size.w) * size.h;
}

// One page: the maximal free rectangles left on it.
class MaxRects {
public:
    MaxRects(int width, int height) : free_{{0, 0, width, height}} {}

    // The free rectangle a w x h rectangle fits best by `rule`, and how well; none when it fits
    // nowhere.
    std::pair<const Free*, std::tuple<long long, long long>> bestFor(int w, int h, FitRule rule) const
    {
        const Free* best = nullptr;
        std::tuple<long long, long long> bestScore{};
        for (const Free& f : free_) {
            if (w > f.w || h > f.h)
                continue;
            const int shortSide = std::min(f.w - w, f.h - h), longSide = std::max(f.w - w, f.h - h);
            const std::tuple<long long, long long> score = rule == FitRule::ShortSide ? std::tuple<long long, long long>{shortSide, longSide}
                                                                                        : std::tuple<long long, long long>{f.y + h, f.x};
            if (!best || score < bestScore)
                best = &f, bestScore = score;
        }
        return {best, bestScore};
    }

    void place(const Free& used)
    {
        std::vector<Free> added;
        for (std::size_t i = 0; i < free_.size();) {
            const Free f = free_[i];
            if (!used.overlaps(f)) {
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

} // namespace

PageFill fillBySpaces(const std::vector<Size>& sizes, const std::vector<std::size_t>& order, int width, int height,
                      const std::vector<bool>& turned)
{
    PageFill fill;
    fill.at.resize(sizes.size());
    std::vector<Free> spaces{{0, 0, width, height}};
    for (const std::size_t i : order) {
        const Size s = sizes[i];
        for (std::size_t k = spaces.size(); k-- > 0;) {
            Free& space = spaces[k];
            if (s.w > space.w || s.h > space.h)
                continue;
            record(fill, i, space.x, space.y, s, i < turned.size() && turned[i]);
            if (s.w == space.w && s.h == space.h) {
                space = spaces.back();
                spaces.pop_back();
            } else if (s.h == space.h) {
                space.x += s.w, space.w -= s.w;
            } else if (s.w == space.w) {
                space.y += s.h, space.h -= s.h;
            } else {
                const Free right{space.x + s.w, space.y, space.w - s.w, s.h};
                space.y += s.h, space.h -= s.h;
                spaces.push_back(right);
            }
            break;
        }
    }
    return fill;
}

PageFill fillByMaxRects(const std::vector<Size>& sizes, const std::vector<std::size_t>& order, int width, int height, FitRule rule,
                        bool mayTurn)
{
    PageFill fill;
    fill.at.resize(sizes.size());
    MaxRects page(width, height);
    for (const std::size_t i : order) {
        Size s = sizes[i];
        auto [at, score] = page.bestFor(s.w, s.h, rule);
        bool turned = false;
        if (mayTurn && s.w != s.h) {
            const auto [other, otherScore] = page.bestFor(s.h, s.w, rule);
            if (other && (!at || otherScore < score))
                at = other, turned = true, std::swap(s.w, s.h);
        }
        if (at) {
            const Free used{at->x, at->y, s.w, s.h};
            record(fill, i, used.x, used.y, s, turned);
            page.place(used);
        }
    }
    return fill;
}

} // namespace iconfinder
