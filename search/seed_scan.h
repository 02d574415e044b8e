#pragma once

#include "pixel_image.h"

namespace iconfinder {

// The first pixel in [begin, end) that is not `background` by the background rule, or end.
const Pixel* findForeground(const Pixel* begin, const Pixel* end, Pixel background);

} // namespace iconfinder
