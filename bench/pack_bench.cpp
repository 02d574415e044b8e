// How well the packer fills its pages and how long it takes: for each sheet, the frames with
// their padding over the area of the pages they go on, the time of the placing alone and of
// the whole packing (cutting, trimming, placing, copying). With a folder, each sheet's padded
// frame sizes are written there as JSON too, for the peers in pack_peers.mjs.
//   pack_bench [SIZES-FOLDER]
#include "pack/pack.h"
#include "pack/packer.h"
#include "resources/sample_picture.h"
#include "regions/icon_search.h"
#include "tests/support/pictures.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace iconfinder;

namespace {

// Sprites from `smallest` to `largest` pixels a side, in rows on white.
PixelImage mixedSheet(int width, int height, std::uint64_t seed, int smallest, int largest)
{
    pictures::Random random(seed);
    PixelImage sheet(width, height, pictures::kWhite);
    for (int y = 2; y + smallest < height;) {
        int rowHeight = 0;
        for (int x = 2; x + smallest < width;) {
            const int w = random.between(smallest, largest), h = random.between(smallest, largest);
            if (x + w >= width || y + h >= height)
                break;
            for (int yy = y; yy < y + h; ++yy)
                for (int xx = x; xx < x + w; ++xx)
                    sheet.at(xx, yy) = makePixel(static_cast<std::uint8_t>(40 + (xx * 7) % 200), 30, static_cast<std::uint8_t>(yy % 250));
            x += w + 3;
            rowHeight = std::max(rowHeight, h);
        }
        y += rowHeight + 3;
    }
    return sheet;
}

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::pair<std::string, std::function<PixelImage()>>> sheets = {
        {"sample-395x308", [] { return samplePicture(); }},
        {"icons-1024-cells-31", [] { return pictures::iconSheet(1024, 1024, 1); }},
        {"icons-2048x1024-cells-47", [] { return pictures::iconSheet(2048, 1024, 2, 47); }},
        {"same-size-32", [] { return mixedSheet(530, 290, 6, 32, 32); }},
        {"mixed-1024", [] { return mixedSheet(1024, 1024, 3, 8, 120); }},
        {"mixed-2048", [] { return mixedSheet(2048, 2048, 4, 8, 120); }},
        {"small-4096", [] { return mixedSheet(4096, 4096, 5, 4, 40); }},
    };
    const PackStyle pack;
    std::printf("%-26s %7s %6s %11s %9s %9s %9s %8s %9s\n", "sheet", "frames", "pages", "first page", "occupancy", "place ms", "pack ms",
                "turning", "place ms");
    for (const auto& [name, make] : sheets) {
        const PixelImage sheet = make();
        const BackgroundRule rule = BackgroundRule::colour({255, 255, 255});
        std::vector<PlacedRegion> regions;
        std::vector<std::string> names;
        for (const RegionBox& box : findRegions(sheet, rule)) {
            regions.push_back({box, 0, 0, regions.size()});
            names.push_back(std::to_string(regions.size()));
        }
        auto start = std::chrono::steady_clock::now();
        const PackedAtlas packed = packPieces(framePieces(sheet, regions, names, rule, CropStyle{}, nullptr), CropStyle{}, pack);
        const double packMs = msSince(start);
        std::vector<std::pair<int, int>> sizes;
        double used = 0, pages = 0;
        for (const AtlasFrame& frame : packed.frames) {
            sizes.emplace_back(frame.box.width() + 2 * pack.extrude, frame.box.height() + 2 * pack.extrude);
            used += static_cast<double>(sizes.back().first + pack.padding) * (sizes.back().second + pack.padding);
        }
        for (const PixelImage& page : packed.pages)
            pages += static_cast<double>(page.width() + pack.padding) * (page.height() + pack.padding);
        start = std::chrono::steady_clock::now();
        packRectangles(sizes, pack.padding, pack.largest, pack.powerOfTwo);
        const double placeMs = msSince(start);
        // The same frames when they may turn (--pack-rotate).
        start = std::chrono::steady_clock::now();
        const std::optional<PackedPages> turning = packRectangles(sizes, pack.padding, pack.largest, pack.powerOfTwo, true);
        const double turningMs = msSince(start);
        double turnedPages = 0;
        for (const auto& [w, h] : turning->pageSizes)
            turnedPages += static_cast<double>(w + pack.padding) * (h + pack.padding);
        std::printf("%-26s %7zu %6zu %5dx%-5d %9.3f %9.1f %9.1f %8.3f %9.1f\n", name.c_str(), regions.size(), packed.pages.size(),
                    packed.pages.front().width(), packed.pages.front().height(), used / pages, placeMs, packMs, used / turnedPages, turningMs);
        if (argc > 1) {
            std::ofstream out(std::string(argv[1]) + "/" + name + ".json");
            out << "{\"padding\":" << pack.padding << ",\"largest\":" << pack.largest << ",\"sizes\":[";
            for (std::size_t i = 0; i < sizes.size(); ++i)
                out << (i ? "," : "") << "[" << sizes[i].first << "," << sizes[i].second << "]";
            out << "]}\n";
        }
    }
    return 0;
}
