#include "tests/support/png_bytes.h"

#include <zlib.h>

namespace iconfinder::test {
namespace {

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putChunk(std::vector<std::uint8_t>& out, const std::string& type, const std::vector<std::uint8_t>& data)
{
    putU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    putU32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

} // namespace

std::vector<std::uint8_t> chunkBytes(const std::string& type, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> out;
    putChunk(out, type, data);
    return out;
}

std::vector<std::uint8_t> pngBytes(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colourType,
                                   const std::vector<std::uint8_t>& rows, const std::vector<PngChunk>& chunks)
{
    std::vector<std::uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<std::uint8_t> header;
    putU32(header, width);
    putU32(header, height);
    header.insert(header.end(), {bitDepth, colourType, 0, 0, 0});
    putChunk(out, "IHDR", header);
    for (const PngChunk& chunk : chunks)
        putChunk(out, chunk.type, chunk.data);
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    std::vector<std::uint8_t> packed(size);
    compress(packed.data(), &size, rows.data(), static_cast<uLong>(rows.size()));
    packed.resize(size);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", {});
    return out;
}

} // namespace iconfinder::test
