#include "cli/search_job.h"

#include "common/errors.h"
#include "common/printable.h"
#include "formats/output_file.h"
#include "present/atlas.h"
#include "present/frames.h"
#include "present/report.h"
#include "resources/sample_picture.h"
#include "search/auto_background.h"
#include "search/icon_search.h"
#include "search/sprite_search.h"

#include <filesystem>
#include <memory>
#include <new>

namespace iconfinder::cli {
namespace {

namespace fs = std::filesystem;

// A picture read and made into a mask; the picture itself only when an output needs its
// pixels or the background is chosen from it.
struct Picture {
    FileFormat format = FileFormat::Bmp;
    std::optional<PixelImage> pixels;
    ForegroundMask mask;
    BackgroundRule rule = BackgroundRule::colour({255, 255, 255});
};

BackgroundRule chosenRule(const Options& options)
{
    if (options.background == Background::Transparent)
        return BackgroundRule::transparent(static_cast<std::uint8_t>(options.tolerance));
    return BackgroundRule::colour(resolve(options.colour), static_cast<std::uint8_t>(options.tolerance));
}

Picture readPicture(const Options& options, ByteSource& source)
{
    Picture picture;
    const bool keepPixels = options.framed || options.cropDir || options.pack;
    if (!keepPixels) {
        // The automatic background is chosen from the border, read first on its own, so that
        // the picture is never held.
        if (options.background == Background::Auto) {
            BorderCollector border;
            decodePicture(source, border);
            picture.rule = autoBackground(border.border(), static_cast<std::uint8_t>(options.tolerance));
        } else {
            picture.rule = chosenRule(options);
        }
        MaskBuilder builder(picture.rule);
        picture.format = decodePicture(source, builder);
        picture.mask = builder.take();
        return picture;
    }
    PictureBuilder builder;
    picture.format = decodePicture(source, builder);
    picture.pixels = builder.take();
    picture.rule = options.background == Background::Auto
                       ? autoBackground(borderOf(*picture.pixels), static_cast<std::uint8_t>(options.tolerance))
                       : chosenRule(options);
    picture.mask = maskOf(*picture.pixels, picture.rule);
    return picture;
}

// The regions to present, and what else they were found with: the sprites cut, or an atlas's
// frames with their own names.
struct Regions : Sprites {
    std::vector<std::string> names;
};

Regions regionsOf(const Options& options, ForegroundMask& mask)
{
    if (!options.regionsFrom)
        return {findSprites(mask, options.sprites), {}};
    Regions regions;
    const int width = mask.width(), height = mask.height();
    for (const NamedBox& frame : options.atlasFrames) {
        if (frame.box.maxX >= width || frame.box.maxY >= height)
            throw Error("frame '" + frame.name + "' of " + *options.regionsFrom + " leaves the picture (" + std::to_string(width) +
                        " x " + std::to_string(height) + ")");
        regions.placed.push_back({frame.box, 0, 0, regions.placed.size()});
        regions.names.push_back(frame.name);
    }
    return regions;
}

// Writes the files the options ask for; throws IoError naming the path that failed.
void writeOutputs(const Options& options, const std::optional<std::string>& file, Picture& picture, const Regions& found,
                  const std::vector<std::string>& names)
{
    const std::vector<PlacedRegion>& regions = found.placed;
    // All of the picture's outputs or none of them.
    OutputBatch batch;
    const std::string stem = stemOf(file);
    const std::vector<RegionBox> boxes = boxesOf(regions);
    if (options.cropDir) {
        CropStyle style = options.crop;
        style.format = cropFormatFor(options.cropFormat, options.crop.transparent, picture.format);
        const fs::path folder = options.several() ? fs::path(*options.cropDir) / stem : fs::path(*options.cropDir);
        if (!options.inputs.empty())
            for (const std::string& name : names)
                checkOutputPath(options, "--crop", folder / (name + "." + std::string(formatName(style.format))));
        writeCrops(batch, *picture.pixels, boxes, names, folder, picture.rule, style, found.owners ? &*found.owners : nullptr);
    }
    if (options.framed) {
        drawFrames(*picture.pixels, boxes);
        batch.addFile(*options.framed, [&](ByteWriter& out) { encodePicture(*picture.pixels, *formatOfName(*options.framed), out); });
    }
    if (options.atlased()) {
        // Like the crops' folder, the atlases' is made when missing.
        const std::string name = stem + "." + std::string(atlasExtension(options.atlasLayout));
        const fs::path path = options.atlas ? fs::path(*options.atlas) : fs::path(*options.atlasDir) / name;
        Atlas atlas;
        if (options.pack) {
            // The frames packed into pictures of their own, which the atlas points at instead.
            PackedAtlas packed = packFrames(*picture.pixels, regions, names, picture.rule, options.crop,
                                            found.owners ? &*found.owners : nullptr, options.packing);
            const fs::path out(*options.pack);
            for (std::size_t page = 0; page < packed.pages.size(); ++page) {
                const fs::path image = packed.pages.size() == 1 ? out
                                                                : out.parent_path() / (out.stem().string() + "-" + std::to_string(page + 1) + ".png");
                if (!options.inputs.empty())
                    checkOutputPath(options, "--pack", image);
                atlas.pages.push_back({atlasImagePath(path, image.string()), packed.pages[page].width(), packed.pages[page].height()});
                batch.addFile(image, [&](ByteWriter& bytes) { encodePicture(packed.pages[page], FileFormat::Png, bytes); });
            }
            atlas.frames = std::move(packed.frames);
        } else {
            atlas.pages.push_back({atlasImagePath(path, *file), picture.mask.width(), picture.mask.height()});
            const bool trimmedCells = found.grid && options.sprites.trim;
            atlas.frames = framesOf(regions, names, options.crop, trimmedCells ? &*found.grid : nullptr);
        }
        atlas.anchor = options.anchor;
        if (options.animationsByColumns)
            atlas.animations = animationsOf(regions, *options.animationsByColumns, options.animationName, stem);
        atlas.frameDuration = options.frameDuration;
        for (const auto& file : atlasFiles(atlas, options.atlasLayout, path)) {
            const auto write = [&](ByteWriter& out) { out.write(file.second); };
            if (options.atlas)
                batch.addFile(file.first, write);
            else
                batch.addFiles(*options.atlasDir, {file.first.filename().string()}, [&](std::size_t, ByteWriter& out) { write(out); });
        }
    }
    batch.commit();
}

// Whether the regions go nowhere but to the lines or JSON, in the order found.
bool printedOnly(const Options& options)
{
    const Shaping& shaping = options.sprites.shaping;
    return !options.sprites.gridded() && !options.regionsFrom && !shaping.merge.merges() && shaping.minWidth <= 1 && shaping.minHeight <= 1 &&
           shaping.order == RegionOrder::Search && !options.framed && !options.cropDir && !options.atlas && !options.atlasDir;
}

// Prints the regions as they are found, a piece at a time.
void printAsFound(const Options& options, const SearchSummary& summary, const std::string& prefix, ForegroundMask& mask,
                  const std::function<void(std::string_view)>& print)
{
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    const bool json = options.format == Format::Json;
    std::string text = json ? jsonReportStart(summary) : std::string();
    bool first = true;
    extractRegions(mask, [&](const RegionBox& box) {
        if (json)
            appendJsonRegion(text, box, first);
        else
            appendLine(text, box, prefix);
        first = false;
        if (text.size() >= kPiece) {
            print(text);
            text.clear();
        }
    });
    if (json)
        text += kJsonReportEnd;
    print(text);
}

} // namespace

JobResult searchPicture(const Options& options, const std::optional<std::string>& file,
                        const std::function<void(std::string_view)>& print)
{
    JobResult result;
    const std::string shown = printable(file.value_or("(sample picture)"));
    const auto fail = [&](const std::string& path, const std::string& reason, int status) {
        result.err += "find-icons: " + printable(path) + ": " + printable(reason) + "\n";
        if (options.format == Format::Json && options.several())
            print(jsonFailure(file.value_or("(sample picture)"), reason));
        result.status = status;
        return result;
    };

    Picture picture;
    try {
        std::unique_ptr<ByteSource> source;
        if (file)
            source = std::make_unique<FileSource>(*file);
        else
            source = std::make_unique<MemorySource>(samplePictureFile());
        picture = readPicture(options, *source);
    } catch (const Error& e) {
        return fail(shown, e.what(), 1);
    } catch (const std::bad_alloc&) {
        return fail(shown, "not enough memory (reading the picture)", 1);
    }
    const std::string prefix = options.several() ? shown + ":" : "";
    const SearchSummary summary{file, picture.format, picture.mask.width(), picture.mask.height(), picture.rule, std::nullopt};
    if (printedOnly(options)) {
        try {
            printAsFound(options, summary, prefix, picture.mask, print);
        } catch (const std::bad_alloc&) {
            return fail(shown, "not enough memory (searching)", 1);
        }
        return result;
    }
    Regions found;
    try {
        found = regionsOf(options, picture.mask);
    } catch (const GridMisfit& e) {
        return fail(shown, e.what(), 2);
    } catch (const Error& e) {
        return fail(shown, e.what(), 1);
    } catch (const std::bad_alloc&) {
        return fail(shown, "not enough memory (searching)", 1);
    }
    const std::vector<PlacedRegion>& regions = found.placed;
    try {
        const bool named = options.cropDir || options.atlas || options.atlasDir;
        const bool ownNames = options.regionsFrom && !options.nameGiven;
        const std::vector<std::string> names = !named    ? std::vector<std::string>{}
                                               : ownNames ? found.names
                                                          : namesFor(options.name, regions, stemOf(file));
        writeOutputs(options, file, picture, found, names);
    } catch (const InputError& e) {
        return fail(shown, "--name '" + options.namePattern + "': " + e.what(), 2);
    } catch (const UsageError& e) {
        return fail(shown, e.what(), 2);
    } catch (const IoError& e) {
        return fail(e.path().empty() ? shown : e.path(), e.what(), 1);
    } catch (const Error& e) {
        return fail(shown, e.what(), 1);
    } catch (const std::bad_alloc&) {
        return fail(shown, "not enough memory (writing the outputs)", 1);
    }

    try {
        std::string text;
        if (options.format == Format::Json) {
            SearchSummary withGrid = summary;
            withGrid.grid = found.grid;
            text = jsonReport(withGrid, regions);
        } else {
            appendLines(text, regions, prefix);
        }
        print(text);
    } catch (const std::bad_alloc&) {
        return fail(shown, "not enough memory (printing the regions)", 1);
    }
    return result;
}

} // namespace iconfinder::cli
