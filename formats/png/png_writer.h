#pragma once

#include "file_io.h"
#include "pixel_image.h"

namespace iconfinder::png {

// An 8-bit PNG through libspng: RGBA when the picture has alpha, RGB otherwise.
void write(const PixelImage& image, ByteWriter& out);

} // namespace iconfinder::png
