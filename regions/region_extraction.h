#pragma once

#include "image/large_buffer.h"
#include "mask/foreground_mask.h"
#include "regions/pending_queue.h"
#include "regions/region_box.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace iconfinder {

// How one region is taken out of the working mask.
//
// FindOneRegion finds the first foreground pixel in raster order (the seed), takes every
// foreground pixel 8-connected to it, turning them into background, erases the region's box
// and records the box.
//
// Why the seed scan may resume after the previous seed: everything before that seed was
// background when it was found, and a search only ever turns pixels into background. It
// skips whole empty words, and whole runs of them through the row summary (below).
//
// Why each pixel is taken once: pixels are taken a whole horizontal run at a time, 64 to a
// word. The runs taken last in a row (its frontier) offer the rows above and below the pixels
// they touch: the frontier widened by one column each way. Of each row offered, every
// foreground run holding an offered pixel is taken whole, computed for all runs of a word at
// once (an addition carries a fill to the right, a shift-and-mask ladder to the left), cleared
// from the mask and made that row's frontier. Inside its own row a run is maximal, so these
// are exactly the 8-neighbours of what was taken. A taken pixel reads as background and is
// never offered again, so the work is linear in the words the region touches; which frontier
// is visited first does not change the result, which depends only on the seed and the pixels
// connected to it.
//
// Why the erase leaves the last column and row: the box is erased as the rectangle
// (minX, minY, maxX, maxY) with right and bottom excluded (erasedBy, region_box.h), so it
// covers columns minX .. maxX-1 of rows minY .. maxY-1. Other foreground there is swallowed unreported; foreground in column
// maxX or row maxY survives and is found by a later call.
//
// Why the erase stays linear: a per-row summary holds a bit for each word that may still be
// non-zero. The erase visits only those words of the box, and clears a word's bit once the
// word is empty, so boxes that overlap a thousand times do not clear the same area a thousand
// times: an erase costs the box's rows plus the words it empties.
class RegionExtraction {
public:
    // The extraction works on `work` in place; it must outlive this object.
    explicit RegionExtraction(ForegroundMask& work);

    // Extracts one region and records its box; false when no foreground is left.
    bool FindOneRegion();

    // The boxes found so far, in the order found.
    const std::vector<RegionBox>& boxes() const { return boxes_; }
    std::vector<RegionBox> takeBoxes() { return std::move(boxes_); }
    // For a caller that takes each box as it is found, so that none are held.
    void forgetBoxes() { boxes_.clear(); }

private:
    bool findSeed(int& x, int& y);
    RegionBox takeRegion(int seedX, int seedY);
    void eraseRect(const Rect& rect);
    std::uint64_t* summaryRow(int y) { return summary_.data() + static_cast<std::size_t>(y) * summaryPerRow_; }

    ForegroundMask& work_;
    std::size_t summaryPerRow_;
    std::vector<std::uint64_t> summary_;     // per row, a bit per mask word that may be non-zero
    LargeBuffer<std::uint64_t> frontier_;     // per row, the pixels taken but not yet offered on
    std::vector<std::uint64_t> offered_, taken_; // one row's worth of words each
    PendingQueue pendingPixels_;              // frontier ranges waiting to be visited
    int seedX_ = 0;
    int seedY_ = 0;
    std::vector<RegionBox> boxes_;
};

} // namespace iconfinder
