#pragma once

// The search exactly as first designed, kept only to check the fast one against: a list
// with a linear duplicate search, head removal by shifting, one record allocated per pixel,
// a rescan from (0, 0) on every call, and the working copy a picture, not a mask.

#include "image/color.h"
#include "image/pixel_image.h"

#include <string>
#include <vector>

namespace iconfinder::reference {

// The background rules, written out plainly: a colour with a tolerance per channel, or
// alpha at most a tolerance.
struct Rule {
    bool transparent = false;
    Rgb colour;
    int tolerance = 0;

    static Rule colourRule(ColorValue colour, int tolerance = 0) { return {false, resolve(colour), tolerance}; }
    static Rule transparentRule(int tolerance = 0) { return {true, {}, tolerance}; }
    bool isBackground(Pixel p) const;
    // The pixel a taken pixel becomes.
    Pixel taken(Pixel p) const;
};

struct PendingPixel {
    Pixel* pixel;
    int x;
    int y;
};

class Search {
public:
    explicit Search(Rule rule) : BackColor(rule) {}
    ~Search();

    bool FindOneRegion(PixelImage& work);
    void AddPendingPixel(Pixel* pixel, int x, int y);

    Rule BackColor;
    std::vector<std::string> ResultLines;
    std::vector<PendingPixel*> PendingPixels;
};

// Runs FindOneRegion until it reports false; `work` ends all background.
std::vector<std::string> findAll(PixelImage& work, Rule rule);

} // namespace iconfinder::reference
