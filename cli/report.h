#pragma once

#include "color.h"
#include "string_list.h"

#include <optional>
#include <ostream>
#include <string>

namespace iconfinder::cli {

// The result lines exactly as stored, one per output line.
void printLines(std::ostream& out, const StringList& lines);

// {"file": ..., "width": W, "height": H, "background": "#rrggbb", "regions": [...]}
void printJson(std::ostream& out, const std::optional<std::string>& file, int width, int height, ColorValue background,
               const StringList& lines);

} // namespace iconfinder::cli
