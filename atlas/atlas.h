#pragma once

#include "common/errors.h"
#include "grid/grid_cells.h"
#include "atlas/atlas_reader.h"
#include "present/crops.h"
#include "shaping/region_order.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace iconfinder {

enum class AtlasLayout {
    Hash,     // "frames": {"NAME": {...}, ...}, the "JSON Hash" of common texture packers
    Array,    // "frames": [{"filename": "NAME", ...}, ...], which keeps the order everywhere
    Aseprite, // frames keyed "0", "1", ... with durations, and meta.frameTags
    Starling, // the Starling/Sparrow XML TextureAtlas
    Libgdx,   // the text .atlas of libGDX's texture packer
    Css,      // a rule per frame with a background position into the image
};

// One frame as every layout describes it: the pixels the engine samples, and the picture the
// frame stands for (the crop), in which they sit at offset. A frame smaller than that picture
// is trimmed. A turned frame lies on its page a quarter turn round, its box as high as the frame
// is wide.
struct AtlasFrame {
    std::string name;
    RegionBox box;
    std::size_t page = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    int offsetX = 0;
    int offsetY = 0;
    Turn turn = Turn::None;
    std::optional<Anchor> pivot; // its own, where no anchor is given for all
    int duration = 0;            // milliseconds it shows, its own (0: the atlas's)

    bool turned() const { return turn != Turn::None; }
    int width() const { return turned() ? box.height() : box.width(); }
    int height() const { return turned() ? box.width() : box.height(); }
    bool trimmed() const { return sourceWidth != width() || sourceHeight != height(); }
};

struct AtlasPage {
    std::string image; // its path as seen from the atlas file
    int width = 0;
    int height = 0;
};

struct Animation {
    std::string name;
    std::vector<std::size_t> frames; // in play order
};

struct Atlas {
    std::vector<AtlasPage> pages;
    std::vector<std::string> relatedFiles; // other pages' atlas files, for PixiJS
    std::vector<AtlasFrame> frames;
    std::optional<Anchor> anchor;
    std::vector<Animation> animations;
    int frameDuration = 100; // milliseconds, for layouts that play frames
    bool premultipliedAlpha = false; // said where the layout can: JSON meta, libGDX pages
};

// The frames of regions on one page, in output order, drawn as their crops would be: the
// source picture is the crop (its padding, same size and alignment) of the box's extent: the
// cell it was trimmed from (`extents`, in the regions' order), else the box. A region with a
// trim of its own (a frame of an atlas read back, `trims` likewise) keeps it, so it is drawn as
// before.
std::vector<AtlasFrame> framesOf(std::span<const PlacedRegion> regions, const std::vector<std::string>& names, const CropStyle& style,
                                 std::span<const RegionBox> extents, std::span<const std::optional<FrameTrim>> trims = {});

// How frames make animations: a row or column of the regions each, or the frames whose names
// by the animation name pattern come out alike.
enum class AnimationGroups { Rows, Columns, Names };

// The animation name pattern when none is given: {stem}-{row}, {stem}-{col} or {base}.
std::string_view defaultAnimationName(AnimationGroups groups);

// The animations of the regions, named by `name` formatted with the stem and the row or column
// (for names, with each region's fields); frames in output order.
std::vector<Animation> animationsOf(std::span<const PlacedRegion> regions, AnimationGroups groups, const class NamePattern& name,
                                    std::string_view stem);

// The frames grouped by the animation each names (empty: none), the animations in the order
// first met.
std::vector<Animation> animationsNamed(std::span<const std::string> animationOfFrame);

// The animations the frames' notes place them in (frames in output order), in the order first met.
std::vector<Animation> animationsNoted(std::span<const FrameNotes> notes);

// The text of an atlas in a layout. Layouts that hold one page take the atlas's first. Throws
// Error for a frame turned the other way from the layout's.
std::string atlasText(const Atlas& atlas, AtlasLayout layout);

// A layout that holds one page asked to hold several.
class OnePageOnly : public Error {
public:
    using Error::Error;
};

// The files of an atlas in a layout, to be written at `path`: one, or for a JSON Hash of
// several pages, one a page (`path`, then NAME-2.json, ...) that PixiJS finds through the
// first one's related_multi_packs. Throws OnePageOnly for a layout that holds one page only.
std::vector<std::pair<std::filesystem::path, std::string>> atlasFiles(const Atlas& atlas, AtlasLayout layout,
                                                                      const std::filesystem::path& path);

// How an atlas at `atlas` names the picture `image`: relative to the atlas's folder.
std::string atlasImagePath(const std::filesystem::path& atlas, const std::filesystem::path& image);

// The way a layout's engines take a turned frame to lie: clockwise in the JSON and Starling
// layouts, anticlockwise in libGDX's; CSS has none.
Turn turnOf(AtlasLayout layout);

// A layout's short name: "hash", "array", "aseprite", "starling", "libgdx" or "css".
std::string_view layoutName(AtlasLayout layout);

// The usual file extension of a layout: "json", "xml", "atlas" or "css".
std::string_view atlasExtension(AtlasLayout layout);

} // namespace iconfinder
