// The fast search against the literal reference, one call at a time: the same boxes, and after
// every call the working mask equal to the reference's working picture, pixel for pixel as
// foreground and background. On thousands of random pictures under every kind of rule, and on
// the hard patterns.
#include "image/color_table.h"
#include "mask/foreground_mask.h"
#include "regions/region_extraction.h"
#include "regions/region_owners.h"
#include "regions/result_lines.h"
#include "tests/support/pictures.h"
#include "tests/support/reference_search.h"

#include <gtest/gtest.h>

#include <string>

using namespace iconfinder;

namespace {

void expectSame(const PixelImage& picture, const reference::Rule& slowRule, const BackgroundRule& fastRule, const std::string& what)
{
    PixelImage work = picture;
    reference::Search slow(slowRule);
    ForegroundMask mask = maskOf(picture, fastRule);
    RegionExtraction fast(mask);
    for (int call = 1;; ++call) {
        const bool found = fast.FindOneRegion();
        ASSERT_EQ(found, slow.FindOneRegion(work)) << what << ", call " << call;
        if (!found)
            return;
        std::string line;
        appendResultLine(line, fast.boxes().back());
        ASSERT_EQ(line, slow.ResultLines.back()) << what << ", call " << call;
        for (int y = 0; y < work.height(); ++y)
            for (int x = 0; x < work.width(); ++x)
                ASSERT_EQ(mask.foreground(x, y), !slowRule.isBackground(work.at(x, y)))
                    << what << ", call " << call << ": working state differs at (" << x << ", " << y << ")";
    }
}

void expectSameUnderColour(const PixelImage& picture, ColorValue colour, int tolerance, const std::string& what)
{
    expectSame(picture, reference::Rule::colourRule(colour, tolerance),
               BackgroundRule::colour(resolve(colour), static_cast<std::uint8_t>(tolerance)), what);
}

// Each picture under one kind of rule: a colour (with shapes across the mask's words now and
// then), a colour within a tolerance, or transparency.
TEST(SearchMatchesReference, RandomPicturesUnderEveryRule)
{
    const ColorValue backgrounds[] = {kWhite, rgbColor(0, 0, 255), *colorByName("BtnFace"), rgbColor(0, 0, 0), rgbColor(128, 64, 200)};
    pictures::Random random(20261206);
    for (int i = 0; i < 8000 && !HasFatalFailure(); ++i) {
        const ColorValue background = backgrounds[i % 5];
        const int transparency = std::array{0, 0, 1, 17, 39, 128, 254, 255}[static_cast<std::size_t>(i / 3 % 8)];
        const int tolerance = i % 3 == 0 ? 0 : i % 3 == 2 ? transparency : transparency == 255 ? 255 : random.below(14);
        const std::string what = "picture " + std::to_string(i) + ", tolerance " + std::to_string(tolerance);
        if (i % 3 == 0)
            expectSameUnderColour(pictures::randomPicture(random, toPixel(background)), background, 0, what);
        if (i % 9 == 0)
            expectSameUnderColour(pictures::randomShapes(random), kWhite, 0, "shapes " + std::to_string(i));
        if (i % 3 == 1)
            expectSameUnderColour(pictures::randomNearPicture(random, toPixel(background)), background, tolerance, what);
        if (i % 3 == 2)
            expectSame(pictures::randomAlphaPicture(random), reference::Rule::transparentRule(tolerance),
                       BackgroundRule::transparent(static_cast<std::uint8_t>(tolerance)), what);
    }
}

// Which call of the reference turned each pixel into background: the pixels that region took.
TEST(SearchMatchesReference, EveryPixelGoesWithTheRegionThatTookIt)
{
    pictures::Random random(1129);
    for (int i = 0; i < 1500; ++i) {
        const PixelImage picture = i % 2 ? pictures::randomShapes(random) : pictures::randomPicture(random, pictures::kWhite);
        const reference::Rule rule = reference::Rule::colourRule(kWhite);
        PixelImage work = picture;
        reference::Search slow(rule);
        std::vector<std::uint32_t> tookBy(picture.pixelCount(), 0);
        for (std::uint32_t call = 1; ; ++call) {
            const PixelImage before = work;
            if (!slow.FindOneRegion(work))
                break;
            for (int y = 0; y < work.height(); ++y)
                for (int x = 0; x < work.width(); ++x)
                    if (!rule.isBackground(before.at(x, y)) && rule.isBackground(work.at(x, y)))
                        tookBy[static_cast<std::size_t>(y) * work.width() + x] = call;
        }
        ForegroundMask mask = maskOf(picture, BackgroundRule::colour(resolve(kWhite)));
        RegionOwners owners(picture.width(), picture.height());
        const std::vector<RegionBox> boxes = extractOwnedRegions(mask, owners);
        ASSERT_EQ(boxes.size(), slow.ResultLines.size()) << "picture " << i;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                ASSERT_EQ(owners.at(x, y), tookBy[static_cast<std::size_t>(y) * picture.width() + x])
                    << "picture " << i << " at (" << x << ", " << y << ")";
    }
}

TEST(SearchMatchesReference, HardPatternsAtSmallSizes)
{
    for (int size : {1, 2, 3, 7, 16, 33, 64, 65, 130}) {
        for (int other : {1, 5, 24, 67}) {
            for (const auto& [name, picture] :
                 {std::pair{"chessboard", pictures::chessboard(size, other)}, {"stripes", pictures::antiDiagonalStripes(size, other)},
                  {"rings", pictures::nestedRings(size, other)}, {"comb", pictures::comb(size, other)},
                  {"filled", pictures::filled(size, other)}, {"noise", pictures::noise(size, other, 90, 7)},
                  {"dots", pictures::dots(size, other)}, {"vertical stripes", pictures::verticalStripes(size, other)},
                  {"spiral", pictures::spiral(size, other)}, {"nested Ls", pictures::nestedLs(size, other)},
                  {"staircase", pictures::staircase(size, other)}, {"sheet", pictures::iconSheet(size * 4, other * 4, 3, 16)}}) {
                expectSameUnderColour(picture, kWhite, 0, std::string(name) + " " + std::to_string(size) + " x " + std::to_string(other));
                if (HasFatalFailure())
                    return;
            }
        }
    }
}

} // namespace
