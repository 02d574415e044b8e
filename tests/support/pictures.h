#pragma once

// Pictures for tests and benchmarks, generated deterministically from a seed.

#include "image/pixel_image.h"

#include <cstdint>

namespace iconfinder::pictures {

inline constexpr Pixel kWhite = makePixel(255, 255, 255);

// splitmix64: the same numbers on every platform, unlike the standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }

private:
    std::uint64_t state_;
};

// Icons of about `cell` pixels (discs, rings, rings with a dot inside, diamonds with a hole;
// several colours each) on white, one per cell with a small margin; about 30% foreground.
PixelImage iconSheet(int width, int height, std::uint64_t seed, int cell = 31);

// Paints `box` (right and bottom exclusive) in `colour`.
void fill(PixelImage& picture, Rect box, Pixel colour);

// 1..64 pixels a side, 5% to 90% foreground in a few colours, background pixels now and then
// with a stray fourth byte, a colour one off the background, and blocks that make larger
// regions and regions on the edges.
PixelImage randomPicture(Random& random, Pixel background);

// Like randomPicture, with inks whose channels lie within 12 of the background's, for
// tolerance rules.
PixelImage randomNearPicture(Random& random, Pixel background);

// 1..64 pixels a side of random colours whose alpha is 0, 255 or anything between, about
// half of them below 40; for the transparent rule.
PixelImage randomAlphaPicture(Random& random);

// 60..260 pixels wide: random discs, rings, bars, lines and specks that straddle the 64-pixel
// words of a mask, some touching, some inside others.
PixelImage randomShapes(Random& random);

// Each pixel is foreground with `percent` probability, in one of a few colours.
PixelImage noise(int width, int height, int percent, std::uint64_t seed);

PixelImage chessboard(int width, int height);           // one-pixel squares: one region by corners
PixelImage antiDiagonalStripes(int width, int height);  // x + y ≡ 0 (mod 3)
PixelImage nestedRings(int width, int height);          // concentric one-pixel square rings
PixelImage comb(int width, int height);                 // a top bar with one-pixel teeth down
PixelImage filled(int width, int height);               // foreground everywhere
PixelImage dots(int width, int height);                 // single pixels at even x and even y
PixelImage verticalStripes(int width, int height);      // one-pixel columns at even x
PixelImage spiral(int width, int height);               // one one-pixel square spiral

// side / 4 "L" shapes (side the shorter edge), each a line from row 0 down to its corner and
// one from column 0 across to it, corners (X0 + 2k, Y0 + 2k) with X0 = W - 2N - 1 and
// Y0 = H - 2N - 1: nearly the same large box again and again.
PixelImage nestedLs(int width, int height);
// The same Ls, each starting one row lower and one column further right than the last.
PixelImage staircase(int width, int height);

} // namespace iconfinder::pictures
