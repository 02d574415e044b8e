#include "cli/search_job.h"

#include "common/errors.h"
#include "common/printable.h"
#include "present/report.h"
#include "regions/icon_search.h"
#include "resources/sample_picture.h"
#include "slice/slicing.h"

#include <filesystem>
#include <memory>
#include <new>

namespace iconfinder::cli {
namespace {

namespace fs = std::filesystem;

// The request for one picture: its outputs' paths, a folder a picture when there are several.
SliceRequest requestFor(const Options& options, const std::optional<std::string>& file, const std::string& stem)
{
    SliceRequest request = options.request;
    if (request.atlasFrames && file)
        request.atlasFrames = std::make_shared<const std::vector<NamedBox>>(framesOfPicture(*request.atlasFrames, *file));
    SliceOutputs& outputs = request.outputs;
    if (options.framed)
        outputs.framed = *options.framed;
    if (options.cropDir)
        outputs.cropFolder = options.several() ? fs::path(*options.cropDir) / stem : fs::path(*options.cropDir);
    if (outputs.atlas) {
        const std::string name = stem + "." + std::string(atlasExtension(outputs.atlas->layout));
        outputs.atlas->path = options.atlas ? fs::path(*options.atlas) : fs::path(*options.atlasDir) / name;
        outputs.atlas->makeFolder = !options.atlas; // like the crops' folder, the atlases' is made when missing
        if (options.pack)
            outputs.atlas->pack = *options.pack;
    }
    return request;
}

const char* optionOf(OutputKind kind)
{
    switch (kind) {
    case OutputKind::Framed: return "--framed";
    case OutputKind::Crop: return "--crop";
    case OutputKind::Atlas: return "--atlas";
    case OutputKind::Pack: return "--pack";
    }
    return "";
}

OutputCheck checkerFor(const Options& options)
{
    return [&options](OutputKind kind, const fs::path& path) {
        if (!options.inputs.empty())
            checkOutputPath(options, optionOf(kind), path);
    };
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

// One picture's search, its failures told by exceptions that searchPicture turns into
// messages and a status.
void slicePicture(const Options& options, const std::optional<std::string>& file, const std::function<void(std::string_view)>& print,
                  const char*& stage, std::string& notes, const PackSlot& slot)
{
    const std::string stem = stemOf(file);
    const SliceRequest request = requestFor(options, file, stem);
    stage = "reading the picture";
    SlicePicture picture;
    {
        std::unique_ptr<ByteSource> source;
        if (file)
            source = std::make_unique<FileSource>(*file);
        else
            source = std::make_unique<MemorySource>(samplePictureFile());
        picture = readForSlicing(*source, request);
    }
    const std::string prefix = options.several() ? printable(file.value_or("(sample picture)")) + ":" : "";
    SearchSummary summary{file, picture.format, picture.mask.width(), picture.mask.height(), picture.rule, std::nullopt, std::nullopt};
    stage = "searching";
    if (request.boxesAsFound())
        return printAsFound(options, summary, prefix, picture.mask, print);
    const Slices slices = cutSlices(picture.mask, request, stem);
    stage = "writing the outputs";
    std::size_t kept = 0;
    const SourcePicture source{picture.pixels ? &*picture.pixels : nullptr, picture.mask.width(), picture.mask.height(), picture.format,
                               picture.rule, file.value_or(""), stem};
    if (slot.together)
        slot.together->add(slot.index, source, slices, request.outputs);
    else if (request.outputs.framed || request.outputs.named())
        kept = writeSlices(source, slices, request.outputs, checkerFor(options));
    if (kept > 0)
        notes += "find-icons: " + printable(request.outputs.cropFolder->string()) + ": " + std::to_string(kept) + " older file" +
                 (kept == 1 ? "" : "s") + " kept beside the " + std::to_string(slices.placed.size()) + " written\n";
    stage = "printing the regions";
    std::string text;
    if (options.format == Format::Json) {
        summary.grid = slices.grid;
        summary.autoMerge = slices.autoMerge;
        text = jsonReport(summary, slices.placed);
    } else {
        appendLines(text, slices.placed, prefix);
    }
    print(text);
}

} // namespace

JobResult searchPicture(const Options& options, const std::optional<std::string>& file, const std::function<void(std::string_view)>& print,
                        const PackSlot& slot)
{
    JobResult result;
    const std::string shown = file.value_or("(sample picture)");
    const auto fail = [&](const std::string& path, const std::string& reason, int status) {
        result.err += "find-icons: " + printable(path) + ": " + printable(reason) + "\n";
        if (options.format == Format::Json && options.several())
            print(jsonFailure(shown, reason));
        result.status = status;
        return result;
    };
    const char* stage = "reading the picture";
    try {
        slicePicture(options, file, print, stage, result.err, slot);
    } catch (const GridMisfit& e) {
        return fail(shown, std::string(options.request.sprites.gridCount ? "--grid-count: " : "--grid: ") + e.what(), 2);
    } catch (const NoGridFound& e) {
        return fail(shown, e.what(), 1);
    } catch (const FrameMisfit& e) {
        return fail(shown, "--regions-from: " + options.regionsFrom.value_or("") + ": " + e.what(), 1);
    } catch (const OnePageOnly& e) {
        return fail(shown, "--atlas-format: " + std::string(e.what()) + " (raise --pack-max)", 1);
    } catch (const InputError& e) {
        return fail(shown, "--name '" + options.namePattern + "': " + e.what(), 2);
    } catch (const UsageError& e) {
        return fail(shown, e.what(), 2);
    } catch (const IoError& e) {
        return fail(e.path().empty() ? shown : e.path(), e.what(), 1);
    } catch (const Error& e) {
        return fail(shown, e.what(), 1);
    } catch (const std::bad_alloc&) {
        return fail(shown, std::string("not enough memory (") + stage + ")", 1);
    }
    return result;
}

JobResult writePackedTogether(const Options& options, PackedTogether& together)
{
    JobResult result{"", 1};
    try {
        together.write(requestFor(options, std::nullopt, "").outputs, checkerFor(options));
        result.status = 0;
    } catch (const IoError& e) {
        result.err = "find-icons: " + printable(e.path().empty() ? *options.atlas : e.path()) + ": " + printable(e.what()) + "\n";
    } catch (const Error& e) {
        result.err = "find-icons: " + printable(*options.atlas) + ": " + printable(e.what()) + "\n";
    } catch (const std::bad_alloc&) {
        result.err = "find-icons: " + printable(*options.atlas) + ": not enough memory (packing)\n";
    }
    return result;
}

} // namespace iconfinder::cli
