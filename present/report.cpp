#include "present/report.h"

#include "atlas/json_text.h"
#include "regions/result_lines.h"

#include <cstdio>

namespace iconfinder {

void appendLine(std::string& text, const RegionBox& box, std::string_view prefix)
{
    text += prefix;
    appendResultLine(text, box);
    text += '\n';
}

void appendLines(std::string& text, std::span<const PlacedRegion> regions, std::string_view prefix)
{
    for (const PlacedRegion& region : regions)
        appendLine(text, region.box, prefix);
}

std::string jsonReportStart(const SearchSummary& summary)
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
    if (summary.autoMerge)
        report["merge"] = summary.autoMerge->x; // 0: none
    if (const std::optional<GridLayout>& grid = summary.grid) {
        const GridSpec& spec = grid->spec;
        report["grid"] = {{"width", spec.cellWidth}, {"height", spec.cellHeight}, {"x", spec.x},           {"y", spec.y},
                          {"spacingX", spec.spacingX}, {"spacingY", spec.spacingY}, {"columns", grid->columns}, {"rows", grid->rows}};
    }
    report["regions"] = nlohmann::ordered_json::array();
    std::string text = jsonText(report);
    text.resize(text.size() - 2); // the empty list's "]}"
    return text;
}

void appendJsonRegion(std::string& text, const RegionBox& box, bool first)
{
    text += first ? "{\"minX\":" : ",{\"minX\":";
    text += std::to_string(box.minX);
    text += ",\"minY\":";
    text += std::to_string(box.minY);
    text += ",\"maxX\":";
    text += std::to_string(box.maxX);
    text += ",\"maxY\":";
    text += std::to_string(box.maxY);
    text += '}';
}

std::string jsonReport(const SearchSummary& summary, std::span<const PlacedRegion> regions)
{
    std::string text = jsonReportStart(summary);
    for (std::size_t i = 0; i < regions.size(); ++i)
        appendJsonRegion(text, regions[i].box, i == 0);
    text += kJsonReportEnd;
    return text;
}

std::string jsonFailure(const std::string& file, const std::string& reason)
{
    return jsonText(nlohmann::ordered_json{{"file", file}, {"error", reason}}) + "\n";
}

} // namespace iconfinder
