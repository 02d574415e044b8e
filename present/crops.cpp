#include "present/crops.h"

#include "files/output_file.h"

#include <algorithm>
#include <tuple>

namespace iconfinder {

FileFormat cropFormatFor(std::optional<FileFormat> asked, bool transparent, FileFormat pictureFormat)
{
    return asked.value_or(transparent ? FileFormat::Png : pictureFormat);
}

CropPlacement placeCrop(const RegionBox& box, const CropStyle& style, int widest, int highest)
{
    const int inner = style.sameSize ? widest : box.width();
    const int innerHigh = style.sameSize ? highest : box.height();
    return {inner + 2 * style.padding, innerHigh + 2 * style.padding, style.padding + (inner - box.width()) / 2,
            style.padding + (style.align == Align::Bottom ? innerHigh - box.height() : (innerHigh - box.height()) / 2)};
}

std::pair<int, int> largestSize(std::span<const RegionBox> boxes)
{
    int widest = 0, highest = 0;
    for (const RegionBox& box : boxes) {
        widest = std::max(widest, box.width());
        highest = std::max(highest, box.height());
    }
    return {widest, highest};
}

PixelImage cropOf(const PixelImage& picture, const RegionBox& box, const BackgroundRule& rule, const CropStyle& style,
                  int width, int height, const RegionOwners* owners, std::uint32_t label)
{
    const bool transparent = style.transparent || rule.isTransparent();
    const CropPlacement place = placeCrop(box, style, width, height);
    const int left = place.left, top = place.top;
    const Pixel fill = transparent ? Pixel{0} : rule.fill();
    PixelImage crop(place.width, place.height, fill, picture.hasAlpha() || style.transparent);
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
    return crop;
}

void writeCrops(OutputBatch& batch, const PixelImage& picture, std::span<const RegionBox> boxes, const std::vector<std::string>& names,
                const std::filesystem::path& folder, const BackgroundRule& rule, const CropStyle& style,
                const RegionOwners* owners)
{
    int widest = 0, highest = 0; // plain variables: a lambda below uses them
    std::tie(widest, highest) = largestSize(boxes);
    std::vector<std::string> files;
    files.reserve(names.size());
    for (const std::string& name : names)
        files.push_back(name + "." + std::string(formatName(style.format)));
    batch.addFiles(folder, files, [&](std::size_t i, ByteWriter& out) {
        encodePicture(cropOf(picture, boxes[i], rule, style, widest, highest, owners, static_cast<std::uint32_t>(i + 1)),
                      style.format, out);
    });
}

} // namespace iconfinder
