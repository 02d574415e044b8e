// The reader on real files: every good file decodes to what an independent decoder (Qt's)
// sees, questionable files decode or are refused, bad files are refused or salvaged.
#include "formats/bmp/bmp_reader.h"
#include "formats/bmp/bmp_writer.h"
#include "tests/support/pictures.h"
#include "mask/foreground_mask.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
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

// Qt widens narrow channels by shifting, we by bit replication: the low bits may differ.
int allowedDifference(const std::string& name) { return name.rfind("rgb16", 0) == 0 ? 7 : 0; }

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
        int worst = 0;
        for (int y = 0; y < ours.height(); ++y) {
            for (int x = 0; x < ours.width(); ++x) {
                const QRgb q = theirs.pixel(x, y);
                const Pixel p = ours.at(x, y);
                worst = std::max({worst, std::abs(redOf(p) - qRed(q)), std::abs(greenOf(p) - qGreen(q)), std::abs(blueOf(p) - qBlue(q))});
            }
        }
        EXPECT_LE(worst, allowedDifference(name)) << name;
    }
}

TEST(BmpSuite, NarrowChannelsWidenByBitReplication)
{
    // rgb16-565 and rgb24 show the same picture; 5- and 6-bit channels widen as v<<3|v>>2, v<<2|v>>4.
    const PixelImage wide = bmp::readFile(kSuite / "good/rgb24.bmp");
    const PixelImage narrow = bmp::readFile(kSuite / "good/rgb16-565.bmp");
    const auto widen = [](int v, int bits) { return bits == 5 ? (v >> 3 << 3) | (v >> 3 >> 2) : (v >> 2 << 2) | (v >> 2 >> 4); };
    int exact = 0;
    for (int y = 0; y < wide.height(); ++y)
        for (int x = 0; x < wide.width(); ++x)
            exact += redOf(narrow.at(x, y)) == widen(redOf(wide.at(x, y)), 5) && greenOf(narrow.at(x, y)) == widen(greenOf(wide.at(x, y)), 6);
    EXPECT_GT(exact, static_cast<int>(wide.pixelCount() * 9 / 10)) << "truncated 24-bit colours, widened, give the 16-bit ones";
}

TEST(BmpSuite, QuestionableFilesDecodeOrAreRefusedClearly)
{
    const std::set<std::string> refused = {"pal1huffmsb.bmp", "rgb24jpeg.bmp", "rgb24png.bmp", "rgb24rle24.bmp", "rgba64.bmp"};
    for (const auto& path : filesIn("questionable")) {
        const std::string name = path.filename().string();
        try {
            const PixelImage image = bmp::readFile(path);
            EXPECT_FALSE(refused.count(name)) << name;
            EXPECT_EQ(std::pair(image.width(), image.height()), std::pair(127, 64)) << name;
        } catch (const FormatError& e) {
            EXPECT_TRUE(refused.count(name)) << name << ": " << e.what();
            EXPECT_GT(std::string(e.what()).size(), 10u) << name;
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

TEST(BmpSuite, BadFilesAreRefusedOrSalvaged)
{
    // These only carry wrong values in fields a reader need not trust: file size, image size,
    // density and a palette count larger than the room before the pixels.
    const std::set<std::string> salvaged = {"badbitssize.bmp", "baddens1.bmp", "baddens2.bmp", "badfilesize.bmp", "badpalettesize.bmp"};
    for (const auto& path : filesIn("bad")) {
        const std::string name = path.filename().string();
        try {
            const PixelImage image = bmp::readFile(path);
            EXPECT_TRUE(salvaged.count(name)) << name << " decoded";
            if (salvaged.count(name)) {
                EXPECT_TRUE(image == bmp::readFile(kSuite / (name == "badpalettesize.bmp" ? "good/pal8.bmp" : "good/pal1.bmp"))) << name;
            }
        } catch (const FormatError& e) {
            EXPECT_FALSE(salvaged.count(name)) << name << ": " << e.what();
            EXPECT_GT(std::string(e.what()).size(), 10u) << name;
        }
    }
}

} // namespace
