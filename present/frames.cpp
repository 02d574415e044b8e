#include "present/frames.h"

#include "image/canvas.h"
#include "search/icon_search.h"
#include "search/result_lines.h"

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
    Canvas canvas = framingCanvas(displayed);
    for (const RegionBox& box : boxes)
        canvas.rectangle(frameRect(box));
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
    Canvas canvas = framingCanvas(displayed);
    const std::size_t framedBefore = frames ? frames->frames().size() : 0;
    try {
        for (std::size_t i = 0; i < found.ResultLines.count(); ++i) {
            const Rect frame = frameRect(parseResultLine(found.ResultLines[i], Fields));
            if (frames)
                frames->draw(displayed, frame, kRed);
            else
                canvas.rectangle(frame);
        }
    } catch (const std::bad_alloc&) {
        // A search that cannot finish leaves the picture framed as before it.
        if (frames)
            frames->undrawFrom(displayed, framedBefore);
        throw;
    }
    return found;
}

} // namespace iconfinder
