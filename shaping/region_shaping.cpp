#include "shaping/region_shaping.h"

#include "shaping/merge_auto.h"

namespace iconfinder {

ShapedRegions shapeRegions(std::span<const RegionBox> found, const Shaping& shaping)
{
    const MergeDistance distance = shaping.mergeAuto ? autoMergeDistance(found) : shaping.merge;
    const MergedRegions merged = mergeRegions(found, distance, shaping.speck);
    // Regions too small are still found and erased: only their output goes.
    std::vector<RegionBox> kept;
    std::vector<std::uint32_t> keptAs(merged.boxes.size(), 0);
    for (std::size_t i = 0; i < merged.boxes.size(); ++i) {
        const RegionBox& box = merged.boxes[i];
        if (box.width() >= shaping.minWidth && box.height() >= shaping.minHeight) {
            kept.push_back(box);
            keptAs[i] = static_cast<std::uint32_t>(kept.size());
        }
    }
    ShapedRegions shaped;
    shaped.merged = distance;
    shaped.regions = orderRegions(kept, shaping.order);
    std::vector<std::uint32_t> placedAs(kept.size());
    for (std::size_t place = 0; place < shaped.regions.size(); ++place)
        placedAs[shaped.regions[place].source] = static_cast<std::uint32_t>(place + 1);
    shaped.labelOf.reserve(found.size());
    for (const std::uint32_t group : merged.groupOf)
        shaped.labelOf.push_back(keptAs[group] == 0 ? 0 : placedAs[keptAs[group] - 1]);
    return shaped;
}

} // namespace iconfinder
