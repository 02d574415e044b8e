#include "png_reader.h"

#include "errors.h"
#include "pixel_image.h"
#include "spng_context.h"

#include <exception>
#include <string>
#include <vector>

namespace iconfinder::png {
namespace {

// Ancillary chunks (text, profiles) may not make us hold more than this.
constexpr std::size_t kChunkLimit = std::size_t{16} << 20;
constexpr std::size_t kChunkCacheLimit = std::size_t{64} << 20;

// Hands libspng the file from front to back, reading straight into its buffers.
struct Reader {
    ByteSource& source;
    std::uint64_t at = 0;
    std::exception_ptr failure; // an I/O error, kept to be thrown past libspng

    static int read(spng_ctx*, void* user, void* dest, std::size_t length)
    {
        auto& reader = *static_cast<Reader*>(user);
        if (length > reader.source.size() - reader.at)
            return SPNG_IO_EOF;
        try {
            reader.source.copy(reader.at, {static_cast<std::byte*>(dest), length});
        } catch (...) {
            reader.failure = std::current_exception();
            return SPNG_IO_ERROR;
        }
        reader.at += length;
        return 0;
    }
};

std::string describe(int error)
{
    switch (error) {
    case SPNG_IO_EOF:
    case SPNG_EOF: return "truncated PNG data";
    default: return std::string("invalid PNG: ") + spng_strerror(error);
    }
}

void check(int error, const Reader& reader)
{
    if (error == 0)
        return;
    if (reader.failure)
        std::rethrow_exception(reader.failure);
    throw FormatError(describe(error));
}

// libspng gives red, green, blue, alpha; a Pixel holds blue, green, red, alpha.
void swapRedAndBlue(std::byte* row, int width)
{
    for (int x = 0; x < width; ++x, row += 4)
        std::swap(row[0], row[2]);
}

void decodeRows(ByteSource& source, RowSink& sink)
{
    Context context(spng_ctx_new(0));
    if (!context)
        throw std::bad_alloc();
    spng_ctx* ctx = context.get();
    Reader reader{source, 0, nullptr};
    check(spng_set_png_stream(ctx, &Reader::read, &reader), reader);
    check(spng_set_image_limits(ctx, PixelImage::kMaxPixels, PixelImage::kMaxPixels), reader);
    check(spng_set_chunk_limits(ctx, kChunkLimit, kChunkCacheLimit), reader);

    spng_ihdr header{};
    check(spng_get_ihdr(ctx, &header), reader);
    if (std::uint64_t{header.width} * header.height > static_cast<std::uint64_t>(PixelImage::kMaxPixels))
        throw FormatError("picture of " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                          " pixels exceeds the limit of 2^30 pixels (4 GiB)");
    spng_trns transparency{};
    const bool hasAlpha = header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA || header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                          spng_get_trns(ctx, &transparency) == 0;
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;

    if (header.interlace_method != SPNG_INTERLACE_NONE) {
        // Interlaced rows arrive in seven passes: the picture is put together whole first.
        std::size_t size = 0;
        check(spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size), reader);
        std::vector<std::byte> pixels(size);
        check(spng_decode_image(ctx, pixels.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS), reader);
        check(spng_decode_chunks(ctx), reader);
        sink.start(width, height, hasAlpha);
        for (int y = 0; y < height; ++y) {
            std::byte* row = pixels.data() + rowBytes * static_cast<std::size_t>(y);
            swapRedAndBlue(row, width);
            sink.putRow(y, row, RowLayout::Bgra32);
        }
        return;
    }

    check(spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE), reader);
    sink.start(width, height, hasAlpha);
    std::vector<std::byte> row(rowBytes);
    for (int y = 0; y < height; ++y) {
        const int result = spng_decode_row(ctx, row.data(), row.size());
        if (result != 0 && !(result == SPNG_EOI && y == height - 1))
            check(result, reader);
        swapRedAndBlue(row.data(), width);
        sink.putRow(y, row.data(), RowLayout::Bgra32);
    }
    // The chunks after the pixels, to the end: a wrong checksum of the last data chunk shows
    // only here.
    check(spng_decode_chunks(ctx), reader);
}

} // namespace

void decode(ByteSource& source, RowSink& sink)
{
    decodeWhole(source, [&] { decodeRows(source, sink); });
}

} // namespace iconfinder::png
