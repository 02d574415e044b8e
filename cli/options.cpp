#include "cli/options.h"

#include "cli/option_parsing.h"
#include "image/color_table.h"
#include "version.h"

#include <algorithm>
#include <cctype>
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

// What the options hold as typed, before it is made into the request; numbers and flags go
// straight to their places.
struct Typed {
    explicit Typed(Options& into) : options(into) {}
    Options& options;
    AtlasOutput atlas;
    int tolerance = 0;
    std::string background = "White", merge, minSize, order = "search", grid, gridCount, gridOffset, gridSpacing;
    std::string format = "lines", atlasFormat = "hash", cropFormat, align = "center", sameSize, anchor, animations, animationPattern;
};

// A text option (a string, or an optional one when its absence means something).
template <class Text>
CLI::Option* text(CLI::App& app, const std::string& names, Text& target, const char* type, const std::string& help, const char* group)
{
    return app.add_option(names, target, wrapped(help))->type_name(type)->group(group);
}

void addRegionOptions(CLI::App& app, Typed& typed)
{
    SpriteSettings& sprites = typed.options.request.sprites;
    text(app, "-b,--background", typed.background, "COLOR",
         "A colour name (White, Fuchsia, BtnFace, ...), #RRGGBB, transparent (pixels with alpha), or auto (transparent "
         "corners, else the commonest colour on the border); default White",
         "Background");
    addNumber(app, "--tolerance", typed.tolerance, 0, 255,
              "Largest difference from the background colour per channel, or alpha for transparent, that still counts as "
              "background: 0-255, default 0")
        ->group("Background");
    text(app, "--merge", typed.merge, "N[xM]|auto",
         "Merge boxes closer than N pixels across and M down (M = N when omitted) until none are; 1 joins touching boxes; "
         "auto takes the distance from the gaps between the regions",
         "Regions");
    addNumber(app, "--speck", sprites.shaping.speck, 1, 1 << 30,
              "Regions at most N x N pixels are specks: they join the nearest merged box within the merge distance, "
              "but never glue boxes together")
        ->group("Regions");
    text(app, "--min-size", typed.minSize, "W[xH]", "Leave out regions narrower than W or lower than H (H = W when omitted)", "Regions");
    addWord(app, "--order", typed.order, {"search", "rows", "columns"}, "As found (default), in rows, or in columns")->group("Regions");
    app.add_flag("--whole", sprites.whole,
                 wrapped("Each picture is one region: the box of all its foreground, standing for the whole picture in an atlas "
                         "(loose sprite files packed into one atlas: --whole --pack OUT.png --atlas OUT.json FILES); named {stem} "
                         "unless --name, and on -b auto unless told"))
        ->group("Regions");
    text(app, "--regions-from", typed.options.regionsFrom, "ATLAS",
         "The frames of an atlas (JSON, Starling XML or libGDX) as the regions instead of searching; its names unless --name",
         "Regions");
    text(app, "--grid", typed.grid, "WxH|auto",
         "Cut the picture into cells of W x H pixels instead of searching it, or guess the grid the regions repeat with", "Grid");
    text(app, "--grid-count", typed.gridCount, "CxR",
         "Cut the picture into C columns x R rows of cells as large as it holds, for sheets whose cell size is not known", "Grid");
    app.add_flag("--strays", typed.options.request.sprites.strays,
                 wrapped("With --grid WxH or --grid-count: a region of the search lying in no single cell is cut as a sprite of its "
                         "own after the cells, and counts for no cell"))
        ->group("Grid");
    text(app, "--grid-offset", typed.gridOffset, "X,Y", "Where the first cell's top-left corner is (default 0,0)", "Grid");
    text(app, "--grid-spacing", typed.gridSpacing, "X[,Y]", "Pixels between cells across and down (default 0)", "Grid");
    app.add_flag("--trim", sprites.trim, wrapped("A cell's box is the bounding box of its foreground, not the whole cell"))->group("Grid");
    app.add_flag("--keep-empty", sprites.keepEmpty, wrapped("Cells without foreground are regions too"))->group("Grid");
}

void addOutputOptions(CLI::App& app, Typed& typed)
{
    Options& options = typed.options;
    CropStyle& crop = options.request.outputs.crop;
    addWord(app, "--format", typed.format, {"lines", "json"},
            "Print a line \"minX , minY , maxX , maxY \" per region (default), or a JSON object per picture")
        ->group("Output");
    text(app, "-o,--framed", options.framed, "OUT", "Also write the picture with a red frame around each region (.bmp or .png)", "Output");
    text(app, "--crop", options.cropDir, "DIR", "Also write each region as a file of its own into DIR (DIR/STEM for several pictures)",
         "Output");
    addWord(app, "--crop-format", typed.cropFormat, {"png", "bmp"},
            "Crop files (default: PNG from a PNG picture or for transparent crops, BMP otherwise)")
        ->group("Crops");
    app.add_flag("--replace-folder", options.request.outputs.replaceCropFolder,
                 wrapped("Leave the crop folder holding this run's crops alone: the whole folder is swapped for a new one at once"))
        ->group("Crops");
    app.add_flag("--crop-transparent", crop.transparent, wrapped("Make the background pixels of each crop transparent"))->group("Crops");
    app.add_flag("--bleed,!--no-bleed", crop.bleed,
                 wrapped("Give the fully transparent pixels of crops and packed pages the colour of the nearest visible one, so "
                         "that filtered sprites get no dark fringe (default; --no-bleed keeps the colours stored there)"))
        ->group("Crops");
    app.add_flag("--premultiply", crop.premultiply,
                 wrapped("Write crops and packed pages with alpha with their colours multiplied by it, and say so in the atlas "
                         "(JSON, libGDX)"))
        ->group("Crops");
    text(app, "--name", options.namePattern, "PATTERN",
         "Names of crops and atlas frames from {n} {x} {y} {w} {h} {stem}, and {row} {col} with --order rows or columns; "
         "widths as {n:04}; default icon-{n:04}",
         "Crops");
    addNumber(app, "--padding", crop.padding, 0, 4096, "N more pixels on every side of each crop, filled like the background")
        ->group("Crops");
    app.add_flag("--isolate", options.request.sprites.isolate,
                 wrapped("Crops keep only the pixels of their own region; pieces of neighbours reaching into the box become "
                         "background"))
        ->group("Crops");
    addWord(app, "--same-size{all}", typed.sameSize, {"all", "rows", "columns"},
            "Make every crop as wide as the widest box and as high as the highest: of all of them, or of its row or column "
            "(--same-size=rows)")
        ->group("Crops");
    addWord(app, "--align", typed.align, {"center", "bottom", "bottom-left", "bottom-right", "top-left", "left", "right"},
            "Where a box sits in a same-size crop: centred (default), on the bottom edge, in a corner or on a side")
        ->group("Crops");
}

void addAtlasOptions(CLI::App& app, Typed& typed)
{
    Options& options = typed.options;
    AtlasOutput& atlas = typed.atlas;
    text(app, "--atlas", options.atlas, "OUT", "Also write a sprite atlas of the regions (JSON by default; see --atlas-format)", "Atlas");
    text(app, "--atlas-dir", options.atlasDir, "DIR", "Write each picture's atlas as DIR/STEM.json (.xml, .atlas, .css)", "Atlas");
    addWord(app, "--atlas-format", typed.atlasFormat, {"hash", "array", "aseprite", "starling", "libgdx", "css"},
            "Frames as an object by name (default) or an array in order (JSON for Phaser and PixiJS), Aseprite's JSON, "
            "Starling XML, libGDX's .atlas, or CSS rules")
        ->group("Atlas");
    text(app, "--pack", options.pack, "OUT.png",
         "Pack the frames into a new atlas picture (OUT-1.png, OUT-2.png, ... when one page is not enough) that the atlas "
         "points at, their background transparent and transparent margins trimmed",
         "Atlas");
    addNumber(app, "--pack-padding", atlas.packing.padding, 0, 4096, "Transparent pixels between packed frames (default 2)")->group("Atlas");
    addNumber(app, "--extrude", atlas.packing.extrude, 0, 64,
              "Repeat each packed frame's edge pixels N times around it, against bleeding when filtered (default 0)")
        ->group("Atlas");
    addNumber(app, "--pack-max", atlas.packing.largest, 16, 16384, "A packed page's largest side (default 4096)")->group("Atlas");
    app.add_flag("--pack-pot", atlas.packing.powerOfTwo, wrapped("Packed pages with sides that are powers of two"))->group("Atlas");
    app.add_flag("--pack-rotate", atlas.packing.mayTurn,
                 wrapped("Let packed frames lie a quarter turn round where the pages come out smaller; the atlas says so as its "
                         "engines read it (not in CSS)"))
        ->group("Atlas");
    app.add_flag("--pack-keep-duplicates", atlas.packing.keepDuplicates,
                 wrapped("Store each frame on the page, also frames of the same pixels as another (by default stored once, "
                         "each keeping its own name and offsets)"))
        ->group("Atlas");
    text(app, "--anchor", typed.anchor, "center|bottom|X,Y", "Every frame's anchor (pivot) across its picture, 0 to 1 each way", "Atlas");
    addWord(app, "--animations", typed.animations, {"rows", "columns", "names"},
            "An animation of the frames of each row or column (with --order rows or columns, or a grid), or of the frames "
            "whose --animation-name comes out alike (names: walk_01.png, walk_02.png ... make walk)")
        ->group("Atlas");
    text(app, "--animation-name", typed.animationPattern, "PATTERN",
         "Names of animations from {stem} and {row} or {col}, or for names from the fields of --name and {base} (the stem "
         "without its frame number); default {stem}-{row}, {stem}-{col} or {base}",
         "Atlas");
    addNumber(app, "--frame-duration", atlas.frameDuration, 1, 65535, "Milliseconds a frame shows in the Aseprite layout (default 100)")
        ->group("Atlas");
}

BackgroundChoice backgroundOf(const std::string& text, int tolerance)
{
    BackgroundChoice choice;
    choice.tolerance = static_cast<std::uint8_t>(tolerance);
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "transparent")
        choice.kind = BackgroundChoice::Kind::Transparent;
    else if (lower == "auto")
        choice.kind = BackgroundChoice::Kind::Auto;
    else
        choice.colour = parseColor(text);
    return choice;
}

void applyGrid(const Typed& typed, SpriteSettings& sprites)
{
    if (!typed.grid.empty() && !typed.gridCount.empty())
        throw UsageError("--grid-count does not go with --grid, which gives the cells' size or finds it");
    if (typed.grid == "auto") {
        sprites.guessGrid = true;
        return;
    }
    if (typed.grid.empty() && typed.gridCount.empty())
        return;
    GridSpec spec;
    if (typed.gridCount.empty()) {
        std::tie(spec.cellWidth, spec.cellHeight) = parsePair("--grid", typed.grid, "xX", 1, "WxH (such as 64x64) or auto");
    } else {
        const auto [columns, rows] = parsePair("--grid-count", typed.gridCount, "xX", 1, "CxR (such as 8x4)");
        sprites.gridCount = GridCount{columns, rows};
    }
    if (!typed.gridOffset.empty()) {
        if (typed.gridOffset.find(',') == std::string::npos)
            throw UsageError("--grid-offset: '" + typed.gridOffset + "' is not X,Y (such as 8,4)");
        std::tie(spec.x, spec.y) = parsePair("--grid-offset", typed.gridOffset, ",", 0, "X,Y (such as 8,4)");
    }
    if (!typed.gridSpacing.empty())
        std::tie(spec.spacingX, spec.spacingY) = parsePair("--grid-spacing", typed.gridSpacing, ",", 0, "X or X,Y (such as 2 or 2,4)");
    sprites.grid = spec;
}

void applyRegions(const Typed& typed, SpriteSettings& sprites)
{
    Shaping& shaping = sprites.shaping;
    if (typed.merge == "auto") {
        shaping.mergeAuto = true;
    } else if (!typed.merge.empty()) {
        const auto [across, down] = parsePair("--merge", typed.merge, "xX", 0, "N, NxM (such as 3 or 4x8) or auto");
        shaping.merge = {across, down};
    }
    if (!typed.minSize.empty())
        std::tie(shaping.minWidth, shaping.minHeight) = parsePair("--min-size", typed.minSize, "xX", 0, "W or WxH (such as 8 or 16x8)");
    shaping.order = typed.order == "rows" ? RegionOrder::Rows : typed.order == "columns" ? RegionOrder::Columns : RegionOrder::Search;
    applyGrid(typed, sprites);
}

Align alignOf(const std::string& word)
{
    const std::pair<const char*, Align> aligns[] = {{"bottom", Align::Bottom},         {"bottom-left", Align::BottomLeft},
                                                    {"bottom-right", Align::BottomRight}, {"top-left", Align::TopLeft},
                                                    {"left", Align::Left},             {"right", Align::Right}};
    for (const auto& [name, align] : aligns)
        if (word == name)
            return align;
    return Align::Center;
}

std::optional<Anchor> anchorOf(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    if (const std::optional<Anchor> anchor = anchorNamed(text))
        return anchor;
    throw UsageError("--anchor: '" + text + "' is not center, bottom or X,Y from 0 to 1 (such as 0.5,1)");
}

AtlasLayout layoutOf(const std::string& word)
{
    return word == "array"      ? AtlasLayout::Array
           : word == "aseprite" ? AtlasLayout::Aseprite
           : word == "starling" ? AtlasLayout::Starling
           : word == "libgdx"   ? AtlasLayout::Libgdx
           : word == "css"      ? AtlasLayout::Css
                                : AtlasLayout::Hash;
}

// Names and animation names, which may use rows and columns only where there are some.
void applyNames(Typed& typed, const CLI::App& app)
{
    Options& options = typed.options;
    const SpriteSettings& sprites = options.request.sprites;
    const bool lines = sprites.shaping.order != RegionOrder::Search || sprites.gridded();
    try {
        if (const std::optional<AnimationGroups> groups = typed.atlas.animations) {
            const std::string_view pattern = typed.animationPattern.empty() ? defaultAnimationName(*groups) : typed.animationPattern;
            typed.atlas.animationName = NamePattern::parse(pattern, lines);
        }
        // A picture that is one frame is named after its file; the regions of several pictures
        // in one atlas by file and number (an atlas read back keeps its own names).
        const bool byStem = app.count("--name") == 0 && (sprites.whole || (options.packedTogether() && !options.regionsFrom));
        if (byStem)
            options.namePattern = sprites.whole ? "{stem}" : "{stem}-{n}";
        const NamePattern pattern = NamePattern::parse(options.namePattern, lines);
        if (app.count("--name") > 0 || byStem)
            options.request.names = pattern;
    } catch (const InputError& e) {
        const bool rowsAsked = !lines && std::string_view(e.what()).find("rows or columns") != std::string_view::npos;
        throw UsageError("--name: " + std::string(e.what()) + (rowsAsked ? " (--order rows or columns, or a grid)" : ""));
    }
}

void applyTyped(Typed& typed, const CLI::App& app)
{
    Options& options = typed.options;
    SliceRequest& request = options.request;
    // Loose sprite files are mostly drawn on transparency.
    if (request.sprites.whole && app.count("--background") == 0)
        typed.background = "auto";
    request.background = backgroundOf(typed.background, typed.tolerance);
    applyRegions(typed, request.sprites);
    options.format = typed.format == "json" ? Format::Json : Format::Lines;
    typed.atlas.layout = layoutOf(typed.atlasFormat);
    typed.atlas.anchor = anchorOf(typed.anchor);
    if (!typed.animations.empty())
        typed.atlas.animations = typed.animations == "rows" ? AnimationGroups::Rows
                                 : typed.animations == "columns" ? AnimationGroups::Columns
                                                                 : AnimationGroups::Names;
    if (!typed.cropFormat.empty())
        request.outputs.cropFormat = typed.cropFormat == "png" ? FileFormat::Png : FileFormat::Bmp;
    request.outputs.crop.align = alignOf(typed.align);
    request.outputs.crop.sameSize = typed.sameSize == "rows"      ? SameSize::Rows
                                    : typed.sameSize == "columns" ? SameSize::Columns
                                    : typed.sameSize.empty()      ? SameSize::None
                                                                  : SameSize::All;
    applyNames(typed, app);
    if (options.atlased())
        request.outputs.atlas = typed.atlas;
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
    throw UsageError("unknown colour '" + text + "' (use a colour name such as White or BtnFace, #RRGGBB, transparent or auto)");
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
    app.add_option("FILE", options.files, "Pictures to search, PNG or BMP\n(none: the built-in sample)")->type_name("");
    Typed typed(options);
    addRegionOptions(app, typed);
    addOutputOptions(app, typed);
    addAtlasOptions(app, typed);
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
    applyTyped(typed, app);
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
