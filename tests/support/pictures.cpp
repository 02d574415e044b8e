#include "tests/support/pictures.h"

#include <algorithm>

namespace iconfinder::pictures {
namespace {

constexpr Pixel kInk[] = {makePixel(0, 0, 0), makePixel(200, 30, 30), makePixel(30, 140, 40), makePixel(20, 60, 200),
                          makePixel(240, 200, 20), makePixel(120, 40, 160)};

Pixel ink(Random& random) { return kInk[random.below(6)]; }

} // namespace

std::uint64_t Random::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

PixelImage iconSheet(int width, int height, std::uint64_t seed, int cell)
{
    Random random(seed);
    PixelImage image(width, height, kWhite);
    for (int top = 0; top + cell <= height; top += cell) {
        for (int left = 0; left + cell <= width; left += cell) {
            const int size = random.between(cell * 2 / 3, cell - 3);
            const int x0 = left + random.between(1, cell - size - 1);
            const int y0 = top + random.between(1, cell - size - 1);
            const int r = size / 2;
            const int cx = x0 + r, cy = y0 + r;
            const int kind = random.below(4);
            const Pixel colour = ink(random);
            for (int y = y0; y < y0 + size; ++y) {
                for (int x = x0; x < x0 + size; ++x) {
                    const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                    bool on = false;
                    switch (kind) {
                    case 0: on = d2 <= r * r; break;                                // disc
                    case 1: on = d2 <= r * r && d2 >= (r - 3) * (r - 3); break;     // ring
                    case 2: on = (d2 <= r * r && d2 >= (r - 3) * (r - 3)) || d2 <= 4; break; // ring with a dot
                    case 3: on = std::abs(x - cx) + std::abs(y - cy) <= r && std::abs(x - cx) + std::abs(y - cy) > r / 2; break; // diamond with a hole
                    }
                    if (on)
                        image.at(x, y) = (x + y) % 7 == 0 ? ink(random) : colour;
                }
            }
        }
    }
    return image;
}

void fill(PixelImage& picture, Rect box, Pixel colour)
{
    for (int y = box.top; y < box.bottom; ++y)
        std::fill(picture.row(y) + box.left, picture.row(y) + box.right, colour);
}

PixelImage randomPicture(Random& random, Pixel back)
{
    const int width = random.between(1, 64);
    const int height = random.between(1, 64);
    const int density = random.between(5, 90);
    const Pixel inks[] = {back | 0xFF000000u, makePixel(0, 0, 0), makePixel(255, 0, 0), makePixel(255, 255, 255),
                          makePixel(10, 20, 30, 99), back ^ 0x00000001u};
    PixelImage picture(width, height, back);
    for (Pixel& p : picture.pixels())
        if (random.chance(density))
            p = inks[random.below(6)];
    for (int blocks = random.below(4); blocks > 0; --blocks) {
        const int x0 = random.below(width), y0 = random.below(height);
        const int x1 = std::min(width, x0 + random.between(1, 12)), y1 = std::min(height, y0 + random.between(1, 12));
        fill(picture, {x0, y0, x1, y1}, random.chance(50) ? back : inks[1]);
    }
    return picture;
}

PixelImage randomNearPicture(Random& random, Pixel back)
{
    PixelImage picture = randomPicture(random, back);
    const auto near = [&](std::uint8_t channel) {
        return static_cast<std::uint8_t>(std::clamp(channel + random.between(-12, 12), 0, 255));
    };
    for (Pixel& p : picture.pixels())
        if (random.chance(40))
            p = makePixel(near(redOf(back)), near(greenOf(back)), near(blueOf(back)), static_cast<std::uint8_t>(random.below(256)));
    return picture;
}

PixelImage randomAlphaPicture(Random& random)
{
    const int width = random.between(1, 64);
    const int height = random.between(1, 64);
    PixelImage picture(width, height, 0, true);
    const int opaque = random.between(0, 100);
    for (Pixel& p : picture.pixels()) {
        const int alpha = random.chance(opaque) ? 255 : random.chance(50) ? random.below(40) : random.below(256);
        p = makePixel(static_cast<std::uint8_t>(random.below(256)), static_cast<std::uint8_t>(random.below(4)),
                      static_cast<std::uint8_t>(random.below(256)), static_cast<std::uint8_t>(alpha));
    }
    return picture;
}

PixelImage randomShapes(Random& random)
{
    const int width = random.between(60, 260), height = random.between(1, 80);
    PixelImage picture(width, height, kWhite);
    for (int shapes = random.between(1, 14); shapes > 0; --shapes) {
        const int cx = random.below(width), cy = random.below(height), r = random.between(1, 40);
        const int inner = random.chance(40) ? random.below(r) : -1;
        const int kind = random.below(5);
        const Pixel colour = ink(random);
        for (int y = std::max(0, cy - r); y <= std::min(height - 1, cy + r); ++y) {
            for (int x = std::max(0, cx - r); x <= std::min(width - 1, cx + r); ++x) {
                const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                bool on = false;
                switch (kind) {
                case 0: on = d2 <= r * r && d2 > inner * inner; break;        // disc or ring
                case 1: on = std::abs(y - cy) <= r / 8; break;                  // bar
                case 2: on = std::abs((x - cx) - (y - cy)) <= 1; break;         // diagonal line
                case 3: on = (x + y) % 2 == 0 && d2 <= r * r; break;            // chequered disc
                case 4: on = x % 64 < 5 || x % 64 > 59 ? random.chance(45) : false; break; // specks where words meet
                }
                if (on)
                    picture.at(x, y) = colour;
            }
        }
    }
    return picture;
}

PixelImage noise(int width, int height, int percent, std::uint64_t seed)
{
    Random random(seed);
    PixelImage image(width, height, kWhite);
    for (Pixel& p : image.pixels())
        if (random.chance(percent))
            p = ink(random);
    return image;
}

namespace {

template <class Rule>
PixelImage pattern(int width, int height, Rule on)
{
    PixelImage image(width, height, kWhite);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (on(x, y))
                image.at(x, y) = kInk[0];
    return image;
}

} // namespace

PixelImage chessboard(int width, int height) { return pattern(width, height, [](int x, int y) { return (x + y) % 2 == 0; }); }

PixelImage antiDiagonalStripes(int width, int height) { return pattern(width, height, [](int x, int y) { return (x + y) % 3 == 0; }); }

PixelImage nestedRings(int width, int height)
{
    return pattern(width, height, [=](int x, int y) { return std::min({x, y, width - 1 - x, height - 1 - y}) % 2 == 0; });
}

PixelImage comb(int width, int height) { return pattern(width, height, [](int x, int y) { return y == 0 || x % 2 == 0; }); }

PixelImage filled(int width, int height) { return pattern(width, height, [](int, int) { return true; }); }

PixelImage dots(int width, int height) { return pattern(width, height, [](int x, int y) { return x % 2 == 0 && y % 2 == 0; }); }

PixelImage verticalStripes(int width, int height) { return pattern(width, height, [](int x, int) { return x % 2 == 0; }); }

PixelImage spiral(int width, int height)
{
    // A turtle walks from the top-left corner, turning right one pixel before the edge or its
    // own earlier track, so that neighbouring turns never touch.
    PixelImage image(width, height, kWhite);
    const auto free = [&](int x, int y) { return x < 0 || y < 0 || x >= width || y >= height || image.at(x, y) != kInk[0]; };
    const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < width && y < height; };
    int x = 0, y = 0, dx = 1, dy = 0;
    image.at(0, 0) = kInk[0];
    for (bool moved = true; moved;) {
        moved = false;
        while (inside(x + dx, y + dy) && free(x + dx, y + dy) && free(x + 2 * dx, y + 2 * dy)) {
            x += dx;
            y += dy;
            image.at(x, y) = kInk[0];
            moved = true;
        }
        const int turned = dx;
        dx = -dy;
        dy = turned;
    }
    return image;
}

namespace {

PixelImage ls(int width, int height, bool stepped)
{
    const int n = std::min(width, height) / 4;
    const int x0 = width - 2 * n - 1, y0 = height - 2 * n - 1;
    PixelImage image(width, height, kWhite);
    for (int k = 0; k < n; ++k) {
        const int cornerX = x0 + 2 * k, cornerY = y0 + 2 * k, start = stepped ? k : 0;
        for (int y = start; y <= cornerY; ++y)
            image.at(cornerX, y) = kInk[0];
        for (int x = start; x <= cornerX; ++x)
            image.at(x, cornerY) = kInk[0];
    }
    return image;
}

} // namespace

PixelImage nestedLs(int width, int height) { return ls(width, height, false); }

PixelImage staircase(int width, int height) { return ls(width, height, true); }

} // namespace iconfinder::pictures
