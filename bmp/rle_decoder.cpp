#include "rle_decoder.h"

#include "format_error.h"

#include <algorithm>
#include <string>
#include <vector>

namespace iconfinder::bmp {
namespace {

// RLE makes many pixels of few bytes, but a file must not make us allocate a picture that
// its size cannot justify: an end-of-line code (2 bytes) may stand for a whole row.
constexpr std::uint64_t kPixelsPerDataByte = 1024;
constexpr std::uint64_t kPixelsWithoutData = std::uint64_t{1} << 20;

class RleStream {
public:
    RleStream(std::vector<std::byte> data, const BmpLayout& layout, PixelImage& image)
        : data_(std::move(data)), layout_(layout), image_(image)
    {
    }

    void decode()
    {
        const bool four = layout_.encoding == Encoding::Rle4;
        while (data_.size() - at_ >= 2) {
            const int count = next();
            const int value = next();
            if (count > 0) {
                startRun(count);
                for (int i = 0; i < count; ++i)
                    put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
                continue;
            }
            switch (value) {
            case 0: // end of line
                x_ = 0;
                ++y_;
                break;
            case 1: // end of bitmap
                return;
            case 2: { // delta
                need(2, "delta");
                x_ += next();
                y_ += next();
                if (x_ > layout_.width || y_ > layout_.height)
                    throw error("RLE delta moves outside the picture");
                break;
            }
            default: { // absolute run of `value` pixels, padded to an even number of bytes
                const std::size_t bytes = four ? (value + 1) / 2 : value;
                need(bytes, "absolute run");
                startRun(value);
                for (int i = 0; i < value; ++i) {
                    const int byte = std::to_integer<int>(data_[at_ + (four ? i / 2 : i)]);
                    put(four ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
                }
                at_ = std::min(data_.size(), at_ + bytes + bytes % 2);
            }
            }
        }
        // A stream that stops without an end-of-bitmap code leaves the rest undefined.
    }

private:
    int next() { return std::to_integer<int>(data_[at_++]); }

    FormatError error(const std::string& what) const
    {
        return FormatError(what + " (row " + std::to_string(y_ + 1) + " of " + std::to_string(layout_.height) + ")");
    }

    void need(std::size_t bytes, const char* what) const
    {
        if (data_.size() - at_ < bytes)
            throw error(std::string("truncated RLE ") + what);
    }

    void startRun(int count)
    {
        if (y_ >= layout_.height)
            throw error("RLE data runs past the last row");
        if (x_ + count > layout_.width)
            throw error("RLE run of " + std::to_string(count) + " pixels overflows the row");
        row_ = image_.row(layout_.height - 1 - y_);
    }

    void put(int index)
    {
        if (index >= layout_.paletteSize)
            throw error("colour index " + std::to_string(index) + " outside the palette of " + std::to_string(layout_.paletteSize) + " colours");
        row_[x_++] = layout_.palette[static_cast<std::size_t>(index)];
    }

    std::vector<std::byte> data_;
    const BmpLayout& layout_;
    PixelImage& image_;
    std::size_t at_ = 0;
    int x_ = 0;
    int y_ = 0; // in file order, from the bottom row
    Pixel* row_ = nullptr;
};

} // namespace

PixelImage decodeRle(ByteSource& source, const BmpLayout& layout)
{
    const std::uint64_t available = source.size() - layout.pixelOffset;
    const std::uint64_t pixels = static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height);
    if (pixels > kPixelsWithoutData + kPixelsPerDataByte * available)
        throw FormatError("RLE picture of " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
                          " pixels is too large for its " + std::to_string(available) + " bytes of data");
    std::vector<std::byte> data(static_cast<std::size_t>(available));
    source.readAt(layout.pixelOffset, data);
    PixelImage image(layout.width, layout.height, layout.palette[0]);
    RleStream(std::move(data), layout, image).decode();
    return image;
}

} // namespace iconfinder::bmp
