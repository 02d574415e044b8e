#pragma once

#include "atlas/atlas.h"
#include "atlas/atlas_reader.h"
#include "formats/picture_file.h"
#include "image/color.h"
#include "pack/pack.h"
#include "present/crops.h"
#include "present/name_pattern.h"
#include "slice/sprite_search.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace iconfinder {

// Which pixels are background: one colour, transparency, or decided from the picture's border.
struct BackgroundChoice {
    enum class Kind { Colour, Transparent, Auto };
    Kind kind = Kind::Colour;
    ColorValue colour = kWhite;
    std::uint8_t tolerance = 0;
};

// The atlas a slicing writes: its file, its layout and what it adds to the frames.
struct AtlasOutput {
    std::filesystem::path path;
    bool makeFolder = false; // its folder is made when missing, as the crops' is
    AtlasLayout layout = AtlasLayout::Hash;
    std::optional<Anchor> anchor;
    std::optional<AnimationGroups> animations; // none: no animations
    NamePattern animationName = NamePattern::parse("{stem}", false);
    int frameDuration = 100;
    std::optional<std::filesystem::path> pack; // the frames packed into a picture of their own
    PackStyle packing;
};

// The files a slicing writes for one picture, all of them or none.
struct SliceOutputs {
    std::optional<std::filesystem::path> framed; // the picture with a red frame a region
    std::optional<std::filesystem::path> cropFolder;
    bool replaceCropFolder = false;       // the folder left holding this run's crops alone
    std::optional<FileFormat> cropFormat; // none: as cropFormatFor decides
    CropStyle crop;                       // also how the atlas's frames are drawn
    std::optional<AtlasOutput> atlas;

    bool named() const { return cropFolder || atlas; }
    bool needPixels() const { return framed || cropFolder || (atlas && (atlas->pack || crop.transparent)); }
};

// One slicing, the same from the command line and from the window: how the background is
// told, where the boxes come from (the search, a grid, a guessed grid, or an atlas read back),
// how they are shaped and named, and what is written.
struct SliceRequest {
    BackgroundChoice background;
    SpriteSettings sprites;
    std::shared_ptr<const std::vector<NamedBox>> atlasFrames; // an atlas's frames are the regions
    std::optional<NamePattern> names;                 // none: icon-0001, ... or the atlas's own
    SliceOutputs outputs;

    // Whether the regions go nowhere but to a printed list, in the order found, so that they
    // can be handed on as they are found without holding them.
    bool boxesAsFound() const;
};

} // namespace iconfinder
