#pragma once

#include "pixel_image.h"

#include <cstddef>
#include <filesystem>

namespace bench {

// Each returns a number derived from its result, so that the work cannot be optimised away.
std::size_t ourSearch(iconfinder::PixelImage work);
std::size_t referenceSearch(iconfinder::PixelImage work);
std::size_t floorPass(const iconfinder::PixelImage& picture); // counts foreground pixels
std::size_t ourDecode(const std::filesystem::path& file);

#ifdef HAVE_OPENCV
// inRange + bitwise_not for the foreground mask, then 8-connected labelling with statistics.
std::size_t openCvLabelling(const iconfinder::PixelImage& picture, int algorithm);
std::size_t openCvDecode(const std::filesystem::path& file);
#endif

} // namespace bench
