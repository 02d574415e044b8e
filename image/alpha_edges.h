#pragma once

#include "image/pixel_image.h"

namespace iconfinder {

// Gives every fully transparent pixel the colour of the nearest pixel that is not (by steps to
// any of the eight neighbours), alpha left at 0, so that a filtered sampler blending across an
// edge meets the sprite's own colours, not the black or background colours stored there. A
// picture with nothing visible stays as it is.
void bleedIntoTransparent(PixelImage& picture);

// Colours multiplied by their alpha, rounded: what engines that blend premultiplied expect.
void premultiplyAlpha(PixelImage& picture);

} // namespace iconfinder
