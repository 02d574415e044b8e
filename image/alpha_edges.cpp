#include "image/alpha_edges.h"

#include <cstdint>
#include <vector>

namespace iconfinder {

void bleedIntoTransparent(PixelImage& picture)
{
    const int width = picture.width(), height = picture.height();
    Pixel* pixels = picture.row(0);
    const std::size_t count = picture.pixelCount();
    std::vector<std::uint8_t> coloured(count);
    std::vector<std::uint32_t> queue;
    for (std::size_t i = 0; i < count; ++i)
        coloured[i] = alphaOf(pixels[i]) != 0;
    const auto eachNeighbour = [&](std::uint32_t i, auto visit) {
        const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if ((dx || dy) && x + dx >= 0 && x + dx < width && y + dy >= 0 && y + dy < height)
                    visit(static_cast<std::uint32_t>(i + static_cast<std::int64_t>(dy) * width + dx));
    };
    // The visible pixels on an edge start the spread; it then goes out one ring at a time, so
    // each transparent pixel takes the colour of one of its nearest.
    for (std::uint32_t i = 0; i < count; ++i) {
        bool edge = false;
        if (coloured[i])
            eachNeighbour(i, [&](std::uint32_t k) { edge = edge || !coloured[k]; });
        if (edge)
            queue.push_back(i);
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::uint32_t from = queue[head];
        eachNeighbour(from, [&](std::uint32_t k) {
            if (!coloured[k]) {
                coloured[k] = 1;
                pixels[k] = pixels[from] & kColourBits;
                queue.push_back(k);
            }
        });
    }
}

void premultiplyAlpha(PixelImage& picture)
{
    Pixel* pixels = picture.row(0);
    for (std::size_t i = 0; i < picture.pixelCount(); ++i) {
        const Pixel p = pixels[i];
        const unsigned a = alphaOf(p);
        const auto times = [a](unsigned c) { return static_cast<std::uint8_t>((c * a + 127) / 255); };
        pixels[i] = makePixel(times(redOf(p)), times(greenOf(p)), times(blueOf(p)), static_cast<std::uint8_t>(a));
    }
}

} // namespace iconfinder
