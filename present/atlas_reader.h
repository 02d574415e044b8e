#pragma once

#include "search/region_box.h"

#include <string>
#include <string_view>
#include <vector>

namespace iconfinder {

struct NamedBox {
    std::string name;
    RegionBox box;
};

// The frames of an atlas as texture packers write them, in the file's order: JSON with
// "frames" as an object by name or an array (also several pages under "textures"), Starling
// XML, or libGDX's .atlas (its current layout and the older one). Throws InputError saying
// what is wrong.
std::vector<NamedBox> readAtlasFrames(std::string_view text);

} // namespace iconfinder
