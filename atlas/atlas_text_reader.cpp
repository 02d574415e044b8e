#include "atlas/atlas_reader_parts.h"

#include "common/errors.h"

#include <algorithm>
#include <charconv>
#include <optional>

// The two layouts read as text: Starling XML and libGDX's .atlas. Both are scanned once, left
// to right, with no regular expressions and nothing kept but the frames.
namespace iconfinder::atlas_reading {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// `text` without the characters of `around` at either end.
std::string_view trimmed(std::string_view text, std::string_view around)
{
    const std::size_t first = text.find_first_not_of(around);
    return first == std::string_view::npos ? std::string_view() : text.substr(first, text.find_last_not_of(around) - first + 1);
}

// Whether all of `text` is one whole number, put in `number`.
bool wholeNumberIn(std::string_view text, long long& number)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

void appendUtf8(std::string& out, unsigned long code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xe0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    }
}

// XML's five entities and character references; any other entity is refused, never expanded.
std::string unescapedXml(std::string_view text)
{
    static const std::pair<std::string_view, char> kEntities[] = {{"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"amp", '&'}};
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] != '&') {
            out += text[at++];
            continue;
        }
        const std::size_t semicolon = text.find(';', at);
        if (semicolon == std::string_view::npos || semicolon - at > 10)
            throw InputError("a '&' in an attribute starts no entity");
        const std::string_view entity = text.substr(at + 1, semicolon - at - 1);
        at = semicolon + 1;
        const auto known = std::find_if(std::begin(kEntities), std::end(kEntities), [&](const auto& e) { return e.first == entity; });
        if (known != std::end(kEntities)) {
            out += known->second;
            continue;
        }
        const auto refuse = [&] { return InputError("the entity '&" + std::string(entity) + ";' is not one of XML's own"); };
        if (entity.size() < 2 || entity[0] != '#')
            throw refuse();
        unsigned long code = 0;
        const bool hex = entity[1] == 'x';
        const std::string_view digits = entity.substr(hex ? 2 : 1);
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || code == 0 || code > 0x10ffff)
            throw refuse();
        appendUtf8(out, code);
    }
    return out;
}

long long wholeNumber(const std::string& name, const std::string& key, std::string_view value)
{
    long long number = 0;
    if (!wholeNumberIn(value, number))
        throw InputError("SubTexture '" + name + "': " + key + " is not a whole number");
    return number;
}

// The imagePath attribute of the <TextureAtlas> tag: the page's image, or "" when unnamed.
std::string imagePath(std::string_view text)
{
    const std::size_t tag = text.find("<TextureAtlas");
    if (tag == std::string_view::npos)
        return {};
    const std::string_view head = text.substr(tag, text.find('>', tag) - tag);
    const std::size_t key = head.find("imagePath");
    std::size_t at = key == std::string_view::npos ? key : head.find_first_not_of(" \t\r\n", key + 9);
    if (at == std::string_view::npos || head[at] != '=')
        return {};
    at = head.find_first_not_of(" \t\r\n", at + 1);
    if (at == std::string_view::npos || (head[at] != '"' && head[at] != '\''))
        return {};
    const std::size_t close = head.find(head[at], at + 1);
    return close == std::string_view::npos ? std::string() : unescapedXml(head.substr(at + 1, close - at - 1));
}

// A SubTexture's box from its x, y, width and height, and its trim from frameX, frameY (the
// box's place in its source, negative), frameWidth and frameHeight.
NamedBox frameOf(const std::string& name, const std::vector<std::pair<std::string, std::string>>& numbers)
{
    static constexpr std::string_view kKeys[] = {"x", "y", "width", "height", "frameX", "frameY", "frameWidth", "frameHeight"};
    long long values[8] = {-1, -1, 0, 0, 0, 0, 0, 0};
    bool given[8] = {};
    // The box must be whole numbers; a trim that is not is left out, as readers that ignore it do.
    for (const auto& [key, value] : numbers)
        for (std::size_t k = 0; k < 8; ++k)
            if (key == kKeys[k]) {
                if (k < 4)
                    values[k] = wholeNumber(name, key, value);
                given[k] = k < 4 || wholeNumberIn(value, values[k]);
            }
    std::optional<FrameTrim> trim;
    const auto fits = [](long long n) { return n >= -(1LL << 30) && n <= (1LL << 30); };
    if (given[6] && given[7] && std::all_of(values + 4, values + 8, fits))
        trim = FrameTrim{static_cast<int>(values[6]), static_cast<int>(values[7]), static_cast<int>(-values[4]), static_cast<int>(-values[5])};
    return {name, boxOf(name, values[0], values[1], values[2], values[3]), {}, trim, {}};
}

// One <SubTexture ...> tag's attributes, from just after its name, and which way it lies; `at`
// ends after the tag.
std::pair<NamedBox, Turn> subTexture(std::string_view text, std::size_t& at)
{
    std::string name;
    std::vector<std::pair<std::string, std::string>> numbers;
    std::optional<double> pivot[2]; // in pixels of the frame's source picture
    bool rotated = false;
    for (;;) {
        while (at < text.size() && isSpace(text[at]))
            ++at;
        if (at >= text.size())
            throw InputError("a SubTexture tag is not closed");
        if (text[at] == '>' || text.substr(at, 2) == "/>") {
            at += text[at] == '>' ? 1 : 2;
            break;
        }
        const std::size_t keyStart = at;
        while (at < text.size() && !isSpace(text[at]) && text[at] != '=' && text[at] != '>' && text[at] != '/')
            ++at;
        const std::string key(text.substr(keyStart, at - keyStart));
        while (at < text.size() && isSpace(text[at]))
            ++at;
        if (key.empty() || at + 1 >= text.size() || text[at] != '=')
            throw InputError("a SubTexture attribute has no value");
        ++at;
        while (at < text.size() && isSpace(text[at]))
            ++at;
        const char quote = at < text.size() ? text[at] : '\0';
        const std::size_t close = quote == '"' || quote == '\'' ? text.find(quote, at + 1) : std::string_view::npos;
        if (close == std::string_view::npos)
            throw InputError("SubTexture attribute " + key + " is not quoted");
        std::string value = unescapedXml(text.substr(at + 1, close - at - 1));
        at = close + 1;
        if (key == "name")
            name = std::move(value);
        else if (key == "rotated")
            rotated = value == "true";
        else if (key == "pivotX" || key == "pivotY")
            pivot[key == "pivotY"] = decimalIn(value);
        else if (key == "x" || key == "y" || key == "width" || key == "height" || key.rfind("frame", 0) == 0)
            numbers.emplace_back(key, std::move(value));
    }
    NamedBox frame = frameOf(name, numbers);
    if (pivot[0] && pivot[1]) {
        const RegionBox& box = frame.box;
        const int width = frame.trim ? frame.trim->sourceWidth : rotated ? box.height() : box.width();
        const int height = frame.trim ? frame.trim->sourceHeight : rotated ? box.width() : box.height();
        if (width > 0 && height > 0)
            frame.notes.pivot = Anchor{*pivot[0] / width, *pivot[1] / height};
    }
    return {std::move(frame), rotated ? Turn::Clockwise : Turn::None}; // its box as it lies
}

// Numbers after a libGDX field's colon, separated by commas.
// Numbers separated by commas (at most eight read), or none when one is not a whole number.
std::optional<std::vector<long long>> wholeNumbersIn(std::string_view values)
{
    std::vector<long long> numbers;
    std::size_t at = 0;
    while (at <= values.size() && numbers.size() < 8) {
        const std::size_t comma = std::min(values.find(',', at), values.size());
        long long number = 0;
        if (!wholeNumberIn(trimmed(values.substr(at, comma - at), " "), number))
            return std::nullopt;
        numbers.push_back(number);
        at = comma + 1;
    }
    return numbers;
}

std::vector<long long> numbersOf(const std::string& name, std::string_view values)
{
    std::optional<std::vector<long long>> numbers = wholeNumbersIn(values);
    if (!numbers)
        throw InputError("region '" + name + "': '" + std::string(values) + "' is not a list of whole numbers");
    return std::move(*numbers);
}

// A libGDX region being read: its name and the fields seen so far.
struct LibgdxRegion {
    std::string name;
    long long x = -1, y = -1, w = 0, h = 0;
    bool placed = false;
    long long offsetX = 0, offsetY = 0, sourceWidth = 0, sourceHeight = 0; // offsetY from the source's bottom
    bool hasTrim = false;
    bool turned = false; // anticlockwise, its bounds the upright size

    void field(std::string_view key, std::string_view value)
    {
        value = trimmed(value, " ");
        if (key == "rotate") {
            if (value == "true" || value == "90")
                turned = true;
            else if (value != "false" && value != "0")
                refuseTurn(name, value);
            return;
        }
        if (key == "offsets" || key == "orig" || key == "offset") {
            trimField(key, value);
            return;
        }
        if (key != "bounds" && key != "xy" && key != "size")
            return;
        const std::vector<long long> numbers = numbersOf(name, value);
        if (key == "bounds" && numbers.size() == 4) {
            x = numbers[0], y = numbers[1], w = numbers[2], h = numbers[3];
            placed = true;
        } else if (key == "xy" && numbers.size() == 2) {
            x = numbers[0], y = numbers[1];
        } else if (key == "size" && numbers.size() == 2) {
            w = numbers[0], h = numbers[1];
            placed = x >= 0;
        } else {
            throw InputError("region '" + name + "': " + std::string(key) + " holds the wrong count of numbers");
        }
    }

    // offsets: x, y, width, height of the source; or, in the older layout, orig and offset.
    void trimField(std::string_view key, std::string_view value)
    {
        const std::optional<std::vector<long long>> read = wholeNumbersIn(value);
        if (!read || std::any_of(read->begin(), read->end(), [](long long n) { return n < -(1LL << 30) || n > (1LL << 30); }))
            return; // a trim that is not whole numbers is left out
        const std::vector<long long>& numbers = *read;
        if (key == "offsets" && numbers.size() == 4)
            offsetX = numbers[0], offsetY = numbers[1], sourceWidth = numbers[2], sourceHeight = numbers[3], hasTrim = true;
        else if (key == "orig" && numbers.size() == 2)
            sourceWidth = numbers[0], sourceHeight = numbers[1], hasTrim = true;
        else if (key == "offset" && numbers.size() == 2)
            offsetX = numbers[0], offsetY = numbers[1];
    }

    void finishInto(std::vector<NamedBox>& frames, const std::string& page)
    {
        if (!name.empty()) {
            if (!placed)
                throw InputError("region '" + name + "' has no bounds");
            const RegionBox box = boxOf(name, x, y, turned ? h : w, turned ? w : h); // as it lies on the page
            std::optional<FrameTrim> trim;
            if (hasTrim)
                trim = FrameTrim{static_cast<int>(sourceWidth), static_cast<int>(sourceHeight), static_cast<int>(offsetX),
                                 static_cast<int>(sourceHeight - h - offsetY)};
            addFrame(frames, std::move(name), box, trim, turned ? Turn::Anticlockwise : Turn::None);
            frames.back().page = page;
        }
        *this = {};
    }
};

} // namespace

std::vector<NamedBox> starlingAtlas(std::string_view text)
{
    const std::string page = imagePath(text);
    static constexpr std::string_view kTag = "<SubTexture";
    std::vector<NamedBox> frames;
    for (std::size_t at = text.find(kTag); at != std::string_view::npos; at = text.find(kTag, at)) {
        at += kTag.size();
        if (at < text.size() && !isSpace(text[at]) && text[at] != '/' && text[at] != '>')
            continue; // another tag whose name starts alike
        auto [frame, turn] = subTexture(text, at);
        addFrame(frames, std::move(frame.name), frame.box, frame.trim, turn, std::move(frame.notes));
        frames.back().page = page;
    }
    if (frames.empty())
        throw InputError("no SubTexture in the TextureAtlas");
    return frames;
}

std::vector<NamedBox> libgdxAtlas(std::string_view text)
{
    std::vector<NamedBox> frames;
    bool inPage = false;      // between a page's image line and its first region
    bool pageExpected = true; // after a blank line, the next line names a page's image
    std::string page;
    LibgdxRegion region;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = trimmed(text.substr(at, end - at), " \t\r\n");
        at = end + 1;
        if (line.empty()) {
            region.finishInto(frames, page);
            pageExpected = true;
            continue;
        }
        const std::size_t colon = line.find(':');
        if (pageExpected) {
            region.finishInto(frames, page);
            pageExpected = false;
            inPage = true;
            page = line;
        } else if (colon == std::string_view::npos) {
            region.finishInto(frames, page);
            inPage = false;
            region.name = line;
        } else if (!inPage && !region.name.empty()) {
            region.field(line.substr(0, colon), line.substr(colon + 1));
        }
    }
    region.finishInto(frames, page);
    if (frames.empty())
        throw InputError("no region in the atlas");
    return frames;
}

} // namespace iconfinder::atlas_reading
