// The sample picture: the generator reproduces the committed file, and the file is what a
// person expects of it.
#include "resources/sample_picture.h"
#include "regions/icon_search.h"
#include "tests/support/run_command.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace iconfinder;

TEST(SamplePicture, GeneratorReproducesTheCommittedFileByteForByte)
{
    const std::string out = (std::filesystem::temp_directory_path() / "iconfinder-sample.bmp").string();
    ASSERT_EQ(test::runCommand(MAKE_SAMPLE, {out}).exitCode, 0);
    const std::string a = test::slurp(out), b = test::slurp(SAMPLE_BMP);
    std::filesystem::remove(out);
    EXPECT_EQ(a.size(), 365958u);
    EXPECT_TRUE(a == b) << "tools/make_sample no longer draws resources/sample.bmp";
    const auto embedded = samplePictureFile();
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(embedded.data()), embedded.size()) == b) << "embedded copy is stale";
}

TEST(SamplePicture, FiftyIconsInFiveRowsOfTen)
{
    PixelImage picture = samplePicture();
    ASSERT_EQ(std::pair(picture.width(), picture.height()), std::pair(395, 308));
    const std::vector<RegionBox> boxes = findRegions(picture, BackgroundRule::colour({255, 255, 255}));
    // Every cell of the 10 x 5 grid holds at least one region; parts of one icon stay in its cell.
    bool cellUsed[5][10] = {};
    for (const RegionBox& box : boxes) {
        const int column = (box.minX - 4) / 39, row = (box.minY - 14) / 60;
        ASSERT_TRUE(column >= 0 && column < 10 && row >= 0 && row < 5) << box.minX << ", " << box.minY;
        EXPECT_EQ((box.maxX - 4) / 39, column) << box.minX << ", " << box.minY;
        EXPECT_EQ((box.maxY - 14) / 60, row) << box.minX << ", " << box.minY;
        EXPECT_LE(box.maxX - box.minX, 31);
        cellUsed[row][column] = true;
    }
    for (auto& row : cellUsed)
        for (bool used : row)
            EXPECT_TRUE(used);
    EXPECT_GT(boxes.size(), 50u) << "some icons are made of several parts";
}
