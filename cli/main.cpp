// find-icons: the icon search on the command line.
#include "bmp_reader.h"
#include "bmp_writer.h"
#include "icon_search.h"
#include "options.h"
#include "report.h"
#include "sample_picture.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

using namespace iconfinder;

namespace {

// An output that could not be written; names the path it concerns.
struct OutputError {
    std::string path;
    std::string reason;
};

void writeCrops(const PixelImage& picture, const StringList& lines, const std::filesystem::path& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir))
        throw OutputError{dir.string(), "cannot create directory: " + (error ? error.message() : "a file of that name exists")};
    StringList Fields;
    for (std::size_t i = 0; i < lines.count(); ++i) {
        const RegionBox box = parseResultLine(lines[i], Fields);
        char name[32];
        std::snprintf(name, sizeof name, "icon-%04zu.bmp", i + 1);
        const std::filesystem::path path = dir / name;
        try {
            bmp::writeFile(cropped(picture, {box.minX, box.minY, box.maxX + 1, box.maxY + 1}), path);
        } catch (const std::exception& e) {
            throw OutputError{path.string(), e.what()};
        }
    }
}

int run(const cli::Options& options)
{
    const std::string shownName = options.file.value_or("(sample picture)");
    PixelImage picture;
    try {
        picture = options.file ? bmp::readFile(*options.file) : samplePicture();
    } catch (const std::exception& e) {
        std::cerr << "find-icons: " << shownName << ": " << e.what() << "\n";
        return 1;
    }
    const int width = picture.width();
    const int height = picture.height();

    try {
        // With nothing to draw, the search may consume the decoded picture instead of a copy.
        const bool keepPicture = options.framedOut || options.cropDir;
        const StringList lines = keepPicture ? extractRegions(picture, options.background)
                                             : extractRegions(std::move(picture), options.background);
        if (options.cropDir)
            writeCrops(picture, lines, *options.cropDir);
        if (options.framedOut) {
            drawFrames(picture, lines);
            try {
                bmp::writeFile(picture, *options.framedOut);
            } catch (const std::exception& e) {
                throw OutputError{*options.framedOut, e.what()};
            }
        }
        if (options.format == cli::Format::Json)
            cli::printJson(std::cout, options.file, width, height, options.background, lines);
        else
            cli::printLines(std::cout, lines);
    } catch (const OutputError& e) {
        std::cerr << "find-icons: " << e.path << ": " << e.reason << "\n";
        return 1;
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "find-icons: cannot write the results to standard output\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    cli::Options options;
    try {
        options = cli::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::UsageError& e) {
        std::cerr << "find-icons: " << e.what() << "\nTry 'find-icons --help' for more information.\n";
        return 2;
    }
    if (options.help) {
        std::cout << cli::kUsage;
        return 0;
    }
    if (options.version) {
        std::cout << "find-icons " ICONFINDER_VERSION "\n";
        return 0;
    }
    return run(options);
}
