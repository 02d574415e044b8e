#pragma once

#include "files/byte_source.h"
#include "image/pixel_image.h"

#include <array>
#include <cstdint>

namespace iconfinder::bmp {

enum class Encoding { Plain, Rle8, Rle4, BitFields };

// One colour channel of a 16- or 32-bit pixel.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

// What the headers say about the pixels, every field checked against the file.
struct BmpLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    Encoding encoding = Encoding::Plain;
    Channel red, green, blue, alpha; // for BitFields
    std::array<Pixel, 256> palette{};
    int paletteSize = 0;
    std::uint64_t pixelOffset = 0;

    std::uint64_t stride() const { return (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4; }
    // Bytes of a row that hold pixels, without the padding to a multiple of four.
    std::uint64_t rowBytes() const { return (static_cast<std::uint64_t>(width) * bitCount + 7) / 8; }
    // Only a bit-field mask gives a bitmap alpha: the fourth byte of a plain 32-bit pixel is reserved.
    bool hasAlpha() const { return alpha.bits > 0; }
};

// Reads the file header, the information header, the masks and the palette.
BmpLayout readLayout(ByteSource& source);

} // namespace iconfinder::bmp
