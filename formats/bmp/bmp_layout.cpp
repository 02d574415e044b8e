#include "formats/bmp/bmp_layout.h"

#include "common/errors.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace iconfinder::bmp {
namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;

std::string str(std::uint64_t v) { return std::to_string(v); }

std::string hex(std::uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", v);
    return text;
}

// Little-endian fields of a header already read whole; a field past its end reads as 0,
// which is what a shorter header variant means for the fields it lacks.
class HeaderFields {
public:
    explicit HeaderFields(std::span<const std::byte> bytes) : bytes_(bytes) {}
    std::uint32_t u16(std::size_t at) const { return byte(at) | byte(at + 1) << 8; }
    std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
    std::int32_t i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }

private:
    std::uint32_t byte(std::size_t at) const { return at < bytes_.size() ? std::to_integer<std::uint32_t>(bytes_[at]) : 0; }
    std::span<const std::byte> bytes_;
};

std::vector<std::byte> readBytes(ByteSource& source, std::uint64_t offset, std::uint64_t count, const char* what)
{
    if (offset > source.size() || count > source.size() - offset)
        throw FormatError(std::string("file too short for ") + what + " (" + str(source.size()) + " bytes)");
    std::vector<std::byte> bytes(static_cast<std::size_t>(count));
    source.copy(offset, bytes);
    return bytes;
}

Channel channelOf(std::uint32_t mask)
{
    if (mask == 0)
        return {};
    const int shift = std::countr_zero(mask);
    return {mask, shift, std::countr_one(mask >> shift)};
}

void checkMasks(BmpLayout& layout, std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::uint32_t alpha)
{
    const std::uint32_t usable = layout.bitCount == 32 ? 0xFFFFFFFFu : (1u << layout.bitCount) - 1;
    const std::uint32_t masks[] = {red, green, blue, alpha};
    const char* names[] = {"red", "green", "blue", "alpha"};
    std::uint32_t seen = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t m = masks[i];
        if (m == 0 && i < 3)
            throw FormatError(std::string(names[i]) + " bit mask is empty");
        if ((m & ~usable) != 0 || (m & seen) != 0 || (m != 0 && std::popcount(m) != channelOf(m).bits))
            throw FormatError(std::string(names[i]) + " bit mask " + hex(m) + " is not one run of bits of its own within the pixel");
        seen |= m;
    }
    layout.red = channelOf(red);
    layout.green = channelOf(green);
    layout.blue = channelOf(blue);
    layout.alpha = channelOf(alpha);
}

// Stage 1, the file header: the signature, where the pixels start, and the size of the
// information header that follows (its first field).
struct FileHeader {
    std::uint64_t pixelOffset = 0;
    std::uint32_t infoSize = 0;
};

FileHeader readFileHeader(ByteSource& source)
{
    const std::vector<std::byte> bytes = readBytes(source, 0, kFileHeaderSize + 4, "a bitmap header");
    const HeaderFields file(bytes);
    if (file.u16(0) != ('B' | 'M' << 8))
        throw FormatError("not a bitmap file (no 'BM' signature)");
    return {file.u32(10), file.u32(14)};
}

// Stage 2, the information header, in any of its variants.
struct InfoHeader {
    std::uint32_t size = 0;
    bool core = false; // OS/2 1.x: 16-bit sizes, 3-byte palette entries
    bool os2 = false;  // OS/2 2.x, whose compressions 3 and 4 mean other things
    std::vector<std::byte> bytes;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

InfoHeader readInfoHeader(ByteSource& source, std::uint32_t size, BmpLayout& layout)
{
    InfoHeader header;
    header.size = size;
    header.core = size == kCoreHeaderSize;
    // 16 to 64 bytes, other than the Windows sizes 40, 52 and 56, is the OS/2 2.x header.
    header.os2 = size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56;
    if (!header.core && !header.os2 && size != 40 && size != 52 && size != 56 && size != 108 && size != 124)
        throw FormatError("unsupported information header size " + str(size));
    header.bytes = readBytes(source, kFileHeaderSize, size, "its information header");
    const HeaderFields info(header.bytes);

    std::int64_t height = 0;
    std::uint32_t planes = 0;
    if (header.core) {
        layout.width = static_cast<int>(info.u16(4));
        height = info.u16(6);
        planes = info.u16(8);
        layout.bitCount = static_cast<int>(info.u16(10));
    } else {
        layout.width = info.i32(4);
        height = info.i32(8);
        planes = info.u16(12);
        layout.bitCount = static_cast<int>(info.u16(14));
        header.compression = info.u32(16);
        header.colorsUsed = info.u32(32);
    }
    if (planes != 1)
        throw FormatError("plane count " + str(planes) + " is not 1");
    if (layout.width <= 0)
        throw FormatError("width " + std::to_string(layout.width) + " is not positive");
    if (height == 0)
        throw FormatError("height is 0");
    layout.topDown = height < 0;
    height = height < 0 ? -height : height;
    PixelImage::checkSize(static_cast<std::uint64_t>(layout.width), static_cast<std::uint64_t>(height));
    layout.height = static_cast<int>(height);
    return header;
}

// Stage 3, how the pixels are stored; true when the bit masks include alpha.
bool readEncoding(const InfoHeader& header, BmpLayout& layout)
{
    bool alphaMaskInFile = false;
    switch (header.compression) {
    case 0: layout.encoding = Encoding::Plain; break;
    case 1: layout.encoding = Encoding::Rle8; break;
    case 2: layout.encoding = Encoding::Rle4; break;
    case 3:
        if (header.os2)
            throw FormatError("OS/2 Huffman compression is not supported");
        layout.encoding = Encoding::BitFields;
        break;
    case 4: throw FormatError(header.os2 ? "OS/2 RLE24 compression is not supported" : "embedded JPEG pictures are not supported");
    case 5: throw FormatError("embedded PNG pictures are not supported");
    case 6:
        layout.encoding = Encoding::BitFields;
        alphaMaskInFile = true;
        break;
    default: throw FormatError("unknown compression " + str(header.compression));
    }

    const int bits = layout.bitCount;
    const bool validDepth = [&] {
        switch (layout.encoding) {
        case Encoding::Plain: return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        case Encoding::Rle8: return bits == 8;
        case Encoding::Rle4: return bits == 4;
        case Encoding::BitFields: return bits == 16 || bits == 32;
        }
        return false;
    }();
    if (!validDepth)
        throw FormatError(bits == 64 ? "64 bits per pixel is not supported"
                                     : "bit count " + std::to_string(bits) + " is not valid for this compression");
    if (layout.topDown && (layout.encoding == Encoding::Rle8 || layout.encoding == Encoding::Rle4))
        throw FormatError("a top-down bitmap cannot be RLE compressed");
    return alphaMaskInFile;
}

// Stage 4, the bit masks: in the information header, after it, or the defaults of 16 and 32
// bits. Returns where the palette would start.
std::uint64_t readMasks(ByteSource& source, const InfoHeader& header, bool alphaMaskInFile, BmpLayout& layout)
{
    std::uint64_t end = kFileHeaderSize + header.size;
    const HeaderFields info(header.bytes);
    if (layout.encoding == Encoding::BitFields) {
        if (header.size >= 52) {
            checkMasks(layout, info.u32(40), info.u32(44), info.u32(48), header.size >= 56 ? info.u32(52) : 0);
        } else {
            const std::uint64_t count = alphaMaskInFile ? 4 : 3;
            const std::vector<std::byte> maskBytes = readBytes(source, end, count * 4, "its bit masks");
            const HeaderFields masks(maskBytes);
            checkMasks(layout, masks.u32(0), masks.u32(4), masks.u32(8), alphaMaskInFile ? masks.u32(12) : 0);
            end += count * 4;
        }
    } else if (layout.bitCount == 16) {
        checkMasks(layout, 0x7C00, 0x03E0, 0x001F, 0);
    } else if (layout.bitCount == 32) {
        checkMasks(layout, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    }
    return end;
}

// Stage 5, the palette of 1 to 8 bits a pixel, between the headers and the pixels.
void readPalette(ByteSource& source, const InfoHeader& header, std::uint64_t paletteStart, BmpLayout& layout)
{
    const int bits = layout.bitCount;
    if (bits > 8)
        return;
    const std::uint64_t entryBytes = header.core ? 3 : 4;
    const std::uint64_t declared = header.colorsUsed != 0 ? header.colorsUsed : std::uint64_t{1} << bits;
    // A palette that claims more room than lies before the pixels keeps the entries that fit.
    const std::uint64_t entries = std::min({declared, (layout.pixelOffset - paletteStart) / entryBytes, std::uint64_t{1} << bits});
    if (entries == 0)
        throw FormatError("the palette is empty");
    const std::vector<std::byte> bytes = readBytes(source, paletteStart, entries * entryBytes, "its palette");
    for (std::size_t i = 0; i < entries; ++i) {
        const auto channel = [&](std::size_t k) { return std::to_integer<std::uint8_t>(bytes[i * entryBytes + k]); };
        layout.palette[i] = makePixel(channel(2), channel(1), channel(0));
    }
    layout.paletteSize = static_cast<int>(entries);
}

} // namespace

BmpLayout readLayout(ByteSource& source)
{
    BmpLayout layout;
    const FileHeader file = readFileHeader(source);
    const InfoHeader info = readInfoHeader(source, file.infoSize, layout);
    const bool alphaMaskInFile = readEncoding(info, layout);
    const std::uint64_t paletteStart = readMasks(source, info, alphaMaskInFile, layout);
    if (file.pixelOffset < paletteStart)
        throw FormatError("pixel data offset " + str(file.pixelOffset) + " lies inside the headers");
    if (file.pixelOffset > source.size())
        throw FormatError("pixel data offset " + str(file.pixelOffset) + " lies beyond the end of the file (" + str(source.size()) +
                          " bytes)");
    layout.pixelOffset = file.pixelOffset;
    readPalette(source, info, paletteStart, layout);
    return layout;
}

} // namespace iconfinder::bmp
