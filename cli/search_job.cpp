#include "search_job.h"

#include "atlas.h"
#include "auto_background.h"
#include "errors.h"
#include "icon_search.h"
#include "output_file.h"
#include "region_merge.h"
#include "report.h"
#include "sample_picture.h"

#include <filesystem>
#include <memory>

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
    const bool keepPixels = options.framed || options.cropDir || options.background == Background::Auto;
    if (!keepPixels) {
        picture.rule = chosenRule(options);
        MaskBuilder builder(picture.rule);
        picture.format = decodePicture(source, builder);
        picture.mask = builder.take();
        return picture;
    }
    PictureBuilder builder;
    picture.format = decodePicture(source, builder);
    picture.pixels = builder.take();
    picture.rule = options.background == Background::Auto ? autoBackground(*picture.pixels, static_cast<std::uint8_t>(options.tolerance))
                                                           : chosenRule(options);
    picture.mask = maskOf(*picture.pixels, picture.rule);
    return picture;
}

std::vector<PlacedRegion> regionsOf(const Options& options, ForegroundMask& mask)
{
    const std::vector<RegionBox> found = extractRegions(mask);
    const std::vector<RegionBox> merged = mergeRegions(found, options.merge);
    const std::vector<RegionBox> kept = withMinimumSize(merged, options.minWidth, options.minHeight);
    return orderRegions(kept, options.order);
}

std::string imagePathFrom(const fs::path& atlas, const std::string& file)
{
    const fs::path image = fs::absolute(file).lexically_normal();
    const fs::path relative = image.lexically_relative(fs::absolute(atlas).parent_path().lexically_normal());
    return (relative.empty() ? image : relative).generic_string();
}

// Writes the files the options ask for; throws IoError naming the path that failed.
void writeOutputs(const Options& options, const std::optional<std::string>& file, Picture& picture,
                  const std::vector<PlacedRegion>& regions, const std::vector<std::string>& names)
{
    const std::string stem = stemOf(file);
    std::vector<RegionBox> boxes;
    for (const PlacedRegion& region : regions)
        boxes.push_back(region.box);
    if (options.cropDir) {
        CropStyle style = options.crop;
        style.format = options.cropFormat.value_or(options.crop.transparent ? FileFormat::Png : picture.format);
        const fs::path folder = options.several() ? fs::path(*options.cropDir) / stem : fs::path(*options.cropDir);
        writeCrops(*picture.pixels, boxes, names, folder, picture.rule, style);
    }
    if (options.framed) {
        drawFrames(*picture.pixels, boxes);
        writePictureFile(*picture.pixels, *formatOfName(*options.framed), *options.framed);
    }
    if (options.atlas) {
        const std::string text = atlasJson(regions, names, imagePathFrom(*options.atlas, *file), picture.mask.width(),
                                           picture.mask.height(), options.atlasLayout);
        writeWholeFile(*options.atlas, [&](ByteWriter& out) { out.write(text); });
    }
    if (options.atlasDir) {
        // Like the crops' folder, the atlases' is made when missing.
        const std::string name = stem + ".json";
        const std::string text = atlasJson(regions, names, imagePathFrom(fs::path(*options.atlasDir) / name, *file),
                                           picture.mask.width(), picture.mask.height(), options.atlasLayout);
        writeFilesInFolder(*options.atlasDir, {name}, [&](std::size_t, ByteWriter& out) { out.write(text); });
    }
}

} // namespace

JobResult searchPicture(const Options& options, const std::optional<std::string>& file)
{
    JobResult result;
    const std::string shown = file.value_or("(sample picture)");
    const auto fail = [&](const std::string& path, const std::string& reason, int status) {
        result.err += "find-icons: " + path + ": " + reason + "\n";
        if (options.format == Format::Json && options.several())
            result.out = jsonFailure(shown, reason);
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
    }
    const std::vector<PlacedRegion> regions = regionsOf(options, picture.mask);
    try {
        const bool named = options.cropDir || options.atlas || options.atlasDir;
        const std::vector<std::string> names = named ? namesFor(options.name, regions, stemOf(file)) : std::vector<std::string>{};
        writeOutputs(options, file, picture, regions, names);
    } catch (const std::invalid_argument& e) {
        return fail(shown, "--name '" + options.namePattern + "' " + e.what(), 2);
    } catch (const IoError& e) {
        return fail(e.path().empty() ? shown : e.path(), e.what(), 1);
    }

    if (options.format == Format::Json) {
        result.out = jsonReport({file, picture.format, picture.mask.width(), picture.mask.height(), picture.rule}, regions);
    } else {
        appendLines(result.out, regions, options.several() ? shown + ":" : "");
    }
    return result;
}

} // namespace iconfinder::cli
