#include "mask/background_rule.h"

namespace iconfinder {

BackgroundRule BackgroundRule::colour(Rgb colour, std::uint8_t tolerance)
{
    return {makePixel(colour.red, colour.green, colour.blue, 0), makePixel(tolerance, tolerance, tolerance, 255)};
}

BackgroundRule BackgroundRule::transparent(std::uint8_t tolerance) { return {0, makePixel(255, 255, 255, tolerance)}; }

} // namespace iconfinder
