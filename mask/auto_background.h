#pragma once

#include "image/pixel_image.h"
#include "image/row_sink.h"
#include "mask/background_rule.h"

#include <cstdint>
#include <vector>

namespace iconfinder {

// The outermost pixels of a picture: all that the automatic background looks at.
struct PictureBorder {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::vector<Pixel> top, bottom; // rows 0 and height - 1
    std::vector<Pixel> left, right; // columns 0 and width - 1, a pixel a row

    // A pixel on the border.
    Pixel at(int x, int y) const { return y == 0 ? top[x] : y == height - 1 ? bottom[x] : x == 0 ? left[y] : right[y]; }
};

PictureBorder borderOf(const PixelImage& picture);

// Collects the border of the rows a decoder hands it, so that the background can be chosen
// without holding the picture.
class BorderCollector final : public RowSink {
public:
    void start(int width, int height, bool hasAlpha) override;
    void putRow(int y, const std::byte* row, RowLayout layout) override;
    void putPixels(int y, int first, int step, const std::byte* row, RowLayout layout) override;
    const PictureBorder& border() const { return border_; }

private:
    PictureBorder border_;
    std::vector<Pixel> pixels_; // one row's
};

// The background a sheet most likely has: transparency when the picture has alpha and one of
// its four corners is fully transparent; otherwise the colour (red, green, blue) met most often
// on its outer border, each border pixel counted once, a tie going to the colour met first
// walking the border clockwise from the top-left pixel. Decided on exact values; `tolerance`
// then applies to the rule chosen.
BackgroundRule autoBackground(const PictureBorder& picture, std::uint8_t tolerance);

} // namespace iconfinder
