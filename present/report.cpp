#include "report.h"

#include "json_text.h"
#include "result_lines.h"

#include <cstdio>

namespace iconfinder {

void appendLines(std::string& text, std::span<const PlacedRegion> regions, std::string_view prefix)
{
    for (const PlacedRegion& region : regions) {
        text += prefix;
        appendResultLine(text, region.box);
        text += '\n';
    }
}

std::string jsonReport(const SearchSummary& summary, std::span<const PlacedRegion> regions)
{
    nlohmann::ordered_json report;
    report["file"] = summary.file ? nlohmann::ordered_json(*summary.file) : nlohmann::ordered_json(nullptr);
    report["width"] = summary.width;
    report["height"] = summary.height;
    if (summary.rule.isTransparent()) {
        report["background"] = "transparent";
    } else {
        const Pixel colour = summary.rule.reference();
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", redOf(colour), greenOf(colour), blueOf(colour));
        report["background"] = hex;
    }
    report["tolerance"] = summary.rule.tolerance();
    report["format"] = formatName(summary.format);
    if (const std::optional<GridLayout>& grid = summary.grid) {
        const GridSpec& spec = grid->spec;
        report["grid"] = {{"width", spec.cellWidth}, {"height", spec.cellHeight}, {"x", spec.x},           {"y", spec.y},
                          {"spacingX", spec.spacingX}, {"spacingY", spec.spacingY}, {"columns", grid->columns}, {"rows", grid->rows}};
    }
    nlohmann::ordered_json& list = report["regions"] = nlohmann::ordered_json::array();
    for (const PlacedRegion& region : regions)
        list.push_back({{"minX", region.box.minX}, {"minY", region.box.minY}, {"maxX", region.box.maxX}, {"maxY", region.box.maxY}});
    return jsonText(report) + "\n";
}

std::string jsonFailure(const std::string& file, const std::string& reason)
{
    return jsonText(nlohmann::ordered_json{{"file", file}, {"error", reason}}) + "\n";
}

} // namespace iconfinder
