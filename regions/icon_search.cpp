#include "regions/icon_search.h"

#include "regions/region_extraction.h"

namespace iconfinder {

std::vector<RegionBox> extractRegions(ForegroundMask& work)
{
    RegionExtraction extraction(work);
    while (extraction.FindOneRegion()) {
    }
    return extraction.takeBoxes();
}

void extractRegions(ForegroundMask& work, const std::function<void(const RegionBox&)>& found)
{
    RegionExtraction extraction(work);
    while (extraction.FindOneRegion()) {
        found(extraction.boxes().back());
        extraction.forgetBoxes();
    }
}

std::vector<RegionBox> findRegions(const PixelImage& picture, const BackgroundRule& rule)
{
    ForegroundMask work = maskOf(picture, rule);
    return extractRegions(work);
}

} // namespace iconfinder
