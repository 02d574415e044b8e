#include "formats/png/png_writer.h"

#include "common/errors.h"
#include "formats/png/spng_context.h"

#include <libdeflate.h>

#include <exception>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace iconfinder::png {
namespace {

struct Writer {
    ByteWriter& out;
    std::exception_ptr failure; // an I/O error, kept to be thrown past libspng

    static int write(spng_ctx*, void* user, void* data, std::size_t length)
    {
        auto& writer = *static_cast<Writer*>(user);
        try {
            writer.out.write({static_cast<const std::byte*>(data), length});
        } catch (...) {
            writer.failure = std::current_exception();
            return SPNG_IO_ERROR;
        }
        return 0;
    }
};

void check(int error, const Writer& writer)
{
    if (error == 0)
        return;
    if (writer.failure)
        std::rethrow_exception(writer.failure);
    throw IoError(std::string("cannot encode PNG: ") + spng_strerror(error));
}

// The samples of row y in the file's order: red, green, blue (and alpha).
void samplesOf(const PixelImage& image, int y, bool alpha, std::uint8_t* at)
{
    const Pixel* pixels = image.row(y);
    for (int x = 0; x < image.width(); ++x, at += alpha ? 4 : 3) {
        at[0] = redOf(pixels[x]);
        at[1] = greenOf(pixels[x]);
        at[2] = blueOf(pixels[x]);
        if (alpha)
            at[3] = alphaOf(pixels[x]);
    }
}

constexpr std::size_t kStoredBelow = 16 << 10;

struct FreeCompressor {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t length)
{
    putU32(out, static_cast<std::uint32_t>(length));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + length);
    putU32(out, libdeflate_crc32(0, out.data() + start, out.size() - start));
}

// Each row under the filter whose output sums smallest in absolute value, of none, sub and up:
// the usual guess at what compresses best, cheap enough for small pictures.
void filterRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t length, std::size_t bpp, std::uint8_t* out)
{
    const auto cost = [&](int filter) {
        std::size_t sum = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const auto value = static_cast<std::int8_t>(row[i] - (filter == 1 ? left : filter == 2 ? above[i] : 0));
            sum += static_cast<std::size_t>(value < 0 ? -value : value);
        }
        return sum;
    };
    const std::size_t none = cost(0), sub = cost(1), up = cost(2);
    const std::uint8_t filter = sub < none && sub <= up ? 1 : up < none ? 2 : 0;
    out[0] = filter;
    for (std::size_t i = 0; i < length; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0;
        out[1 + i] = static_cast<std::uint8_t>(row[i] - (filter == 1 ? left : filter == 2 ? above[i] : 0));
    }
}

void writeWhole(const PixelImage& image, ByteWriter& out)
{
    const bool alpha = image.hasAlpha();
    const std::size_t bpp = alpha ? 4 : 3, length = bpp * static_cast<std::size_t>(image.width());
    std::vector<std::uint8_t> raw((1 + length) * static_cast<std::size_t>(image.height()));
    // Below a few blocks of a file system, compressing saves no disk space, and preparing the
    // compressor's tables would cost more than the rest of the crop: such data is stored,
    // unfiltered.
    const bool stored = raw.size() <= kStoredBelow;
    std::vector<std::uint8_t> row(length), above(length, 0);
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* out = raw.data() + static_cast<std::size_t>(y) * (1 + length);
        if (stored) {
            out[0] = 0;
            samplesOf(image, y, alpha, out + 1);
            continue;
        }
        samplesOf(image, y, alpha, row.data());
        filterRow(row.data(), above.data(), length, bpp, out);
        row.swap(above);
    }
    // One compressor a thread and kind: making one costs more than compressing a small crop.
    thread_local const std::unique_ptr<libdeflate_compressor, FreeCompressor> storing(libdeflate_alloc_compressor(0));
    thread_local const std::unique_ptr<libdeflate_compressor, FreeCompressor> packing(libdeflate_alloc_compressor(1));
    libdeflate_compressor* compressor = stored ? storing.get() : packing.get();
    if (!compressor)
        throw std::bad_alloc();
    std::vector<std::uint8_t> packed(libdeflate_zlib_compress_bound(compressor, raw.size()));
    packed.resize(libdeflate_zlib_compress(compressor, raw.data(), raw.size(), packed.data(), packed.size()));

    std::vector<std::uint8_t> file = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<std::uint8_t> header;
    putU32(header, static_cast<std::uint32_t>(image.width()));
    putU32(header, static_cast<std::uint32_t>(image.height()));
    header.insert(header.end(), {8, static_cast<std::uint8_t>(alpha ? 6 : 2), 0, 0, 0});
    putChunk(file, "IHDR", header.data(), header.size());
    putChunk(file, "IDAT", packed.data(), packed.size());
    putChunk(file, "IEND", nullptr, 0);
    out.write(std::as_bytes(std::span(file)));
}

} // namespace

void write(const PixelImage& image, ByteWriter& out, std::size_t wholeBudget)
{
    if (4 * image.pixelCount() <= wholeBudget) {
        writeWhole(image, out);
        return;
    }
    Context context(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!context)
        throw std::bad_alloc();
    spng_ctx* ctx = context.get();
    Writer writer{out, nullptr};
    check(spng_set_png_stream(ctx, &Writer::write, &writer), writer);
    const bool alpha = image.hasAlpha();
    spng_ihdr header{};
    header.width = static_cast<std::uint32_t>(image.width());
    header.height = static_cast<std::uint32_t>(image.height());
    header.bit_depth = 8;
    header.color_type = alpha ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    check(spng_set_ihdr(ctx, &header), writer);
    check(spng_encode_image(ctx, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE), writer);

    std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width()) * (alpha ? 4 : 3));
    for (int y = 0; y < image.height(); ++y) {
        samplesOf(image, y, alpha, row.data());
        const int result = spng_encode_row(ctx, row.data(), row.size());
        if (result != 0 && !(result == SPNG_EOI && y == image.height() - 1))
            check(result, writer);
    }
}

} // namespace iconfinder::png
