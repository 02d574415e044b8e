#include "png_writer.h"

#include "errors.h"
#include "spng_context.h"

#include <exception>
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

} // namespace

void write(const PixelImage& image, ByteWriter& out)
{
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

    const int channels = alpha ? 4 : 3;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(channels));
    for (int y = 0; y < image.height(); ++y) {
        const Pixel* pixels = image.row(y);
        std::uint8_t* at = row.data();
        for (int x = 0; x < image.width(); ++x, at += channels) {
            at[0] = redOf(pixels[x]);
            at[1] = greenOf(pixels[x]);
            at[2] = blueOf(pixels[x]);
            if (alpha)
                at[3] = alphaOf(pixels[x]);
        }
        const int result = spng_encode_row(ctx, row.data(), row.size());
        if (result != 0 && !(result == SPNG_EOI && y == image.height() - 1))
            check(result, writer);
    }
}

} // namespace iconfinder::png
