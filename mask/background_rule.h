#pragma once

#include "image/color.h"
#include "image/pixel_image.h"

#include <cstdint>

namespace iconfinder {

// Which pixels count as background. A pixel is background when each of its four bytes
// differs from the reference's by at most the limit's: a colour rule sets the limit of alpha
// to 255, the transparent rule those of red, green and blue. The foreground mask is the one
// place that applies it; the search then sees only the mask.
class BackgroundRule {
public:
    // Red, green and blue each within `tolerance` of the colour's; alpha never counts.
    static BackgroundRule colour(Rgb colour, std::uint8_t tolerance = 0);
    // Alpha at most `tolerance`; the colour never counts.
    static BackgroundRule transparent(std::uint8_t tolerance = 0);

    bool isBackground(Pixel p) const
    {
        for (int shift = 0; shift < 32; shift += 8) {
            const int value = static_cast<int>(p >> shift & 0xFF);
            const int wanted = static_cast<int>(reference_ >> shift & 0xFF);
            if (value - wanted > static_cast<int>(limits_ >> shift & 0xFF) || wanted - value > static_cast<int>(limits_ >> shift & 0xFF))
                return false;
        }
        return true;
    }

    // Whether every limit is 0 or 255, so that each byte either must equal the reference's or
    // never counts: one comparison a byte instead of a distance.
    bool isExact() const
    {
        for (int shift = 0; shift < 32; shift += 8)
            if (const auto limit = limits_ >> shift & 0xFF; limit != 0 && limit != 0xFF)
                return false;
        return true;
    }

    bool isTransparent() const { return alphaOf(limits_) != 255; }
    // What a background pixel is filled with: the colour, opaque, or full transparency.
    Pixel fill() const { return isTransparent() ? Pixel{0} : reference_ | kAlphaBits; }
    std::uint8_t tolerance() const { return isTransparent() ? alphaOf(limits_) : redOf(limits_); }

    Pixel reference() const { return reference_; }
    Pixel limits() const { return limits_; }

private:
    BackgroundRule(Pixel reference, Pixel limits) : reference_(reference), limits_(limits) {}
    Pixel reference_;
    Pixel limits_;
};

} // namespace iconfinder
