#include "present/atlas.h"

#include "present/json_text.h"
#include "version.h"

namespace iconfinder {

std::string atlasJson(std::span<const PlacedRegion> regions, const std::vector<std::string>& names, std::string_view image,
                      int width, int height, AtlasLayout layout)
{
    nlohmann::ordered_json frames = layout == AtlasLayout::Hash ? nlohmann::ordered_json::object() : nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const RegionBox& box = regions[i].box;
        nlohmann::ordered_json frame;
        if (layout == AtlasLayout::Array)
            frame["filename"] = names[i];
        frame["frame"] = {{"x", box.minX}, {"y", box.minY}, {"w", box.width()}, {"h", box.height()}};
        frame["rotated"] = false;
        frame["trimmed"] = false;
        frame["spriteSourceSize"] = {{"x", 0}, {"y", 0}, {"w", box.width()}, {"h", box.height()}};
        frame["sourceSize"] = {{"w", box.width()}, {"h", box.height()}};
        if (layout == AtlasLayout::Hash)
            frames[names[i]] = std::move(frame);
        else
            frames.push_back(std::move(frame));
    }
    const nlohmann::ordered_json atlas{
        {"frames", std::move(frames)},
        {"meta",
         {{"app", "find-icons"}, {"version", kVersion}, {"image", image}, {"format", "RGBA8888"}, {"size", {{"w", width}, {"h", height}}},
          {"scale", "1"}}}};
    return jsonText(atlas, 2) + "\n";
}

} // namespace iconfinder
