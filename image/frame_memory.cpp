#include "image/frame_memory.h"

#include "image/canvas.h"

#include <algorithm>
#include <utility>

namespace iconfinder {
namespace {

// Calls visit(pixel) for each pixel of the outline of `r` inside the picture, once each and
// always in the same order: the top row, the bottom row, then the columns between them.
template <class Picture, class Visit>
void forEachOutlinePixel(Picture& picture, Rect r, Visit visit)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    const int left = std::max(r.left, 0), right = std::min(r.right, picture.width());
    const int lastRow = r.bottom - 1, lastColumn = r.right - 1;
    const auto row = [&](int y) {
        if (y >= 0 && y < picture.height())
            for (int x = left; x < right; ++x)
                visit(picture.at(x, y));
    };
    const auto column = [&](int x, int y) {
        if (x >= 0 && x < picture.width())
            visit(picture.at(x, y));
    };
    row(r.top);
    if (lastRow != r.top)
        row(lastRow);
    for (int y = std::max(r.top + 1, 0); y < std::min(lastRow, picture.height()); ++y) {
        column(r.left, y);
        if (lastColumn != r.left)
            column(lastColumn, y);
    }
}

void drawOutline(PixelImage& picture, Rect rect, ColorValue pen)
{
    Canvas canvas(picture);
    canvas.penColor = pen;
    canvas.brushStyle = BrushStyle::Clear;
    canvas.rectangle(rect);
}

} // namespace

std::uint32_t FrameMemory::remember(const PixelImage& picture, Rect rect, std::vector<Run>& runs)
{
    const std::size_t before = runs.size();
    forEachOutlinePixel(picture, rect, [&](Pixel p) {
        if (runs.size() > before && runs.back().value == p)
            ++runs.back().count;
        else
            runs.push_back({p, 1});
    });
    return static_cast<std::uint32_t>(runs.size() - before);
}

void FrameMemory::draw(PixelImage& picture, Rect rect, ColorValue pen)
{
    const std::size_t framesBefore = frames_.size(), before = covered_.size();
    try {
        frames_.push_back(rect);
        pens_.push_back(pen);
        runsPerFrame_.push_back(remember(picture, rect, covered_));
    } catch (...) {
        frames_.resize(framesBefore);
        pens_.resize(framesBefore);
        runsPerFrame_.resize(framesBefore);
        covered_.resize(before);
        throw;
    }
    drawOutline(picture, rect, pen);
}

void FrameMemory::undrawFrom(PixelImage& picture, std::size_t first)
{
    // In place, with no memory of its own: a search that ran out of it ends here.
    const std::size_t keptRuns = putBackFrom(picture, first);
    frames_.resize(first);
    pens_.resize(first);
    runsPerFrame_.resize(first);
    covered_.resize(keptRuns);
}

namespace {

bool crosses(const Rect& a, const Rect& b) { return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom; }

} // namespace

bool FrameMemory::crossesAKeptFrame(std::span<const std::size_t> out, std::span<const std::pair<std::size_t, Rect>> in) const
{
    std::vector<Rect> changed;
    for (const std::size_t f : out)
        changed.push_back(frames_[f]);
    for (const auto& [place, rect] : in)
        changed.push_back(rect);
    Rect around = changed.front();
    for (const Rect& r : changed)
        around = {std::min(around.left, r.left), std::min(around.top, r.top), std::max(around.right, r.right), std::max(around.bottom, r.bottom)};
    for (std::size_t f = 0, next = 0; f < frames_.size(); ++f) {
        if (next < out.size() && out[next] == f)
            ++next;
        else if (crosses(frames_[f], around) && std::any_of(changed.begin(), changed.end(), [&](const Rect& r) { return crosses(frames_[f], r); }))
            return true;
    }
    return false;
}

bool FrameMemory::replace(PixelImage& picture, std::span<const std::size_t> out, std::span<const std::pair<std::size_t, Rect>> in, ColorValue pen)
{
    if ((out.empty() && in.empty()) || crossesAKeptFrame(out, in))
        return out.empty() && in.empty();
    // Where the runs of each frame taken out begin, and all the memory wanted, first: nothing
    // may fail once the picture changes.
    std::vector<std::size_t> outRuns(out.size());
    std::size_t runs = 0, runsOut = 0;
    for (std::size_t f = 0, next = 0; f < frames_.size() && next < out.size(); runs += runsPerFrame_[f++])
        if (out[next] == f)
            runsOut += runsPerFrame_[f], outRuns[next++] = runs;
    std::size_t runsIn = 0;
    for (const auto& [place, rect] : in)
        runsIn += 2 * static_cast<std::size_t>(std::max(rect.right - rect.left, 0) + std::max(rect.bottom - rect.top, 0));
    std::vector<Run> newRuns;
    newRuns.reserve(runsIn);
    std::vector<std::uint32_t> newCounts;
    newCounts.reserve(in.size());
    const std::size_t frames = frames_.size() - out.size() + in.size();
    frames_.reserve(frames);
    pens_.reserve(frames);
    runsPerFrame_.reserve(frames);
    covered_.reserve(covered_.size() - runsOut + runsIn);

    for (std::size_t k = out.size(); k-- > 0;) // the last drawn put back first
        putBack(picture, out[k], outRuns[k]);
    removeFrames(out);
    for (const auto& [place, rect] : in) {
        newCounts.push_back(remember(picture, rect, newRuns));
        drawOutline(picture, rect, pen);
    }
    insertFrames(in, newRuns, newCounts, pen);
    return true;
}

void FrameMemory::removeFrames(std::span<const std::size_t> out)
{
    // In place, the frames after the first taken out moved down over it.
    std::size_t kept = 0, keptRuns = 0, runs = 0;
    for (std::size_t f = 0, next = 0; f < frames_.size(); runs += runsPerFrame_[f++]) {
        if (next < out.size() && out[next] == f) {
            ++next;
            continue;
        }
        if (kept != f) {
            std::copy_n(covered_.begin() + static_cast<std::ptrdiff_t>(runs), runsPerFrame_[f], covered_.begin() + static_cast<std::ptrdiff_t>(keptRuns));
            frames_[kept] = frames_[f];
            pens_[kept] = pens_[f];
            runsPerFrame_[kept] = runsPerFrame_[f];
        }
        keptRuns += runsPerFrame_[kept++];
    }
    frames_.resize(kept);
    pens_.resize(kept);
    runsPerFrame_.resize(kept);
    covered_.resize(keptRuns);
}

void FrameMemory::insertFrames(std::span<const std::pair<std::size_t, Rect>> in, const std::vector<Run>& newRuns,
                               const std::vector<std::uint32_t>& newCounts, ColorValue pen)
{
    // In place from the end: each frame moved up past the new ones after it, until none is left.
    std::size_t oldFrame = frames_.size(), oldRun = covered_.size(), newRun = newRuns.size();
    frames_.resize(frames_.size() + in.size());
    pens_.resize(frames_.size());
    runsPerFrame_.resize(frames_.size());
    covered_.resize(covered_.size() + newRuns.size());
    std::size_t run = covered_.size();
    for (std::size_t place = frames_.size(), k = in.size(); k > 0;) {
        --place;
        if (in[k - 1].first == place) {
            const std::uint32_t count = newCounts[--k];
            newRun -= count, run -= count;
            std::copy_n(newRuns.begin() + static_cast<std::ptrdiff_t>(newRun), count, covered_.begin() + static_cast<std::ptrdiff_t>(run));
            frames_[place] = in[k].second, pens_[place] = pen, runsPerFrame_[place] = count;
            continue;
        }
        const std::uint32_t count = runsPerFrame_[--oldFrame];
        oldRun -= count, run -= count;
        std::copy_backward(covered_.begin() + static_cast<std::ptrdiff_t>(oldRun), covered_.begin() + static_cast<std::ptrdiff_t>(oldRun + count),
                           covered_.begin() + static_cast<std::ptrdiff_t>(run + count));
        frames_[place] = frames_[oldFrame], pens_[place] = pens_[oldFrame], runsPerFrame_[place] = count;
    }
}

void FrameMemory::takeBack(PixelImage& picture) { putBackFrom(picture, 0); }

std::size_t FrameMemory::putBackFrom(PixelImage& picture, std::size_t first) const
{
    // Frames drawn over frames give their pixels back last drawn, first put back.
    std::size_t next = covered_.size();
    for (std::size_t f = frames_.size(); f-- > first;) {
        next -= runsPerFrame_[f];
        putBack(picture, f, next);
    }
    return next;
}

void FrameMemory::putBack(PixelImage& picture, std::size_t frame, std::size_t firstRun) const
{
    if (runsPerFrame_[frame] == 0)
        return;
    auto run = covered_.begin() + static_cast<std::ptrdiff_t>(firstRun);
    std::uint32_t left = run->count;
    forEachOutlinePixel(picture, frames_[frame], [&](Pixel& p) {
        if (left == 0)
            left = (++run)->count;
        p = run->value;
        --left;
    });
}

void FrameMemory::redraw(PixelImage& picture) noexcept
{
    // What the frames cover is remembered still: the picture under them is as it was.
    for (std::size_t i = 0; i < frames_.size(); ++i)
        drawOutline(picture, frames_[i], pens_[i]);
}

void FrameMemory::forget()
{
    frames_.clear();
    pens_.clear();
    covered_.clear();
    runsPerFrame_.clear();
}

} // namespace iconfinder
