#pragma once

#include "files/file_io.h"
#include "image/pixel_image.h"

#include <cstddef>
#include <vector>

namespace iconfinder::bmp {

// A 24-bit uncompressed bottom-up bitmap with a 40-byte header and rows padded to 4 bytes;
// alpha is dropped.
void write(const PixelImage& image, ByteWriter& out);
std::vector<std::byte> encode(const PixelImage& image);

} // namespace iconfinder::bmp
