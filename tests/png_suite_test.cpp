// The PNG reader on the PNG suite against an independent decoder (Qt's), the files it must
// refuse, masks straight from the file, and colour keys no suite file pins down.
#include "errors.h"
#include "foreground_mask.h"
#include "picture_file.h"
#include "png_bytes.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace iconfinder;

namespace {

const std::filesystem::path kSuite = PNGSUITE_DIR;

std::vector<std::filesystem::path> suiteFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kSuite))
        if (entry.path().extension() == ".png" && entry.path().filename() != "PngSuite.png")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

PixelImage decode(const std::vector<std::uint8_t>& bytes)
{
    MemorySource source({reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()});
    PictureBuilder builder;
    EXPECT_EQ(decodePicture(source, builder), FileFormat::Png);
    return builder.take();
}

TEST(PngSuite, EveryFileMatchesAnIndependentDecoder)
{
    std::size_t compared = 0;
    for (const auto& path : suiteFiles()) {
        const std::string name = path.filename().string();
        if (name[0] == 'x')
            continue;
        PictureBuilder builder;
        ASSERT_EQ(readPictureFile(path, builder), FileFormat::Png) << name;
        const PixelImage ours = builder.take();
        // Qt garbles the two 16-bit files with a colour key; tbrn2c08.png holds their picture
        // in 8 bits.
        const bool keyed16 = name == "tbbn2c16.png" || name == "tbgn2c16.png";
        const QImage original(QString::fromStdString((keyed16 ? kSuite / "tbrn2c08.png" : path).string()));
        ASSERT_FALSE(original.isNull()) << name;
        EXPECT_EQ(ours.hasAlpha(), original.hasAlphaChannel()) << name;
        const QImage theirs = original.convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(ours.width(), theirs.width()) << name;
        ASSERT_EQ(ours.height(), theirs.height()) << name;
        // Qt rounds 16-bit channels to 8 bits, the codec keeps the high byte.
        const int allowed = name.substr(6, 2) == "16" && !keyed16 ? 1 : 0;
        int worst = 0;
        for (int y = 0; y < ours.height(); ++y) {
            for (int x = 0; x < ours.width(); ++x) {
                const Pixel p = ours.at(x, y);
                const QRgb q = theirs.pixel(x, y);
                worst = std::max({worst, std::abs(alphaOf(p) - qAlpha(q))});
                if (qAlpha(q) != 0) // a fully transparent pixel's colour is not what a viewer keeps
                    worst = std::max({worst, std::abs(redOf(p) - qRed(q)), std::abs(greenOf(p) - qGreen(q)), std::abs(blueOf(p) - qBlue(q))});
            }
        }
        EXPECT_LE(worst, allowed) << name;
        ++compared;
    }
    EXPECT_GE(compared, 160u);
}

TEST(PngSuite, CorruptFilesAreRefusedWithAMessage)
{
    std::size_t refused = 0;
    for (const auto& path : suiteFiles()) {
        const std::string name = path.filename().string();
        if (name[0] != 'x')
            continue;
        PictureBuilder builder;
        try {
            readPictureFile(path, builder);
            ADD_FAILURE() << name << " decoded";
        } catch (const FormatError& e) {
            EXPECT_GT(std::string(e.what()).size(), 10u) << name;
            ++refused;
        }
    }
    EXPECT_EQ(refused, 14u);
}

TEST(PngSuite, EveryFileFillsTheMaskOfItsPicture)
{
    for (const auto& path : suiteFiles()) {
        if (path.filename().string()[0] == 'x')
            continue;
        PictureBuilder builder;
        readPictureFile(path, builder);
        const PixelImage picture = builder.take();
        const Pixel corner = picture.at(0, 0);
        std::vector<BackgroundRule> rules = {BackgroundRule::colour({redOf(corner), greenOf(corner), blueOf(corner)}, 20)};
        if (picture.hasAlpha())
            rules.push_back(BackgroundRule::transparent(100));
        for (const BackgroundRule& rule : rules) {
            MaskBuilder mask(rule);
            readPictureFile(path, mask);
            EXPECT_TRUE(mask.take() == maskOf(picture, rule)) << path.filename();
        }
    }
}

TEST(PngReader, ColourKeysMatchTheFilesOwnSamples)
{
    // 16-bit RGB, key (0x1234, 0x5678, 0x9ABC): the second pixel differs only in its low
    // bytes, so it reduces to the same 8-bit colour but is not the key. The third shows the
    // reduction: the high byte, not the nearest 8-bit value.
    const std::vector<std::uint8_t> rows = {0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x12, 0x35, 0x56, 0x78, 0x9A, 0xBC,
                                            0x12, 0xFF, 0x00, 0x80, 0xFE, 0xFF};
    const PixelImage picture = decode(test::pngBytes(3, 1, 16, 2, rows, {{"tRNS", {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}}));
    ASSERT_TRUE(picture.hasAlpha());
    EXPECT_EQ(picture.at(0, 0), makePixel(0x12, 0x56, 0x9A, 0));
    EXPECT_EQ(picture.at(1, 0), makePixel(0x12, 0x56, 0x9A, 255));
    EXPECT_EQ(picture.at(2, 0), makePixel(0x12, 0x00, 0xFE, 255));

    // 8-bit grey with a key, and a palette whose tRNS is shorter than the palette.
    const PixelImage grey = decode(test::pngBytes(3, 1, 8, 0, {0, 7, 8, 9}, {{"tRNS", {0, 8}}}));
    EXPECT_EQ(alphaOf(grey.at(0, 0)), 255);
    EXPECT_EQ(grey.at(1, 0), makePixel(8, 8, 8, 0));
    const PixelImage palette =
        decode(test::pngBytes(2, 1, 8, 3, {0, 0, 1}, {{"PLTE", {10, 20, 30, 40, 50, 60}}, {"tRNS", {77}}}));
    EXPECT_EQ(palette.at(0, 0), makePixel(10, 20, 30, 77));
    EXPECT_EQ(palette.at(1, 0), makePixel(40, 50, 60, 255));
}

TEST(PngReader, SizesAreCheckedBeforeAnythingIsAllocated)
{
    const auto errorOf = [](const std::vector<std::uint8_t>& bytes) {
        MemorySource source({reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()});
        PictureBuilder builder;
        try {
            decodePicture(source, builder);
        } catch (const FormatError& e) {
            return std::string(e.what());
        }
        return std::string("(decoded)");
    };
    EXPECT_EQ(errorOf(test::pngBytes(40000, 40000, 8, 0, {0})), "picture of 40000 x 40000 pixels exceeds the limit of 2^30 pixels (4 GiB)");
    std::vector<std::uint8_t> cut = test::pngBytes(64, 64, 8, 2, std::vector<std::uint8_t>((1 + 64 * 3) * 64, 0));
    cut.resize(cut.size() - 40);
    EXPECT_EQ(errorOf(cut), "truncated PNG data");
}

} // namespace
