#include "tests/support/reference_search.h"

#include <cstdio>
#include <cstdlib>

namespace iconfinder::reference {

bool Rule::isBackground(Pixel p) const
{
    if (transparent)
        return alphaOf(p) <= tolerance;
    return std::abs(redOf(p) - colour.red) <= tolerance && std::abs(greenOf(p) - colour.green) <= tolerance &&
           std::abs(blueOf(p) - colour.blue) <= tolerance;
}

Pixel Rule::taken(Pixel p) const
{
    return transparent ? (p & kColourBits) : makePixel(colour.red, colour.green, colour.blue, 0);
}

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
    const int W = work.width();
    const int H = work.height();
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int y = 0; y < H && PendingPixels.empty(); ++y) {
        Pixel* row = work.row(y);
        for (int x = 0; x < W; ++x) {
            if (!BackColor.isBackground(row[x])) {
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
            if (!BackColor.isBackground(*n))
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
        *p->pixel = BackColor.taken(*p->pixel);
        PendingPixels.erase(PendingPixels.begin());
        delete p;
    }

    // The box erased with right and bottom edges excluded.
    for (int y = minY; y < maxY; ++y)
        for (int x = minX; x < maxX; ++x)
            work.row(y)[x] = BackColor.taken(work.row(y)[x]);

    char line[64];
    std::snprintf(line, sizeof line, "%d , %d , %d , %d ", minX, minY, maxX, maxY);
    ResultLines.push_back(line);
    return true;
}

std::vector<std::string> findAll(PixelImage& work, Rule rule)
{
    Search search(rule);
    while (search.FindOneRegion(work)) {
    }
    return search.ResultLines;
}

} // namespace iconfinder::reference
