#pragma once

#include "files/output_file.h"
#include "formats/picture_file.h"
#include "image/pixel_image.h"
#include "mask/background_rule.h"
#include "regions/region_box.h"
#include "regions/region_owners.h"
#include "shaping/region_order.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace iconfinder {

// Where a box sits in a crop larger than it.
enum class Align { Center, Bottom, BottomLeft, BottomRight, TopLeft, Left, Right };

// Which crops share one size, as wide as the widest box among them and as high as the highest.
enum class SameSize { None, All, Rows, Columns };

// How each region is cut out into a picture of its own.
struct CropStyle {
    FileFormat format = FileFormat::Bmp;
    int padding = 0; // more pixels on every side, filled like the background
    SameSize sameSize = SameSize::None;
    Align align = Align::Center;
    bool transparent = false; // background pixels (by the rule) made transparent
    bool bleed = true;        // transparent pixels take the nearest visible colour, against dark fringes when filtered
    bool premultiply = false; // colours multiplied by alpha
};

// A crop or page with alpha finished as the style asks: bled, then premultiplied.
void finishAlpha(PixelImage& picture, const CropStyle& style);

// Where a box stands in its crop: the crop's size and the box's top-left corner in it. Centred
// crops give an odd pixel left over to the right and the bottom; bottom-aligned ones stand on
// the bottom edge. `widest` and `highest` are the largest box's of its group, for same-size crops.
struct CropPlacement {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
};
CropPlacement placeCrop(const RegionBox& box, const CropStyle& style, int widest, int highest);

// For each box, the largest width and height among the boxes of its group: all of them, or
// those of its row or column (`placed` gives them, in the boxes' order); its own without.
std::vector<std::pair<int, int>> cropSizes(std::span<const RegionBox> boxes, std::span<const PlacedRegion> placed, SameSize sameSize);

// A crop's file name: the region's name, less an image file's extension it may end in (a frame
// an atlas names "hero.png"), with the crop's own.
std::string cropFileName(std::string_view name, FileFormat format);

// The format of crops, for find-icons and the window alike: the one asked for, else PNG from
// a PNG picture or for transparent crops, and BMP otherwise.
FileFormat cropFormatFor(std::optional<FileFormat> asked, bool transparent, FileFormat pictureFormat);

// One crop, placed as placeCrop says: the box's own pixels of `picture` are its only pixels of
// the picture; the rest is filled with the background colour, or transparency in a
// transparent crop (one with `style.transparent`, or under the transparent rule). With
// `owners` (crops of a sprite's own pixels), the box's pixels not labelled `label` are filled
// too.
PixelImage cropOf(const PixelImage& picture, const RegionBox& box, const BackgroundRule& rule, const CropStyle& style,
                  int width, int height, const RegionOwners* owners = nullptr, std::uint32_t label = 0);

// A region's crop as cropOf makes it; for a frame with a trim of its own (of an atlas read back,
// or a whole picture), the picture the frame stands for: its box, turned back upright when it
// lies turned, where the trim puts it, transparent around it (what was trimmed away was).
PixelImage frameCrop(const PixelImage& picture, const RegionBox& box, const BackgroundRule& rule, const CropStyle& style,
                     const std::optional<FrameTrim>& trim, int width, int height, const RegionOwners* owners = nullptr,
                     std::uint32_t label = 0);

// Adds crops to `batch`, into `folder` as NAME.bmp or NAME.png; the regions and the names
// (without extension) go in pairs. With `owners`, crop i keeps of its box only the pixels
// labelled i + 1. A region with a trim (`trims` in the regions' order) is cropped whole, as the
// trim says. Returns how many other files the folder holds, which stay, unless
// `replaceFolder` leaves it holding these crops alone.
std::size_t writeCrops(OutputBatch& batch, const PixelImage& picture, std::span<const PlacedRegion> regions, const std::vector<std::string>& names,
                       const std::filesystem::path& folder, const BackgroundRule& rule, const CropStyle& style,
                       const RegionOwners* owners = nullptr, bool replaceFolder = false,
                       std::span<const std::optional<FrameTrim>> trims = {});

} // namespace iconfinder
