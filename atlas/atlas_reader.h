#pragma once

#include "regions/region_box.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace iconfinder {

struct NamedBox {
    std::string name;
    RegionBox box;
    std::string page; // the image of its page as the atlas names it; empty when it names none
    std::optional<FrameTrim> trim;
};

inline constexpr std::size_t kLargestAtlas = std::size_t{256} << 20;

// The frames of an atlas as texture packers write them, in the file's order: JSON with
// "frames" as an object by name or an array (also several pages under "textures"), Starling
// XML, or libGDX's .atlas (its current layout and the older one). Linear in the text, which
// may be up to kLargestAtlas bytes. Throws InputError saying what is wrong, also for a frame
// stored rotated. The names are as written: whether they can name files is the caller's rule.
// Each frame knows its page's image, so that the frames of one picture can be taken from an
// atlas of several, and its trim, when it has one that holds its box.
std::vector<NamedBox> readAtlasFrames(std::string_view text);

} // namespace iconfinder
