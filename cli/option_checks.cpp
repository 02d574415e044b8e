#include "cli/option_parsing.h"

#include "slice/slicing.h"

#include <bit>
#include <set>

// How the options fit together: each check names the options it is about.
namespace iconfinder::cli {
namespace {

using Given = std::function<bool(const char*)>;

void needs(const Given& given, std::initializer_list<const char*> options, bool present, const std::string& what)
{
    for (const char* option : options)
        if (given(option) && !present)
            throw UsageError(std::string(option) + " needs " + what);
}

void checkCrops(const Options& options, const Given& given)
{
    const SliceOutputs& outputs = options.request.outputs;
    if (options.framed && !formatOfName(*options.framed))
        throw UsageError("--framed: '" + *options.framed + "' must end in .bmp or .png");
    if (options.framed && options.several())
        throw UsageError("--framed takes one picture, not " + std::to_string(options.files.size()));
    needs(given, {"--crop-format", "--isolate", "--replace-folder"}, options.cropDir.has_value(), "--crop");
    // The crops' shape also describes the atlas's frames.
    needs(given, {"--padding", "--same-size", "--crop-transparent", "--bleed", "--premultiply"}, options.cropDir || options.atlased(), "--crop, --atlas or --atlas-dir");
    needs(given, {"--align"}, outputs.crop.sameSize != SameSize::None, "--same-size");
    const bool byLines = outputs.crop.sameSize == SameSize::Rows || outputs.crop.sameSize == SameSize::Columns;
    if (byLines && options.request.sprites.shaping.order == RegionOrder::Search && !options.request.sprites.gridded())
        throw UsageError("--same-size rows or columns needs --order rows or columns, or a grid, to know the rows and columns");
    needs(given, {"--name"}, options.cropDir || options.atlased(), "--crop, --atlas or --atlas-dir");
}

void checkAtlas(Options& options, const Given& given)
{
    needs(given, {"--anchor", "--animations", "--frame-duration", "--atlas-format"}, options.atlased(), "--atlas or --atlas-dir");
    needs(given, {"--animation-name"}, given("--animations"), "--animations");
    const Shaping& shaping = options.request.sprites.shaping;
    const std::optional<AnimationGroups> animations = options.request.outputs.atlas ? options.request.outputs.atlas->animations : std::nullopt;
    if (animations && *animations != AnimationGroups::Names && shaping.order == RegionOrder::Search && !options.request.sprites.gridded())
        throw UsageError("--animations needs --order rows or columns, or a grid, to know the rows and columns");
    if (options.pack && !options.atlased())
        throw UsageError("--pack needs --atlas: the atlas says where the frames went");
    if (options.packedTogether() && !options.atlas)
        throw UsageError("--pack of several pictures needs --atlas: one atlas for all of them");
    if (options.packedTogether() && options.cropDir)
        throw UsageError("--crop does not go with --pack of several pictures: cut their crops in a run of their own");
    if (options.pack && formatOfName(*options.pack) != FileFormat::Png)
        throw UsageError("--pack: '" + *options.pack + "' must end in .png");
    needs(given, {"--pack-padding", "--extrude", "--pack-max", "--pack-pot", "--pack-keep-duplicates", "--pack-rotate"}, options.pack.has_value(), "--pack");
    if (options.atlased() && options.request.outputs.atlas->layout != AtlasLayout::Aseprite && given("--frame-duration"))
        throw UsageError("--frame-duration needs --atlas-format aseprite, the layout that plays frames");
    if (options.atlas && options.atlasDir)
        throw UsageError("--atlas and --atlas-dir do not go together");
    if (options.atlas && options.several() && !options.pack)
        throw UsageError("--atlas takes one picture; with several, use --atlas-dir DIR");
    if (options.atlased() && options.files.empty())
        throw UsageError("an atlas needs a picture file to point at, not the built-in sample");
    if (options.atlased()) {
        PackStyle& packing = options.request.outputs.atlas->packing;
        if (packing.powerOfTwo)
            packing.largest = static_cast<int>(std::bit_floor(static_cast<unsigned>(packing.largest)));
    }
}

void checkRegions(const Options& options, const Given& given)
{
    const SpriteSettings& sprites = options.request.sprites;
    needs(given, {"--trim", "--keep-empty", "--grid-offset", "--grid-spacing"}, sprites.gridded(), "--grid");
    if (given("--strays") && !sprites.grid)
        throw UsageError("--strays needs --grid WxH or --grid-count: the cells the strays lie outside");
    for (const char* fixedOnly : {"--grid-offset", "--grid-spacing"})
        if (given(fixedOnly) && sprites.guessGrid)
            throw UsageError(std::string(fixedOnly) + " does not go with --grid auto, which finds it");
    for (const char* searchOnly : {"--merge", "--speck"})
        if (given(searchOnly) && sprites.grid)
            throw UsageError(std::string(searchOnly) + " has nothing to do with --grid WxH: the cells are the regions");
    for (const char* searchOnly : {"--grid", "--grid-count", "--strays", "--merge", "--speck", "--isolate"})
        if (given(searchOnly) && options.regionsFrom)
            throw UsageError(std::string(searchOnly) + " has nothing to do with --regions-from: the atlas's frames are the regions");
    if (given("--order") && sprites.gridded())
        throw UsageError("--order has nothing to do with --grid: cells are taken row by row");
    needs(given, {"--speck"}, sprites.shaping.merge.merges() || sprites.shaping.mergeAuto, "--merge: specks join the merged boxes");
    for (const char* searchOnly : {"--grid", "--grid-count", "--merge", "--speck", "--min-size", "--order", "--isolate", "--regions-from"})
        if (given(searchOnly) && sprites.whole)
            throw UsageError(std::string(searchOnly) + " has nothing to do with --whole: each picture is one region");
}

// Outputs for several pictures go into a folder a picture, named by its stem; frames packed
// together are named by it.
void checkStems(const Options& options)
{
    if (!options.several() || (!options.cropDir && !options.atlasDir && !options.pack))
        return;
    std::set<std::string> stems;
    for (const std::string& file : options.files) {
        const std::string stem = stemOf(file);
        if (stem.empty() || stem == "." || stem == "..")
            throw UsageError("'" + file + "' has no name to give its crops' folder, atlas or frames (its stem is '" + stem + "')");
        if (!stems.insert(stem).second)
            throw UsageError("two pictures are named '" + stem + "', so their crops, atlases or frames would take the same names");
    }
}

void checkOutputPaths(Options& options)
{
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
                            std::filesystem::path(*options.atlasDir) /
                                (stemOf(file) + "." + std::string(atlasExtension(options.request.outputs.atlas->layout))));
}

// The atlas's frames become the regions; its own names name the outputs unless --name does,
// and obey the same rules.
void readRegionsFrom(Options& options, const Given& given)
{
    try {
        options.request.atlasFrames = std::make_shared<const std::vector<NamedBox>>(readAtlasFile(*options.regionsFrom));
        // Each picture takes its own page's frames, whose names must be able to name files.
        for (const std::string& file : options.files.empty() ? std::vector<std::string>{""} : options.files) {
            const std::vector<NamedBox> frames = framesOfPicture(*options.request.atlasFrames, file);
            if (!given("--name") && (options.cropDir || options.atlased())) {
                std::vector<std::string> names;
                for (const NamedBox& frame : frames)
                    names.push_back(frame.name);
                checkFileNames(names);
            }
        }
    } catch (const Error& e) {
        throw UsageError("--regions-from: " + *options.regionsFrom + ": " + e.what());
    }
}

} // namespace

// What the chosen layout has no place for is refused, naming the layouts that have, rather
// than left out unsaid.
void checkLayoutHolds(const Options& options, const Given& given)
{
    if (!options.atlased())
        return;
    const AtlasLayout layout = options.request.outputs.atlas->layout;
    const std::string name(layoutName(layout));
    if (given("--animations") && layout == AtlasLayout::Array)
        throw UsageError("--animations: the array layout names its frames by their place in PixiJS, which then finds no animation's "
                         "frames; use --atlas-format hash or aseprite");
    if (given("--animations") && layout != AtlasLayout::Hash && layout != AtlasLayout::Aseprite)
        throw UsageError("--animations: the " + name + " layout has no animations; use --atlas-format hash or aseprite");
    if (given("--pack-rotate") && layout == AtlasLayout::Css)
        throw UsageError("--pack-rotate: the css layout cannot show a turned frame; use --atlas-format hash, array, aseprite, starling or libgdx");
    if (given("--anchor") && (layout == AtlasLayout::Libgdx || layout == AtlasLayout::Css))
        throw UsageError("--anchor: the " + name + " layout has no place for a pivot; use --atlas-format hash, array, aseprite or starling");
}

void checkTogether(Options& options, const CLI::App& app)
{
    const Given given = [&](const char* name) { return app.count(name) > 0; };
    checkCrops(options, given);
    checkAtlas(options, given);
    checkLayoutHolds(options, given);
    checkRegions(options, given);
    checkStems(options);
    checkOutputPaths(options);
    if (options.regionsFrom)
        readRegionsFrom(options, given);
}

} // namespace iconfinder::cli
