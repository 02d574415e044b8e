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

void FrameMemory::draw(PixelImage& picture, Rect rect, ColorValue pen)
{
    const std::size_t framesBefore = frames_.size(), before = covered_.size();
    try {
        frames_.push_back(rect);
        pens_.push_back(pen);
        forEachOutlinePixel(std::as_const(picture), rect, [&](Pixel p) {
            if (covered_.size() > before && covered_.back().value == p)
                ++covered_.back().count;
            else
                covered_.push_back({p, 1});
        });
        runsPerFrame_.push_back(static_cast<std::uint32_t>(covered_.size() - before));
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
    std::size_t keptRuns = 0;
    for (std::size_t f = 0; f < first; ++f)
        keptRuns += runsPerFrame_[f];
    // The later frames as a memory of their own, taken back the usual way.
    FrameMemory later;
    later.frames_.assign(frames_.begin() + static_cast<std::ptrdiff_t>(first), frames_.end());
    later.runsPerFrame_.assign(runsPerFrame_.begin() + static_cast<std::ptrdiff_t>(first), runsPerFrame_.end());
    later.covered_.assign(covered_.begin() + static_cast<std::ptrdiff_t>(keptRuns), covered_.end());
    later.takeBack(picture);
    frames_.resize(first);
    pens_.resize(first);
    runsPerFrame_.resize(first);
    covered_.resize(keptRuns);
}

void FrameMemory::takeBack(PixelImage& picture)
{
    // Frames drawn over frames give their pixels back last drawn, first put back.
    auto next = covered_.end();
    for (std::size_t f = frames_.size(); f-- > 0;) {
        auto run = next - static_cast<std::ptrdiff_t>(runsPerFrame_[f]);
        next = run;
        std::uint32_t left = run != covered_.end() ? run->count : 0;
        forEachOutlinePixel(picture, frames_[f], [&](Pixel& p) {
            if (left == 0)
                left = (++run)->count;
            p = run->value;
            --left;
        });
    }
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
