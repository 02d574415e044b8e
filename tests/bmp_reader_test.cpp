// The reader on hostile and synthetic bytes, and the writer's round trip.
#include "formats/bmp/bmp_reader.h"
#include "formats/picture_file.h"
#include "image/page_prefault.h"
#include "present/frames.h"
#include "tests/support/checks.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace iconfinder;

namespace {

// A bitmap file assembled field by field, so that each test can break one field.
struct FileBuilder {
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks{};   // written after a 40-byte header
    std::vector<std::uint32_t> palette{}; // 0x00RRGGBB
    std::vector<std::uint8_t> pixels{};
    std::int64_t offset = -1; // -1: right after the palette

    std::vector<std::byte> build() const
    {
        std::vector<std::byte> out;
        const auto u8 = [&](std::uint32_t v) { out.push_back(std::byte(v & 0xFF)); };
        const auto u16 = [&](std::uint32_t v) { u8(v), u8(v >> 8); };
        const auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
        const std::uint32_t start = 14 + headerSize + 4 * static_cast<std::uint32_t>(masks.size() + palette.size());
        u16('B' | 'M' << 8), u32(0), u32(0), u32(offset < 0 ? start : static_cast<std::uint32_t>(offset));
        u32(headerSize), u32(static_cast<std::uint32_t>(width)), u32(static_cast<std::uint32_t>(height)), u16(1), u16(bits);
        u32(compression), u32(0), u32(0), u32(0), u32(colorsUsed), u32(0);
        while (out.size() < 14 + headerSize)
            u8(0);
        for (auto m : masks)
            u32(m);
        for (auto c : palette)
            u32(c);
        for (auto b : pixels)
            u8(b);
        return out;
    }
};

std::string errorOf(const std::vector<std::byte>& file)
{
    return test::errorOf([&] { bmp::read(file); });
}

TEST(BmpReader, RefusesHostileHeadersWithAClearMessage)
{
    const std::pair<FileBuilder, std::string> refused[] = {
        {{.width = 32768, .height = 32768}, "truncated pixel data (row 1 of 32768)"},
        {{.width = 32768, .height = 32769}, "picture of 32768 x 32769 pixels exceeds the limit of 2^30 pixels (4 GiB)"},
        {{.width = 30000, .height = 30000, .bits = 8, .compression = 1, .palette = {0xFFFFFF}, .pixels = {0, 1}},
         "RLE picture of 30000 x 30000 pixels is too large for its 2 bytes of data"},
        {{.offset = 1 << 30}, "pixel data offset 1073741824 lies beyond the end of the file (54 bytes)"},
        {{.offset = 20}, "pixel data offset 20 lies inside the headers"},
        {{.height = INT32_MIN}, "picture of 2 x 2147483648 pixels exceeds the limit of 2^30 pixels (4 GiB)"},
        {{.height = 0}, "height is 0"},
        {{.width = 0}, "width 0 is not positive"},
        {{.bits = 16, .compression = 3, .masks = {0xF800, 0x0FE0, 0x001F}, .pixels = std::vector<std::uint8_t>(8)},
         "green bit mask 0x00000fe0 is not one run of bits of its own within the pixel"},
        {{.width = 1, .height = 1, .bits = 8, .palette = {0x000000, 0xFFFFFF}, .pixels = {7, 0, 0, 0}},
         "colour index 7 outside the palette of 2 colours (row 1 of 1)"},
        {{.headerSize = 0}, "unsupported information header size 0"},
        // Bits 4, RLE: a delta out of the picture.
        {{.width = 3, .bits = 4, .compression = 2, .palette = {0, 0xFF0000, 0x00FF00}, .pixels = {2, 0x12, 0, 2, 9, 0, 1, 0x11}},
         "RLE delta moves outside the picture (row 1 of 2)"},
    };
    for (const auto& [file, message] : refused)
        EXPECT_EQ(errorOf(file.build()), message);
    EXPECT_EQ(errorOf({}), "file too short for a bitmap header (0 bytes)");
    EXPECT_EQ(errorOf(std::vector<std::byte>(64, std::byte{'x'})), "not a bitmap file (no 'BM' signature)");
}

TEST(BmpReader, EveryTruncationOfARealFileIsDecodedOrRefused)
{
    for (const char* name : {"good/rgb24.bmp", "good/pal8rle.bmp", "good/pal4rle.bmp", "good/rgb16-565.bmp", "good/pal8os2.bmp"}) {
        std::ifstream in(std::filesystem::path(BMPSUITE_DIR) / name, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto* bytes = reinterpret_cast<const std::byte*>(text.data());
        for (std::size_t length = 0; length < text.size(); length += 7) {
            try {
                const PixelImage image = bmp::read({bytes, length});
                EXPECT_EQ(image.width(), 127) << name << " cut at " << length;
            } catch (const FormatError&) {
            }
        }
    }
}

// Files the fuzzer found (fixed since) and its seeds: each decodes or is refused, and what
// decodes can be searched.
TEST(BmpReader, FuzzRegressionsAndSeeds)
{
    std::size_t files = 0;
    for (const char* folder : {"regressions", "seeds"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(FUZZ_DIR) / folder)) {
            ++files;
            try {
                PictureBuilder builder;
                readPictureFile(entry.path(), builder);
                PixelImage picture = builder.take();
                findIcons(picture, kWhite);
            } catch (const FormatError& e) {
                EXPECT_GT(std::string(e.what()).size(), 5u) << entry.path();
            }
        }
    }
    EXPECT_GE(files, 6u);
}

TEST(BmpReader, RleDeltasRunsPastTheRowEndAndDataAfterTheLastRow)
{
    const Pixel zero = makePixel(0x10, 0x20, 0x30), one = makePixel(0xFF, 0, 0), two = makePixel(0, 0xFF, 0);
    // Bottom row: 1 pixel of colour 1, delta (2, 1), 1 pixel of colour 1, end of bitmap. What
    // a delta skips is palette entry 0.
    const PixelImage skipped = bmp::read(
        FileBuilder{.width = 4, .bits = 8, .compression = 1, .palette = {0x102030, 0xFF0000}, .pixels = {1, 1, 0, 2, 2, 1, 1, 1, 0, 1}}.build());
    EXPECT_EQ((std::vector{skipped.at(0, 1), skipped.at(1, 1), skipped.at(3, 0), skipped.at(0, 0)}), (std::vector{one, zero, one, zero}));
    // Bottom row: a run of 4 pixels 1,2,1,2 in a row of 3, end of line; top row: absolute run
    // of 5 pixels 2,1,2,1,2 (3 bytes, padded to 4), end of line; then a run for a third row
    // that the picture does not have, and no end-of-bitmap code.
    const PixelImage clipped = bmp::read(FileBuilder{.width = 3, .bits = 4, .compression = 2, .palette = {0, 0xFF0000, 0x00FF00},
                                                     .pixels = {4, 0x12, 0, 0, 0, 5, 0x21, 0x21, 0x20, 0, 0, 0, 3, 0x11}}
                                             .build());
    EXPECT_EQ(std::vector(clipped.pixels().begin(), clipped.pixels().end()), (std::vector{two, one, two, one, two, one}));
}

TEST(PagePrefault, PagesMadeReadyWhileTheyAreWrittenKeepWhatWasWritten)
{
    // A 256 MiB picture, large enough for the second thread; a stamp on every page as rows would come.
    PixelImage picture = PixelImage::uninitialized(8192, 8192);
    PagePrefault prefault;
    prefault.start(picture.pixels().data(), picture.pixelCount() * sizeof(Pixel));
    constexpr std::size_t kStride = 1024; // pixels: one 4 KiB page
    for (std::size_t i = 0; i < picture.pixelCount(); i += kStride)
        picture.pixels()[i] = static_cast<Pixel>(i);
    prefault.finish();
    for (std::size_t i = 0; i < picture.pixelCount(); i += kStride)
        ASSERT_EQ(picture.pixels()[i], static_cast<Pixel>(i)) << "pixel " << i;
}

} // namespace
