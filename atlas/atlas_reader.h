#pragma once

#include "regions/region_box.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace iconfinder {

// Across a frame's source picture, from 0 to 1: bottom is 0.5, 1.
struct Anchor {
    double x = 0.5;
    double y = 0.5;
    friend bool operator==(const Anchor&, const Anchor&) = default;
};

// The anchor "center", "bottom" or "X,Y" (such as 0.5,1) names; none when it names none.
std::optional<Anchor> anchorNamed(std::string_view text);

// What an atlas says of a frame beyond where it lies, so that it is written again as it was.
struct FrameNotes {
    std::optional<Anchor> pivot; // JSON "anchor" or "pivot", Starling pivotX and pivotY
    int duration = 0;            // milliseconds it shows (Aseprite's "duration"); 0 where none is said
    std::vector<std::pair<std::string, std::size_t>> animations; // each animation it plays in, and its place there
    friend bool operator==(const FrameNotes&, const FrameNotes&) = default;
};

struct NamedBox {
    std::string name;
    RegionBox box;
    std::string page; // the image of its page as the atlas names it; empty when it names none
    std::optional<FrameTrim> trim;
    FrameNotes notes;
};

inline constexpr std::size_t kLargestAtlas = std::size_t{256} << 20;

// The frames of an atlas as texture packers write them, in the file's order: JSON with
// "frames" as an object by name or an array (also several pages under "textures"), Starling
// XML, or libGDX's .atlas (its current layout and the older one). Linear in the text, which
// may be up to kLargestAtlas bytes. Throws InputError saying what is wrong, also for a frame
// stored turned other than a quarter round. The names are as written: whether they can name files is the caller's rule.
// Each frame knows its page's image, so that the frames of one picture can be taken from an
// atlas of several, its trim, when it has one that holds its box, and its notes: pivot,
// duration, and its places in the animations (JSON "animations", Aseprite's frame tags).
std::vector<NamedBox> readAtlasFrames(std::string_view text);

} // namespace iconfinder
