#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace iconfinder::test {

// A PNG file built chunk by chunk, for the cases no suite file covers: IHDR from the fields,
// then `chunks` (type and data), then IDAT of `rows` (each row's filter byte included).
struct PngChunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// One chunk as it stands in a file: length, type, data and checksum.
std::vector<std::uint8_t> chunkBytes(const std::string& type, const std::vector<std::uint8_t>& data);

std::vector<std::uint8_t> pngBytes(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colourType,
                                   const std::vector<std::uint8_t>& rows, const std::vector<PngChunk>& chunks = {});

} // namespace iconfinder::test
