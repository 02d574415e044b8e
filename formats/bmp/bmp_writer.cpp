#include "formats/bmp/bmp_writer.h"

#include "common/errors.h"

#include <cstring>

namespace iconfinder::bmp {
namespace {

constexpr std::size_t kHeadersSize = 54;

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

} // namespace

void write(const PixelImage& image, ByteWriter& out)
{
    const std::uint64_t imageSize = strideOf(image) * static_cast<std::uint64_t>(image.height());
    if (kHeadersSize + imageSize > 0xFFFFFFFFu)
        throw IoError("picture is too large for a bitmap file");
    std::byte headers[kHeadersSize] = {};
    headers[0] = std::byte{'B'};
    headers[1] = std::byte{'M'};
    putU32(headers + 2, static_cast<std::uint32_t>(kHeadersSize + imageSize));
    putU32(headers + 10, kHeadersSize);
    putU32(headers + 14, 40);
    putU32(headers + 18, static_cast<std::uint32_t>(image.width()));
    putU32(headers + 22, static_cast<std::uint32_t>(image.height()));
    putU16(headers + 26, 1);
    putU16(headers + 28, 24);
    putU32(headers + 34, static_cast<std::uint32_t>(imageSize));
    putU32(headers + 38, 2835); // 72 dots per inch
    putU32(headers + 42, 2835);
    out.write(headers);

    std::vector<std::byte> row(strideOf(image), std::byte{0});
    for (int y = image.height() - 1; y >= 0; --y) {
        const Pixel* pixels = image.row(y);
        for (int x = 0; x < image.width(); ++x) {
            std::byte* at = row.data() + 3 * static_cast<std::size_t>(x);
            at[0] = std::byte(blueOf(pixels[x]));
            at[1] = std::byte(greenOf(pixels[x]));
            at[2] = std::byte(redOf(pixels[x]));
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
