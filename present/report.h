#pragma once

#include "formats/picture_file.h"
#include "mask/background_rule.h"
#include "grid/grid_cells.h"
#include "shaping/region_merge.h"
#include "shaping/region_order.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace iconfinder {

// What a search was run on, for the JSON report.
struct SearchSummary {
    std::optional<std::string> file; // none: the built-in sample
    FileFormat format = FileFormat::Bmp;
    int width = 0;
    int height = 0;
    BackgroundRule rule = BackgroundRule::colour({255, 255, 255});
    std::optional<GridLayout> grid; // the cells were the regions
    std::optional<MergeDistance> autoMerge; // the merge distance chosen from the boxes' spacing
};

// One result line per region, "minX , minY , maxX , maxY ", each after `prefix`.
void appendLines(std::string& text, std::span<const PlacedRegion> regions, std::string_view prefix);
void appendLine(std::string& text, const RegionBox& box, std::string_view prefix);

// {"file", "width", "height", "background" ("transparent" or "#rrggbb"), "tolerance",
// "format", "grid" (when cells were the regions: {"width", "height", "x", "y", "spacingX",
// "spacingY", "columns", "rows"}), "regions": [{"minX", "minY", "maxX", "maxY"}, ...]} on one line. Names that are not
// valid UTF-8 have their bad bytes replaced, so the line is always valid JSON.
std::string jsonReport(const SearchSummary& summary, std::span<const PlacedRegion> regions);

// The same report in pieces, for regions printed as they are found: the text before the
// first region, each region (with the comma before all but the first), and the end.
std::string jsonReportStart(const SearchSummary& summary);
void appendJsonRegion(std::string& text, const RegionBox& box, bool first);
inline constexpr std::string_view kJsonReportEnd = "]}\n";

// {"file", "error"} on one line, for a file that could not be searched.
std::string jsonFailure(const std::string& file, const std::string& reason);

} // namespace iconfinder
