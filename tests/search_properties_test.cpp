// What must hold of any search, checked on random pictures without a reference.
#include "image/color.h"
#include "present/frames.h"
#include "regions/icon_search.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace iconfinder;

TEST(SearchProperties, HoldOnRandomPictures)
{
    pictures::Random random(5);
    const ColorValue backgrounds[] = {kWhite, rgbColor(0, 128, 0), systemColor(24)};
    for (int i = 0; i < 3000; ++i) {
        const ColorValue backColor = backgrounds[i % 3];
        const BackgroundRule rule = BackgroundRule::colour(resolve(backColor));
        const PixelImage original = pictures::randomPicture(random, toPixel(backColor));
        const std::vector<RegionBox> boxes = findRegions(original, rule);

        for (std::size_t k = 0; k < boxes.size(); ++k) {
            const RegionBox& box = boxes[k];
            ASSERT_TRUE(box.minX >= 0 && box.minX <= box.maxX && box.maxX < original.width()) << "picture " << i;
            ASSERT_TRUE(box.minY >= 0 && box.minY <= box.maxY && box.maxY < original.height()) << "picture " << i;
            // A region's seed is its first pixel in raster order, on its top row: seeds come in
            // raster order, so top rows never decrease.
            if (k > 0) {
                ASSERT_GE(box.minY, boxes[k - 1].minY) << "picture " << i;
            }
        }
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                if (rule.isBackground(original.at(x, y)))
                    continue;
                const bool covered = std::any_of(boxes.begin(), boxes.end(), [&](const RegionBox& b) {
                    return x >= b.minX && x <= b.maxX && y >= b.minY && y <= b.maxY;
                });
                ASSERT_TRUE(covered) << "foreground (" << x << ", " << y << ") of picture " << i << " lies in no box";
            }
        }

        PixelImage displayed = original;
        const StringList lines = findIcons(displayed, backColor).ResultLines;
        ASSERT_EQ(lines.count(), boxes.size());
        std::size_t framed = 0;
        for (const RegionBox& b : boxes)
            framed += displayed.at(b.minX, b.minY) == toPixel(kRed) && displayed.at(b.maxX, b.maxY) == toPixel(kRed);
        EXPECT_EQ(framed, boxes.size()) << "one frame per line";
    }
}
