#include "present/atlas_reader.h"

#include "common/errors.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <regex>

namespace iconfinder {
namespace {

using Json = nlohmann::ordered_json; // frames in the order they stand in the file

RegionBox boxOf(const std::string& name, long long x, long long y, long long w, long long h)
{
    constexpr long long kLargest = 1 << 30;
    if (x < 0 || y < 0 || w < 1 || h < 1 || x > kLargest || y > kLargest || w > kLargest || h > kLargest)
        throw InputError("frame '" + name + "' has no place in a picture (" + std::to_string(x) + ", " + std::to_string(y) + ", " +
                         std::to_string(w) + " x " + std::to_string(h) + ")");
    return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w - 1), static_cast<int>(y + h - 1)};
}

long long integer(const Json& value, const std::string& what)
{
    if (!value.is_number_integer())
        throw InputError(what + " is not a whole number");
    return value.get<long long>();
}

NamedBox jsonFrame(const std::string& name, const Json& frame)
{
    if (!frame.is_object() || !frame.contains("frame") || !frame["frame"].is_object())
        throw InputError("frame '" + name + "' has no \"frame\" rectangle");
    const Json& r = frame["frame"];
    const auto field = [&](const char* key) { return integer(r.contains(key) ? r[key] : Json(), "frame '" + name + "': " + key); };
    return {name, boxOf(name, field("x"), field("y"), field("w"), field("h"))};
}

void jsonFrames(const Json& frames, std::vector<NamedBox>& out)
{
    if (frames.is_object()) {
        for (const auto& [name, frame] : frames.items())
            out.push_back(jsonFrame(name, frame));
    } else if (frames.is_array()) {
        for (const Json& frame : frames) {
            if (!frame.is_object() || !frame.contains("filename") || !frame["filename"].is_string())
                throw InputError("a frame of the array has no \"filename\"");
            out.push_back(jsonFrame(frame["filename"].get<std::string>(), frame));
        }
    } else {
        throw InputError("\"frames\" is neither an object nor an array");
    }
}

std::vector<NamedBox> jsonAtlas(std::string_view text)
{
    Json root;
    try {
        root = Json::parse(text);
    } catch (const Json::parse_error& e) {
        throw InputError(std::string("not valid JSON: ") + e.what());
    }
    std::vector<NamedBox> frames;
    if (root.contains("frames")) {
        jsonFrames(root["frames"], frames);
    } else if (root.contains("textures") && root["textures"].is_array()) {
        for (const Json& page : root["textures"])
            if (page.is_object() && page.contains("frames"))
                jsonFrames(page["frames"], frames);
    } else {
        throw InputError("no \"frames\" or \"textures\"");
    }
    return frames;
}

std::string unescapedXml(std::string text)
{
    static const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities)
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
            text.replace(at, std::string_view(entity).size(), plain);
    return text;
}

std::vector<NamedBox> starlingAtlas(std::string_view text)
{
    static const std::regex subTexture(R"(<SubTexture\b([^>]*)>)");
    static const std::regex attribute(R"re(([A-Za-z]+)\s*=\s*"([^"]*)")re");
    std::vector<NamedBox> frames;
    const std::string all(text);
    for (auto it = std::sregex_iterator(all.begin(), all.end(), subTexture); it != std::sregex_iterator(); ++it) {
        const std::string attributes = (*it)[1];
        std::string name;
        long long x = -1, y = -1, w = 0, h = 0;
        for (auto a = std::sregex_iterator(attributes.begin(), attributes.end(), attribute); a != std::sregex_iterator(); ++a) {
            const std::string key = (*a)[1], value = unescapedXml((*a)[2]);
            if (key == "name")
                name = value;
            long long* number = key == "x" ? &x : key == "y" ? &y : key == "width" ? &w : key == "height" ? &h : nullptr;
            if (number && std::from_chars(value.data(), value.data() + value.size(), *number).ec != std::errc())
                throw InputError("SubTexture '" + name + "': " + key + " is not a whole number");
        }
        frames.push_back({name, boxOf(name, x, y, w, h)});
    }
    if (frames.empty())
        throw InputError("no SubTexture in the TextureAtlas");
    return frames;
}

// Numbers after a libGDX field's colon, separated by commas.
std::vector<long long> numbersOf(const std::string& name, const std::string& values)
{
    std::vector<long long> numbers;
    std::size_t at = 0;
    while (at <= values.size()) {
        const std::size_t comma = std::min(values.find(',', at), values.size());
        std::string part = values.substr(at, comma - at);
        part.erase(0, part.find_first_not_of(' '));
        part.erase(part.find_last_not_of(' ') + 1);
        long long number = 0;
        if (part.empty() || std::from_chars(part.data(), part.data() + part.size(), number).ec != std::errc())
            throw InputError("region '" + name + "': '" + values + "' is not a list of whole numbers");
        numbers.push_back(number);
        at = comma + 1;
    }
    return numbers;
}

std::vector<NamedBox> libgdxAtlas(std::string_view text)
{
    std::vector<NamedBox> frames;
    std::string line;
    bool inPage = false;        // between a page's image line and its first region
    bool pageExpected = true;   // after a blank line, the next line names a page's image
    std::string region;
    long long x = -1, y = -1, w = 0, h = 0;
    bool placed = false;
    const auto finish = [&] {
        if (!region.empty()) {
            if (!placed)
                throw InputError("region '" + region + "' has no bounds");
            frames.push_back({region, boxOf(region, x, y, w, h)});
        }
        region.clear();
        placed = false;
    };
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        line = std::string(text.substr(at, end - at));
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos) {
            finish();
            pageExpected = true;
            continue;
        }
        const std::string trimmed = line.substr(first);
        const std::size_t colon = trimmed.find(':');
        if (pageExpected) {
            pageExpected = false;
            inPage = true;
            continue;
        }
        if (colon == std::string::npos) {
            finish();
            inPage = false;
            region = trimmed;
            continue;
        }
        if (inPage || region.empty())
            continue; // a page's fields
        const std::string key = trimmed.substr(0, colon);
        const std::vector<long long> numbers = key == "bounds" || key == "xy" || key == "size" ? numbersOf(region, trimmed.substr(colon + 1))
                                                                                                : std::vector<long long>{};
        if (key == "bounds" && numbers.size() == 4) {
            x = numbers[0], y = numbers[1], w = numbers[2], h = numbers[3];
            placed = true;
        } else if (key == "xy" && numbers.size() == 2) {
            x = numbers[0], y = numbers[1];
        } else if (key == "size" && numbers.size() == 2) {
            w = numbers[0], h = numbers[1];
            placed = x >= 0;
        } else if (key == "bounds" || key == "xy" || key == "size") {
            throw InputError("region '" + region + "': " + key + " holds the wrong count of numbers");
        }
    }
    finish();
    if (frames.empty())
        throw InputError("no region in the atlas");
    return frames;
}

} // namespace

std::vector<NamedBox> readAtlasFrames(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n\xef\xbb\xbf");
    if (first == std::string_view::npos)
        throw InputError("the atlas is empty");
    if (text[first] == '{')
        return jsonAtlas(text);
    if (text[first] == '<')
        return starlingAtlas(text);
    return libgdxAtlas(text);
}

} // namespace iconfinder
