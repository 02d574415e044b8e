#pragma once

#include "image/pixel_image.h"
#include "atlas/atlas.h"
#include "present/crops.h"
#include "mask/background_rule.h"
#include "regions/region_owners.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace iconfinder {

struct PackStyle {
    int padding = 2;   // transparent pixels between frames
    int extrude = 0;   // a frame's edge pixels repeated around it, against bleeding when filtered
    int largest = 4096; // a page's largest side
    bool powerOfTwo = false;
    bool keepDuplicates = false; // else frames of the same pixels share one place on the page
    bool mayTurn = false;        // a frame may lie a quarter turn round where the pages come out smaller
    Turn turn = Turn::Clockwise; // which way it then lies
};

// A frame ready to pack: its visible pixels, and the picture it stands for, in which they sit
// at `left`, `top`.
struct FramePiece {
    std::string name;
    PixelImage pixels;
    int sourceWidth = 0;
    int sourceHeight = 0;
    int left = 0;
    int top = 0;
};

// The frames of a picture's regions, each cut as its crop would be (the crop style, its own
// pixels with `owners`) with the background transparent, its transparent margins trimmed. A
// region with a trim of its own (`trims` in the regions' order) is its box alone, standing for
// the trim's source picture.
std::vector<FramePiece> framePieces(const PixelImage& picture, std::span<const PlacedRegion> regions, const std::vector<std::string>& names,
                                    const BackgroundRule& rule, const CropStyle& style, const RegionOwners* owners,
                                    std::span<const std::optional<FrameTrim>> trims = {});

struct PackedAtlas {
    std::vector<PixelImage> pages;
    std::vector<AtlasFrame> frames; // in the order of the pieces, each on its page
};

// A new atlas picture: the pieces packed onto as few pages as it takes (one transparent pixel
// for no pieces), the pages finished as
// `finish` asks (bleeding, premultiplying). Throws Error "frame NAME (W × H) does not fit a
// page of N".
PackedAtlas packPieces(const std::vector<FramePiece>& pieces, const CropStyle& finish, const PackStyle& pack);

} // namespace iconfinder
