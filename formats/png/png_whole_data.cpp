#include "formats/png/png_whole_data.h"

#include "image/large_buffer.h"

#include <libdeflate.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

namespace iconfinder::png {
namespace {

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// The compressed image data, in a buffer whose pages are never zeroed: every byte is
// overwritten. zlib's own checksum over it is checked as it is inflated.
LargeBuffer<std::byte> imageData(ByteSource& file, const std::vector<ChunkStream::ImageDataChunk>& chunks, std::size_t& total)
{
    total = 0;
    for (const auto& chunk : chunks)
        total += chunk.length;
    LargeBuffer<std::byte> data(total, false);
    std::size_t at = 0;
    for (const auto& chunk : chunks) {
        file.copy(chunk.type + 4, {data.data() + at, chunk.length});
        at += chunk.length;
    }
    return data;
}

// PNG's filters, undone in place: each byte from the one `bpp` before it (a), the one above (b)
// and the one above that (c).
void unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* above, std::size_t length, std::size_t bpp)
{
    switch (filter) {
    case 1:
        for (std::size_t i = bpp; i < length; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
        break;
    case 2:
        for (std::size_t i = 0; i < length; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < bpp; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + (above[i] >> 1));
        for (std::size_t i = bpp; i < length; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - bpp] + above[i]) >> 1));
        break;
    case 4:
        for (std::size_t i = 0; i < bpp; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        for (std::size_t i = bpp; i < length; ++i) {
            const int a = row[i - bpp], b = above[i], c = above[i - bpp];
            const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
            row[i] = static_cast<std::uint8_t>(row[i] + (pa <= pb && pa <= pc ? a : pb <= pc ? b : c));
        }
        break;
    default: break;
    }
}

} // namespace

bool decodeWholeData(ByteSource& file, const ChunkStream& chunks, const PlainHeader& header, RowSink& sink, std::size_t budget)
{
    const std::size_t bpp = header.alpha ? 4 : 3;
    const std::size_t stride = 1 + bpp * static_cast<std::size_t>(header.width);
    const std::size_t rawSize = stride * static_cast<std::size_t>(header.height);
    if (chunks.plainImageData().empty() || rawSize > budget)
        return false;
    std::size_t dataSize = 0;
    const LargeBuffer<std::byte> data = imageData(file, chunks.plainImageData(), dataSize);
    const std::unique_ptr<libdeflate_decompressor, FreeDecompressor> inflater(libdeflate_alloc_decompressor());
    if (!inflater)
        throw std::bad_alloc();
    LargeBuffer<std::uint8_t> raw(rawSize, false);
    if (libdeflate_zlib_decompress(inflater.get(), data.data(), dataSize, raw.data(), rawSize, nullptr) != LIBDEFLATE_SUCCESS)
        return false;
    for (std::size_t y = 0; y < static_cast<std::size_t>(header.height); ++y)
        if (raw.data()[y * stride] > 4)
            return false;

    sink.start(header.width, header.height, header.alpha || header.key[0]);
    const std::vector<std::uint8_t> zeros(stride, 0);
    std::vector<std::byte> pixels(4 * static_cast<std::size_t>(header.width));
    const std::uint8_t* above = zeros.data() + 1;
    for (int y = 0; y < header.height; ++y) {
        std::uint8_t* row = raw.data() + static_cast<std::size_t>(y) * stride;
        unfilter(row[0], row + 1, above, stride - 1, bpp);
        above = row + 1;
        const std::uint8_t* in = row + 1;
        auto* out = reinterpret_cast<std::uint8_t*>(pixels.data());
        if (header.alpha) {
            for (int x = 0; x < header.width; ++x, in += 4, out += 4) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                out[3] = in[3];
            }
        } else {
            for (int x = 0; x < header.width; ++x, in += 3, out += 4) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                out[3] = 255;
            }
            if (header.key[0]) {
                in = row + 1;
                out = reinterpret_cast<std::uint8_t*>(pixels.data());
                for (int x = 0; x < header.width; ++x, in += 3, out += 4)
                    if (in[0] == *header.key[0] && in[1] == *header.key[1] && in[2] == *header.key[2])
                        out[3] = 0;
            }
        }
        sink.putRow(y, pixels.data(), RowLayout::Bgra32);
    }
    return true;
}

} // namespace iconfinder::png
