#include "pack/pack.h"

#include "common/errors.h"
#include "pack/packer.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace iconfinder {
namespace {

// The smallest rectangle of a picture holding every pixel that is not fully transparent; the
// top-left pixel alone for a picture that is all transparent.
Rect opaquePart(const PixelImage& picture)
{
    int left = picture.width(), top = picture.height(), right = -1, bottom = -1;
    for (int y = 0; y < picture.height(); ++y) {
        const Pixel* row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            if (alphaOf(row[x]) != 0) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? Rect{0, 0, 1, 1} : Rect{left, top, right + 1, bottom + 1};
}

// For each piece, the first piece of the same pixels (itself when there is none before it).
std::vector<std::size_t> firstOfSame(const std::vector<FramePiece>& pieces)
{
    std::vector<std::size_t> first(pieces.size());
    std::unordered_multimap<std::uint64_t, std::size_t> seen;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const PixelImage& piece = pieces[i].pixels;
        const std::span<const Pixel> pixels(piece.row(0), piece.pixelCount());
        std::uint64_t hash = std::hash<std::string_view>{}({reinterpret_cast<const char*>(pixels.data()), pixels.size_bytes()});
        hash ^= static_cast<std::uint64_t>(piece.width()) << 32 ^ static_cast<std::uint64_t>(piece.height());
        first[i] = i;
        const auto [from, to] = seen.equal_range(hash);
        for (auto it = from; it != to && first[i] == i; ++it) {
            const PixelImage& other = pieces[it->second].pixels;
            if (other.width() == piece.width() && other.height() == piece.height() && std::ranges::equal(pixels, std::span(other.row(0), other.pixelCount())))
                first[i] = it->second;
        }
        if (first[i] == i)
            seen.emplace(hash, i);
    }
    return first;
}

void placePiece(PixelImage& page, const PixelImage& piece, int x0, int y0, int extrude)
{
    // The piece, then its edges repeated outwards, rows first so that the corners fill too.
    const int e = extrude;
    for (int y = -e; y < piece.height() + e; ++y) {
        const Pixel* from = piece.row(std::clamp(y, 0, piece.height() - 1));
        Pixel* to = page.row(y0 + y);
        for (int x = -e; x < piece.width() + e; ++x)
            to[x0 + x] = from[std::clamp(x, 0, piece.width() - 1)];
    }
}

} // namespace

std::vector<FramePiece> framePieces(const PixelImage& picture, std::span<const PlacedRegion> regions, const std::vector<std::string>& names,
                                    const BackgroundRule& rule, const CropStyle& style, const RegionOwners* owners,
                                    std::span<const std::optional<FrameTrim>> trims)
{
    CropStyle pieceStyle = style;
    pieceStyle.transparent = true;
    pieceStyle.bleed = pieceStyle.premultiply = false; // the whole pages are, padding too
    const std::vector<RegionBox> boxes = boxesOf(regions);
    const std::vector<std::pair<int, int>> cropSize = cropSizes(boxes, regions, style.sameSize);
    std::vector<FramePiece> pieces;
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const std::optional<FrameTrim> trim = i < trims.size() ? trims[i] : std::nullopt;
        const PixelImage crop =
            frameCrop(picture, boxes[i], rule, pieceStyle, trim, cropSize[i].first, cropSize[i].second, owners, static_cast<std::uint32_t>(i + 1));
        const Rect kept = opaquePart(crop);
        pieces.push_back({names[i], cropped(crop, kept), crop.width(), crop.height(), kept.left, kept.top});
    }
    return pieces;
}

PackedAtlas packPieces(const std::vector<FramePiece>& pieces, const CropStyle& finish, const PackStyle& pack)
{
    PackedAtlas atlas;
    for (const FramePiece& piece : pieces) {
        const int w = piece.pixels.width() + 2 * pack.extrude, h = piece.pixels.height() + 2 * pack.extrude;
        if (w > pack.largest || h > pack.largest)
            throw Error("frame " + piece.name + " (" + std::to_string(w) + " × " + std::to_string(h) + ") does not fit a page of " +
                        std::to_string(pack.largest));
    }
    std::vector<std::size_t> stored(pieces.size());
    std::iota(stored.begin(), stored.end(), std::size_t{0});
    if (!pack.keepDuplicates)
        stored = firstOfSame(pieces);
    std::vector<std::size_t> placed; // the pieces that go on a page, each once
    std::vector<std::pair<int, int>> sizes;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        if (stored[i] == i) {
            placed.push_back(i);
            sizes.emplace_back(pieces[i].pixels.width() + 2 * pack.extrude, pieces[i].pixels.height() + 2 * pack.extrude);
        }
    const std::optional<PackedPages> packed =
        packRectangles(sizes, pack.padding, pack.largest, pack.powerOfTwo, pack.mayTurn && pack.turn != Turn::None);
    for (const auto& [width, height] : packed->pageSizes)
        atlas.pages.emplace_back(std::max(width, 1), std::max(height, 1), Pixel{0}, true);
    if (atlas.pages.empty())
        atlas.pages.emplace_back(1, 1, Pixel{0}, true); // no frames: an atlas of none, on a page all the same

    std::vector<Placement> where(pieces.size());
    for (std::size_t k = 0; k < placed.size(); ++k) {
        const Placement& at = packed->placements[k];
        where[placed[k]] = at;
        const PixelImage& piece = pieces[placed[k]].pixels;
        placePiece(atlas.pages[at.page], at.turned ? turnedQuarter(piece, pack.turn == Turn::Clockwise) : piece, at.x + pack.extrude,
                   at.y + pack.extrude, pack.extrude);
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const FramePiece& piece = pieces[i];
        const Placement& at = where[stored[i]];
        const int x0 = at.x + pack.extrude, y0 = at.y + pack.extrude;
        const int w = at.turned ? piece.pixels.height() : piece.pixels.width(), h = at.turned ? piece.pixels.width() : piece.pixels.height();
        atlas.frames.push_back({piece.name, {x0, y0, x0 + w - 1, y0 + h - 1}, at.page, piece.sourceWidth, piece.sourceHeight, piece.left,
                                piece.top, at.turned ? pack.turn : Turn::None, {}, 0});
    }
    for (PixelImage& page : atlas.pages)
        finishAlpha(page, finish);
    return atlas;
}

} // namespace iconfinder
