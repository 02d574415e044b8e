#pragma once

#include "image/color.h"
#include "image/pixel_image.h"

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace iconfinder {

// Draws frames (rectangle outlines in a pen colour, the inside untouched) and remembers the
// pixels they cover, so that the picture can be put back as it was without a second copy of
// it. The pixels are kept as runs of one colour: a frame mostly crosses background.
class FrameMemory {
public:
    // Draws the outline of `rect` (right and bottom exclusive, clipped to the picture) in `pen`;
    // when memory runs out, neither the picture nor what is remembered changes.
    void draw(PixelImage& picture, Rect rect, ColorValue pen);
    // Puts back the pixels of the frames drawn from the `first`-th on, and forgets them.
    void undrawFrom(PixelImage& picture, std::size_t first);
    // Puts back every pixel drawn over, the last frame first; the frames and what they cover
    // stay known.
    void takeBack(PixelImage& picture);
    // The frames at `out` (ascending) taken back and those of `in` (ascending places among
    // the frames after) drawn in their places, the others kept as they are: only when no
    // frame taken out or drawn crosses one kept, so that the order frames are drawn in cannot
    // show. Returns false, changing nothing, when some does.
    bool replace(PixelImage& picture, std::span<const std::size_t> out, std::span<const std::pair<std::size_t, Rect>> in, ColorValue pen);
    // Draws again every frame taken back; needs no memory, so it cannot fail.
    void redraw(PixelImage& picture) noexcept;
    void forget();

    bool empty() const { return frames_.empty(); }
    // The frames drawn, in order.
    const std::vector<Rect>& frames() const { return frames_; }

private:
    struct Run {
        Pixel value;
        std::uint32_t count;
    };
    // Appends the runs of what the outline of `rect` covers; returns how many.
    static std::uint32_t remember(const PixelImage& picture, Rect rect, std::vector<Run>& runs);
    // Puts back what the frames from the `first`-th on covered, the last first; returns where
    // their runs begin.
    std::size_t putBackFrom(PixelImage& picture, std::size_t first) const;
    // Puts back what frame `frame` covered, remembered from run `firstRun` on.
    void putBack(PixelImage& picture, std::size_t frame, std::size_t firstRun) const;
    bool crossesAKeptFrame(std::span<const std::size_t> out, std::span<const std::pair<std::size_t, Rect>> in) const;
    // The memory of the frames at `out` forgotten, and that of new frames put in their places;
    // within the memory reserved.
    void removeFrames(std::span<const std::size_t> out);
    void insertFrames(std::span<const std::pair<std::size_t, Rect>> in, const std::vector<Run>& newRuns,
                      const std::vector<std::uint32_t>& newCounts, ColorValue pen);

    std::vector<Rect> frames_;
    std::vector<ColorValue> pens_;
    std::vector<Run> covered_;               // each frame's pixels, frame after frame
    std::vector<std::uint32_t> runsPerFrame_; // how many runs each frame's are
};

// The frames taken back from the picture for as long as it lives, then drawn again however
// the scope ends, so that a failure on the way never leaves them half-gone.
class FramesSetAside {
public:
    FramesSetAside(FrameMemory& frames, PixelImage& picture) : frames_(frames), picture_(picture) { frames_.takeBack(picture_); }
    FramesSetAside(const FramesSetAside&) = delete;
    FramesSetAside& operator=(const FramesSetAside&) = delete;
    ~FramesSetAside() { frames_.redraw(picture_); }

private:
    FrameMemory& frames_;
    PixelImage& picture_;
};

// New frames in place of the drawn ones: those are taken back at once and drawn again only if
// the scope ends before keep(), so a drawing that fails leaves the picture as it was.
class FramesReplaced {
public:
    FramesReplaced(FrameMemory& frames, PixelImage& picture) : frames_(frames), picture_(picture)
    {
        frames_.takeBack(picture_);
        std::swap(earlier_, frames_);
    }
    FramesReplaced(const FramesReplaced&) = delete;
    FramesReplaced& operator=(const FramesReplaced&) = delete;
    ~FramesReplaced()
    {
        if (kept_)
            return;
        frames_.takeBack(picture_);
        std::swap(earlier_, frames_);
        frames_.redraw(picture_);
    }
    void keep() { kept_ = true; }

private:
    FrameMemory& frames_;
    PixelImage& picture_;
    FrameMemory earlier_;
    bool kept_ = false;
};

} // namespace iconfinder
