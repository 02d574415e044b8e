#include "plain_decoder.h"

#include "format_error.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace iconfinder::bmp {
namespace {

// Widens a channel of any width to 8 bits: narrower ones by bit replication
// (5 bits: (v << 3) | (v >> 2)), wider ones by keeping their top 8 bits.
class ChannelDecoder {
public:
    explicit ChannelDecoder(const Channel& channel)
        : mask_(channel.mask), shift_(channel.shift), drop_(channel.bits > 8 ? channel.bits - 8 : 0)
    {
        const int bits = channel.bits > 8 ? 8 : channel.bits;
        for (std::uint32_t v = 0; bits > 0 && v < (1u << bits); ++v) {
            std::uint32_t wide = 0;
            for (int at = 8 - bits;; at -= bits) {
                wide |= at >= 0 ? v << at : v >> -at;
                if (at <= 0)
                    break;
            }
            table_[v] = static_cast<std::uint8_t>(wide);
        }
    }

    std::uint8_t operator()(std::uint32_t raw) const { return table_[((raw & mask_) >> shift_) >> drop_]; }

private:
    std::uint32_t mask_;
    int shift_;
    int drop_;
    std::array<std::uint8_t, 256> table_{};
};

// 24-bit rows are read straight into the picture's row, then widened in place from the
// right: pixel x's three bytes sit at 3x, at or left of its destination 4x, so no byte is
// overwritten before it is read.
void widen24InPlace(Pixel* row, int width)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(row);
    for (int x = width - 1; x >= 0; --x) {
        std::uint32_t v;
        std::memcpy(&v, bytes + 3 * static_cast<std::size_t>(x), sizeof v);
        row[x] = v & kColourBits;
    }
}

class RowDecoder {
public:
    explicit RowDecoder(const BmpLayout& layout)
        : layout_(layout), red_(layout.red), green_(layout.green), blue_(layout.blue), alpha_(layout.alpha)
    {
    }

    void decode(const std::byte* raw, Pixel* row, int fileRow) const
    {
        const int bits = layout_.bitCount;
        const int width = layout_.width;
        if (bits <= 8) {
            const int perByte = 8 / bits;
            const unsigned mask = (1u << bits) - 1;
            for (int x = 0; x < width; ++x) {
                const unsigned byte = std::to_integer<unsigned>(raw[x / perByte]);
                const unsigned index = byte >> ((perByte - 1 - x % perByte) * bits) & mask;
                if (index >= static_cast<unsigned>(layout_.paletteSize))
                    throw FormatError("colour index " + std::to_string(index) + " outside the palette of " +
                                      std::to_string(layout_.paletteSize) + " colours (row " + std::to_string(fileRow + 1) +
                                      " of " + std::to_string(layout_.height) + ")");
                row[x] = layout_.palette[index];
            }
        } else {
            const int bytesPerPixel = bits / 8;
            for (int x = 0; x < width; ++x) {
                std::uint32_t v = 0;
                std::memcpy(&v, raw + static_cast<std::size_t>(x) * bytesPerPixel, bytesPerPixel);
                row[x] = makePixel(red_(v), green_(v), blue_(v), alpha_(v));
            }
        }
    }

private:
    const BmpLayout& layout_;
    ChannelDecoder red_, green_, blue_, alpha_;
};

} // namespace

PixelImage decodePlain(ByteSource& source, const BmpLayout& layout)
{
    const std::uint64_t stride = layout.stride();
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(layout.width) * layout.bitCount + 7) / 8;
    const std::uint64_t available = source.size() - layout.pixelOffset;
    if (available < stride * (layout.height - 1) + rowBytes) {
        const std::uint64_t complete = available < rowBytes ? 0 : (available - rowBytes) / stride + 1;
        throw FormatError("truncated pixel data (row " + std::to_string(complete + 1) + " of " + std::to_string(layout.height) + ")");
    }

    PixelImage image = PixelImage::uninitialized(layout.width, layout.height);
    const bool raw32 = layout.bitCount == 32 && layout.encoding == Encoding::Plain;
    const RowDecoder decoder(layout);
    std::vector<std::byte> rowBuffer(layout.bitCount == 24 || raw32 ? 0 : rowBytes);
    for (int fileRow = 0; fileRow < layout.height; ++fileRow) {
        Pixel* row = image.row(layout.topDown ? fileRow : layout.height - 1 - fileRow);
        const std::uint64_t offset = layout.pixelOffset + stride * static_cast<std::uint64_t>(fileRow);
        if (layout.bitCount == 24 || raw32) {
            source.readAt(offset, {reinterpret_cast<std::byte*>(row), static_cast<std::size_t>(rowBytes)});
            if (layout.bitCount == 24)
                widen24InPlace(row, layout.width);
        } else {
            source.readAt(offset, rowBuffer);
            decoder.decode(rowBuffer.data(), row, fileRow);
        }
    }
    return image;
}

} // namespace iconfinder::bmp
