#include "region_extraction.h"

#include "canvas.h"
#include "pixel_scan.h"

#include <algorithm>
#include <bit>
#include <charconv>

namespace iconfinder {
namespace {

// How many rows ahead of the run being visited its columns are fetched into the cache: a
// region grows downwards from its seed into rows the seed scan has not read yet.
constexpr int kPrefetchRows = 16;

// The growth of one region: its box, and the steps that take runs and offer neighbour rows.
// Kept in one local object so that the compiler holds the box in registers.
struct Growth {
    Pixel* pixels;
    int width;
    Pixel background;
    PendingQueue& pending;
    int minX, minY, maxX, maxY;

    Pixel* row(int y) const { return pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
    bool foreground(Pixel p) const { return !isBackground(p, background); }

    // One past the last column of the foreground run that continues at column x.
    int runEnd(const Pixel* line, int x) const
    {
        if (x + 4 <= width) {
            const unsigned backgroundAt = backgroundMask4(line + x, background);
            if (backgroundAt != 0)
                return x + std::countr_zero(backgroundAt);
            return static_cast<int>(findBackground(line + x + 4, line + width, background) - line);
        }
        while (x < width && foreground(line[x]))
            ++x;
        return x;
    }

    // Queues the maximal foreground run first .. end-1 of row y, which a scan met at one of
    // its pixels and extended to both ends, turning it into background.
    [[gnu::always_inline]] void AddPendingPixel(Pixel* line, int y, int first, int end)
    {
        if (end - first == 1)
            line[first] = background;
        else
            std::fill(line + first, line + end, background);
        minX = std::min(minX, first);
        maxX = std::max(maxX, end - 1);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        pending.push(y, first, end - 1);
    }

    // Takes every foreground pixel of row y between fromX and toX, with the whole run each
    // lies in.
    [[gnu::always_inline]] void offerRow(int y, int fromX, int toX)
    {
        Pixel* line = row(y);
        int x = std::max(fromX, 0);
        const int last = std::min(toX, width - 1);
        // Only a run met at the first column offered can reach further left: the pixel before
        // any later one has just been seen to be background.
        if (foreground(line[x])) {
            int first = x;
            while (first > 0 && foreground(line[first - 1]))
                --first;
            const int end = runEnd(line, x + 1);
            AddPendingPixel(line, y, first, end);
            x = end + 1; // the pixel after a maximal run is background
        }
        while (x <= last) {
            if (x + 4 <= width) {
                // Four pixels at a time; a run that ends among them needs no further look.
                const unsigned backgroundAt = backgroundMask4(line + x, background);
                const unsigned inRange = last - x >= 3 ? 0xFu : (1u << (last - x + 1)) - 1;
                const unsigned starts = ~backgroundAt & inRange;
                if (starts == 0) {
                    x += 4;
                    continue;
                }
                const int start = std::countr_zero(starts);
                const unsigned after = backgroundAt >> start;
                const int end = after != 0 ? x + start + std::countr_zero(after) : runEnd(line, x + 4);
                AddPendingPixel(line, y, x + start, end);
                x = end + 1;
            } else {
                if (foreground(line[x])) {
                    const int end = runEnd(line, x + 1);
                    AddPendingPixel(line, y, x, end);
                    x = end;
                }
                ++x;
            }
        }
    }

    // Offers the rows above and below row y between fromX and toX: the neighbours of the
    // visited runs of row y that this span covers.
    void visitSpan(int y, int fromX, int toX, int height)
    {
        if (y + kPrefetchRows < height) {
            const Pixel* ahead = row(y + kPrefetchRows);
            for (int x = std::max(fromX, 0); x <= std::min(toX, width - 1); x += 16)
                __builtin_prefetch(ahead + x);
        }
        if (y + 1 < height)
            offerRow(y + 1, fromX, toX);
        if (y > 0)
            offerRow(y - 1, fromX, toX);
    }
};

} // namespace

RegionExtraction::RegionExtraction(PixelImage& work, ColorValue backColor)
    : work_(work), backColor_(backColor), background_(toPixel(backColor))
{
}

bool RegionExtraction::FindOneRegion()
{
    Pixel* const first = work_.pixels().data();
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
    pendingPixels_.reset(height);
    Growth growth{first, width, background_, pendingPixels_, seedX, seedY, seedX, seedY};
    growth.AddPendingPixel(growth.row(seedY), seedY, seedX, growth.runEnd(growth.row(seedY), seedX + 1));
    for (int y; (y = pendingPixels_.topRow()) >= 0;) {
        // Runs whose neighbour spans overlap or touch share one scan. A row's runs come in
        // stretches of increasing x, so this merges most of them; a span that does not follow
        // starts a new one, and spans that overlap are scanned twice at no harm.
        int spanFrom = 0, spanTo = -2;
        pendingPixels_.takeRow(y, [&](int firstX, int lastX) {
            if (firstX - 1 >= spanFrom && firstX - 1 <= spanTo + 1) {
                spanTo = std::max(spanTo, lastX + 1);
                return;
            }
            if (spanTo >= spanFrom)
                growth.visitSpan(y, spanFrom, spanTo, height);
            spanFrom = firstX - 1;
            spanTo = lastX + 1;
        });
        growth.visitSpan(y, spanFrom, spanTo, height);
    }

    Canvas canvas(work_);
    canvas.penColor = backColor_;
    canvas.brushColor = backColor_;
    canvas.brushStyle = BrushStyle::Solid;
    canvas.rectangle({growth.minX, growth.minY, growth.maxX, growth.maxY});

    // "%d , %d , %d , %d ", without printf's cost: a sheet has thousands of regions.
    char line[64];
    char* at = line;
    for (const int value : {growth.minX, growth.minY, growth.maxX, growth.maxY}) {
        at = std::to_chars(at, line + sizeof line, value).ptr;
        *at++ = ' ';
        *at++ = ',';
        *at++ = ' ';
    }
    resultLines_.append(std::string_view(line, static_cast<std::size_t>(at - line - 2)));
    return true;
}

} // namespace iconfinder
