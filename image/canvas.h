#pragma once

#include "image/color.h"
#include "image/pixel_image.h"

namespace iconfinder {

enum class BrushStyle { Solid = 0, Clear = 1 };

// Draws on a picture with a one-pixel solid pen and a brush; the settings stay until changed.
class Canvas {
public:
    explicit Canvas(PixelImage& image) : image_(image) {}

    ColorValue penColor = rgbColor(0, 0, 0);
    ColorValue brushColor = kWhite;
    BrushStyle brushStyle = BrushStyle::Solid;

    // Covers columns left .. right-1 and rows top .. bottom-1 (clipped to the picture): the pen
    // on the outermost columns and rows of that area, the brush (when solid) on the rest.
    void rectangle(Rect r);

private:
    PixelImage& image_;
};

} // namespace iconfinder
