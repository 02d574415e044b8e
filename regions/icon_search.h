#pragma once

#include "image/pixel_image.h"
#include "mask/background_rule.h"
#include "mask/foreground_mask.h"
#include "regions/region_box.h"

#include <functional>
#include <vector>

namespace iconfinder {

// Runs the extraction to the end on `work`, leaving it all background; the boxes in the
// order found.
std::vector<RegionBox> extractRegions(ForegroundMask& work);

// The same, handing each box to `found` as it is found and holding none.
void extractRegions(ForegroundMask& work, const std::function<void(const RegionBox&)>& found);

// The regions of a picture under a background rule.
std::vector<RegionBox> findRegions(const PixelImage& picture, const BackgroundRule& rule);

} // namespace iconfinder
