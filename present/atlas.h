#pragma once

#include "search/region_order.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace iconfinder {

enum class AtlasLayout {
    Hash,  // "frames": {"NAME": {...}, ...}, the "JSON Hash" of common texture packers
    Array, // "frames": [{"filename": "NAME", ...}, ...], which keeps the order everywhere
};

// A sprite atlas in the JSON layout that Phaser and PixiJS load: each region a frame of the
// sheet's own pixels, named in pairs with `names`, in output order. `image` is the sheet's path
// as seen from the atlas file.
std::string atlasJson(std::span<const PlacedRegion> regions, const std::vector<std::string>& names, std::string_view image,
                      int width, int height, AtlasLayout layout);

} // namespace iconfinder
