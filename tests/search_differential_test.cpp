// The fast search against the literal reference: the same result lines and the same working
// picture afterwards, on thousands of random pictures and on the hard patterns.
#include "color_table.h"
#include "pictures.h"
#include "reference_search.h"
#include "region_extraction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace iconfinder;

namespace {

struct Outcome {
    std::vector<std::string> lines;
    PixelImage work;
};

Outcome fast(PixelImage work, ColorValue background)
{
    RegionExtraction extraction(work, background);
    while (extraction.FindOneRegion()) {
    }
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < extraction.ResultLines().count(); ++i)
        lines.emplace_back(extraction.ResultLines()[i]);
    return {lines, std::move(work)};
}

Outcome slow(PixelImage work, ColorValue background)
{
    std::vector<std::string> lines = reference::findAll(work, background);
    return {lines, std::move(work)};
}

void expectSame(const PixelImage& picture, ColorValue background, const std::string& what)
{
    const Outcome a = fast(picture, background);
    const Outcome b = slow(picture, background);
    ASSERT_EQ(a.lines, b.lines) << what;
    ASSERT_TRUE(a.work == b.work) << what << ": working pictures differ";
}

// A random picture: background (sometimes with a stray fourth byte), a few colours, and
// now and then blocks that make larger regions and regions on the edges.
PixelImage randomPicture(pictures::Random& random, ColorValue background)
{
    const int width = random.between(1, 64);
    const int height = random.between(1, 64);
    const int density = random.between(5, 90);
    const Pixel back = toPixel(background);
    const Pixel inks[] = {back | 0xFF000000u, makePixel(0, 0, 0), makePixel(255, 0, 0), makePixel(255, 255, 255),
                          makePixel(10, 20, 30, 99), back ^ 0x00000001u};
    PixelImage picture(width, height, back);
    for (Pixel& p : picture.pixels())
        if (random.chance(density))
            p = inks[random.below(6)];
    for (int blocks = random.below(4); blocks > 0; --blocks) {
        const int x0 = random.below(width), y0 = random.below(height);
        const int x1 = std::min(width, x0 + random.between(1, 12)), y1 = std::min(height, y0 + random.between(1, 12));
        const Pixel fill = random.chance(50) ? back : inks[1];
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                picture.at(x, y) = fill;
    }
    return picture;
}

TEST(SearchMatchesReference, RandomPictures)
{
    const ColorValue backgrounds[] = {kWhite, rgbColor(0, 0, 255), *colorByName("BtnFace"), rgbColor(0, 0, 0)};
    pictures::Random random(20261206);
    for (int i = 0; i < 4000; ++i) {
        const ColorValue background = backgrounds[i % 4];
        expectSame(randomPicture(random, background), background, "picture " + std::to_string(i));
        if (HasFatalFailure())
            return;
    }
}

TEST(SearchMatchesReference, HardPatternsAtSmallSizes)
{
    for (int size : {1, 2, 3, 7, 16, 33}) {
        for (int other : {1, 5, 24}) {
            expectSame(pictures::chessboard(size, other), kWhite, "chessboard");
            expectSame(pictures::antiDiagonalStripes(size, other), kWhite, "stripes");
            expectSame(pictures::nestedRings(size, other), kWhite, "rings");
            expectSame(pictures::comb(size, other), kWhite, "comb");
            expectSame(pictures::filled(size, other), kWhite, "filled");
            expectSame(pictures::noise(size, other, 90, 7), kWhite, "noise");
            expectSame(pictures::iconSheet(size * 4, other * 4, 3, 16), kWhite, "sheet");
        }
    }
}

} // namespace
