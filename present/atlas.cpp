#include "present/atlas.h"

#include "present/atlas_layouts.h"
#include "present/name_pattern.h"

#include <map>

namespace iconfinder {

std::vector<AtlasFrame> framesOf(std::span<const PlacedRegion> regions, const std::vector<std::string>& names,
                                 const CropStyle& style, const GridLayout* trimmedCells)
{
    // The untrimmed extent of each frame: its cell when trimmed from one, else its box.
    std::vector<RegionBox> extents;
    for (const PlacedRegion& region : regions)
        extents.push_back(trimmedCells ? trimmedCells->cell(region.column - 1, region.row - 1) : region.box);
    const auto [widest, highest] = largestSize(extents);
    std::vector<AtlasFrame> frames;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const RegionBox& box = regions[i].box;
        const CropPlacement place = placeCrop(extents[i], style, widest, highest);
        frames.push_back({names[i], box, 0, place.width, place.height, place.left + box.minX - extents[i].minX,
                          place.top + box.minY - extents[i].minY});
    }
    return frames;
}

std::vector<Animation> animationsOf(std::span<const PlacedRegion> regions, bool byColumns, const NamePattern& name,
                                    std::string_view stem)
{
    std::map<int, std::size_t> byLine; // a line's animation
    std::vector<Animation> animations;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const int line = byColumns ? regions[i].column : regions[i].row;
        const auto [at, added] = byLine.try_emplace(line, animations.size());
        if (added) {
            NamePattern::Values values;
            values.stem = stem;
            (byColumns ? values.col : values.row) = line;
            values.n = static_cast<int>(animations.size()) + 1;
            animations.push_back({name.format(values), {}});
        }
        animations[at->second].frames.push_back(i);
    }
    return animations;
}

std::string atlasText(const Atlas& atlas, AtlasLayout layout)
{
    switch (layout) {
    case AtlasLayout::Hash:
    case AtlasLayout::Array:
    case AtlasLayout::Aseprite: return jsonAtlas(atlas, layout);
    case AtlasLayout::Starling: return starlingAtlas(atlas);
    case AtlasLayout::Libgdx: return libgdxAtlas(atlas);
    case AtlasLayout::Css: return cssAtlas(atlas);
    }
    return {};
}

std::string_view atlasExtension(AtlasLayout layout)
{
    switch (layout) {
    case AtlasLayout::Starling: return "xml";
    case AtlasLayout::Libgdx: return "atlas";
    case AtlasLayout::Css: return "css";
    default: return "json";
    }
}

} // namespace iconfinder
