#pragma once

#include "image/pixel_image.h"
#include "regions/region_box.h"

#include <cstddef>
#include <filesystem>
#include <vector>

namespace bench {

// Each returns a number derived from its result, so that the work cannot be optimised away.
std::size_t ourSearch(const iconfinder::PixelImage& picture); // mask + extraction, white background
std::size_t referenceSearch(iconfinder::PixelImage work);
std::size_t floorPass(const iconfinder::PixelImage& picture); // counts foreground pixels
std::size_t ourDecode(const std::filesystem::path& file);
std::size_t ourMerge(const std::vector<iconfinder::RegionBox>& boxes, int distance, int speck = 0);
std::size_t ourGridGuess(const std::vector<iconfinder::RegionBox>& boxes, int width, int height);

#ifdef HAVE_OPENCV
// inRange + bitwise_not for the foreground mask, then 8-connected labelling with statistics.
std::size_t openCvLabelling(const iconfinder::PixelImage& picture, int algorithm);
std::size_t openCvDecode(const std::filesystem::path& file);
#endif

} // namespace bench
