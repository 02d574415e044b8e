#pragma once

#include "regions/region_box.h"
#include "regions/string_list.h"

#include <span>
#include <string>
#include <string_view>

namespace iconfinder {

// Appends the result line of a box, "minX , minY , maxX , maxY " (with its trailing blank).
void appendResultLine(std::string& text, const RegionBox& box);

// One result line per box, in order.
StringList resultLines(std::span<const RegionBox> boxes);

// Splits a result line back into its four numbers through `Fields`; throws
// InputError for a line that does not hold four integers.
RegionBox parseResultLine(std::string_view line, StringList& Fields);

} // namespace iconfinder
