#include "region_extraction.h"

#include "canvas.h"
#include "seed_scan.h"

#include <algorithm>
#include <cstdio>

namespace iconfinder {

RegionExtraction::RegionExtraction(PixelImage& work, ColorValue backColor)
    : work_(work), backColor_(backColor), background_(toPixel(backColor))
{
}

bool RegionExtraction::FindOneRegion()
{
    const Pixel* const first = work_.pixels().data();
    const Pixel* const end = first + work_.pixelCount();
    const Pixel* const seed = findForeground(first + nextSeed_, end, background_);
    if (seed == end) {
        nextSeed_ = work_.pixelCount();
        return false;
    }
    nextSeed_ = static_cast<std::size_t>(seed - first) + 1;

    const int width = work_.width();
    const int height = work_.height();
    const int seedX = static_cast<int>((nextSeed_ - 1) % static_cast<std::size_t>(width));
    const int seedY = static_cast<int>((nextSeed_ - 1) / static_cast<std::size_t>(width));
    minX_ = maxX_ = seedX;
    minY_ = maxY_ = seedY;
    AddPendingPixel(seedX, seedY);

    while (!pendingPixels_.empty()) {
        const PendingPixel run = pendingPixels_.pop();
        if (run.y + 1 < height)
            offerRow(run.y + 1, run.x - 1, run.lastX + 1);
        if (run.y > 0)
            offerRow(run.y - 1, run.x - 1, run.lastX + 1);
    }

    Canvas canvas(work_);
    canvas.penColor = backColor_;
    canvas.brushColor = backColor_;
    canvas.brushStyle = BrushStyle::Solid;
    canvas.rectangle({minX_, minY_, maxX_, maxY_});

    char line[64];
    const int length = std::snprintf(line, sizeof line, "%d , %d , %d , %d ", minX_, minY_, maxX_, maxY_);
    resultLines_.append(std::string_view(line, static_cast<std::size_t>(length)));
    return true;
}

// Takes every foreground pixel of row y between fromX and toX, with the whole run each lies in.
void RegionExtraction::offerRow(int y, int fromX, int toX)
{
    const Pixel* row = work_.row(y);
    const int last = std::min(toX, work_.width() - 1);
    for (int x = std::max(fromX, 0); x <= last; ++x) {
        if (!isBackground(row[x], background_))
            x = AddPendingPixel(x, y) + 1; // the pixel after a maximal run is background
    }
}

// Queues the foreground pixel (x, y) with the maximal run of foreground around it in its
// row, turning the run into background; returns the run's last column.
int RegionExtraction::AddPendingPixel(int x, int y)
{
    Pixel* row = work_.row(y);
    const int width = work_.width();
    int first = x;
    while (first > 0 && !isBackground(row[first - 1], background_))
        --first;
    int last = x;
    while (last + 1 < width && !isBackground(row[last + 1], background_))
        ++last;
    std::fill(row + first, row + last + 1, background_);

    minX_ = std::min(minX_, first);
    maxX_ = std::max(maxX_, last);
    minY_ = std::min(minY_, y);
    maxY_ = std::max(maxY_, y);
    pendingPixels_.push({first, y, last});
    return last;
}

} // namespace iconfinder
