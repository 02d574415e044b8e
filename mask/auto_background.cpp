#include "mask/auto_background.h"

#include <algorithm>

#include <cstddef>
#include <unordered_map>

namespace iconfinder {
namespace {

struct Tally {
    std::size_t count = 0;
    std::size_t firstSeen = 0;
};

} // namespace

PictureBorder borderOf(const PixelImage& picture)
{
    PictureBorder border{picture.width(), picture.height(), picture.hasAlpha(), {}, {}, {}, {}};
    const int right = picture.width() - 1;
    border.top.assign(picture.row(0), picture.row(0) + picture.width());
    border.bottom.assign(picture.row(picture.height() - 1), picture.row(picture.height() - 1) + picture.width());
    for (int y = 0; y < picture.height(); ++y) {
        border.left.push_back(picture.at(0, y));
        border.right.push_back(picture.at(right, y));
    }
    return border;
}

void BorderCollector::start(int width, int height, bool hasAlpha)
{
    const std::vector<Pixel> across(static_cast<std::size_t>(width)), down(static_cast<std::size_t>(height));
    border_ = {width, height, hasAlpha, across, across, down, down};
    pixels_.resize(static_cast<std::size_t>(width));
}

void BorderCollector::putRow(int y, const std::byte* row, RowLayout layout)
{
    rowPixels(row, layout, border_.width, pixels_.data());
    if (y == 0)
        border_.top = pixels_;
    if (y == border_.height - 1)
        border_.bottom = pixels_;
    border_.left[static_cast<std::size_t>(y)] = pixels_.front();
    border_.right[static_cast<std::size_t>(y)] = pixels_.back();
}

void BorderCollector::putPixels(int y, int first, int step, const std::byte* row, RowLayout layout)
{
    const auto put = [&](int x) {
        const Pixel p = pixelAt(row, layout, x);
        if (y == 0)
            border_.top[static_cast<std::size_t>(x)] = p;
        if (y == border_.height - 1)
            border_.bottom[static_cast<std::size_t>(x)] = p;
        if (x == 0)
            border_.left[static_cast<std::size_t>(y)] = p;
        if (x == border_.width - 1)
            border_.right[static_cast<std::size_t>(y)] = p;
    };
    if (y == 0 || y == border_.height - 1) {
        for (int x = first; x < border_.width; x += step)
            put(x);
    } else {
        if (first == 0)
            put(0);
        if ((border_.width - 1 - first) % step == 0 && border_.width - 1 >= first)
            put(border_.width - 1);
    }
}

BackgroundRule autoBackground(const PictureBorder& picture, std::uint8_t tolerance)
{
    const int right = picture.width - 1, bottom = picture.height - 1;
    if (picture.hasAlpha) {
        // A fully transparent corner, or corners all of one alpha below opaque (a sheet whose
        // background was left barely visible), mean transparency, up to that alpha.
        const Pixel corners[] = {picture.at(0, 0), picture.at(right, 0), picture.at(0, bottom), picture.at(right, bottom)};
        const std::uint8_t alpha = alphaOf(corners[0]);
        if (std::any_of(std::begin(corners), std::end(corners), [](Pixel p) { return alphaOf(p) == 0; }))
            return BackgroundRule::transparent(tolerance);
        if (alpha < 255 && std::all_of(std::begin(corners), std::end(corners), [&](Pixel p) { return alphaOf(p) == alpha; }))
            return BackgroundRule::transparent(std::max(tolerance, alpha));
    }
    std::unordered_map<Pixel, Tally> tallies;
    std::size_t step = 0;
    const auto count = [&](int x, int y) {
        Tally& tally = tallies.try_emplace(picture.at(x, y) & kColourBits, Tally{0, step}).first->second;
        ++tally.count;
        ++step;
    };
    // Clockwise from the top-left pixel, each pixel once however thin the picture.
    for (int x = 0; x <= right; ++x)
        count(x, 0);
    for (int y = 1; y <= bottom; ++y)
        count(right, y);
    for (int x = right - 1; x >= 0 && bottom > 0; --x)
        count(x, bottom);
    for (int y = bottom - 1; y >= 1 && right > 0; --y)
        count(0, y);

    Pixel best = 0;
    Tally bestTally{0, 0};
    for (const auto& [colour, tally] : tallies) {
        if (tally.count > bestTally.count || (tally.count == bestTally.count && tally.firstSeen < bestTally.firstSeen)) {
            best = colour;
            bestTally = tally;
        }
    }
    return BackgroundRule::colour({redOf(best), greenOf(best), blueOf(best)}, tolerance);
}

} // namespace iconfinder
