#include "reference_search.h"

#include <cstdio>

namespace iconfinder::reference {
namespace {

bool sameColour(Pixel a, Rgb b) { return redOf(a) == b.red && greenOf(a) == b.green && blueOf(a) == b.blue; }

} // namespace

Search::~Search()
{
    for (PendingPixel* p : PendingPixels)
        delete p;
}

void Search::AddPendingPixel(Pixel* pixel, int x, int y)
{
    for (std::size_t i = 0; i < PendingPixels.size(); ++i)
        if (PendingPixels[i]->pixel == pixel)
            return;
    PendingPixels.push_back(new PendingPixel{pixel, x, y});
}

bool Search::FindOneRegion(PixelImage& work)
{
    const Rgb back = resolve(BackColor);
    const Pixel backPixel = makePixel(back.red, back.green, back.blue, 0);
    const int W = work.width();
    const int H = work.height();
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int y = 0; y < H && PendingPixels.empty(); ++y) {
        Pixel* row = work.row(y);
        for (int x = 0; x < W; ++x) {
            if (!sameColour(row[x], back)) {
                AddPendingPixel(&row[x], x, y);
                minX = maxX = x;
                minY = maxY = y;
                break;
            }
        }
    }
    if (PendingPixels.empty())
        return false;

    while (!PendingPixels.empty()) {
        PendingPixel* p = PendingPixels[0];
        const int x = p->x, y = p->y;
        if (x < minX)
            minX = x;
        else if (x > maxX)
            maxX = x;
        if (y < minY)
            minY = y;
        else if (y > maxY)
            maxY = y;
        const auto offer = [&](int nx, int ny) {
            Pixel* n = &work.row(ny)[nx];
            if (!sameColour(*n, back))
                AddPendingPixel(n, nx, ny);
        };
        if (x < W - 1)
            offer(x + 1, y);
        if (x > 0)
            offer(x - 1, y);
        if (y < H - 1) {
            offer(x, y + 1);
            if (x < W - 1)
                offer(x + 1, y + 1);
            if (x > 0)
                offer(x - 1, y + 1);
        }
        if (y > 0) {
            offer(x, y - 1);
            if (x < W - 1)
                offer(x + 1, y - 1);
            if (x > 0)
                offer(x - 1, y - 1);
        }
        *p->pixel = backPixel;
        PendingPixels.erase(PendingPixels.begin());
        delete p;
    }

    // The box erased with right and bottom edges excluded.
    for (int y = minY; y < maxY; ++y)
        for (int x = minX; x < maxX; ++x)
            work.row(y)[x] = backPixel;

    char line[64];
    std::snprintf(line, sizeof line, "%d , %d , %d , %d ", minX, minY, maxX, maxY);
    ResultLines.push_back(line);
    return true;
}

std::vector<std::string> findAll(PixelImage& work, ColorValue backColor)
{
    Search search(backColor);
    while (search.FindOneRegion(work)) {
    }
    return search.ResultLines;
}

} // namespace iconfinder::reference
