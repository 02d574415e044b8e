// The reader on real files: every good file decodes to what an independent decoder (Qt's)
// sees, questionable files decode or are refused, bad files are refused or salvaged.
#include "formats/bmp/bmp_reader.h"
#include "formats/bmp/bmp_writer.h"
#include "tests/support/checks.h"
#include "tests/support/pictures.h"
#include "mask/foreground_mask.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

using namespace iconfinder;

namespace {

const std::filesystem::path kSuite = BMPSUITE_DIR;

std::vector<std::filesystem::path> filesIn(const char* folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSuite / folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Every file of the good and questionable folders that decodes, with its picture.
std::vector<std::pair<std::filesystem::path, PixelImage>> decodableFiles()
{
    std::vector<std::pair<std::filesystem::path, PixelImage>> decoded;
    for (const char* folder : {"good", "questionable"}) {
        for (const auto& path : filesIn(folder)) {
            try {
                decoded.emplace_back(path, bmp::readFile(path));
            } catch (const FormatError&) {
            }
        }
    }
    return decoded;
}

TEST(BmpSuite, GoodFilesMatchAnIndependentDecoder)
{
    const auto files = filesIn("good");
    ASSERT_EQ(files.size(), 27u);
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        const PixelImage ours = bmp::readFile(path);
        const QImage theirs = QImage(QString::fromStdString(path.string())).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(theirs.isNull()) << name;
        ASSERT_EQ(std::pair(ours.width(), ours.height()), std::pair(theirs.width(), theirs.height())) << name;
        // Qt widens 5- and 6-bit channels by shifting, we by bit replication (v << 3 | v >> 2):
        // ours is Qt's with its top bits repeated below them.
        const auto widened = [&](int value, int bits) { return name.rfind("rgb16", 0) == 0 ? value | value >> bits : value; };
        const int greenBits = name.find("565") == std::string::npos ? 5 : 6;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x) {
                const QRgb q = theirs.pixel(x, y);
                ASSERT_EQ(ours.at(x, y), makePixel(widened(qRed(q), 5), widened(qGreen(q), greenBits), widened(qBlue(q), 5))) << name;
            }
    }
}

// Questionable files decode or are refused clearly. Bad files are refused, but for those that
// only carry wrong values in fields a reader need not trust (file size, image size, density
// and a palette count larger than the room before the pixels): they read as the good file
// they were made from.
TEST(BmpSuite, QuestionableAndBadFilesDecodeOrAreRefusedClearly)
{
    const std::set<std::string> refused = {"pal1huffmsb.bmp", "rgb24jpeg.bmp", "rgb24png.bmp", "rgb24rle24.bmp", "rgba64.bmp"};
    const std::map<std::string, std::string> salvaged = {{"badbitssize.bmp", "pal1"}, {"baddens1.bmp", "pal1"}, {"baddens2.bmp", "pal1"},
                                                         {"badfilesize.bmp", "pal1"}, {"badpalettesize.bmp", "pal8"}};
    for (const char* folder : {"questionable", "bad"})
        for (const auto& path : filesIn(folder)) {
            const std::string name = path.filename().string();
            const bool bad = folder[0] == 'b', decodes = bad ? salvaged.count(name) > 0 : refused.count(name) == 0;
            PixelImage image;
            const std::string error = test::errorOf([&] { image = bmp::readFile(path); });
            EXPECT_EQ(error.empty(), decodes) << name << ": " << error;
            EXPECT_TRUE(error.empty() || error.size() > 10) << name;
            if (decodes) {
                EXPECT_TRUE(bad ? image == bmp::readFile(kSuite / "good" / (salvaged.at(name) + ".bmp")) : image.width() == 127 && image.height() == 64) << name;
            }
        }
}

// Straight from the file's rows, through every decoder path, the mask is the mask of the
// decoded picture; only a bit-field alpha mask gives a bitmap alpha, and Qt sees the same files
// as having it.
TEST(BmpSuite, EveryVariantFillsTheMaskOfItsPictureAndHasAlphaOnlyFromAnAlphaMask)
{
    const auto decoded = decodableFiles();
    for (const auto& [path, ours] : decoded) {
        const std::string name = path.filename().string();
        const Pixel middle = ours.at(ours.width() / 2, ours.height() / 2);
        for (const BackgroundRule& rule : {BackgroundRule::colour({redOf(middle), greenOf(middle), blueOf(middle)}),
                                           BackgroundRule::colour({255, 255, 255}, 60)}) {
            MaskBuilder builder(rule);
            FileSource source(path);
            bmp::decode(source, builder);
            EXPECT_TRUE(builder.take() == maskOf(ours, rule)) << name;
        }
        const bool expected = name.rfind("rgba", 0) == 0;
        EXPECT_EQ(ours.hasAlpha(), expected) << name;
        if (!ours.hasAlpha()) {
            for (const Pixel p : ours.pixels())
                ASSERT_EQ(alphaOf(p), 255) << name << ": a picture without alpha is opaque";
        }
        const QImage theirs(QString::fromStdString(path.string()));
        if (expected && theirs.hasAlphaChannel()) {
            // Qt widens a narrow alpha by shifting, we by bit replication (as for colours):
            // Qt's value is ours with the bits below the channel's width cleared.
            const QImage argb = theirs.convertToFormat(QImage::Format_ARGB32);
            const auto shiftedBy = [&](int low) {
                for (int y = 0; y < ours.height(); ++y)
                    for (int x = 0; x < ours.width(); ++x)
                        if ((alphaOf(ours.at(x, y)) >> low << low) != qAlpha(argb.pixel(x, y)))
                            return false;
                return true;
            };
            bool agree = false;
            for (int low = 0; low < 8 && !agree; ++low)
                agree = shiftedBy(low);
            EXPECT_TRUE(agree) << name;
        }
    }
    EXPECT_GT(decoded.size(), 55u);
}

// Our own bitmaps, with alpha or without, as an independent decoder reads them.
TEST(BmpSuite, WrittenBitmapsReadElsewhereAsWritten)
{
    pictures::Random random(32);
    for (int round = 0; round < 20; ++round) {
        const PixelImage picture = round % 2 ? pictures::randomAlphaPicture(random) : pictures::randomPicture(random, pictures::kWhite);
        const std::vector<std::byte> file = bmp::encode(picture);
        const QImage theirs = QImage::fromData(reinterpret_cast<const uchar*>(file.data()), static_cast<int>(file.size()), "BMP");
        ASSERT_EQ(theirs.hasAlphaChannel(), picture.hasAlpha()) << round;
        const QImage argb = theirs.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                ASSERT_EQ(argb.pixel(x, y), picture.hasAlpha() ? picture.at(x, y) : picture.at(x, y) | kAlphaBits) << round << " at " << x << "," << y;
        EXPECT_TRUE(!picture.hasAlpha() || bmp::read(file) == picture) << round;
    }
}

} // namespace
