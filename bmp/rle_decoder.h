#pragma once

#include "bmp_layout.h"
#include "byte_source.h"
#include "pixel_image.h"

namespace iconfinder::bmp {

// Decodes RLE8 or RLE4 pixel data; pixels the stream leaves undefined take palette entry 0.
PixelImage decodeRle(ByteSource& source, const BmpLayout& layout);

} // namespace iconfinder::bmp
