#include "cli/options.h"

#include "image/color_table.h"
#include "formats/byte_source.h"
#include "version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <bit>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <regex>
#include <set>
#include <thread>

namespace iconfinder::cli {
namespace {

constexpr const char* kDescription = "Finds the separate small pictures (icons, sprites) in PNG and BMP pictures.";
constexpr const char* kFooter =
    "Every group of touching pixels that are not background is one region, in the order a\n"
    "row-by-row scan meets them; a group inside the box of one found before it is left out.\n"
    "Without FILE it searches the built-in sample picture.\n\n"
    "Exit status: 0 on success (also when nothing is found), 1 when a picture cannot be read\n"
    "or an output cannot be written, 2 for a usage error.";
constexpr std::size_t kHelpColumn = 30;
constexpr std::size_t kHelpWidth = 50;

// Help text broken into lines that fit beside the option names.
std::string wrapped(const std::string& text)
{
    std::string lines, word;
    std::size_t column = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ') {
            word += text[i];
            continue;
        }
        if (column > 0 && column + 1 + word.size() > kHelpWidth) {
            lines += '\n';
            column = 0;
        } else if (column > 0) {
            lines += ' ';
            ++column;
        }
        lines += word;
        column += word.size();
        word.clear();
    }
    return lines;
}

// An integer option within a range, its bounds said in the help text rather than by CLI11.
// Decimal digits only, and few enough to make an int.
bool isNumber(const std::string& text, std::size_t digits = 9)
{
    return !text.empty() && text.size() <= digits && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

template <class T>
CLI::Option* addNumber(CLI::App& app, const std::string& names, T& target, int low, int high, const std::string& help)
{
    const CLI::Validator inRange(
        [low, high](const std::string& value) -> std::string {
            if (isNumber(value, 10) && std::stoll(value) >= low && std::stoll(value) <= high)
                return {};
            return "'" + value + "' is not a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        },
        "");
    return app.add_option(names, target, wrapped(help))->type_name("N")->check(inRange);
}

// An option whose value is one of a few words; the caller maps it.
CLI::Option* addWord(CLI::App& app, const std::string& names, std::string& target, const std::vector<std::string>& words,
                     const std::string& help)
{
    std::string text, list;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : "|") + word;
        list += (list.empty() ? "" : ", ") + word;
    }
    const CLI::Validator oneOf(
        [words, list](const std::string& value) -> std::string {
            return std::find(words.begin(), words.end(), value) != words.end() ? "" : "'" + value + "' is not one of " + list;
        },
        "");
    return app.add_option(names, target, wrapped(help))->check(oneOf)->option_text(text);
}

// The option parser's own complaints, said plainly.
std::string plainly(const CLI::ParseError& error)
{
    const std::string text = error.what();
    std::smatch match;
    if (std::regex_match(text, match, std::regex(R"((\S+): At Most 1 required but received (\d+))")))
        return match[1].str() + " given " + (match[2] == "2" ? std::string("twice") : match[2].str() + " times");
    if (std::regex_match(text, match, std::regex(R"((\S+): \d+ required (\S*) ?missing)")))
        return match[1].str() + " needs a value" + (match[2].length() ? " (" + match[2].str() + ")" : "");
    if (std::regex_match(text, match, std::regex(R"(The following arguments? (?:was|were) not expected: (.*))"))) {
        std::istringstream words(match[1].str());
        std::vector<std::string> unknown{std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
        std::reverse(unknown.begin(), unknown.end()); // the parser lists them last first
        std::string list;
        for (const std::string& word : unknown)
            list += (list.empty() ? "'" : ", '") + word + "'";
        return (unknown.size() > 1 ? "unknown options " : "unknown option ") + list;
    }
    return text;
}

// Two whole numbers "AxB" (or "A,B"), or one standing for both; `smallest` is the least each
// may be. `form` names the forms accepted for the message.
std::pair<int, int> parsePair(const std::string& option, const std::string& text, const char* separators, int smallest,
                              const std::string& form)
{
    const std::size_t by = text.find_first_of(separators);
    const std::string first = text.substr(0, by), second = by == std::string::npos ? first : text.substr(by + 1);
    if (!isNumber(first) || !isNumber(second))
        throw UsageError(option + ": '" + text + "' is not " + form);
    const std::pair<int, int> values{std::stoi(first), std::stoi(second)};
    if (values.first < smallest || values.second < smallest)
        throw UsageError(option + ": '" + text + "' must be at least " + std::to_string(smallest) + " each way");
    return values;
}

// Checks what no single option can: how the options fit together.
void checkTogether(Options& options, const CLI::App& app)
{
    const auto given = [&](const char* name) { return app.count(name) > 0; };
    if (options.framed && !formatOfName(*options.framed))
        throw UsageError("--framed: '" + *options.framed + "' must end in .bmp or .png");
    if (options.framed && options.several())
        throw UsageError("--framed takes one picture, not " + std::to_string(options.files.size()));
    for (const char* cropOnly : {"--crop-format", "--crop-transparent", "--isolate"})
        if (given(cropOnly) && !options.cropDir)
            throw UsageError(std::string(cropOnly) + " needs --crop");
    // The crops' shape also describes the atlas's frames.
    for (const char* shapeOnly : {"--padding", "--same-size"})
        if (given(shapeOnly) && !options.cropDir && !options.atlased())
            throw UsageError(std::string(shapeOnly) + " needs --crop, --atlas or --atlas-dir");
    for (const char* atlasOnly : {"--anchor", "--animations", "--frame-duration"})
        if (given(atlasOnly) && !options.atlased())
            throw UsageError(std::string(atlasOnly) + " needs --atlas or --atlas-dir");
    if (options.animationsByColumns && options.sprites.shaping.order == RegionOrder::Search && !options.sprites.gridded())
        throw UsageError("--animations needs --order rows or columns, or a grid, to know the rows and columns");
    if (given("--animation-name") && !options.animationsByColumns)
        throw UsageError("--animation-name needs --animations");
    if (options.pack && !options.atlased())
        throw UsageError("--pack needs --atlas: the atlas says where the frames went");
    if (options.pack && options.several())
        throw UsageError("--pack takes one picture, not " + std::to_string(options.files.size()));
    if (options.pack && formatOfName(*options.pack) != FileFormat::Png)
        throw UsageError("--pack: '" + *options.pack + "' must end in .png");
    for (const char* packOnly : {"--pack-padding", "--extrude", "--pack-max", "--pack-pot"})
        if (given(packOnly) && !options.pack)
            throw UsageError(std::string(packOnly) + " needs --pack");
    if (options.packing.powerOfTwo)
        options.packing.largest = static_cast<int>(std::bit_floor(static_cast<unsigned>(options.packing.largest)));
    if (given("--frame-duration") && options.atlasLayout != AtlasLayout::Aseprite)
        throw UsageError("--frame-duration needs --atlas-format aseprite, the layout that plays frames");
    if (given("--align") && !options.crop.sameSize)
        throw UsageError("--align needs --same-size");
    if (options.crop.transparent && options.cropFormat == FileFormat::Bmp)
        throw UsageError("--crop-transparent needs PNG crops, not --crop-format bmp");
    if (options.atlas && options.atlasDir)
        throw UsageError("--atlas and --atlas-dir do not go together");
    if (options.atlas && options.several())
        throw UsageError("--atlas takes one picture; with several, use --atlas-dir DIR");
    if ((options.atlas || options.atlasDir) && options.files.empty())
        throw UsageError("an atlas needs a picture file to point at, not the built-in sample");
    if (given("--atlas-format") && !options.atlas && !options.atlasDir)
        throw UsageError("--atlas-format needs --atlas or --atlas-dir");
    if (given("--name") && !options.cropDir && !options.atlas && !options.atlasDir)
        throw UsageError("--name needs --crop, --atlas or --atlas-dir");
    if (options.several() && (options.cropDir || options.atlasDir)) {
        std::set<std::string> stems;
        for (const std::string& file : options.files) {
            const std::string stem = stemOf(file);
            if (stem.empty() || stem == "." || stem == "..")
                throw UsageError("'" + file + "' has no name to give its crops' folder or atlas (its stem is '" + stem + "')");
            if (!stems.insert(stem).second)
                throw UsageError("two pictures are named '" + stem + "', so their crops or atlases would be written to the same place");
        }
    }
    for (const std::string& file : options.files)
        if (const std::optional<FileIdentity> identity = identityOf(file))
            options.inputs.push_back(*identity);
    if (options.framed)
        checkOutputPath(options, "--framed", *options.framed);
    if (options.pack)
        checkOutputPath(options, "--pack", *options.pack);
    if (options.atlas)
        checkOutputPath(options, "--atlas", *options.atlas);
    if (options.atlasDir)
        for (const std::string& file : options.files)
            checkOutputPath(options, "--atlas-dir",
                            std::filesystem::path(*options.atlasDir) / (stemOf(file) + "." + std::string(atlasExtension(options.atlasLayout))));
    for (const char* gridOnly : {"--trim", "--keep-empty", "--grid-offset", "--grid-spacing"})
        if (given(gridOnly) && !options.sprites.gridded())
            throw UsageError(std::string(gridOnly) + " needs --grid");
    for (const char* fixedOnly : {"--grid-offset", "--grid-spacing"})
        if (given(fixedOnly) && options.sprites.guessGrid)
            throw UsageError(std::string(fixedOnly) + " does not go with --grid auto, which finds it");
    for (const char* searchOnly : {"--merge", "--speck"})
        if (given(searchOnly) && options.sprites.grid)
            throw UsageError(std::string(searchOnly) + " has nothing to do with --grid WxH: the cells are the regions");
    for (const char* searchOnly : {"--grid", "--merge", "--speck", "--order", "--isolate"})
        if (given(searchOnly) && options.regionsFrom)
            throw UsageError(std::string(searchOnly) + " has nothing to do with --regions-from: the atlas's frames are the regions");
    if (options.regionsFrom) {
        try {
            FileSource source(*options.regionsFrom);
            if (source.size() > kLargestAtlas)
                throw InputError("the atlas is larger than " + std::to_string(kLargestAtlas >> 20) + " MiB");
            std::string text(static_cast<std::size_t>(source.size()), '\0');
            source.copy(0, std::as_writable_bytes(std::span(text)));
            options.atlasFrames = readAtlasFrames(text);
            // Its own names name the crops and frames: they obey the rules of --name.
            if (!given("--name") && (options.cropDir || options.atlased())) {
                std::vector<std::string> names;
                for (const NamedBox& frame : options.atlasFrames)
                    names.push_back(frame.name);
                checkFileNames(names);
            }
        } catch (const Error& e) {
            throw UsageError("--regions-from: " + *options.regionsFrom + ": " + e.what());
        }
    }
    if (given("--order") && options.sprites.gridded())
        throw UsageError("--order has nothing to do with --grid: cells are taken row by row");
    if (given("--speck") && !options.sprites.shaping.merge.merges())
        throw UsageError("--speck needs --merge: specks join the merged boxes");
    options.nameGiven = given("--name");
    try {
        const bool lines = options.sprites.shaping.order != RegionOrder::Search || options.sprites.gridded();
        if (options.animationsByColumns) {
            const std::string pattern = options.animationPattern.empty() ? (*options.animationsByColumns ? "{stem}-{col}" : "{stem}-{row}")
                                                                         : options.animationPattern;
            options.animationName = NamePattern::parse(pattern, lines);
        }
        options.name = NamePattern::parse(options.namePattern, lines);
    } catch (const InputError& e) {
        throw UsageError("--name: " + std::string(e.what()));
    }
}

} // namespace

ColorValue parseColor(const std::string& text)
{
    if (const auto named = colorByName(text))
        return *named;
    const std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() == 6 && std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c); })) {
        const unsigned long rgb = std::stoul(hex, nullptr, 16);
        return rgbColor(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb));
    }
    throw UsageError("unknown colour '" + text +
                     "' (use a colour name such as White or BtnFace, #RRGGBB, transparent or auto)");
}

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    Options& options = line.options;
    CLI::App app(kDescription, "find-icons");
    app.footer(kFooter);
    app.set_version_flag("--version", std::string("find-icons ") + kVersion, "Show the version and exit");
    app.set_help_flag("-h,--help", "Show this help and exit");
    app.get_formatter()->column_width(kHelpColumn);
    const auto text = [&](const std::string& names, auto& target, const char* type, const std::string& help, const char* group) {
        return app.add_option(names, target, wrapped(help))->type_name(type)->group(group);
    };

    app.add_option("FILE", options.files, "Pictures to search, PNG or BMP\n(none: the built-in sample)")->type_name("");

    std::string anchor, animations;
    std::string background = "White", merge, grid, gridOffset, gridSpacing, minSize, order = "search", format = "lines", atlasFormat = "hash", cropFormat,
                align = "center";
    text("-b,--background", background, "COLOR",
         "A colour name (White, Fuchsia, BtnFace, ...), #RRGGBB, transparent (pixels with alpha), or auto (transparent "
         "corners, else the commonest colour on the border); default White",
         "Background");
    addNumber(app, "--tolerance", options.tolerance, 0, 255,
              "Largest difference from the background colour per channel, or alpha for transparent, that still counts as "
              "background: 0-255, default 0")
        ->group("Background");

    text("--merge", merge, "N[xM]",
         "Merge boxes closer than N pixels across and M down (M = N when omitted) until none are; 1 joins touching boxes",
         "Regions");
    addNumber(app, "--speck", options.sprites.shaping.speck, 1, 1 << 30,
              "Regions at most N x N pixels are specks: they join the nearest merged box within the merge distance, "
              "but never glue boxes together")
        ->group("Regions");
    text("--min-size", minSize, "W[xH]", "Leave out regions narrower than W or lower than H (H = W when omitted)", "Regions");
    addWord(app, "--order", order, {"search", "rows", "columns"}, "As found (default), in rows, or in columns")->group("Regions");

    text("--regions-from", options.regionsFrom, "ATLAS",
         "The frames of an atlas (JSON, Starling XML or libGDX) as the regions instead of searching; its names unless --name",
         "Regions");
    text("--grid", grid, "WxH|auto",
         "Cut the picture into cells of W x H pixels instead of searching it, or guess the grid the regions repeat with",
         "Grid");
    text("--grid-offset", gridOffset, "X,Y", "Where the first cell's top-left corner is (default 0,0)", "Grid");
    text("--grid-spacing", gridSpacing, "X[,Y]", "Pixels between cells across and down (default 0)", "Grid");
    app.add_flag("--trim", options.sprites.trim, wrapped("A cell's box is the bounding box of its foreground, not the whole cell"))
        ->group("Grid");
    app.add_flag("--keep-empty", options.sprites.keepEmpty, wrapped("Cells without foreground are regions too"))->group("Grid");

    addWord(app, "--format", format, {"lines", "json"},
            "Print a line \"minX , minY , maxX , maxY \" per region (default), or a JSON object per picture")
        ->group("Output");
    text("-o,--framed", options.framed, "OUT", "Also write the picture with a red frame around each region (.bmp or .png)", "Output");
    text("--crop", options.cropDir, "DIR", "Also write each region as a file of its own into DIR (DIR/STEM for several pictures)",
         "Output");
    text("--atlas", options.atlas, "OUT", "Also write a sprite atlas of the regions (JSON by default; see --atlas-format)", "Atlas");
    text("--atlas-dir", options.atlasDir, "DIR", "Write each picture's atlas as DIR/STEM.json (.xml, .atlas, .css)", "Atlas");
    addWord(app, "--atlas-format", atlasFormat, {"hash", "array", "aseprite", "starling", "libgdx", "css"},
            "Frames as an object by name (default) or an array in order (JSON for Phaser and PixiJS), Aseprite's JSON, "
            "Starling XML, libGDX's .atlas, or CSS rules")
        ->group("Atlas");
    text("--pack", options.pack, "OUT.png",
         "Pack the frames into a new atlas picture (OUT-1.png, OUT-2.png, ... when one page is not enough) that the atlas "
         "points at, their background transparent and transparent margins trimmed",
         "Atlas");
    addNumber(app, "--pack-padding", options.packing.padding, 0, 4096, "Transparent pixels between packed frames (default 2)")->group("Atlas");
    addNumber(app, "--extrude", options.packing.extrude, 0, 64,
              "Repeat each packed frame's edge pixels N times around it, against bleeding when filtered (default 0)")
        ->group("Atlas");
    addNumber(app, "--pack-max", options.packing.largest, 16, 16384, "A packed page's largest side (default 4096)")->group("Atlas");
    app.add_flag("--pack-pot", options.packing.powerOfTwo, wrapped("Packed pages with sides that are powers of two"))->group("Atlas");
    text("--anchor", anchor, "center|bottom|X,Y", "Every frame's anchor (pivot) across its picture, 0 to 1 each way", "Atlas");
    addWord(app, "--animations", animations, {"rows", "columns"},
            "An animation of the frames of each row or column (with --order rows or columns, or a grid)")
        ->group("Atlas");
    text("--animation-name", options.animationPattern, "PATTERN",
         "Names of animations from {stem} and {row} or {col}; default {stem}-{row} or {stem}-{col}", "Atlas");
    addNumber(app, "--frame-duration", options.frameDuration, 1, 65535, "Milliseconds a frame shows in the Aseprite layout (default 100)")
        ->group("Atlas");

    addWord(app, "--crop-format", cropFormat, {"png", "bmp"},
            "Crop files (default: PNG from a PNG picture or for transparent crops, BMP otherwise)")
        ->group("Crops");
    app.add_flag("--crop-transparent", options.crop.transparent, wrapped("Make the background pixels of each crop transparent"))
        ->group("Crops");
    text("--name", options.namePattern, "PATTERN",
         "Names of crops and atlas frames from {n} {x} {y} {w} {h} {stem}, and {row} {col} with --order rows or columns; "
         "widths as {n:04}; default icon-{n:04}",
         "Crops");
    addNumber(app, "--padding", options.crop.padding, 0, 4096, "N more pixels on every side of each crop, filled like the background")
        ->group("Crops");
    app.add_flag("--isolate", options.sprites.isolate,
                 wrapped("Crops keep only the pixels of their own region; pieces of neighbours reaching into the box become "
                         "background"))
        ->group("Crops");
    app.add_flag("--same-size", options.crop.sameSize, wrapped("Make every crop as wide as the widest box and as high as the highest"))
        ->group("Crops");
    addWord(app, "--align", align, {"center", "bottom"}, "Where a box sits in a same-size crop: centred (default) or on the bottom edge")
        ->group("Crops");

    options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    addNumber(app, "-j,--jobs", options.jobs, 1, 1024, "Pictures searched at once (default: the number of cores)")->group("Running");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        line.printOnly = app.help();
        return line;
    } catch (const CLI::CallForVersion& e) {
        line.printOnly = std::string(e.what()) + "\n";
        return line;
    } catch (const CLI::ParseError& e) {
        throw UsageError(plainly(e));
    }

    std::string lower = background;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "transparent")
        options.background = Background::Transparent;
    else if (lower == "auto")
        options.background = Background::Auto;
    else
        options.colour = parseColor(background);
    Shaping& shaping = options.sprites.shaping;
    if (!merge.empty()) {
        const auto [across, down] = parsePair("--merge", merge, "xX", 0, "N or NxM (such as 3 or 4x8)");
        shaping.merge = {across, down};
    }
    if (!minSize.empty())
        std::tie(shaping.minWidth, shaping.minHeight) = parsePair("--min-size", minSize, "xX", 0, "W or WxH (such as 8 or 16x8)");
    shaping.order = order == "rows" ? RegionOrder::Rows : order == "columns" ? RegionOrder::Columns : RegionOrder::Search;
    if (grid == "auto") {
        options.sprites.guessGrid = true;
    } else if (!grid.empty()) {
        GridSpec spec;
        std::tie(spec.cellWidth, spec.cellHeight) = parsePair("--grid", grid, "xX", 1, "WxH (such as 64x64) or auto");
        if (!gridOffset.empty()) {
            if (gridOffset.find(',') == std::string::npos)
                throw UsageError("--grid-offset: '" + gridOffset + "' is not X,Y (such as 8,4)");
            std::tie(spec.x, spec.y) = parsePair("--grid-offset", gridOffset, ",", 0, "X,Y (such as 8,4)");
        }
        if (!gridSpacing.empty())
            std::tie(spec.spacingX, spec.spacingY) = parsePair("--grid-spacing", gridSpacing, ",", 0, "X or X,Y (such as 2 or 2,4)");
        options.sprites.grid = spec;
    }
    options.format = format == "json" ? Format::Json : Format::Lines;
    options.atlasLayout = atlasFormat == "array"      ? AtlasLayout::Array
                          : atlasFormat == "aseprite" ? AtlasLayout::Aseprite
                          : atlasFormat == "starling" ? AtlasLayout::Starling
                          : atlasFormat == "libgdx"   ? AtlasLayout::Libgdx
                          : atlasFormat == "css"      ? AtlasLayout::Css
                                                      : AtlasLayout::Hash;
    if (anchor == "center") {
        options.anchor = Anchor{0.5, 0.5};
    } else if (anchor == "bottom") {
        options.anchor = Anchor{0.5, 1};
    } else if (!anchor.empty()) {
        const std::size_t comma = anchor.find(',');
        const auto part = [&](const std::string& text) {
            std::size_t used = 0;
            double value = -1;
            try {
                value = std::stod(text, &used);
            } catch (const std::exception&) {
            }
            if (used != text.size() || text.empty() || !(value >= 0 && value <= 1))
                throw UsageError("--anchor: '" + anchor + "' is not center, bottom or X,Y from 0 to 1 (such as 0.5,1)");
            return value;
        };
        if (comma == std::string::npos)
            part("");
        options.anchor = Anchor{part(anchor.substr(0, comma)), part(anchor.substr(comma + 1))};
    }
    if (!animations.empty())
        options.animationsByColumns = animations == "columns";
    if (!cropFormat.empty())
        options.cropFormat = cropFormat == "png" ? FileFormat::Png : FileFormat::Bmp;
    options.crop.align = align == "bottom" ? Align::Bottom : Align::Center;
    checkTogether(options, app);
    return line;
}

void checkOutputPath(const Options& options, const std::string& what, const std::filesystem::path& path)
{
    const std::optional<FileIdentity> identity = identityOf(path);
    if (!identity || std::filesystem::is_directory(path))
        return; // a new file, or a folder that the write will refuse
    if (!identity->regular && !isStandardOutput(path))
        throw UsageError(what + ": '" + path.string() + "' is not a regular file");
    for (std::size_t i = 0; i < options.inputs.size(); ++i)
        if (options.inputs[i] == *identity)
            throw UsageError(what + ": '" + path.string() + "' is an input picture, which would be overwritten");
}

std::string stemOf(const std::optional<std::string>& file) { return file ? std::filesystem::path(*file).stem().string() : "sample"; }

} // namespace iconfinder::cli
