#include "formats/bmp/bmp_writer.h"

#include "common/errors.h"

#include <cstring>
#include <vector>

namespace iconfinder::bmp {
namespace {

void putU16(std::byte* at, std::uint32_t v)
{
    at[0] = std::byte(v & 0xFF);
    at[1] = std::byte(v >> 8 & 0xFF);
}

void putU32(std::byte* at, std::uint32_t v)
{
    putU16(at, v & 0xFFFF);
    putU16(at + 2, v >> 16);
}

std::size_t strideOf(const PixelImage& image) { return (static_cast<std::size_t>(image.width()) * 3 + 3) / 4 * 4; }

constexpr std::size_t kInfoV4Size = 108; // the header that carries an alpha mask readers honour
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kSrgb = 0x73524742; // 'sRGB'

// The file and information headers: 40 bytes of information for 24-bit pixels, 108 (with the
// colour masks) for 32-bit ones with alpha.
std::vector<std::byte> headersFor(const PixelImage& image, std::uint64_t imageSize, bool alpha)
{
    const std::size_t info = alpha ? kInfoV4Size : 40;
    std::vector<std::byte> headers(14 + info, std::byte{0});
    headers[0] = std::byte{'B'};
    headers[1] = std::byte{'M'};
    putU32(headers.data() + 2, static_cast<std::uint32_t>(headers.size() + imageSize));
    putU32(headers.data() + 10, static_cast<std::uint32_t>(headers.size()));
    putU32(headers.data() + 14, static_cast<std::uint32_t>(info));
    putU32(headers.data() + 18, static_cast<std::uint32_t>(image.width()));
    putU32(headers.data() + 22, static_cast<std::uint32_t>(image.height()));
    putU16(headers.data() + 26, 1);
    putU16(headers.data() + 28, alpha ? 32 : 24);
    putU32(headers.data() + 30, alpha ? kBitFields : 0);
    putU32(headers.data() + 34, static_cast<std::uint32_t>(imageSize));
    putU32(headers.data() + 38, 2835); // 72 dots per inch
    putU32(headers.data() + 42, 2835);
    if (alpha) {
        putU32(headers.data() + 54, 0x00FF0000);
        putU32(headers.data() + 58, 0x0000FF00);
        putU32(headers.data() + 62, 0x000000FF);
        putU32(headers.data() + 66, 0xFF000000);
        putU32(headers.data() + 70, kSrgb);
    }
    return headers;
}

} // namespace

void write(const PixelImage& image, ByteWriter& out)
{
    const bool alpha = image.hasAlpha();
    const std::size_t stride = alpha ? 4 * static_cast<std::size_t>(image.width()) : strideOf(image);
    const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(image.height());
    if (14 + kInfoV4Size + imageSize > 0xFFFFFFFFu)
        throw IoError("picture is too large for a bitmap file");
    out.write(headersFor(image, imageSize, alpha));
    std::vector<std::byte> row(stride, std::byte{0});
    for (int y = image.height() - 1; y >= 0; --y) {
        const Pixel* pixels = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            std::byte* at = row.data() + (alpha ? 4 : 3) * static_cast<std::size_t>(x);
            at[0] = std::byte(blueOf(pixels[x]));
            at[1] = std::byte(greenOf(pixels[x]));
            at[2] = std::byte(redOf(pixels[x]));
            if (alpha)
                at[3] = std::byte(alphaOf(pixels[x]));
        }
        out.write(row);
    }
}

std::vector<std::byte> encode(const PixelImage& image)
{
    std::vector<std::byte> file;
    ByteWriter out([&](std::span<const std::byte> bytes) { file.insert(file.end(), bytes.begin(), bytes.end()); });
    write(image, out);
    out.flush();
    return file;
}

} // namespace iconfinder::bmp
