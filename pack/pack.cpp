#include "pack/pack.h"

#include "common/errors.h"
#include "pack/packer.h"

#include <algorithm>

namespace iconfinder {
namespace {

// The smallest rectangle of a picture holding every pixel that is not fully transparent; the
// top-left pixel alone for a picture that is all transparent.
Rect opaquePart(const PixelImage& picture)
{
    int left = picture.width(), top = picture.height(), right = -1, bottom = -1;
    for (int y = 0; y < picture.height(); ++y) {
        const Pixel* row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            if (alphaOf(row[x]) != 0) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? Rect{0, 0, 1, 1} : Rect{left, top, right + 1, bottom + 1};
}

} // namespace

PackedAtlas packFrames(const PixelImage& picture, std::span<const PlacedRegion> regions, const std::vector<std::string>& names,
                       const BackgroundRule& rule, CropStyle style, const RegionOwners* owners, const PackStyle& pack)
{
    style.transparent = true;
    const std::vector<RegionBox> boxes = boxesOf(regions);
    const std::vector<std::pair<int, int>> cropSize = cropSizes(boxes, regions, style.sameSize);
    PackedAtlas atlas;
    std::vector<PixelImage> pieces;
    std::vector<std::pair<int, int>> sizes;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const PixelImage crop =
            cropOf(picture, boxes[i], rule, style, cropSize[i].first, cropSize[i].second, owners, static_cast<std::uint32_t>(i + 1));
        const Rect kept = opaquePart(crop);
        pieces.push_back(cropped(crop, kept));
        const int w = kept.right - kept.left, h = kept.bottom - kept.top;
        if (w + 2 * pack.extrude > pack.largest || h + 2 * pack.extrude > pack.largest)
            throw Error("frame " + names[i] + " (" + std::to_string(w + 2 * pack.extrude) + " × " + std::to_string(h + 2 * pack.extrude) +
                        ") does not fit a page of " + std::to_string(pack.largest));
        sizes.emplace_back(w + 2 * pack.extrude, h + 2 * pack.extrude);
        atlas.frames.push_back({names[i], {0, 0, w - 1, h - 1}, 0, crop.width(), crop.height(), kept.left, kept.top});
    }
    const std::optional<PackedPages> packed = packRectangles(sizes, pack.padding, pack.largest, pack.powerOfTwo);
    for (const auto& [width, height] : packed->pageSizes)
        atlas.pages.emplace_back(std::max(width, 1), std::max(height, 1), Pixel{0}, true);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Placement& at = packed->placements[i];
        PixelImage& page = atlas.pages[at.page];
        const PixelImage& piece = pieces[i];
        const int e = pack.extrude, x0 = at.x + e, y0 = at.y + e;
        // The piece, then its edges repeated outwards, rows first so that the corners fill too.
        for (int y = -e; y < piece.height() + e; ++y) {
            const Pixel* from = piece.row(std::clamp(y, 0, piece.height() - 1));
            Pixel* to = page.row(y0 + y);
            for (int x = -e; x < piece.width() + e; ++x)
                to[x0 + x] = from[std::clamp(x, 0, piece.width() - 1)];
        }
        AtlasFrame& frame = atlas.frames[i];
        frame.page = at.page;
        frame.box = {x0, y0, x0 + piece.width() - 1, y0 + piece.height() - 1};
    }
    return atlas;
}

} // namespace iconfinder
