#pragma once

#include "image/color.h"

#include <optional>
#include <span>
#include <string_view>

namespace iconfinder {

struct NamedColor {
    std::string_view name;
    ColorValue value;
};

// The colours the window offers, in the order it offers them: the 16 standard colours,
// 4 extended ones, then the system colours.
std::span<const NamedColor> namedColors();

// A name of the table, ignoring case.
std::optional<ColorValue> colorByName(std::string_view name);

} // namespace iconfinder
