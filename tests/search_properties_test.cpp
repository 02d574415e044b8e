// What must hold of any search, checked on random pictures without a reference.
#include "color.h"
#include "icon_search.h"
#include "pictures.h"
#include "region_extraction.h"

#include <gtest/gtest.h>

using namespace iconfinder;

TEST(SearchProperties, HoldOnRandomPictures)
{
    pictures::Random random(5);
    const ColorValue backgrounds[] = {kWhite, rgbColor(0, 128, 0), systemColor(24)};
    for (int i = 0; i < 3000; ++i) {
        const ColorValue backColor = backgrounds[i % 3];
        const Pixel background = toPixel(backColor);
        const PixelImage original = pictures::randomPicture(random, background);
        PixelImage work = original;
        RegionExtraction extraction(work, backColor);
        while (extraction.FindOneRegion()) {
        }
        const StringList& lines = extraction.ResultLines();

        std::vector<RegionBox> boxes;
        StringList Fields;
        for (std::size_t k = 0; k < lines.count(); ++k) {
            const RegionBox box = parseResultLine(lines[k], Fields);
            ASSERT_TRUE(box.minX >= 0 && box.minX <= box.maxX && box.maxX < original.width()) << lines[k];
            ASSERT_TRUE(box.minY >= 0 && box.minY <= box.maxY && box.maxY < original.height()) << lines[k];
            // A region's seed is its first pixel in raster order, on its top row: seeds come in
            // raster order, so top rows never decrease.
            if (!boxes.empty()) {
                ASSERT_GE(box.minY, boxes.back().minY) << "picture " << i;
            }
            boxes.push_back(box);
        }
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                if (isBackground(original.at(x, y), background))
                    continue;
                const bool covered = std::any_of(boxes.begin(), boxes.end(), [&](const RegionBox& b) {
                    return x >= b.minX && x <= b.maxX && y >= b.minY && y <= b.maxY;
                });
                ASSERT_TRUE(covered) << "foreground (" << x << ", " << y << ") of picture " << i << " lies in no box";
            }
        }
        for (const Pixel p : work.pixels())
            ASSERT_TRUE(isBackground(p, background)) << "picture " << i << ": foreground left in the working copy";

        PixelImage displayed = original;
        drawFrames(displayed, lines);
        std::size_t framed = 0;
        for (const RegionBox& b : boxes)
            framed += displayed.at(b.minX, b.minY) == toPixel(kRed) && displayed.at(b.maxX, b.maxY) == toPixel(kRed);
        EXPECT_EQ(framed, lines.count()) << "one frame per line";
    }
}
