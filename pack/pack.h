#pragma once

#include "image/pixel_image.h"
#include "atlas/atlas.h"
#include "present/crops.h"
#include "mask/background_rule.h"
#include "regions/region_owners.h"

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
};

struct PackedAtlas {
    std::vector<PixelImage> pages;
    std::vector<AtlasFrame> frames; // in the order of the regions, each on its page
};

// A new atlas picture: each region cut as its crop would be (the crop style, its own pixels
// with `owners`), the background transparent, its transparent margins trimmed and recorded as
// the frame's offset in its source picture, then packed onto as few pages as it takes; the
// pages finished as the crop style asks (bleeding, premultiplying). Throws
// Error "frame NAME (W × H) does not fit a page of N".
PackedAtlas packFrames(const PixelImage& picture, std::span<const PlacedRegion> regions, const std::vector<std::string>& names,
                       const BackgroundRule& rule, CropStyle style, const RegionOwners* owners, const PackStyle& pack);

} // namespace iconfinder
