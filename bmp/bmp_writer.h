#pragma once

#include "pixel_image.h"

#include <cstddef>
#include <filesystem>
#include <vector>

namespace iconfinder::bmp {

// A 24-bit uncompressed bottom-up bitmap with a 40-byte header and rows padded to 4 bytes.
std::vector<std::byte> encode(const PixelImage& image);

// Writes encode(image) so that a failure never leaves a partial file: a regular file is
// written under a temporary name beside it and renamed; a device is written in place.
// Throws std::runtime_error naming the system's reason.
void writeFile(const PixelImage& image, const std::filesystem::path& path);

} // namespace iconfinder::bmp
