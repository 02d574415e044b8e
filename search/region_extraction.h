#pragma once

#include "color.h"
#include "pending_queue.h"
#include "pixel_image.h"
#include "string_list.h"

#include <cstddef>
#include <utility>

namespace iconfinder {

// How one region is taken out of the working copy.
//
// FindOneRegion finds the first foreground pixel in raster order (the seed), takes every
// foreground pixel 8-connected to it, turns them into background, erases the region's box
// and records it as one result line "minX , minY , maxX , maxY ".
//
// Why the seed scan may resume after the previous seed: everything before that seed was
// background when it was found, and a search only ever turns pixels into background.
//
// Why each pixel is visited once: pixels are taken a whole horizontal run at a time. A
// foreground pixel met by a scan is extended to the maximal run of foreground of its row, and
// AddPendingPixel turns that run into background at once and queues it. A queued run then
// offers the rows above and below, from one column left of it to one column right of it:
// exactly the 8-neighbours of its pixels outside its own row (inside its row, the run is
// maximal). A pixel already taken reads as background and is never offered again, so every
// foreground pixel 8-connected to the seed is taken exactly once, and the work is linear in
// the region's size. This keeps the guarantee that a duplicate test on a per-pixel queue gives,
// without a queue entry or a test per pixel.
// The order in which runs are visited does not change the result: the box depends only on
// the seed and the set of pixels connected to it, so runs are visited in the order that is
// kindest to the memory (see PendingQueue).
//
// Why the erase leaves the last column and row: the box is erased as the rectangle
// (minX, minY, maxX, maxY) with right and bottom excluded, so it covers columns minX .. maxX-1
// of rows minY .. maxY-1. Other foreground there is swallowed unreported; foreground in column
// maxX or row maxY survives and is found by a later call.
class RegionExtraction {
public:
    // The extraction works on `work` in place; it must outlive this object.
    RegionExtraction(PixelImage& work, ColorValue backColor);

    // Extracts one region and appends its line; false when no foreground is left.
    bool FindOneRegion();

    const StringList& ResultLines() const { return resultLines_; }
    StringList takeResultLines() { return std::move(resultLines_); }

private:
    PixelImage& work_;
    ColorValue backColor_;
    Pixel background_;
    StringList resultLines_;
    PendingQueue pendingPixels_; // runs taken by AddPendingPixel, already background
    std::size_t nextSeed_ = 0;
};

} // namespace iconfinder
