#include "present/name_pattern.h"

#include "common/errors.h"

#include <charconv>
#include <algorithm>
#include <unordered_set>
#include <stdexcept>

namespace iconfinder {

namespace {

// A stem without the frame number it ends in and the separators before it: walk_01 gives walk.
std::string_view baseOf(std::string_view stem)
{
    std::size_t end = stem.find_last_not_of("0123456789");
    if (end == std::string_view::npos || end + 1 == stem.size())
        return stem;
    end = stem.find_last_not_of("-_. ", end);
    return end == std::string_view::npos ? stem : stem.substr(0, end + 1);
}

} // namespace

NamePattern NamePattern::parse(std::string_view text, bool rowsAndColumns)
{
    if (text.empty())
        throw InputError("the name pattern is empty");
    if (text.find('/') != std::string_view::npos)
        throw InputError("a name may not contain '/'");
    NamePattern pattern;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        if (open != at) {
            const std::string_view literal = text.substr(at, open - at);
            if (literal.find('}') != std::string_view::npos)
                throw InputError("'}' without '{' in the name pattern");
            pattern.pieces_.push_back({Field::Literal, std::string(literal)});
            if (open == std::string_view::npos)
                break;
        }
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos)
            throw InputError("'{' without '}' in the name pattern");
        const std::string_view inside = text.substr(open + 1, close - open - 1);
        const std::string_view name = inside.substr(0, inside.find(':'));
        Piece piece{Field::Literal, {}, 0};
        if (name == "n")
            piece.field = Field::N;
        else if (name == "x")
            piece.field = Field::X;
        else if (name == "y")
            piece.field = Field::Y;
        else if (name == "w")
            piece.field = Field::W;
        else if (name == "h")
            piece.field = Field::H;
        else if (name == "row" || name == "col") {
            if (!rowsAndColumns)
                throw InputError("{" + std::string(name) + "} needs regions in rows or columns");
            piece.field = name == "row" ? Field::Row : Field::Col;
        } else if (name == "stem")
            piece.field = Field::Stem;
        else if (name == "base")
            piece.field = Field::Base;
        else
            throw InputError("unknown field {" + std::string(inside) + "} in the name pattern");
        if (name.size() < inside.size()) {
            const std::string_view width = inside.substr(name.size() + 1);
            const auto [end, error] = std::from_chars(width.data(), width.data() + width.size(), piece.width);
            if (piece.field == Field::Stem || piece.field == Field::Base || width.size() < 2 || width[0] != '0' || error != std::errc{} ||
                end != width.data() + width.size() || piece.width > 20)
                throw InputError("bad width in {" + std::string(inside) + "} (a number field takes :0N, such as {n:04})");
        }
        pattern.pieces_.push_back(piece);
        at = close + 1;
    }
    return pattern;
}

std::string NamePattern::format(const Values& values) const
{
    std::string name;
    for (const Piece& piece : pieces_) {
        int number = 0;
        switch (piece.field) {
        case Field::Literal: name += piece.text; continue;
        case Field::Stem: name += values.stem; continue;
        case Field::Base: name += baseOf(values.stem); continue;
        case Field::N: number = values.n; break;
        case Field::X: number = values.x; break;
        case Field::Y: number = values.y; break;
        case Field::W: number = values.w; break;
        case Field::H: number = values.h; break;
        case Field::Row: number = values.row; break;
        case Field::Col: number = values.col; break;
        }
        const std::string digits = std::to_string(number);
        if (static_cast<int>(digits.size()) < piece.width)
            name.append(static_cast<std::size_t>(piece.width) - digits.size(), '0');
        name += digits;
    }
    return name;
}

std::string_view fileNameProblem(std::string_view name)
{
    if (name.empty())
        return "is empty";
    if (name == "." || name == "..")
        return "names a folder";
    if (name.find('/') != std::string_view::npos)
        return "holds a '/'";
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
        return "holds a control character";
    if (name.size() > kLongestFileName)
        return "is longer than 200 bytes";
    return {};
}

void checkFileNames(const std::vector<std::string>& names)
{
    std::unordered_set<std::string_view> taken;
    for (const std::string& name : names) {
        if (const std::string_view problem = fileNameProblem(name); !problem.empty())
            throw InputError("the name '" + name + "' " + std::string(problem));
        if (!taken.insert(name).second)
            throw InputError("two regions have the same name '" + name + "'");
    }
}

std::vector<std::string> formattedFor(const NamePattern& pattern, std::span<const PlacedRegion> regions, std::string_view stem)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const RegionBox& box = regions[i].box;
        names.push_back(pattern.format(
            {static_cast<int>(i) + 1, box.minX, box.minY, box.width(), box.height(), regions[i].row, regions[i].column, stem}));
    }
    return names;
}

std::vector<std::string> namesFor(const NamePattern& pattern, std::span<const PlacedRegion> regions, std::string_view stem)
{
    std::vector<std::string> names = formattedFor(pattern, regions, stem);
    checkFileNames(names);
    return names;
}

} // namespace iconfinder
