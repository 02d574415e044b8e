#include "atlas/atlas_reader_parts.h"

#include "common/errors.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace iconfinder::atlas_reading {
namespace {

using Json = nlohmann::json;

// The frames of a JSON atlas read as events, never as a tree: linear in the file, nesting
// limited, and nothing kept but the frames. A frame stands at "frames".NAME or "frames"[i],
// also under "textures"[p]; its box is "frame": {"x", "y", "w", "h"}.
class FrameEvents : public nlohmann::json_sax<Json> {
public:
    std::vector<NamedBox> frames;
    bool sawFrames = false;
    std::string metaImage; // the single page's image, "meta"."image"
    std::vector<std::pair<std::string, std::string>> animated; // "animations": each animation's frame names in order
    struct Tag {
        std::string name;
        long long from = -1, to = -1;
    };
    std::vector<Tag> tags; // Aseprite's "meta"."frameTags": frames by their place in the file

    bool null() override { return value(); }
    bool boolean(bool flag) override
    {
        if (inFrame() && depth() == framesDepth_ + 1 && keyAt(framesDepth_ + 1) == "rotated" && flag)
            rotated_ = true;
        return value();
    }
    bool number_integer(number_integer_t number) override { return whole(number); }
    bool number_unsigned(number_unsigned_t number) override
    {
        return whole(number > static_cast<number_unsigned_t>(LLONG_MAX) ? LLONG_MAX : static_cast<long long>(number));
    }
    bool number_float(number_float_t number, const string_t&) override
    {
        if (fieldIndex() >= 0)
            throw InputError("frame '" + frameName() + "': " + keyAt(depth()) + " is not a whole number");
        if (const int axis = pivotAxis(); axis >= 0)
            pivot_[axis] = number, pivotGiven_[axis] = true;
        return value();
    }
    bool string(string_t& text) override
    {
        if (inAnimationList()) {
            if (animated.size() >= kMostFrames)
                throw InputError("more than " + std::to_string(kMostFrames) + " frames in animations");
            animated.emplace_back(levels_[1].key, std::move(text));
        } else if (inTag() && keyAt(4) == "name") {
            tags.back().name = std::move(text);
        } else if (inFrame() && depth() == framesDepth_ + 1 && keyAt(framesDepth_ + 1) == "filename")
            filename_ = std::move(text);
        else if (inTexture() && depth() == 3 && keyAt(3) == "image")
            textureImage_ = std::move(text);
        else if (depth() == 2 && levels_[0].key == "meta" && !levels_[1].array && keyAt(2) == "image")
            metaImage = std::move(text);
        return value();
    }
    bool binary(binary_t&) override { return value(); }
    bool start_object(std::size_t) override { return open(false); }
    bool start_array(std::size_t) override { return open(true); }
    bool key(string_t& key) override
    {
        levels_.back().key = std::move(key);
        return true;
    }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& error) override
    {
        if (error.id == 406)
            throw InputError("a number at byte " + std::to_string(position) + " is out of range");
        throw InputError(std::string("not valid JSON: ") + error.what());
    }

private:
    struct Level {
        bool array = false;
        std::string key; // of the value being read, in an object
    };

    int depth() const { return static_cast<int>(levels_.size()); }
    const std::string& keyAt(int level) const { return levels_[static_cast<std::size_t>(level - 1)].key; }
    bool inFrame() const { return framesDepth_ > 0 && depth() > framesDepth_; }
    // Within "textures"[p], an object: one page of several.
    bool inTexture() const { return depth() >= 3 && levels_[0].key == "textures" && levels_[1].array && !levels_[2].array; }
    std::string frameName() const { return framesDepth_ > 0 && !levels_[framesDepth_ - 1].array ? keyAt(framesDepth_) : filename_; }
    // Within "animations".NAME, an array of frame names.
    bool inAnimationList() const { return depth() == 3 && levels_[0].key == "animations" && !levels_[1].array && levels_[2].array; }
    // Within "meta"."frameTags"[i], an object.
    bool inTag() const
    {
        return depth() == 4 && levels_[0].key == "meta" && !levels_[1].array && levels_[1].key == "frameTags" && levels_[2].array &&
               !levels_[3].array;
    }
    // Which of a frame's pivot's x and y ("anchor" or "pivot") the value being read is, or -1.
    int pivotAxis() const
    {
        if (!inFrame() || depth() != framesDepth_ + 2 || (keyAt(framesDepth_ + 1) != "anchor" && keyAt(framesDepth_ + 1) != "pivot"))
            return -1;
        return keyAt(depth()) == "x" ? 0 : keyAt(depth()) == "y" ? 1 : -1;
    }

    // Which of x, y, w, h the value being read is, or -1.
    int fieldIndex() const
    {
        if (!inFrame() || depth() != framesDepth_ + 2 || keyAt(framesDepth_ + 1) != "frame")
            return -1;
        static constexpr std::string_view kFields[] = {"x", "y", "w", "h"};
        for (int i = 0; i < 4; ++i)
            if (keyAt(depth()) == kFields[i])
                return i;
        return -1;
    }

    // Whether the container opening at depth() + 1 holds the frames.
    bool opensFrames() const
    {
        if (depth() == 1)
            return !levels_[0].array && levels_[0].key == "frames";
        return depth() == 3 && levels_[0].key == "textures" && levels_[1].array && !levels_[2].array && levels_[2].key == "frames";
    }

    bool whole(long long number)
    {
        if (const int field = fieldIndex(); field >= 0) {
            fields_[field] = number;
            given_[field] = true;
        } else if (const int trimField = trimFieldIndex(); trimField >= 0) {
            trim_[trimField] = number;
            trimGiven_[trimField] = true;
        } else if (const int axis = pivotAxis(); axis >= 0) {
            pivot_[axis] = static_cast<double>(number), pivotGiven_[axis] = true;
        } else if (inFrame() && depth() == framesDepth_ + 1 && keyAt(depth()) == "duration") {
            duration_ = number;
        } else if (inTag() && (keyAt(4) == "from" || keyAt(4) == "to")) {
            (keyAt(4) == "from" ? tags.back().from : tags.back().to) = number;
        }
        return value();
    }

    // Which of sourceSize w and h, spriteSourceSize x and y the value being read is, or -1.
    int trimFieldIndex() const
    {
        if (!inFrame() || depth() != framesDepth_ + 2)
            return -1;
        const std::string& object = keyAt(framesDepth_ + 1);
        const std::string& field = keyAt(depth());
        if (object == "sourceSize")
            return field == "w" ? 0 : field == "h" ? 1 : -1;
        if (object == "spriteSourceSize")
            return field == "x" ? 2 : field == "y" ? 3 : -1;
        return -1;
    }

    bool value()
    {
        if (depth() == 0)
            throw InputError("the atlas is not a JSON object");
        if (opensFrames())
            throw InputError("\"frames\" is neither an object nor an array");
        if (depth() == framesDepth_)
            throw InputError("a frame is not an object");
        return true;
    }

    bool open(bool array)
    {
        if (depth() == 0 && array)
            throw InputError("the atlas is not a JSON object");
        if (depth() >= kDeepestNesting)
            throw InputError("nested deeper than " + std::to_string(kDeepestNesting) + " levels");
        if (depth() == framesDepth_) {
            if (array)
                throw InputError("a frame is not an object");
            startFrame();
        }
        if (opensFrames()) {
            framesDepth_ = depth() + 1;
            sawFrames = true;
        }
        levels_.push_back({array, {}});
        if (inTag()) {
            if (tags.size() >= kMostFrames)
                throw InputError("more than " + std::to_string(kMostFrames) + " frame tags");
            tags.emplace_back();
        }
        if (depth() == 3 && inTexture()) {
            textureStart_ = frames.size();
            textureImage_.clear();
        }
        return true;
    }

    bool close()
    {
        if (depth() == 3 && inTexture())
            for (std::size_t k = textureStart_; k < frames.size(); ++k)
                frames[k].page = textureImage_;
        levels_.pop_back();
        if (framesDepth_ > 0 && depth() == framesDepth_)
            finishFrame();
        else if (depth() + 1 == framesDepth_)
            framesDepth_ = 0;
        return true;
    }

    void startFrame()
    {
        filename_.clear();
        rotated_ = false;
        for (bool& given : given_)
            given = false;
        for (bool& given : trimGiven_)
            given = false;
        pivotGiven_[0] = pivotGiven_[1] = false;
        duration_ = 0;
    }

    void finishFrame()
    {
        const bool named = !levels_[framesDepth_ - 1].array;
        if (!named && filename_.empty())
            throw InputError("a frame of the array has no \"filename\"");
        const std::string name = frameName();
        for (int i = 0; i < 4; ++i)
            if (!given_[i])
                throw InputError("frame '" + name + "' has no whole \"frame\" rectangle");
        std::optional<FrameTrim> trim;
        if (std::all_of(std::begin(trimGiven_), std::end(trimGiven_), [](bool given) { return given; }) &&
            std::all_of(std::begin(trim_), std::end(trim_), [](long long n) { return n >= INT_MIN && n <= INT_MAX; }))
            trim = FrameTrim{static_cast<int>(trim_[0]), static_cast<int>(trim_[1]), static_cast<int>(trim_[2]), static_cast<int>(trim_[3])};
        // A turned frame keeps its upright size; it lies on the page as high as that is wide.
        const long long w = rotated_ ? fields_[3] : fields_[2], h = rotated_ ? fields_[2] : fields_[3];
        FrameNotes notes;
        if (pivotGiven_[0] && pivotGiven_[1] && std::isfinite(pivot_[0]) && std::isfinite(pivot_[1]))
            notes.pivot = Anchor{pivot_[0], pivot_[1]};
        if (duration_ > 0 && duration_ <= INT_MAX)
            notes.duration = static_cast<int>(duration_);
        addFrame(frames, name, boxOf(name, fields_[0], fields_[1], w, h), trim, rotated_ ? Turn::Clockwise : Turn::None, std::move(notes));
    }

    std::vector<Level> levels_;
    int framesDepth_ = 0; // the depth of the container's levels_ entry, 0 outside it
    std::string filename_;
    std::string textureImage_;    // of the page being read
    std::size_t textureStart_ = 0; // its first frame
    bool rotated_ = false;
    long long fields_[4] = {};
    bool given_[4] = {};
    long long trim_[4] = {}; // sourceSize w, h; spriteSourceSize x, y
    bool trimGiven_[4] = {};
    double pivot_[2] = {};
    bool pivotGiven_[2] = {};
    long long duration_ = 0;
};

} // namespace

std::vector<NamedBox> jsonAtlas(std::string_view text)
{
    FrameEvents events;
    Json::sax_parse(text, &events);
    if (!events.sawFrames)
        throw InputError("no \"frames\" or \"textures\"");
    std::vector<NamedBox>& frames = events.frames;
    for (NamedBox& frame : frames)
        if (frame.page.empty())
            frame.page = events.metaImage;
    // Each frame learns its places in the animations: by name, or for a tag by its place in the file.
    std::unordered_map<std::string_view, std::size_t> byName;
    for (std::size_t i = frames.size(); i-- > 0;)
        byName[frames[i].name] = i;
    std::unordered_map<std::string, std::size_t> lengths;
    for (const auto& [animation, frame] : events.animated)
        if (const auto found = byName.find(frame); found != byName.end())
            frames[found->second].notes.animations.emplace_back(animation, lengths[animation]++);
    std::size_t tagged = 0; // kept within the frames' limit, as the animations' entries are
    for (const FrameEvents::Tag& tag : events.tags)
        if (tag.from >= 0 && tag.from <= tag.to && tag.to < static_cast<long long>(frames.size())) {
            if ((tagged += static_cast<std::size_t>(tag.to - tag.from + 1)) > kMostFrames)
                throw InputError("more than " + std::to_string(kMostFrames) + " frames in frame tags");
            for (long long i = tag.from; i <= tag.to; ++i)
                frames[static_cast<std::size_t>(i)].notes.animations.emplace_back(tag.name, static_cast<std::size_t>(i - tag.from));
        }
    return std::move(frames);
}

} // namespace iconfinder::atlas_reading
