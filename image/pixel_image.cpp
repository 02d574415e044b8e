#include "image/pixel_image.h"

#include "common/errors.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace iconfinder {
namespace {

std::size_t checkedCount(int width, int height)
{
    if (width < 0 || height < 0)
        throw std::invalid_argument("picture size " + std::to_string(width) + " x " + std::to_string(height) + " is negative");
    PixelImage::checkSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

} // namespace

void PixelImage::checkSize(std::uint64_t width, std::uint64_t height)
{
    if (width * height > static_cast<std::uint64_t>(kMaxPixels))
        throw FormatError("picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels exceeds the limit of 2^30 pixels (4 GiB)");
}

PixelImage PixelImage::uninitialized(int width, int height, bool hasAlpha)
{
    PixelImage image;
    image.pixels_ = LargeBuffer<Pixel>(checkedCount(width, height), false);
    image.width_ = width;
    image.height_ = height;
    image.hasAlpha_ = hasAlpha;
    return image;
}

PixelImage::PixelImage(int width, int height, Pixel fill, bool hasAlpha) : PixelImage(uninitialized(width, height, hasAlpha))
{
    std::fill_n(pixels_.data(), pixelCount(), fill);
}

PixelImage::PixelImage(const PixelImage& other) : PixelImage(uninitialized(other.width_, other.height_, other.hasAlpha_))
{
    std::copy_n(other.pixels_.data(), pixelCount(), pixels_.data());
}

PixelImage& PixelImage::operator=(const PixelImage& other)
{
    if (this != &other)
        *this = PixelImage(other);
    return *this;
}

PixelImage::PixelImage(PixelImage&& other) noexcept
    : width_(std::exchange(other.width_, 0)), height_(std::exchange(other.height_, 0)),
      hasAlpha_(std::exchange(other.hasAlpha_, false)), pixels_(std::move(other.pixels_))
{
}

PixelImage& PixelImage::operator=(PixelImage&& other) noexcept
{
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    hasAlpha_ = std::exchange(other.hasAlpha_, false);
    pixels_ = std::move(other.pixels_);
    return *this;
}

bool operator==(const PixelImage& a, const PixelImage& b)
{
    return a.width_ == b.width_ && a.height_ == b.height_ && a.hasAlpha_ == b.hasAlpha_ && std::ranges::equal(a.pixels(), b.pixels());
}

PixelImage cropped(const PixelImage& image, Rect box)
{
    const int left = std::clamp(box.left, 0, image.width());
    const int top = std::clamp(box.top, 0, image.height());
    const int right = std::clamp(box.right, left, image.width());
    const int bottom = std::clamp(box.bottom, top, image.height());
    PixelImage part = PixelImage::uninitialized(right - left, bottom - top, image.hasAlpha());
    for (int y = top; y < bottom; ++y)
        std::copy(image.row(y) + left, image.row(y) + right, part.row(y - top));
    return part;
}

PixelImage turnedQuarter(const PixelImage& image, bool clockwise)
{
    const int w = image.width(), h = image.height();
    PixelImage turned(h, w, Pixel{0}, image.hasAlpha());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            turned.at(clockwise ? h - 1 - y : y, clockwise ? x : w - 1 - x) = image.at(x, y);
    return turned;
}

} // namespace iconfinder
