#include "formats/bmp/rle_decoder.h"

#include "common/errors.h"

#include <algorithm>
#include <string>
#include <vector>

namespace iconfinder::bmp {
namespace {

// RLE makes many pixels of few bytes, but a file must not make us allocate a picture that
// its size cannot justify: an end-of-line code (2 bytes) may stand for a whole row.
constexpr std::uint64_t kPixelsPerDataByte = 1024;
constexpr std::uint64_t kPixelsWithoutData = std::uint64_t{1} << 20;

// Rows come from the stream bottom-up and are handed on once the stream has moved past them;
// rows it skips, and the rest of a row it leaves early, hold palette entry 0.
class RleStream {
public:
    RleStream(ByteStream& data, const BmpLayout& layout, RowSink& sink)
        : data_(data), layout_(layout), sink_(sink), row_(static_cast<std::size_t>(layout.width), layout.palette[0])
    {
    }

    void decode()
    {
        const bool four = layout_.encoding == Encoding::Rle4;
        while (data_.remaining() >= 2 && y_ < layout_.height) {
            const auto code = data_.next(2);
            const int count = std::to_integer<int>(code[0]);
            const int value = std::to_integer<int>(code[1]);
            if (count > 0) {
                for (int i = 0; i < count; ++i)
                    put(four ? (i % 2 == 0 ? value >> 4 : value & 15) : value);
                continue;
            }
            switch (value) {
            case 0: // end of line
                moveTo(0, y_ + 1);
                break;
            case 1: // end of bitmap
                finish();
                return;
            case 2: { // delta
                need(2, "delta");
                const auto delta = data_.next(2);
                const int x = x_ + std::to_integer<int>(delta[0]);
                const int y = y_ + std::to_integer<int>(delta[1]);
                if (x > layout_.width || y > layout_.height)
                    throw error("RLE delta moves outside the picture");
                moveTo(x, y);
                break;
            }
            default: { // absolute run of `value` pixels, padded to an even number of bytes
                const std::size_t bytes = four ? (value + 1) / 2 : value;
                need(bytes, "absolute run");
                const auto run = data_.next(bytes);
                for (int i = 0; i < value; ++i) {
                    const int byte = std::to_integer<int>(run[four ? i / 2 : i]);
                    put(four ? (i % 2 == 0 ? byte >> 4 : byte & 15) : byte);
                }
                data_.skip(std::min<std::uint64_t>(data_.remaining(), bytes % 2));
            }
            }
        }
        // A stream that stops without an end-of-bitmap code leaves the rest undefined.
        finish();
    }

private:
    FormatError error(const std::string& what) const
    {
        return FormatError(what + " (row " + std::to_string(y_ + 1) + " of " + std::to_string(layout_.height) + ")");
    }

    void need(std::size_t bytes, const char* what) const
    {
        if (data_.remaining() < bytes)
            throw error(std::string("truncated RLE ") + what);
    }

    void put(int index)
    {
        if (index >= layout_.paletteSize)
            throw error("colour index " + std::to_string(index) + " outside the palette of " + std::to_string(layout_.paletteSize) + " colours");
        if (x_ < layout_.width)
            row_[static_cast<std::size_t>(x_++)] = layout_.palette[static_cast<std::size_t>(index)];
    }

    // Hands on the current row and any rows passed over, then continues at (x, y).
    void moveTo(int x, int y)
    {
        for (; y_ < y && y_ < layout_.height; ++y_) {
            emit();
            std::fill(row_.begin(), row_.end(), layout_.palette[0]);
        }
        x_ = x;
    }

    void finish() { moveTo(0, layout_.height); }

    void emit() { sink_.putRow(layout_.height - 1 - y_, reinterpret_cast<const std::byte*>(row_.data()), RowLayout::Bgra32); }

    ByteStream& data_;
    const BmpLayout& layout_;
    RowSink& sink_;
    std::vector<Pixel> row_;
    int x_ = 0;
    int y_ = 0; // in file order, from the bottom row
};

} // namespace

void decodeRle(ByteSource& source, const BmpLayout& layout, RowSink& sink)
{
    const std::uint64_t available = source.size() - layout.pixelOffset;
    const std::uint64_t pixels = static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height);
    if (pixels > kPixelsWithoutData + kPixelsPerDataByte * available)
        throw FormatError("RLE picture of " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
                          " pixels is too large for its " + std::to_string(available) + " bytes of data");
    sink.start(layout.width, layout.height, false);
    ByteStream data(source, layout.pixelOffset, source.size());
    RleStream(data, layout, sink).decode();
}

} // namespace iconfinder::bmp
