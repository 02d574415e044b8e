#pragma once

#include "bmp_layout.h"
#include "byte_source.h"
#include "pixel_image.h"

namespace iconfinder::bmp {

// Decodes uncompressed and bit-field pixel data.
PixelImage decodePlain(ByteSource& source, const BmpLayout& layout);

} // namespace iconfinder::bmp
