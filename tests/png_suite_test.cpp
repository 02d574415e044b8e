// The PNG reader on the PNG suite against an independent decoder (Qt's), the files it must
// refuse, masks straight from the file, and colour keys no suite file pins down.
#include "formats/png/png_reader.h"
#include "formats/png/png_writer.h"
#include "mask/auto_background.h"
#include "mask/foreground_mask.h"
#include "tests/support/checks.h"
#include "tests/support/pictures.h"
#include "tests/support/png_bytes.h"
#include "tests/support/run_command.h"

#include <QImage>
#include <zlib.h>
#include <gtest/gtest.h>

#include <regex>

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

// The picture decoded with the given budget for the whole-data road, or the reason it was refused.
std::pair<PixelImage, std::string> decodedBy(const std::vector<std::uint8_t>& bytes, std::size_t budget = png::kWholeDataBudget)
{
    MemorySource source({reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()});
    PictureBuilder builder;
    const std::string error = test::errorOf([&] { png::decode(source, builder, budget); });
    return {error.empty() ? builder.take() : PixelImage(), error};
}

// Every file as an independent decoder (Qt's) sees it, its masks and borders (for the automatic
// background) straight from the file, interlaced or not, as those of the picture; the corrupt
// files refused with a message.
TEST(PngSuite, EveryFileAsAnIndependentDecoderSeesItWithItsMasksOrRefused)
{
    std::size_t compared = 0, refused = 0;
    for (const auto& path : suiteFiles()) {
        const std::string name = path.filename().string();
        PictureBuilder builder;
        const std::string error = test::errorOf([&] { readPictureFile(path, builder); });
        if (name == "xcsn0g01.png") {
            // Only its IDAT chunk's checksum is wrong: zlib's own holds, so it is read.
            EXPECT_EQ(error, "");
            EXPECT_TRUE(builder.take() == test::readPicture(kSuite / "basn0g01.png"));
            continue;
        }
        if (name[0] == 'x') {
            EXPECT_GT(error.size(), 10u) << name;
            refused += !error.empty();
            continue;
        }
        ASSERT_EQ(error, "") << name;
        const PixelImage ours = builder.take();
        // Qt garbles the two 16-bit files with a colour key; tbrn2c08.png holds their picture
        // in 8 bits.
        const bool keyed16 = name == "tbbn2c16.png" || name == "tbgn2c16.png";
        const QImage original(QString::fromStdString((keyed16 ? kSuite / "tbrn2c08.png" : path).string()));
        ASSERT_FALSE(original.isNull()) << name;
        EXPECT_EQ(ours.hasAlpha(), original.hasAlphaChannel()) << name;
        const QImage theirs = original.convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(std::pair(ours.width(), ours.height()), std::pair(theirs.width(), theirs.height())) << name;
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
        const Pixel corner = ours.at(0, 0);
        std::vector<BackgroundRule> rules = {BackgroundRule::colour({redOf(corner), greenOf(corner), blueOf(corner)}, 20)};
        if (ours.hasAlpha())
            rules.push_back(BackgroundRule::transparent(100));
        for (const BackgroundRule& rule : rules) {
            MaskBuilder mask(rule);
            readPictureFile(path, mask);
            EXPECT_TRUE(mask.take() == maskOf(ours, rule)) << name;
        }
        BorderCollector border;
        readPictureFile(path, border);
        const PictureBorder expected = borderOf(ours);
        EXPECT_TRUE(border.border().top == expected.top && border.border().bottom == expected.bottom &&
                    border.border().left == expected.left && border.border().right == expected.right)
            << name;
        ++compared;
    }
    EXPECT_GE(compared, 160u);
    EXPECT_EQ(refused, 13u);
}

// The whole-data road and the streaming one give the same picture, or both refuse the file.
void expectBothRoadsAgree(const std::vector<std::uint8_t>& bytes, const std::string& what)
{
    const auto [whole, wholeError] = decodedBy(bytes);
    const auto [streamed, streamedError] = decodedBy(bytes, 0);
    ASSERT_EQ(wholeError, streamedError) << what;
    ASSERT_EQ(whole.hasAlpha(), streamed.hasAlpha()) << what;
    ASSERT_TRUE(whole.width() == streamed.width() && whole.height() == streamed.height() &&
                std::equal(whole.pixels().begin(), whole.pixels().end(), streamed.pixels().begin()))
        << what;
}

TEST(PngReader, TheFastRoadGivesTheSamePictures)
{
    std::vector<std::filesystem::path> files = suiteFiles();
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(FUZZ_DIR) / "regressions"))
        if (entry.path().extension() == ".png")
            files.push_back(entry.path());
    for (const auto& path : files) {
        const std::string bytes = test::slurp(path);
        expectBothRoadsAgree({bytes.begin(), bytes.end()}, path.filename().string());
    }
    // Random samples under random filters (any bytes are valid filtered data), with and without
    // a colour key that some pixels match, and cut or damaged now and then.
    pictures::Random random(2612);
    for (int i = 0; i < 400 && !HasFatalFailure(); ++i) {
        const bool alpha = random.chance(50);
        const int width = random.between(1, 90), height = random.between(1, 40), bpp = alpha ? 4 : 3;
        std::vector<std::uint8_t> rows;
        for (int y = 0; y < height; ++y) {
            rows.push_back(static_cast<std::uint8_t>(random.below(5)));
            for (int x = 0; x < width * bpp; ++x)
                rows.push_back(static_cast<std::uint8_t>(random.chance(70) ? random.below(4) : random.below(256)));
        }
        std::vector<test::PngChunk> chunks;
        if (!alpha && random.chance(50))
            chunks.push_back({"tRNS", {0, static_cast<std::uint8_t>(random.below(3)), 0, static_cast<std::uint8_t>(random.below(3)), 0,
                                       static_cast<std::uint8_t>(random.below(3))}});
        std::vector<std::uint8_t> bytes = test::pngBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 8,
                                                         alpha ? 6 : 2, rows, chunks);
        if (random.chance(10))
            bytes.resize(static_cast<std::size_t>(random.between(40, static_cast<int>(bytes.size()))));
        else if (random.chance(10))
            bytes[static_cast<std::size_t>(random.between(33, static_cast<int>(bytes.size()) - 1))] ^= 0x10;
        expectBothRoadsAgree(bytes, "picture " + std::to_string(i));
    }
}

TEST(PngWriter, BothRoadsWriteThePictureBack)
{
    pictures::Random random(77);
    for (int i = 0; i < 300; ++i) {
        // Small pictures are stored, larger ones (random shapes) filtered and compressed.
        PixelImage picture = i % 3 == 0   ? pictures::randomAlphaPicture(random)
                             : i % 3 == 1 ? pictures::randomPicture(random, pictures::kWhite)
                                          : pictures::randomShapes(random);
        if (!picture.hasAlpha())
            for (Pixel& p : picture.pixels())
                p |= kAlphaBits; // a picture without alpha is written opaque
        for (const std::size_t budget : {png::kWholeEncodeBudget, std::size_t{0}}) {
            std::vector<std::byte> bytes;
            ByteWriter out([&](std::span<const std::byte> piece) { bytes.insert(bytes.end(), piece.begin(), piece.end()); });
            png::write(picture, out, budget);
            out.flush();
            MemorySource source(bytes);
            PictureBuilder builder;
            png::decode(source, builder);
            const PixelImage back = builder.take();
            ASSERT_EQ(back.hasAlpha(), picture.hasAlpha()) << "picture " << i;
            ASSERT_TRUE(std::equal(back.pixels().begin(), back.pixels().end(), picture.pixels().begin(), picture.pixels().end()))
                << "picture " << i << (budget ? ", compressed at once" : ", streamed");
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
    const PixelImage picture = decodedBy(test::pngBytes(3, 1, 16, 2, rows, {{"tRNS", {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}})).first;
    ASSERT_TRUE(picture.hasAlpha());
    EXPECT_EQ(picture.at(0, 0), makePixel(0x12, 0x56, 0x9A, 0));
    EXPECT_EQ(picture.at(1, 0), makePixel(0x12, 0x56, 0x9A, 255));
    EXPECT_EQ(picture.at(2, 0), makePixel(0x12, 0x00, 0xFE, 255));

    // 8-bit grey with a key, and a palette whose tRNS is shorter than the palette.
    const PixelImage grey = decodedBy(test::pngBytes(3, 1, 8, 0, {0, 7, 8, 9}, {{"tRNS", {0, 8}}})).first;
    EXPECT_EQ(alphaOf(grey.at(0, 0)), 255);
    EXPECT_EQ(grey.at(1, 0), makePixel(8, 8, 8, 0));
    const PixelImage palette = decodedBy(test::pngBytes(2, 1, 8, 3, {0, 0, 1}, {{"PLTE", {10, 20, 30, 40, 50, 60}}, {"tRNS", {77}}})).first;
    EXPECT_EQ(palette.at(0, 0), makePixel(10, 20, 30, 77));
    EXPECT_EQ(palette.at(1, 0), makePixel(40, 50, 60, 255));
}

TEST(PngReader, SizesAreCheckedBeforeAnythingIsAllocated)
{
    EXPECT_EQ(decodedBy(test::pngBytes(40000, 40000, 8, 0, {0})).second, "picture of 40000 x 40000 pixels exceeds the limit of 2^30 pixels (4 GiB)");
    // 32768 x 32768 interlaced, in 69 bytes: refused before its data is looked for.
    std::vector<std::uint8_t> header = test::pngBytes(32768, 32768, 8, 2, {});
    header[28] = 1;
    const auto crc = crc32(0, header.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        header[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    EXPECT_EQ(decodedBy(header).second.rfind("truncated PNG data: ", 0), 0u) << decodedBy(header).second;
}

// Files as encoders and editors really leave them, against the same picture written cleanly.
TEST(PngReader, ReadsFilesAsTheWorldWritesThem)
{
    using Bytes = std::vector<std::uint8_t>;
    const auto damaged = [](Bytes bytes, std::size_t at) {
        bytes[at] ^= 0x40;
        return bytes;
    };
    const auto inserted = [](Bytes bytes, std::size_t at, const Bytes& more) {
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), more.begin(), more.end());
        return bytes;
    };
    pictures::Random random(5);
    Bytes rows;
    for (int y = 0; y < 48; ++y) {
        rows.push_back(0);
        for (int x = 0; x < 40 * 3; ++x)
            rows.push_back(static_cast<std::uint8_t>(random.below(256))); // incompressible, so a cut falls among the rows
    }
    // The image data in chunks of 500 bytes, as encoders write it.
    const Bytes whole = test::pngBytes(40, 48, 8, 2, rows);
    const std::size_t dataLength = std::size_t{whole[33]} << 24 | std::size_t{whole[34]} << 16 | std::size_t{whole[35]} << 8 | whole[36];
    Bytes clean(whole.begin(), whole.begin() + 33);
    for (std::size_t at = 0; at < dataLength; at += 500) {
        const Bytes piece = test::chunkBytes("IDAT", Bytes(whole.begin() + 41 + static_cast<std::ptrdiff_t>(at),
                                                           whole.begin() + 41 + static_cast<std::ptrdiff_t>(std::min(dataLength, at + 500))));
        clean.insert(clean.end(), piece.begin(), piece.end());
    }
    clean.insert(clean.end(), whole.end() - 12, whole.end());
    const auto [picture, none] = decodedBy(clean);
    ASSERT_EQ(none, "");
    const std::size_t end = clean.size() - 12, afterHeader = 33;
    const Bytes text = test::chunkBytes("tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'});

    Bytes manyTexts;
    for (int i = 0; i < 5000; ++i)
        manyTexts.insert(manyTexts.end(), text.begin(), text.end());
    const std::vector<std::pair<std::string, Bytes>> readable = {
        {"no end chunk", Bytes(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(end))},
        {"bytes after the end chunk", inserted(clean, clean.size(), Bytes(100, 0x55))},
        {"5000 text chunks", inserted(clean, afterHeader, manyTexts)},
        {"a damaged text chunk before the pixels", damaged(inserted(clean, afterHeader, text), afterHeader + 10)},
        {"a damaged text chunk after them", damaged(inserted(clean, end, text), end + 10)},
        {"a damaged text chunk in place of the end", damaged(inserted(Bytes(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(end)), end, text), end + 10)},
    };
    for (const auto& [what, bytes] : readable) {
        const auto [read, error] = decodedBy(bytes);
        EXPECT_EQ(error, "") << what;
        EXPECT_TRUE(read.pixelCount() == picture.pixelCount() &&
                    std::equal(read.pixels().begin(), read.pixels().end(), picture.pixels().begin()))
            << what;
    }
    // A damaged colour key is dropped: the picture is read without transparency.
    const Bytes keyed = test::pngBytes(40, 48, 8, 2, rows, {{"tRNS", {0, 1, 0, 2, 0, 3}}});
    EXPECT_TRUE(decodedBy(keyed).first.hasAlpha());
    EXPECT_FALSE(decodedBy(damaged(keyed, afterHeader + 9)).first.hasAlpha());

    // Image data is read when zlib's own checksum holds, whatever the chunk's says.
    EXPECT_EQ(decodedBy(damaged(clean, 30)).second, "IHDR chunk is damaged (checksum)");
    EXPECT_EQ(decodedBy(damaged(clean, end - 2)).second, "");
    EXPECT_EQ(decodedBy(damaged(clean, end - 30)).second, "IDAT chunk is damaged (checksum)");
    const std::string cut = decodedBy(Bytes(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(clean.size() / 2))).second;
    std::smatch row;
    ASSERT_TRUE(std::regex_match(cut, row, std::regex(R"(truncated PNG data \(row (\d+) of 48\))"))) << cut;
    EXPECT_GT(std::stoi(row[1]), 10) << "the rows before the cut were read";
}

} // namespace
