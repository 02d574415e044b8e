#include "options.h"

#include "color_table.h"

#include <algorithm>
#include <cctype>

namespace iconfinder::cli {

const char* const kUsage =
    "Usage: find-icons [FILE.bmp] [-b|--background COLOR] [--format lines|json]\n"
    "                  [-o|--framed OUT.bmp] [--crop DIR]\n"
    "       find-icons --help | --version\n"
    "\n"
    "Finds the separate small pictures (icons, sprites) in a bitmap: every group of touching\n"
    "pixels that are not the background colour, in the order a row-by-row scan meets them.\n"
    "Without FILE it searches the built-in sample picture.\n"
    "\n"
    "  -b, --background COLOR  background colour: a colour name (White, Fuchsia, BtnFace, ...)\n"
    "                          or #RRGGBB; default White\n"
    "      --format lines      one line per region, \"minX , minY , maxX , maxY \" (default)\n"
    "      --format json       one JSON object with the picture's size and the regions\n"
    "  -o, --framed OUT.bmp    also write the picture with a red frame around each region\n"
    "      --crop DIR          also write each region as DIR/icon-0001.bmp, icon-0002.bmp, ...\n"
    "  -h, --help              show this help\n"
    "      --version           show the version\n"
    "\n"
    "Exit status: 0 on success (also when nothing is found), 1 when the picture cannot be\n"
    "read or an output cannot be written, 2 for a usage error.\n";

ColorValue parseColor(const std::string& text)
{
    if (const auto named = colorByName(text))
        return *named;
    const std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() == 6 && std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); })) {
        const unsigned long rgb = std::stoul(hex, nullptr, 16);
        return rgbColor(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb));
    }
    throw UsageError("unknown colour '" + text + "' (use a colour name such as White or BtnFace, or #RRGGBB)");
}

Options parseOptions(const std::vector<std::string>& args)
{
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string word = args[i];
        std::optional<std::string> attached;
        if (word.rfind("--", 0) == 0 && word.find('=') != std::string::npos) {
            attached = word.substr(word.find('=') + 1);
            word = word.substr(0, word.find('='));
        }
        const auto value = [&]() -> std::string {
            if (attached)
                return *attached;
            if (i + 1 >= args.size())
                throw UsageError("option '" + word + "' needs a value");
            return args[++i];
        };
        const bool flag = word == "-h" || word == "--help" || word == "--version";
        if (flag && attached)
            throw UsageError("option '" + word + "' takes no value");
        if (word == "-h" || word == "--help") {
            options.help = true;
        } else if (word == "--version") {
            options.version = true;
        } else if (word == "-b" || word == "--background") {
            options.background = parseColor(value());
        } else if (word == "--format") {
            const std::string format = value();
            if (format == "lines")
                options.format = Format::Lines;
            else if (format == "json")
                options.format = Format::Json;
            else
                throw UsageError("unknown format '" + format + "' (use lines or json)");
        } else if (word == "-o" || word == "--framed") {
            options.framedOut = value();
        } else if (word == "--crop") {
            options.cropDir = value();
        } else if (word.size() > 1 && word[0] == '-') {
            throw UsageError("unknown option '" + word + "'");
        } else if (options.file) {
            throw UsageError("more than one picture given ('" + *options.file + "' and '" + word + "')");
        } else {
            options.file = word;
        }
    }
    return options;
}

} // namespace iconfinder::cli
