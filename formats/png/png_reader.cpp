#include "formats/png/png_reader.h"

#include "common/errors.h"
#include "formats/png/png_chunks.h"
#include "formats/png/spng_context.h"
#include "image/pixel_image.h"

#include <exception>
#include <string>
#include <vector>

namespace iconfinder::png {
namespace {

// The chunks shown to libspng are few (png_chunks.h): these limits only bound a hostile one.
constexpr std::size_t kChunkLimit = std::size_t{16} << 20;
constexpr std::size_t kChunkCacheLimit = std::size_t{64} << 20;
// zlib cannot expand data more than about 1032 times.
constexpr std::uint64_t kMostInflation = 1032;

// Hands libspng the file's chunks from front to back, reading straight into its buffers.
struct Reader {
    ChunkStream chunks;
    std::exception_ptr failure; // an I/O error, kept to be thrown past libspng

    static int read(spng_ctx*, void* user, void* dest, std::size_t length)
    {
        auto& reader = *static_cast<Reader*>(user);
        try {
            return reader.chunks.read(static_cast<std::byte*>(dest), length) ? 0 : SPNG_IO_EOF;
        } catch (...) {
            reader.failure = std::current_exception();
            return SPNG_IO_ERROR;
        }
    }
};

// What a libspng error means for the file, in its words; `where` says how far the pixels got.
std::string describe(int error, const Reader& reader, const std::string& where)
{
    switch (error) {
    case SPNG_IO_EOF:
    case SPNG_EOF: return "truncated PNG data" + where;
    case SPNG_ECHUNK_CRC: return reader.chunks.currentChunk() + " chunk is damaged (checksum)";
    case SPNG_ESIGNATURE: return "not a PNG file (wrong signature)";
    default: return std::string("invalid PNG: ") + spng_strerror(error) + where;
    }
}

void check(int error, const Reader& reader, const std::string& where = {})
{
    if (error == 0)
        return;
    if (reader.failure)
        std::rethrow_exception(reader.failure);
    throw FormatError(describe(error, reader, where));
}

std::string rowOf(int y, int height) { return " (row " + std::to_string(y + 1) + " of " + std::to_string(height) + ")"; }

// libspng gives red, green, blue, alpha; a Pixel holds blue, green, red, alpha.
void swapRedAndBlue(std::byte* row, int width)
{
    for (int x = 0; x < width; ++x, row += 4)
        std::swap(row[0], row[2]);
}

// The chunks after the pixels, to the end: a wrong checksum of the last data chunk shows only
// here. Every row is there already, so a file that simply ends is a picture, and so is one
// whose end chunk, which holds nothing, is damaged.
void checkTrailingChunks(int result, const Reader& reader)
{
    if (result == SPNG_IO_EOF || result == SPNG_EOF || (result == SPNG_ECHUNK_CRC && reader.chunks.currentChunk() == "IEND"))
        return;
    check(result, reader);
}

// Refuses a header whose picture is too large, or whose image data is far too short for it,
// before anything is allocated.
void checkSizes(const spng_ihdr& header, const Reader& reader)
{
    PixelImage::checkSize(header.width, header.height);
    const std::uint64_t bitsPerPixel = std::uint64_t{header.bit_depth} *
        (header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4 : header.color_type == SPNG_COLOR_TYPE_TRUECOLOR ? 3
         : header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ? 2 : 1);
    const std::uint64_t rawBytes = std::uint64_t{header.height} * (1 + (std::uint64_t{header.width} * bitsPerPixel + 7) / 8);
    if (reader.chunks.imageDataBytes() * kMostInflation < rawBytes)
        throw FormatError("truncated PNG data: " + std::to_string(reader.chunks.imageDataBytes()) + " bytes of image data cannot hold " +
                          std::to_string(header.width) + " x " + std::to_string(header.height) + " pixels");
}

// A pass at a time: each row of a pass holds its pixels in their places, handed on as they
// come, so that an interlaced picture costs no more than a plain one.
void interlacedRows(spng_ctx* ctx, const Reader& reader, RowSink& sink, int width, int height, bool hasAlpha)
{
    constexpr int kFirst[7] = {0, 4, 0, 2, 0, 1, 0}, kStep[7] = {8, 8, 4, 4, 2, 2, 1};
    check(spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE), reader, " (interlaced)");
    sink.start(width, height, hasAlpha);
    std::vector<std::byte> row(static_cast<std::size_t>(width) * 4);
    for (int result = 0; result != SPNG_EOI;) {
        spng_row_info info{};
        if (const int state = spng_get_row_info(ctx, &info); state == SPNG_EOI)
            break;
        else
            check(state, reader);
        result = spng_decode_row(ctx, row.data(), row.size());
        if (result != 0 && result != SPNG_EOI)
            check(result, reader, " (interlaced, pass " + std::to_string(info.pass + 1) + " of 7)");
        const int first = kFirst[info.pass], step = kStep[info.pass];
        for (int x = first; x < width; x += step)
            std::swap(row[4 * static_cast<std::size_t>(x)], row[4 * static_cast<std::size_t>(x) + 2]);
        sink.putPixels(static_cast<int>(info.row_num), first, step, row.data(), RowLayout::Bgra32);
    }
}

void plainRows(spng_ctx* ctx, const Reader& reader, RowSink& sink, int width, int height, bool hasAlpha)
{
    check(spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE), reader, rowOf(0, height));
    sink.start(width, height, hasAlpha);
    std::vector<std::byte> row(static_cast<std::size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        const int result = spng_decode_row(ctx, row.data(), row.size());
        if (result != 0 && !(result == SPNG_EOI && y == height - 1))
            check(result, reader, rowOf(y, height));
        swapRedAndBlue(row.data(), width);
        sink.putRow(y, row.data(), RowLayout::Bgra32);
    }
}

void decodeRows(ByteSource& source, RowSink& sink, std::size_t wholeDataBudget)
{
    Context context(spng_ctx_new(0));
    if (!context)
        throw std::bad_alloc();
    spng_ctx* ctx = context.get();
    Reader reader{ChunkStream(source), nullptr};
    check(spng_set_png_stream(ctx, &Reader::read, &reader), reader);
    check(spng_set_image_limits(ctx, PixelImage::kMaxPixels, PixelImage::kMaxPixels), reader);
    check(spng_set_chunk_limits(ctx, kChunkLimit, kChunkCacheLimit), reader);
    // The chunks before the image data are checked by the chunk stream, the image data by
    // zlib's own checksum; a damaged tRNS is dropped.
    check(spng_set_crc_action(ctx, SPNG_CRC_USE, SPNG_CRC_DISCARD), reader);
    if (!reader.chunks.damagedChunk().empty())
        throw FormatError(reader.chunks.damagedChunk() + " chunk is damaged (checksum)");

    spng_ihdr header{};
    check(spng_get_ihdr(ctx, &header), reader);
    checkSizes(header, reader);
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    spng_trns transparency{};
    const int trns = spng_get_trns(ctx, &transparency);
    if (trns != SPNG_ECHUNKAVAIL)
        check(trns, reader);
    const bool hasAlpha = header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA || header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || trns == 0;

    const bool rgb = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR || header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (rgb && header.bit_depth == 8 && header.interlace_method == SPNG_INTERLACE_NONE) {
        PlainHeader plain{width, height, header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, {}};
        if (trns == 0)
            plain.key[0] = transparency.red, plain.key[1] = transparency.green, plain.key[2] = transparency.blue;
        if (decodeWholeData(source, reader.chunks, plain, sink, wholeDataBudget))
            return;
    }
    // libspng stops reading once it has the last row, before zlib's checksum could tell.
    if (reader.chunks.imageDataDamaged())
        throw FormatError("IDAT chunk is damaged (checksum)");
    if (header.interlace_method != SPNG_INTERLACE_NONE)
        interlacedRows(ctx, reader, sink, width, height, hasAlpha);
    else
        plainRows(ctx, reader, sink, width, height, hasAlpha);
    checkTrailingChunks(spng_decode_chunks(ctx), reader);
}

} // namespace

void decode(ByteSource& source, RowSink& sink, std::size_t wholeDataBudget)
{
    decodeWhole(source, [&] { decodeRows(source, sink, wholeDataBudget); });
}

} // namespace iconfinder::png
