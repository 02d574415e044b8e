// How well the packer fills its pages: for sheets of at least 50 frames, the frames with their
// padding (and extrusion) over the area of the single page they go on, and the time it takes.
//   pack_bench
#include "pack/pack.h"
#include "resources/sample_picture.h"
#include "regions/icon_search.h"
#include "tests/support/pictures.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace iconfinder;

namespace {

// Sprites of very different sizes, 8 to 120 pixels a side, in rows on white.
PixelImage mixedSheet(int width, int height, std::uint64_t seed)
{
    pictures::Random random(seed);
    PixelImage sheet(width, height, pictures::kWhite);
    for (int y = 2; y + 8 < height;) {
        int rowHeight = 0;
        for (int x = 2; x + 8 < width;) {
            const int w = random.between(8, 120), h = random.between(8, 120);
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

} // namespace

int main()
{
    const std::vector<std::pair<std::string, std::function<PixelImage()>>> sheets = {
        {"sample 395x308", [] { return samplePicture(); }},
        {"icons 1024, cells 31", [] { return pictures::iconSheet(1024, 1024, 1); }},
        {"icons 2048x1024, cells 47", [] { return pictures::iconSheet(2048, 1024, 2, 47); }},
        {"mixed 1024", [] { return mixedSheet(1024, 1024, 3); }},
        {"mixed 2048", [] { return mixedSheet(2048, 2048, 4); }},
    };
    std::printf("%-28s %7s %7s %11s %9s %8s\n", "sheet", "frames", "pages", "page", "occupancy", "ms");
    double sum = 0;
    int counted = 0;
    for (const auto& [name, make] : sheets) {
        const PixelImage sheet = make();
        const BackgroundRule rule = BackgroundRule::colour({255, 255, 255});
        std::vector<PlacedRegion> regions;
        std::vector<std::string> names;
        for (const RegionBox& box : findRegions(sheet, rule)) {
            regions.push_back({box, 0, 0, regions.size()});
            names.push_back(std::to_string(regions.size()));
        }
        const PackStyle pack;
        const auto start = std::chrono::steady_clock::now();
        const PackedAtlas packed = packFrames(sheet, regions, names, rule, CropStyle{}, nullptr, pack);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        double used = 0;
        for (const AtlasFrame& frame : packed.frames)
            used += static_cast<double>(frame.box.width() + 2 * pack.extrude + pack.padding) * (frame.box.height() + 2 * pack.extrude + pack.padding);
        const PixelImage& page = packed.pages.front();
        const double occupancy = used / (static_cast<double>(page.width()) * page.height());
        if (packed.pages.size() == 1) {
            sum += occupancy;
            ++counted;
        }
        std::printf("%-28s %7zu %7zu %5dx%-5d %9.3f %8.1f\n", name.c_str(), regions.size(), packed.pages.size(), page.width(),
                    page.height(), occupancy, ms);
    }
    std::printf("\nmean occupancy of single-page results: %.3f\n", counted ? sum / counted : 0.0);
    return 0;
}
