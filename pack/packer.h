#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace iconfinder {

// Where a rectangle went: its page, and its top-left corner there.
struct Placement {
    std::size_t page = 0;
    int x = 0;
    int y = 0;
    bool turned = false; // a quarter turn round: as high as it is wide
};

struct PackedPages {
    std::vector<Placement> placements; // in the order the sizes were given
    std::vector<std::pair<int, int>> pageSizes;
};

// Places rectangles of the sizes given on as few pages of at most `largest` x `largest` as it
// can, `gap` pixels apart, none overlapping: whole pages while the rest cannot share one, then
// the last page of least area found over many widths, methods and orders. Pages are cut to
// what they hold, and with `powerOfTwo` grown to powers of two. None when a rectangle is
// larger than a page. With `mayTurn`, a rectangle may go in a quarter turn round where the
// pages come out smaller.
std::optional<PackedPages> packRectangles(const std::vector<std::pair<int, int>>& sizes, int gap, int largest, bool powerOfTwo,
                                          bool mayTurn = false);

} // namespace iconfinder
