#include "atlas/atlas_layouts.h"
#include "atlas/json_text.h"

#include "version.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace iconfinder {
namespace {

using Json = nlohmann::ordered_json;

Json rect(int x, int y, int w, int h) { return {{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

Json frameOf(const Atlas& atlas, const AtlasFrame& frame)
{
    Json json;
    // A turned frame keeps its upright size; its engines take the box as high as that is wide.
    json["frame"] = rect(frame.box.minX, frame.box.minY, frame.width(), frame.height());
    json["rotated"] = frame.turned();
    json["trimmed"] = frame.trimmed();
    json["spriteSourceSize"] = rect(frame.offsetX, frame.offsetY, frame.width(), frame.height());
    json["sourceSize"] = {{"w", frame.sourceWidth}, {"h", frame.sourceHeight}};
    if (const std::optional<Anchor> pivot = atlas.anchor ? atlas.anchor : frame.pivot)
        json["anchor"] = {{"x", pivot->x}, {"y", pivot->y}};
    return json;
}

// An atlas's meta: who wrote it (not said in a page of several), the page's image when there
// is one page to say, and whether its colours are premultiplied.
Json metaOf(const Atlas& atlas, std::optional<std::size_t> page, bool writer = true)
{
    Json meta = Json::object();
    if (writer)
        meta.update({{"app", "find-icons"}, {"version", kVersion}});
    if (page) {
        const AtlasPage& image = atlas.pages[*page];
        meta.update({{"image", image.image}, {"format", "RGBA8888"}, {"size", {{"w", image.width}, {"h", image.height}}}, {"scale", "1"}});
    }
    if (atlas.premultipliedAlpha)
        meta["premultipliedAlpha"] = true;
    return meta;
}

// Aseprite's layout, as Phaser's load.aseprite and anims.createFromAseprite read it: frames
// keyed by their place, each with its duration, and a tag a animation.
std::string asepriteAtlas(const Atlas& atlas)
{
    Json frames = Json::object();
    for (std::size_t i = 0; i < atlas.frames.size(); ++i) {
        Json frame = frameOf(atlas, atlas.frames[i]);
        frame["duration"] = atlas.frames[i].duration > 0 ? atlas.frames[i].duration : atlas.frameDuration;
        frames[std::to_string(i)] = std::move(frame);
    }
    Json tags = Json::array();
    for (const Animation& animation : atlas.animations) {
        for (std::size_t k = 1; k < animation.frames.size(); ++k)
            if (animation.frames[k] != animation.frames[0] + k)
                throw Error("animation '" + animation.name + "' is not a run of frames one after another, which Aseprite's frame tags need");
        if (!animation.frames.empty())
            tags.push_back({{"name", animation.name}, {"from", animation.frames.front()}, {"to", animation.frames.back()}, {"direction", "forward"}});
    }
    Json meta = metaOf(atlas, 0);
    meta["frameTags"] = std::move(tags);
    meta["layers"] = Json::array();
    meta["slices"] = Json::array();
    return jsonText(Json{{"frames", std::move(frames)}, {"meta", std::move(meta)}}, 2) + "\n";
}


// The frames of a one-page atlas: an object by name, or an array in order.
Json framesJson(const Atlas& atlas, AtlasLayout layout)
{
    Json frames = layout == AtlasLayout::Hash ? Json::object() : Json::array();
    // An ordered object finds a key by walking its entries: frames are appended to its list
    // directly, a name met again taking the earlier one's place, as assigning by name would.
    std::unordered_map<std::string, std::size_t> placeOf;
    using Entries = std::vector<std::pair<const std::string, Json>>;
    Entries* entries = layout == AtlasLayout::Hash ? static_cast<Entries*>(frames.get_ptr<Json::object_t*>()) : nullptr;
    for (const AtlasFrame& frame : atlas.frames) {
        Json json = frameOf(atlas, frame);
        if (layout == AtlasLayout::Hash) {
            const auto [at, added] = placeOf.try_emplace(frame.name, entries->size());
            if (added)
                entries->emplace_back(frame.name, std::move(json));
            else
                (*entries)[at->second].second = std::move(json);
        } else {
            Json named{{"filename", frame.name}};
            named.update(json);
            frames.push_back(std::move(named));
        }
    }
    return frames;
}

// Several pages: Phaser's multi-atlas, a texture a page with its frames.
Json texturesJson(const Atlas& atlas)
{
    Json textures = Json::array();
    for (std::size_t page = 0; page < atlas.pages.size(); ++page) {
        Json pageFrames = Json::array();
        for (const AtlasFrame& frame : atlas.frames) {
            if (frame.page != page)
                continue;
            Json named{{"filename", frame.name}};
            named.update(frameOf(atlas, frame));
            pageFrames.push_back(std::move(named));
        }
        Json texture = metaOf(atlas, page, false);
        texture["frames"] = std::move(pageFrames);
        textures.push_back(std::move(texture));
    }
    return textures;
}

} // namespace

std::string jsonAtlas(const Atlas& atlas, AtlasLayout layout)
{
    if (layout == AtlasLayout::Aseprite)
        return asepriteAtlas(atlas);
    Json root;
    if (atlas.pages.size() > 1)
        root["textures"] = texturesJson(atlas);
    else
        root["frames"] = framesJson(atlas, layout);
    if (!atlas.animations.empty()) {
        Json animations = Json::object();
        for (const Animation& animation : atlas.animations) {
            Json names = Json::array();
            for (const std::size_t i : animation.frames)
                names.push_back(atlas.frames[i].name);
            animations[animation.name] = std::move(names);
        }
        root["animations"] = std::move(animations);
    }
    Json meta = metaOf(atlas, atlas.pages.size() > 1 ? std::nullopt : std::optional<std::size_t>(0));
    if (!atlas.relatedFiles.empty())
        meta["related_multi_packs"] = atlas.relatedFiles;
    root["meta"] = std::move(meta);
    return jsonText(root, 2) + "\n";
}

} // namespace iconfinder
