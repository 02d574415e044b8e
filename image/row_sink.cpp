#include "image/row_sink.h"

#include <cstring>
#include <utility>

namespace iconfinder {

void PictureBuilder::start(int width, int height, bool hasAlpha)
{
    picture_ = PixelImage::uninitialized(width, height, hasAlpha);
    prefault_.start(picture_.pixels().data(), picture_.pixelCount() * sizeof(Pixel));
}

PixelImage PictureBuilder::take()
{
    prefault_.finish();
    return std::move(picture_);
}

void PictureBuilder::putRow(int y, const std::byte* row, RowLayout layout) { rowPixels(row, layout, picture_.width(), picture_.row(y)); }

void PictureBuilder::putPixels(int y, int first, int step, const std::byte* row, RowLayout layout)
{
    Pixel* out = picture_.row(y);
    for (int x = first; x < picture_.width(); x += step)
        out[x] = pixelAt(row, layout, x);
}

Pixel pixelAt(const std::byte* row, RowLayout layout, int x)
{
    const std::byte* p = row + static_cast<std::size_t>(x) * (layout == RowLayout::Bgr24 ? 3 : 4);
    const Pixel colour = makePixel(std::to_integer<std::uint8_t>(p[2]), std::to_integer<std::uint8_t>(p[1]), std::to_integer<std::uint8_t>(p[0]));
    return layout == RowLayout::Bgra32 ? (colour & kColourBits) | Pixel{std::to_integer<std::uint8_t>(p[3])} << 24 : colour;
}

void rowPixels(const std::byte* row, RowLayout layout, int width, Pixel* out)
{
    switch (layout) {
    case RowLayout::Bgr24: {
        // Four bytes read at a time; the last pixel's fourth byte may lie past the row.
        int x = 0;
        for (; x + 1 < width; ++x) {
            Pixel v;
            std::memcpy(&v, row + 3 * static_cast<std::size_t>(x), sizeof v);
            out[x] = v | kAlphaBits;
        }
        if (x < width) {
            const std::byte* last = row + 3 * static_cast<std::size_t>(x);
            out[x] = makePixel(std::to_integer<std::uint8_t>(last[2]), std::to_integer<std::uint8_t>(last[1]),
                               std::to_integer<std::uint8_t>(last[0]));
        }
        break;
    }
    case RowLayout::Bgrx32:
        std::memcpy(out, row, static_cast<std::size_t>(width) * sizeof(Pixel));
        for (int x = 0; x < width; ++x)
            out[x] |= kAlphaBits;
        break;
    case RowLayout::Bgra32:
        std::memcpy(out, row, static_cast<std::size_t>(width) * sizeof(Pixel));
        break;
    }
}

} // namespace iconfinder
