#pragma once

#include "files/file_io.h"
#include "image/pixel_image.h"

#include <cstddef>
#include <vector>

namespace iconfinder::bmp {

// An uncompressed bottom-up bitmap: 24-bit with a 40-byte header and rows padded to 4 bytes,
// or, for a picture with alpha, 32-bit with a 108-byte header whose masks give the alpha.
void write(const PixelImage& image, ByteWriter& out);
std::vector<std::byte> encode(const PixelImage& image);

} // namespace iconfinder::bmp
