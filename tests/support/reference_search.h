#pragma once

// The search exactly as first designed, kept only to check the fast one against: a list
// with a linear duplicate search, head removal by shifting, one record allocated per pixel,
// and a rescan from (0, 0) on every call.

#include "color.h"
#include "pixel_image.h"

#include <string>
#include <vector>

namespace iconfinder::reference {

struct PendingPixel {
    Pixel* pixel;
    int x;
    int y;
};

class Search {
public:
    explicit Search(ColorValue backColor) : BackColor(backColor) {}
    ~Search();

    bool FindOneRegion(PixelImage& work);
    void AddPendingPixel(Pixel* pixel, int x, int y);

    ColorValue BackColor;
    std::vector<std::string> ResultLines;
    std::vector<PendingPixel*> PendingPixels;
};

// Runs FindOneRegion until it reports false; `work` ends as the fast search must leave it.
std::vector<std::string> findAll(PixelImage& work, ColorValue backColor);

} // namespace iconfinder::reference
