#include "atlas/atlas_reader_parts.h"

#include "common/errors.h"

#include <charconv>
#include <cmath>

namespace iconfinder {
namespace atlas_reading {

RegionBox boxOf(const std::string& name, long long x, long long y, long long w, long long h)
{
    constexpr long long kLargest = 1 << 30;
    if (x < 0 || y < 0 || w < 1 || h < 1 || x > kLargest || y > kLargest || w > kLargest || h > kLargest)
        throw InputError("frame '" + name + "' has no place in a picture (" + std::to_string(x) + ", " + std::to_string(y) + ", " +
                         std::to_string(w) + " x " + std::to_string(h) + ")");
    return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w - 1), static_cast<int>(y + h - 1)};
}

void addFrame(std::vector<NamedBox>& frames, std::string name, RegionBox box, std::optional<FrameTrim> trim, Turn turn, FrameNotes notes)
{
    if (frames.size() >= kMostFrames)
        throw InputError("more than " + std::to_string(kMostFrames) + " frames");
    if (name.size() > kLongestName)
        throw InputError("a frame's name is longer than " + std::to_string(kLongestName) + " bytes");
    const int width = turn == Turn::None ? box.width() : box.height(), height = turn == Turn::None ? box.height() : box.width();
    // A trim that does not hold the frame says nothing an engine could draw by: the frame alone.
    if (trim && (trim->offsetX < 0 || trim->offsetY < 0 || static_cast<long long>(trim->offsetX) + width > trim->sourceWidth ||
                 static_cast<long long>(trim->offsetY) + height > trim->sourceHeight || *trim == FrameTrim{width, height, 0, 0}))
        trim.reset();
    if (turn != Turn::None) {
        if (!trim)
            trim = FrameTrim{width, height, 0, 0};
        trim->turn = turn;
    }
    frames.push_back({std::move(name), box, {}, trim, std::move(notes)});
}

std::optional<double> decimalIn(std::string_view text)
{
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
        return std::nullopt;
    return number;
}

void refuseTurn(const std::string& name, std::string_view degrees)
{
    throw InputError("frame '" + name + "' is stored turned by " + std::string(degrees) + " degrees, which cannot be cut");
}

} // namespace atlas_reading

std::vector<NamedBox> readAtlasFrames(std::string_view text)
{
    if (text.size() > kLargestAtlas)
        throw InputError("the atlas is larger than " + std::to_string(kLargestAtlas >> 20) + " MiB");
    const std::size_t first = text.find_first_not_of(" \t\r\n\xef\xbb\xbf");
    if (first == std::string_view::npos)
        throw InputError("the atlas is empty");
    if (text[first] == '{')
        return atlas_reading::jsonAtlas(text);
    if (text[first] == '<')
        return atlas_reading::starlingAtlas(text);
    return atlas_reading::libgdxAtlas(text);
}

std::optional<Anchor> anchorNamed(std::string_view text)
{
    if (text == "center")
        return Anchor{0.5, 0.5};
    if (text == "bottom")
        return Anchor{0.5, 1};
    const auto part = [](std::string_view number) -> std::optional<double> {
        while (!number.empty() && number.front() == ' ')
            number.remove_prefix(1);
        const std::optional<double> value = atlas_reading::decimalIn(number);
        return value && *value >= 0 && *value <= 1 ? value : std::nullopt;
    };
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const std::optional<double> x = part(text.substr(0, comma)), y = part(text.substr(comma + 1));
    if (!x || !y)
        return std::nullopt;
    return Anchor{*x, *y};
}

} // namespace iconfinder
