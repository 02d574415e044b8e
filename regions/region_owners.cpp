#include "regions/region_owners.h"

#include "regions/region_extraction.h"

#include <bit>

namespace iconfinder {

RegionOwners::RegionOwners(int width, int height)
    : width_(width), labels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), true)
{
}

void RegionOwners::relabel(std::span<const std::uint32_t> newLabel)
{
    std::uint32_t* label = labels_.data();
    for (std::size_t i = 0; i < labels_.size(); ++i)
        if (label[i] != 0)
            label[i] = newLabel[label[i] - 1];
}

std::vector<RegionBox> extractOwnedRegions(ForegroundMask& work, RegionOwners& owners)
{
    // A call changes pixels only inside the box it reports, and only from foreground to
    // background: the pixels of that box still foreground in `untaken` but no longer in
    // `work` are exactly the ones it took.
    ForegroundMask untaken = work.copy();
    RegionExtraction extraction(work);
    while (extraction.FindOneRegion()) {
        const RegionBox& box = extraction.boxes().back();
        const auto label = static_cast<std::uint32_t>(extraction.boxes().size());
        const int firstWord = box.minX >> 6, lastWord = box.maxX >> 6;
        for (int y = box.minY; y <= box.maxY; ++y) {
            std::uint64_t* before = untaken.row(y);
            const std::uint64_t* after = work.row(y);
            std::uint32_t* labels = owners.row(y);
            for (int word = firstWord; word <= lastWord; ++word) {
                std::uint64_t taken = before[word] & ~after[word];
                before[word] &= ~taken;
                for (; taken != 0; taken &= taken - 1)
                    labels[word * 64 + std::countr_zero(taken)] = label;
            }
        }
    }
    return extraction.takeBoxes();
}

} // namespace iconfinder
