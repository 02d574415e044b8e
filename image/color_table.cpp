#include "image/color_table.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace iconfinder {
namespace {

constexpr std::array<NamedColor, 45> kNamedColors{{
    {"Black", rgbColor(0, 0, 0)},
    {"Maroon", rgbColor(128, 0, 0)},
    {"Green", rgbColor(0, 128, 0)},
    {"Olive", rgbColor(128, 128, 0)},
    {"Navy", rgbColor(0, 0, 128)},
    {"Purple", rgbColor(128, 0, 128)},
    {"Teal", rgbColor(0, 128, 128)},
    {"Gray", rgbColor(128, 128, 128)},
    {"Silver", rgbColor(192, 192, 192)},
    {"Red", rgbColor(255, 0, 0)},
    {"Lime", rgbColor(0, 255, 0)},
    {"Yellow", rgbColor(255, 255, 0)},
    {"Blue", rgbColor(0, 0, 255)},
    {"Fuchsia", rgbColor(255, 0, 255)},
    {"Aqua", rgbColor(0, 255, 255)},
    {"White", rgbColor(255, 255, 255)},
    {"MoneyGreen", rgbColor(192, 220, 192)},
    {"SkyBlue", rgbColor(166, 202, 240)},
    {"Cream", rgbColor(255, 251, 240)},
    {"MedGray", rgbColor(160, 160, 164)},
    {"ScrollBar", systemColor(0)},
    {"Background", systemColor(1)},
    {"ActiveCaption", systemColor(2)},
    {"InactiveCaption", systemColor(3)},
    {"Menu", systemColor(4)},
    {"Window", systemColor(5)},
    {"WindowFrame", systemColor(6)},
    {"MenuText", systemColor(7)},
    {"WindowText", systemColor(8)},
    {"CaptionText", systemColor(9)},
    {"ActiveBorder", systemColor(10)},
    {"InactiveBorder", systemColor(11)},
    {"AppWorkSpace", systemColor(12)},
    {"Highlight", systemColor(13)},
    {"HighlightText", systemColor(14)},
    {"BtnFace", systemColor(15)},
    {"BtnShadow", systemColor(16)},
    {"GrayText", systemColor(17)},
    {"BtnText", systemColor(18)},
    {"InactiveCaptionText", systemColor(19)},
    {"BtnHighlight", systemColor(20)},
    {"3DDkShadow", systemColor(21)},
    {"3DLight", systemColor(22)},
    {"InfoText", systemColor(23)},
    {"InfoBk", systemColor(24)},
}};

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

std::span<const NamedColor> namedColors() { return kNamedColors; }

std::optional<ColorValue> colorByName(std::string_view name)
{
    const auto found = std::ranges::find_if(kNamedColors, [&](const NamedColor& c) { return equalIgnoringCase(c.name, name); });
    if (found == kNamedColors.end())
        return std::nullopt;
    return found->value;
}

} // namespace iconfinder
