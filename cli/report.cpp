#include "report.h"

#include "icon_search.h"

#include <cstdio>

namespace iconfinder::cli {
namespace {

std::string jsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

} // namespace

void printLines(std::ostream& out, const StringList& lines)
{
    for (std::size_t i = 0; i < lines.count(); ++i)
        out << lines[i] << '\n';
}

void printJson(std::ostream& out, const std::optional<std::string>& file, int width, int height, ColorValue background,
               const StringList& lines)
{
    const Rgb rgb = resolve(background);
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%02x%02x%02x", rgb.red, rgb.green, rgb.blue);
    out << "{\"file\": " << (file ? jsonString(*file) : "null") << ", \"width\": " << width << ", \"height\": " << height
        << ", \"background\": \"" << colour << "\", \"regions\": [";
    StringList Fields;
    for (std::size_t i = 0; i < lines.count(); ++i) {
        const RegionBox box = parseResultLine(lines[i], Fields);
        out << (i == 0 ? "" : ", ") << "{\"minX\": " << box.minX << ", \"minY\": " << box.minY << ", \"maxX\": " << box.maxX
            << ", \"maxY\": " << box.maxY << "}";
    }
    out << "]}\n";
}

} // namespace iconfinder::cli
