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

TEST(SearchMatchesReference, RandomPictures)
{
    const ColorValue backgrounds[] = {kWhite, rgbColor(0, 0, 255), *colorByName("BtnFace"), rgbColor(0, 0, 0)};
    pictures::Random random(20261206);
    for (int i = 0; i < 4000; ++i) {
        const ColorValue background = backgrounds[i % 4];
        expectSame(pictures::randomPicture(random, toPixel(background)), background, "picture " + std::to_string(i));
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
