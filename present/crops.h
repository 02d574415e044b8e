#pragma once

#include "files/output_file.h"
#include "formats/picture_file.h"
#include "image/pixel_image.h"
#include "mask/background_rule.h"
#include "regions/region_box.h"
#include "regions/region_owners.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace iconfinder {

enum class Align { Center, Bottom };

// How each region is cut out into a picture of its own.
struct CropStyle {
    FileFormat format = FileFormat::Bmp;
    int padding = 0;         // more pixels on every side, filled like the background
    bool sameSize = false;   // every crop as wide as the widest box and as high as the highest
    Align align = Align::Center;
    bool transparent = false; // background pixels (by the rule) made transparent
};

// Where a box stands in its crop: the crop's size and the box's top-left corner in it. Centred
// crops give an odd pixel left over to the right and the bottom; bottom-aligned ones stand on
// the bottom edge. `widest` and `highest` are the largest box's, for same-size crops.
struct CropPlacement {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
};
CropPlacement placeCrop(const RegionBox& box, const CropStyle& style, int widest, int highest);

// The largest width and the largest height among the boxes.
std::pair<int, int> largestSize(std::span<const RegionBox> boxes);

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

// Adds crops to `batch`, into `folder` as NAME.bmp or NAME.png; the boxes and the names (without
// extension) go in pairs. With `owners`, crop i keeps of its box only the pixels labelled i + 1.
void writeCrops(OutputBatch& batch, const PixelImage& picture, std::span<const RegionBox> boxes, const std::vector<std::string>& names,
                const std::filesystem::path& folder, const BackgroundRule& rule, const CropStyle& style,
                const RegionOwners* owners = nullptr);

} // namespace iconfinder
