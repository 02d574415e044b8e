#include "present/frames.h"

#include "image/canvas.h"
#include "regions/icon_search.h"
#include "regions/result_lines.h"

#include <new>

namespace iconfinder {
namespace {

Canvas framingCanvas(PixelImage& displayed)
{
    Canvas canvas(displayed);
    canvas.penColor = kRed;
    canvas.brushStyle = BrushStyle::Clear;
    return canvas;
}

} // namespace

void drawFrames(PixelImage& displayed, std::span<const RegionBox> boxes)
{
    frameEach(displayed, nullptr, boxes.size(), [&](std::size_t i) { return frameRect(boxes[i]); });
}

IconSearch findIcons(PixelImage& displayed, ColorValue BackColor, FrameMemory* frames)
{
    return findIcons(displayed, BackgroundRule::colour(resolve(BackColor)), frames);
}

IconSearch findIcons(PixelImage& displayed, const BackgroundRule& rule, FrameMemory* frames)
{
    ForegroundMask WorkBitmap = maskOf(displayed, rule);
    IconSearch found;
    found.boxes = extractRegions(WorkBitmap);
    found.ResultLines = resultLines(found.boxes);
    StringList Fields;
    frameEach(displayed, frames, found.ResultLines.count(),
              [&](std::size_t i) { return frameRect(parseResultLine(found.ResultLines[i], Fields)); });
    return found;
}

void frameEach(PixelImage& displayed, FrameMemory* frames, std::size_t count, const std::function<Rect(std::size_t)>& frameOf)
{
    Canvas canvas = framingCanvas(displayed);
    const std::size_t framedBefore = frames ? frames->frames().size() : 0;
    try {
        for (std::size_t i = 0; i < count; ++i) {
            const Rect frame = frameOf(i);
            if (frames)
                frames->draw(displayed, frame, kRed);
            else
                canvas.rectangle(frame);
        }
    } catch (const std::bad_alloc&) {
        // Framing that cannot finish leaves the picture framed as before it.
        if (frames)
            frames->undrawFrom(displayed, framedBefore);
        throw;
    }
}

} // namespace iconfinder
