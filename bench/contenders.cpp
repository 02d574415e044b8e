#include "bench/contenders.h"

#include "formats/bmp/bmp_reader.h"
#include "grid/grid_guess.h"
#include "regions/icon_search.h"
#include "shaping/region_merge.h"
#include "tests/support/reference_search.h"

#ifdef HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#endif

using namespace iconfinder;

namespace bench {

std::size_t ourSearch(const PixelImage& picture) { return findRegions(picture, BackgroundRule::colour({255, 255, 255})).size(); }

std::size_t referenceSearch(PixelImage work) { return reference::findAll(work, reference::Rule::colourRule(kWhite)).size(); }

std::size_t floorPass(const PixelImage& picture)
{
    std::size_t count = 0;
    for (const Pixel p : picture.pixels())
        count += (p & kColourBits) != kColourBits;
    return count;
}

std::size_t ourDecode(const std::filesystem::path& file) { return bmp::readFile(file).pixelCount(); }

std::size_t ourMerge(const std::vector<RegionBox>& boxes, int distance, int speck)
{
    return mergeRegions(boxes, distance, speck).boxes.size();
}

std::size_t ourGridGuess(const std::vector<RegionBox>& boxes, int width, int height)
{
    const std::optional<GridSpec> grid = guessGrid(boxes, width, height);
    return grid ? static_cast<std::size_t>(grid->cellWidth) : 0;
}

#ifdef HAVE_OPENCV
std::size_t openCvLabelling(const PixelImage& picture, int algorithm)
{
    const cv::Mat pixels(picture.height(), picture.width(), CV_8UC4, const_cast<Pixel*>(picture.pixels().data()));
    // Kept from one call to the next, so that OpenCV reuses its output buffers as a caller would.
    static cv::Mat background, foreground, labels, stats, centroids;
    cv::inRange(pixels, cv::Scalar(255, 255, 255, 0), cv::Scalar(255, 255, 255, 255), background);
    cv::bitwise_not(background, foreground);
    return static_cast<std::size_t>(cv::connectedComponentsWithStats(foreground, labels, stats, centroids, 8, CV_32S, algorithm));
}

std::size_t openCvDecode(const std::filesystem::path& file)
{
    return cv::imread(file.string(), cv::IMREAD_UNCHANGED).total();
}
#endif

} // namespace bench
