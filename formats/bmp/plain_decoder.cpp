#include "formats/bmp/plain_decoder.h"

#include "common/errors.h"

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
                row[x] = makePixel(red_(v), green_(v), blue_(v), layout_.hasAlpha() ? alpha_(v) : 255);
            }
        }
    }

private:
    const BmpLayout& layout_;
    ChannelDecoder red_, green_, blue_, alpha_;
};

// A 32-bit pixel whose channels are whole bytes in the order of Pixel, as most files hold them.
bool bytesAreBgra(const BmpLayout& layout)
{
    return layout.bitCount == 32 && layout.red.mask == 0xFF0000 && layout.green.mask == 0xFF00 && layout.blue.mask == 0xFF &&
           (layout.alpha.mask == 0 || layout.alpha.mask == 0xFF000000u);
}

} // namespace

void decodePlain(ByteSource& source, const BmpLayout& layout, RowSink& sink)
{
    const std::uint64_t stride = layout.stride();
    const std::uint64_t rowBytes = layout.rowBytes();
    const std::uint64_t available = source.size() - layout.pixelOffset;
    if (available < stride * (layout.height - 1) + rowBytes) {
        const std::uint64_t complete = available < rowBytes ? 0 : (available - rowBytes) / stride + 1;
        throw FormatError("truncated pixel data (row " + std::to_string(complete + 1) + " of " + std::to_string(layout.height) + ")");
    }

    sink.start(layout.width, layout.height, layout.hasAlpha());
    // Rows whose bytes are already one of the sink's layouts go to it as they lie in the file.
    const bool direct = layout.bitCount == 24 || bytesAreBgra(layout);
    const RowLayout directLayout = layout.bitCount == 24 ? RowLayout::Bgr24 : layout.hasAlpha() ? RowLayout::Bgra32 : RowLayout::Bgrx32;
    const RowDecoder decoder(layout);
    std::vector<Pixel> decoded(direct ? 0 : static_cast<std::size_t>(layout.width));
    ByteStream stream(source, layout.pixelOffset, source.size());
    for (int fileRow = 0; fileRow < layout.height; ++fileRow) {
        const int y = layout.topDown ? fileRow : layout.height - 1 - fileRow;
        const std::span<const std::byte> bytes = stream.next(static_cast<std::size_t>(rowBytes));
        if (fileRow + 1 < layout.height)
            stream.skip(stride - rowBytes);
        if (direct) {
            sink.putRow(y, bytes.data(), directLayout);
        } else {
            decoder.decode(bytes.data(), decoded.data(), fileRow);
            sink.putRow(y, reinterpret_cast<const std::byte*>(decoded.data()), RowLayout::Bgra32);
        }
    }
}

} // namespace iconfinder::bmp
