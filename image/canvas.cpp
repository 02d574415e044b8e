#include "image/canvas.h"

#include <algorithm>

namespace iconfinder {
namespace {

void fillRows(PixelImage& image, int left, int top, int right, int bottom, Pixel value)
{
    // Clipping here keeps the outline of a partly visible rectangle where it would be drawn.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image.width());
    bottom = std::min(bottom, image.height());
    if (right <= left)
        return;
    for (int y = top; y < bottom; ++y)
        std::fill(image.row(y) + left, image.row(y) + right, value);
}

} // namespace

void Canvas::rectangle(Rect r)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    const Pixel pen = toPixel(penColor);
    if (brushStyle == BrushStyle::Solid)
        fillRows(image_, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1, toPixel(brushColor));
    fillRows(image_, r.left, r.top, r.right, r.top + 1, pen);
    fillRows(image_, r.left, r.bottom - 1, r.right, r.bottom, pen);
    fillRows(image_, r.left, r.top, r.left + 1, r.bottom, pen);
    fillRows(image_, r.right - 1, r.top, r.right, r.bottom, pen);
}

} // namespace iconfinder
