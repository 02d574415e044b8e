#pragma once

#include <cstddef>
#include <vector>

namespace iconfinder {

struct Size {
    int w = 0;
    int h = 0;
};

// Rectangles placed on one page of at most `width` x `height`: each one's top-left corner (x
// -1 for those left over), and the extent the placed ones reach.
struct PageFill {
    struct At {
        int x = -1;
        int y = 0;
        bool turned = false; // placed a quarter turn round: as high as it is wide
    };
    std::vector<At> at; // by the rectangle's index in the sizes
    int width = 0;
    int height = 0;
    std::size_t placed = 0;
    long long placedArea = 0;
};

// How a MaxRects page chooses among the free rectangles a rectangle fits in.
enum class FitRule { ShortSide, BottomLeft };

// Each rectangle of `order`, tallest first, goes into the last-made free space it fits, which
// is cut into what is left right of it and below it. Very fast, and tight when the heights
// come sorted. The rectangles `turned` marks go in a quarter turn round (their sizes as given
// already turned).
PageFill fillBySpaces(const std::vector<Size>& sizes, const std::vector<std::size_t>& order, int width, int height,
                      const std::vector<bool>& turned = {});

// The MaxRects method: the free rectangles kept maximal, each rectangle of `order` where
// `rule` likes it best, also turned round when `mayTurn`. Fuller than spaces on mixed sizes, but
// slower by the number of free rectangles.
PageFill fillByMaxRects(const std::vector<Size>& sizes, const std::vector<std::size_t>& order, int width, int height, FitRule rule,
                        bool mayTurn = false);

} // namespace iconfinder
