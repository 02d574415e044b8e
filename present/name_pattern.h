#pragma once

#include "shaping/region_order.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace iconfinder {

// What crops and atlas frames are called unless asked otherwise: icon-0001, icon-0002, ...
inline constexpr std::string_view kDefaultNamePattern = "icon-{n:04}";

// A file or frame name made of literal text and fields: {n} (place in the output, from 1),
// {x} {y} {w} {h} (the box), {stem} (the input's name without folder and extension), {base}
// (the stem without the frame number it ends in: walk for walk_01), and {row} {col} when the
// regions are ordered in rows or columns. A number field takes a
// zero-padded width: {n:04}.
class NamePattern {
public:
    struct Values {
        int n = 0;
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
        int row = 0;
        int col = 0;
        std::string_view stem;
    };

    // Throws InputError saying what is wrong: an unknown field, {row} or {col}
    // without rows or columns, a bad width, a '/' or an empty name.
    static NamePattern parse(std::string_view text, bool rowsAndColumns);

    std::string format(const Values& values) const;

private:
    enum class Field { Literal, N, X, Y, W, H, Row, Col, Stem, Base };
    struct Piece {
        Field field;
        std::string text; // a literal's text
        int width = 0;    // a number field's zero-padded width
    };
    std::vector<Piece> pieces_;
};

// The longest name of a crop or frame: room is left for an extension and a part file's
// suffix within the 255 bytes a file system allows.
inline constexpr std::size_t kLongestFileName = 200;

// Why `name` cannot name a file of its own inside a folder (empty, "." or "..", a '/', a
// control character, too long), or an empty view when it can.
std::string_view fileNameProblem(std::string_view name);

// Throws InputError naming the first name that cannot name a file, or that repeats one
// before it.
void checkFileNames(const std::vector<std::string>& names);

// The names of the regions in their output places, n counting from 1. Throws InputError as
// checkFileNames does.
std::vector<std::string> namesFor(const NamePattern& pattern, std::span<const PlacedRegion> regions, std::string_view stem);

// The pattern formatted for each region as namesFor does, whatever the names come out as.
std::vector<std::string> formattedFor(const NamePattern& pattern, std::span<const PlacedRegion> regions, std::string_view stem);

} // namespace iconfinder
