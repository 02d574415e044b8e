#pragma once

#include "image/pixel_image.h"

#include <cstddef>
#include <span>

namespace iconfinder {

// The bitmap file of the sample picture, as committed in resources/sample.bmp.
std::span<const std::byte> samplePictureFile();

// The sample picture decoded: 395 x 308 pixels of fifty icons on white.
PixelImage samplePicture();

} // namespace iconfinder
