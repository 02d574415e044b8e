#include "atlas/atlas.h"

#include "atlas/atlas_layouts.h"
#include "present/name_pattern.h"

#include "common/errors.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace iconfinder {

std::vector<AtlasFrame> framesOf(std::span<const PlacedRegion> regions, const std::vector<std::string>& names,
                                 const CropStyle& style, std::span<const RegionBox> extents, std::span<const std::optional<FrameTrim>> trims)
{
    std::vector<RegionBox> sources;
    for (std::size_t i = 0; i < regions.size(); ++i)
        sources.push_back(i < extents.size() ? extents[i] : regions[i].box);
    const std::vector<std::pair<int, int>> sizes = cropSizes(sources, regions, style.sameSize);
    std::vector<AtlasFrame> frames;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const RegionBox& box = regions[i].box;
        if (i < trims.size() && trims[i]) {
            const FrameTrim& trim = *trims[i];
            frames.push_back({names[i], box, 0, trim.sourceWidth, trim.sourceHeight, trim.offsetX, trim.offsetY, trim.turn, {}, 0});
            continue;
        }
        const CropPlacement place = placeCrop(sources[i], style, sizes[i].first, sizes[i].second);
        frames.push_back({names[i], box, 0, place.width, place.height, place.left + box.minX - sources[i].minX,
                          place.top + box.minY - sources[i].minY, Turn::None, {}, 0});
    }
    return frames;
}

std::string_view defaultAnimationName(AnimationGroups groups)
{
    return groups == AnimationGroups::Rows ? "{stem}-{row}" : groups == AnimationGroups::Columns ? "{stem}-{col}" : "{base}";
}

std::vector<Animation> animationsOf(std::span<const PlacedRegion> regions, AnimationGroups groups, const NamePattern& name,
                                    std::string_view stem)
{
    if (groups == AnimationGroups::Names)
        return animationsNamed(formattedFor(name, regions, stem));
    const bool byColumns = groups == AnimationGroups::Columns;
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

std::vector<Animation> animationsNamed(std::span<const std::string> animationOfFrame)
{
    std::vector<Animation> animations;
    std::unordered_map<std::string_view, std::size_t> byName;
    for (std::size_t i = 0; i < animationOfFrame.size(); ++i) {
        if (animationOfFrame[i].empty())
            continue;
        const auto [at, added] = byName.try_emplace(animationOfFrame[i], animations.size());
        if (added)
            animations.push_back({animationOfFrame[i], {}});
        animations[at->second].frames.push_back(i);
    }
    return animations;
}

std::vector<Animation> animationsNoted(std::span<const FrameNotes> notes)
{
    std::vector<Animation> animations;
    std::map<std::string, std::size_t, std::less<>> byName;
    std::vector<std::vector<std::pair<std::size_t, std::size_t>>> places; // each animation's (place, frame)
    for (std::size_t i = 0; i < notes.size(); ++i)
        for (const auto& [name, place] : notes[i].animations) {
            const auto [at, added] = byName.try_emplace(name, animations.size());
            if (added) {
                animations.push_back({name, {}});
                places.emplace_back();
            }
            places[at->second].emplace_back(place, i);
        }
    for (std::size_t a = 0; a < animations.size(); ++a) {
        std::stable_sort(places[a].begin(), places[a].end(), [](const auto& x, const auto& y) { return x.first < y.first; });
        for (const auto& [place, frame] : places[a])
            animations[a].frames.push_back(frame);
    }
    return animations;
}

std::string atlasText(const Atlas& atlas, AtlasLayout layout)
{
    for (const AtlasFrame& frame : atlas.frames)
        if (frame.turned() && frame.turn != turnOf(layout))
            throw Error("frame '" + frame.name + "' lies turned " + (frame.turn == Turn::Clockwise ? "clockwise" : "anticlockwise") +
                        ", which the " + std::string(layoutName(layout)) + " layout cannot say; pack the frames anew");
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

std::vector<std::pair<std::filesystem::path, std::string>> atlasFiles(const Atlas& atlas, AtlasLayout layout,
                                                                      const std::filesystem::path& path)
{
    if (atlas.pages.size() <= 1 || layout == AtlasLayout::Libgdx || layout == AtlasLayout::Array)
        return {{path, atlasText(atlas, layout)}};
    if (layout != AtlasLayout::Hash)
        throw OnePageOnly(std::string(layout == AtlasLayout::Aseprite ? "an Aseprite" : layout == AtlasLayout::Starling ? "a Starling" : "a CSS") +
                          " atlas holds one page, and the frames need " + std::to_string(atlas.pages.size()));
    std::vector<std::pair<std::filesystem::path, std::string>> files;
    Atlas first;
    for (std::size_t page = 0; page < atlas.pages.size(); ++page) {
        Atlas one;
        one.pages = {atlas.pages[page]};
        one.anchor = atlas.anchor;
        one.premultipliedAlpha = atlas.premultipliedAlpha;
        for (const AtlasFrame& frame : atlas.frames)
            if (frame.page == page)
                one.frames.push_back(frame);
        const std::filesystem::path file =
            page == 0 ? path : path.parent_path() / (path.stem().string() + "-" + std::to_string(page + 1) + path.extension().string());
        if (page == 0)
            first = std::move(one);
        else {
            first.relatedFiles.push_back(file.filename().string());
            files.emplace_back(file, atlasText(one, layout));
        }
    }
    files.insert(files.begin(), {path, atlasText(first, layout)});
    return files;
}

Turn turnOf(AtlasLayout layout)
{
    return layout == AtlasLayout::Libgdx ? Turn::Anticlockwise : layout == AtlasLayout::Css ? Turn::None : Turn::Clockwise;
}

std::string_view layoutName(AtlasLayout layout)
{
    switch (layout) {
    case AtlasLayout::Hash: return "hash";
    case AtlasLayout::Array: return "array";
    case AtlasLayout::Aseprite: return "aseprite";
    case AtlasLayout::Starling: return "starling";
    case AtlasLayout::Libgdx: return "libgdx";
    case AtlasLayout::Css: return "css";
    }
    return "";
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

std::string atlasImagePath(const std::filesystem::path& atlas, const std::filesystem::path& image)
{
    const std::filesystem::path absolute = std::filesystem::absolute(image).lexically_normal();
    const std::filesystem::path relative = absolute.lexically_relative(std::filesystem::absolute(atlas).parent_path().lexically_normal());
    return (relative.empty() ? absolute : relative).generic_string();
}

} // namespace iconfinder
