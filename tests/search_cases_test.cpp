// The worked example and the edge cases a reader of the search should see.
#include "common/errors.h"
#include "image/canvas.h"
#include "image/color_table.h"
#include "image/frame_memory.h"
#include "present/frames.h"
#include "regions/icon_search.h"
#include "regions/region_extraction.h"
#include "regions/result_lines.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace iconfinder;

namespace {

constexpr Pixel kWhitePixel = makePixel(255, 255, 255);
constexpr Pixel kBlackPixel = makePixel(0, 0, 0);
constexpr Pixel kRedPixel = makePixel(255, 0, 0);

PixelImage pictureWith(int width, int height, const std::vector<std::pair<int, int>>& black, Pixel back = kWhitePixel)
{
    PixelImage picture(width, height, back);
    for (auto [x, y] : black)
        picture.at(x, y) = kBlackPixel;
    return picture;
}

std::vector<std::string> linesOf(const StringList& list)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < list.count(); ++i)
        lines.emplace_back(list[i]);
    return lines;
}

std::vector<std::string> linesOf(const std::vector<RegionBox>& boxes) { return linesOf(resultLines(boxes)); }

BackgroundRule ruleOf(ColorValue colour) { return BackgroundRule::colour(resolve(colour)); }

std::vector<std::pair<int, int>> workedExample()
{
    std::vector<std::pair<int, int>> black;
    for (int i = 1; i <= 6; ++i) {
        black.emplace_back(i, 1);
        black.emplace_back(1, i);
    }
    black.emplace_back(3, 4); // dot A
    black.emplace_back(6, 4); // dot B
    return black;
}

TEST(RegionExtraction, WorkedExampleFoundAndFramed)
{
    ForegroundMask work = maskOf(pictureWith(8, 8, workedExample()), ruleOf(kWhite));
    RegionExtraction extraction(work);
    ASSERT_TRUE(extraction.FindOneRegion());
    EXPECT_EQ(extraction.boxes()[0], (RegionBox{1, 1, 6, 6}));
    EXPECT_FALSE(work.foreground(3, 4)) << "dot A is swallowed by the erased box";
    EXPECT_TRUE(work.foreground(6, 4)) << "dot B lies in the box's last column";
    ASSERT_TRUE(extraction.FindOneRegion());
    EXPECT_EQ(linesOf(extraction.boxes()), (std::vector<std::string>{"1 , 1 , 6 , 6 ", "6 , 4 , 6 , 4 "}));
    EXPECT_FALSE(extraction.FindOneRegion());
    EXPECT_FALSE(extraction.FindOneRegion()) << "stays false";
    EXPECT_EQ(extraction.boxes().size(), 2u);
    // Framed: the box's outermost pixels red, the dot inside left black.
    PixelImage displayed = pictureWith(8, 8, workedExample());
    const PixelImage before = displayed;
    findIcons(displayed, kWhite);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool onFrame = ((x == 1 || x == 6) && y >= 1 && y <= 6) || ((y == 1 || y == 6) && x >= 1 && x <= 6);
            EXPECT_EQ(displayed.at(x, y), onFrame ? kRedPixel : before.at(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(displayed.at(3, 4), kBlackPixel) << "dot A stays black inside the first frame";
}

struct Case {
    const char* name;
    int width, height;
    std::vector<std::pair<int, int>> black;
    std::vector<std::string> lines;
};

TEST(RegionExtraction, EdgeCases)
{
    std::vector<std::pair<int, int>> ring = {{5, 5}}, uShape;
    for (int i = 1; i <= 7; ++i) {
        ring.insert(ring.end(), {{i + 1, 2}, {i + 1, 8}, {2, i + 1}, {8, i + 1}});
        uShape.insert(uShape.end(), {{1, i}, {5, i}, {std::min(i, 5), 7}});
    }

    const std::vector<Case> cases = {
        {"empty 0 x 0", 0, 0, {}, {}},
        {"width 0", 0, 5, {}, {}},
        {"height 0", 5, 0, {}, {}},
        {"all background", 9, 4, {}, {}},
        {"anti-diagonal touch joins", 6, 6, {{3, 2}, {2, 3}}, {"2 , 2 , 3 , 3 "}},
        {"no wrap between rows", 5, 3, {{4, 0}, {0, 1}}, {"4 , 0 , 4 , 0 ", "0 , 1 , 0 , 1 "}},
        {"dot inside a ring is swallowed", 12, 12, ring, {"2 , 2 , 8 , 8 "}},
        {"U joined at the bottom", 8, 9, uShape, {"1 , 1 , 5 , 7 "}},
        {"a dot in the box's last row survives", 10, 10, {{1, 1}, {2, 1}, {3, 2}, {3, 3}, {1, 3}},
         {"1 , 1 , 3 , 3 ", "1 , 3 , 1 , 3 "}},
    };
    for (const Case& c : cases) {
        ForegroundMask work = maskOf(pictureWith(c.width, c.height, c.black), ruleOf(kWhite));
        EXPECT_EQ(linesOf(extractRegions(work)), c.lines) << c.name;
        EXPECT_TRUE(work == ForegroundMask(c.width, c.height)) << c.name << ": work is all background afterwards";
    }
}

TEST(IconSearch, FramesAreBackgroundWhenRedIsChosen)
{
    PixelImage displayed = pictureWith(5, 1, {{2, 0}});
    findIcons(displayed, kWhite);
    ASSERT_EQ(displayed.at(2, 0), kRedPixel);
    // The white is foreground now, cut in two by the frame.
    EXPECT_EQ(linesOf(findIcons(displayed, kRed).ResultLines), (std::vector<std::string>{"0 , 0 , 1 , 0 ", "3 , 0 , 4 , 0 "}));
}

TEST(Canvas, RectangleCoversRightAndBottomExclusive)
{
    PixelImage picture(10, 10, kWhitePixel);
    Canvas canvas(picture);
    canvas.penColor = kRed;
    canvas.brushColor = rgbColor(0, 0, 0);
    canvas.rectangle({5, 5, 6, 6});
    canvas.rectangle({5, 5, 5, 9});
    canvas.rectangle({7, 7, 6, 9});
    EXPECT_EQ(std::ranges::count(picture.pixels(), kWhitePixel), 99) << "empty rectangles draw nothing";
    EXPECT_EQ(picture.at(5, 5), kRedPixel);

    canvas.rectangle({0, 0, 4, 4});
    EXPECT_EQ(picture.at(1, 1), kBlackPixel) << "solid brush fills the inside";
    EXPECT_EQ(picture.at(3, 3), kRedPixel) << "pen on the last covered column and row";
    EXPECT_EQ(picture.at(4, 4), kWhitePixel);
    canvas.brushStyle = BrushStyle::Clear;
    canvas.penColor = kWhite;
    canvas.rectangle({0, 0, 4, 4});
    EXPECT_EQ(picture.at(1, 1), kBlackPixel) << "clear brush leaves the inside";
    EXPECT_EQ(picture.at(0, 3), kWhitePixel);
}

TEST(Colours, ResolutionAndBackgroundWrittenEitherWay)
{
    EXPECT_EQ(resolve(255), (Rgb{255, 0, 0})) << "255 is pure red: the low byte";
    EXPECT_EQ(resolve(*colorByName("btnface")), (Rgb{212, 208, 200})) << "a system colour, by any case";
    EXPECT_EQ(resolve(systemColor(200)), (Rgb{0, 0, 0}));
    EXPECT_EQ(toPixel(rgbColor(1, 2, 3)), makePixel(1, 2, 3, 255)) << "drawn colours are opaque";
    // Every named colour, drawn by the canvas or stored as a pixel (the fourth byte never
    // counts), reads as that background.
    for (const NamedColor& colour : namedColors()) {
        PixelImage picture(3, 3, kBlackPixel ^ 0x010101u);
        Canvas canvas(picture);
        canvas.penColor = canvas.brushColor = colour.value;
        canvas.rectangle({0, 0, 2, 3});
        picture.at(2, 0) = toPixel(colour.value) ^ 0x7F000000u;
        EXPECT_EQ(linesOf(findRegions(picture, ruleOf(colour.value))), std::vector<std::string>{"2 , 1 , 2 , 2 "}) << colour.name;
    }
}

TEST(PixelImage, SizesOutsideTheLimitsAreRefused)
{
    EXPECT_THROW(PixelImage(-1, 4, 0), std::invalid_argument);
    EXPECT_THROW(PixelImage(1 << 16, 1 << 15, 0), Error);
}

TEST(FrameMemory, TakesBackExactlyWhatFramesCovered)
{
    pictures::Random random(3);
    for (int i = 0; i < 500; ++i) {
        const PixelImage original = pictures::randomPicture(random, toPixel(kWhite));
        PixelImage picture = original;
        FrameMemory frames;
        // Frames over frames, one pixel wide or high, partly outside, empty; red and blues.
        const int count = random.below(12);
        const auto pen = [&](std::size_t k) { return k % 2 ? kRed : rgbColor(0, 0, static_cast<std::uint8_t>(k)); };
        for (int k = 0; k < count; ++k) {
            const int left = random.between(-3, original.width()), top = random.between(-3, original.height());
            frames.draw(picture, {left, top, left + random.between(0, 30), top + random.between(0, 30)}, pen(static_cast<std::size_t>(k)));
        }
        PixelImage direct = original;
        for (std::size_t k = 0; k < frames.frames().size(); ++k) {
            Canvas canvas(direct);
            canvas.penColor = pen(k);
            canvas.brushStyle = BrushStyle::Clear;
            canvas.rectangle(frames.frames()[k]);
        }
        ASSERT_TRUE(picture == direct) << "frames drawn as the canvas draws them, picture " << i;
        const PixelImage framed = picture;
        // The later frames alone taken back (a search that could not finish): the picture as
        // the earlier ones left it.
        const std::size_t keep = static_cast<std::size_t>(random.below(static_cast<int>(frames.frames().size()) + 1));
        PixelImage earlier = original;
        for (std::size_t k = 0; k < keep; ++k)
            FrameMemory().draw(earlier, frames.frames()[k], pen(k));
        FrameMemory partly = frames;
        PixelImage undone = picture;
        partly.undrawFrom(undone, keep);
        ASSERT_TRUE(undone == earlier) << "picture " << i << ", frames kept " << keep;
        partly.takeBack(undone);
        ASSERT_TRUE(undone == original) << "picture " << i;
        // Frames taken out and put in where they cross no other: as if the new list were drawn.
        std::vector<std::pair<Rect, ColorValue>> listed;
        for (std::size_t k = 0; k < frames.frames().size(); ++k)
            listed.emplace_back(frames.frames()[k], pen(k));
        std::vector<std::size_t> out;
        for (std::size_t k = listed.size(); k-- > 0;)
            if (random.chance(20))
                out.insert(out.begin(), k), listed.erase(listed.begin() + static_cast<std::ptrdiff_t>(k));
        std::vector<std::pair<std::size_t, Rect>> in;
        for (int k = random.below(3); k > 0; --k) {
            const std::size_t place = static_cast<std::size_t>(random.below(static_cast<int>(listed.size()) + 1));
            const int left = random.between(0, original.width()), top = random.between(0, original.height());
            listed.insert(listed.begin() + static_cast<std::ptrdiff_t>(place), {Rect{left, top, left + random.between(1, 9), top + random.between(1, 9)}, kRed});
            for (auto& [at, rect] : in)
                at += at >= place;
            in.emplace_back(place, listed[place].first);
            std::sort(in.begin(), in.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        }
        FrameMemory replaced = frames;
        PixelImage redrawn = picture;
        if (replaced.replace(redrawn, out, in, kRed)) {
            PixelImage fresh = original;
            FrameMemory drawn;
            for (const auto& [rect, pen] : listed)
                drawn.draw(fresh, rect, pen);
            ASSERT_TRUE(redrawn == fresh && replaced.frames() == drawn.frames()) << "picture " << i;
            replaced.takeBack(redrawn);
            ASSERT_TRUE(redrawn == original) << "picture " << i;
        }
        frames.takeBack(picture);
        ASSERT_TRUE(picture == original) << "picture " << i;
        frames.redraw(picture);
        ASSERT_TRUE(picture == framed) << "picture " << i;
        frames.takeBack(picture);
        ASSERT_TRUE(picture == original) << "set aside again, picture " << i;
    }
}

TEST(ForegroundMask, ThreeAndFourBytePixelsGiveTheSameMask)
{
    // Every row width around the 16-pixel steps and the 64-pixel words, colours near the
    // background and tolerances that cut through them; the slow rule decides each pixel.
    pictures::Random random(12);
    for (int width = 1; width <= 200; ++width) {
        const BackgroundRule rule = BackgroundRule::colour({200, 100, 50}, static_cast<std::uint8_t>(width % 7 == 0 ? 0 : width % 9));
        std::vector<std::byte> bytes;
        std::vector<Pixel> pixels;
        for (int x = 0; x < width; ++x) {
            const auto near = [&](int c) { return static_cast<std::uint8_t>(random.chance(50) ? c + random.between(-9, 9) : random.below(256)); };
            const Pixel p = pixels.emplace_back(makePixel(near(200), near(100), near(50), static_cast<std::uint8_t>(random.below(256))));
            bytes.insert(bytes.end(), {std::byte{blueOf(p)}, std::byte{greenOf(p)}, std::byte{redOf(p)}});
        }
        MaskBuilder fromThree(rule), fromFour(rule);
        fromThree.start(width, 1, false);
        fromFour.start(width, 1, true);
        fromThree.putRow(0, bytes.data(), RowLayout::Bgr24);
        fromFour.putRow(0, reinterpret_cast<const std::byte*>(pixels.data()), RowLayout::Bgra32);
        const ForegroundMask three = fromThree.take(), four = fromFour.take();
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(four.foreground(x, 0), !rule.isBackground(pixels[static_cast<std::size_t>(x)])) << width << " at " << x;
        ASSERT_TRUE(three == four) << width << ": padding bits stay clear";
    }
}

TEST(ForegroundMask, TransparencyNeedsAlpha)
{
    MaskBuilder builder(BackgroundRule::transparent());
    EXPECT_THROW(builder.start(4, 4, false), Error);
    const BackgroundRule rule = BackgroundRule::transparent(10);
    EXPECT_TRUE(rule.isBackground(makePixel(9, 200, 3, 10)));
    EXPECT_FALSE(rule.isBackground(makePixel(9, 200, 3, 11)));
    EXPECT_EQ(rule.fill(), Pixel{0});
    EXPECT_EQ(BackgroundRule::colour({1, 2, 3}, 4).fill(), makePixel(1, 2, 3));
}

} // namespace
