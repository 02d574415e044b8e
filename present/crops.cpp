#include "present/crops.h"

#include "common/errors.h"
#include "files/output_file.h"
#include "image/alpha_edges.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <map>

namespace iconfinder {

std::string cropFileName(std::string_view name, FileFormat format)
{
    static constexpr std::string_view kImageExtensions[] = {".png", ".bmp", ".jpg", ".jpeg", ".gif", ".webp", ".tga", ".tif", ".tiff"};
    for (const std::string_view extension : kImageExtensions) {
        if (name.size() <= extension.size())
            continue;
        const std::string_view end = name.substr(name.size() - extension.size());
        if (std::equal(end.begin(), end.end(), extension.begin(), [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; })) {
            name.remove_suffix(extension.size());
            break;
        }
    }
    return std::string(name) + "." + std::string(formatName(format));
}

FileFormat cropFormatFor(std::optional<FileFormat> asked, bool transparent, FileFormat pictureFormat)
{
    return asked.value_or(transparent ? FileFormat::Png : pictureFormat);
}

CropPlacement placeCrop(const RegionBox& box, const CropStyle& style, int widest, int highest)
{
    const bool same = style.sameSize != SameSize::None;
    const int spareAcross = (same ? widest : box.width()) - box.width(), spareDown = (same ? highest : box.height()) - box.height();
    int left = spareAcross / 2, top = spareDown / 2;
    switch (style.align) {
    case Align::Center: break;
    case Align::Bottom: top = spareDown; break;
    case Align::BottomLeft: left = 0, top = spareDown; break;
    case Align::BottomRight: left = spareAcross, top = spareDown; break;
    case Align::TopLeft: left = 0, top = 0; break;
    case Align::Left: left = 0; break;
    case Align::Right: left = spareAcross; break;
    }
    return {box.width() + spareAcross + 2 * style.padding, box.height() + spareDown + 2 * style.padding, style.padding + left,
            style.padding + top};
}

std::vector<std::pair<int, int>> cropSizes(std::span<const RegionBox> boxes, std::span<const PlacedRegion> placed, SameSize sameSize)
{
    const auto groupOf = [&](std::size_t i) {
        return sameSize == SameSize::Rows ? placed[i].row : sameSize == SameSize::Columns ? placed[i].column : 0;
    };
    std::map<int, std::pair<int, int>> largest;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        auto& [widest, highest] = largest[groupOf(i)];
        widest = std::max(widest, boxes[i].width());
        highest = std::max(highest, boxes[i].height());
    }
    std::vector<std::pair<int, int>> sizes;
    sizes.reserve(boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i)
        sizes.push_back(sameSize == SameSize::None ? std::pair(boxes[i].width(), boxes[i].height()) : largest[groupOf(i)]);
    return sizes;
}

namespace {

// A crop placed as given; `clearMargin` makes what lies around the box transparent, whatever
// the background.
PixelImage cropAt(const PixelImage& picture, const RegionBox& box, const BackgroundRule& rule, const CropStyle& style,
                  const CropPlacement& place, bool clearMargin, const RegionOwners* owners, std::uint32_t label)
{
    const bool transparent = style.transparent || rule.isTransparent();
    const int left = place.left, top = place.top;
    const Pixel fill = transparent ? Pixel{0} : rule.fill();
    PixelImage crop(place.width, place.height, clearMargin ? Pixel{0} : fill, picture.hasAlpha() || style.transparent || clearMargin);
    for (int y = box.minY; y <= box.maxY; ++y) {
        const Pixel* from = picture.row(y) + box.minX;
        Pixel* to = crop.row(top + y - box.minY) + left;
        if (owners) {
            // The region's own pixels are foreground, so no background rule applies to them.
            const std::uint32_t* owner = owners->row(y) + box.minX;
            for (int x = 0; x < box.width(); ++x)
                to[x] = owner[x] == label ? from[x] : fill;
        } else if (style.transparent)
            std::transform(from, from + box.width(), to, [&](Pixel p) { return rule.isBackground(p) ? Pixel{0} : p; });
        else
            std::copy(from, from + box.width(), to);
    }
    finishAlpha(crop, style);
    return crop;
}

} // namespace

PixelImage cropOf(const PixelImage& picture, const RegionBox& box, const BackgroundRule& rule, const CropStyle& style,
                  int width, int height, const RegionOwners* owners, std::uint32_t label)
{
    return cropAt(picture, box, rule, style, placeCrop(box, style, width, height), false, owners, label);
}

PixelImage frameCrop(const PixelImage& picture, const RegionBox& box, const BackgroundRule& rule, const CropStyle& style,
                     const std::optional<FrameTrim>& trim, int width, int height, const RegionOwners* owners, std::uint32_t label)
{
    if (!trim)
        return cropOf(picture, box, rule, style, width, height, owners, label);
    const CropPlacement place{trim->sourceWidth, trim->sourceHeight, trim->offsetX, trim->offsetY};
    if (trim->turn == Turn::None)
        return cropAt(picture, box, rule, style, place, true, owners, label);
    // A frame lying clockwise stands up again turned anticlockwise, and the other way round.
    const PixelImage upright = turnedQuarter(cropped(picture, frameRect(box)), trim->turn == Turn::Anticlockwise);
    return cropAt(upright, {0, 0, upright.width() - 1, upright.height() - 1}, rule, style, place, true, nullptr, 0);
}

void finishAlpha(PixelImage& picture, const CropStyle& style)
{
    if (!picture.hasAlpha())
        return;
    if (style.bleed)
        bleedIntoTransparent(picture);
    if (style.premultiply)
        premultiplyAlpha(picture);
}

std::size_t writeCrops(OutputBatch& batch, const PixelImage& picture, std::span<const PlacedRegion> regions, const std::vector<std::string>& names,
                       const std::filesystem::path& folder, const BackgroundRule& rule, const CropStyle& style, const RegionOwners* owners,
                       bool replaceFolder, std::span<const std::optional<FrameTrim>> trims)
{
    const std::vector<RegionBox> boxes = boxesOf(regions);
    const std::vector<std::pair<int, int>> sizes = cropSizes(boxes, regions, style.sameSize);
    std::vector<std::string> files;
    files.reserve(names.size());
    std::unordered_map<std::string, std::size_t> taken;
    for (std::size_t i = 0; i < names.size(); ++i) {
        files.push_back(cropFileName(names[i], style.format));
        if (const auto [at, added] = taken.try_emplace(files.back(), i); !added)
            throw Error("'" + names[at->second] + "' and '" + names[i] + "' would both be the crop " + files.back());
    }
    return batch.addFiles(folder, files, [&](std::size_t i, ByteWriter& out) {
        const std::optional<FrameTrim> trim = i < trims.size() ? trims[i] : std::nullopt;
        encodePicture(frameCrop(picture, boxes[i], rule, style, trim, sizes[i].first, sizes[i].second, owners, static_cast<std::uint32_t>(i + 1)),
                      style.format, out);
    }, replaceFolder);
}

} // namespace iconfinder
