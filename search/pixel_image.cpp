#include "pixel_image.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace iconfinder {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Large pictures are placed on huge pages where the system offers them: on virtual machines a
// fault per 4 KiB page can cost more than decoding the picture.
Pixel* allocatePixels(std::size_t count)
{
    const std::size_t bytes = std::max<std::size_t>(count * sizeof(Pixel), 64);
    const bool huge = bytes >= 2 * kHugePage;
    const std::size_t alignment = huge ? kHugePage : 64;
    void* memory = std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
    if (!memory)
        throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    if (huge)
        ::madvise(memory, bytes, MADV_HUGEPAGE); // only advice: failing it changes nothing
#endif
    return static_cast<Pixel*>(memory);
}

} // namespace

void PixelImage::Release::operator()(Pixel* pixels) const { std::free(pixels); }

PixelImage::PixelImage(int width, int height, Uninitialized) : width_(width), height_(height)
{
    if (width < 0 || height < 0)
        throw std::invalid_argument("picture size " + std::to_string(width) + " x " + std::to_string(height) + " is negative");
    if (std::int64_t{width} * height > kMaxPixels)
        throw std::length_error("picture of " + std::to_string(width) + " x " + std::to_string(height) +
                                " pixels exceeds the limit of 2^30 pixels");
    pixels_.reset(allocatePixels(pixelCount()));
}

PixelImage::PixelImage(int width, int height, Pixel fill) : PixelImage(width, height, Uninitialized{})
{
    std::fill_n(pixels_.get(), pixelCount(), fill);
}

PixelImage PixelImage::uninitialized(int width, int height) { return PixelImage(width, height, Uninitialized{}); }

PixelImage::PixelImage(const PixelImage& other) : PixelImage(other.width_, other.height_, Uninitialized{})
{
    std::copy_n(other.pixels_.get(), pixelCount(), pixels_.get());
}

PixelImage& PixelImage::operator=(const PixelImage& other)
{
    if (this != &other)
        *this = PixelImage(other);
    return *this;
}

PixelImage::PixelImage(PixelImage&& other) noexcept
    : width_(std::exchange(other.width_, 0)), height_(std::exchange(other.height_, 0)), pixels_(std::move(other.pixels_))
{
}

PixelImage& PixelImage::operator=(PixelImage&& other) noexcept
{
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    pixels_ = std::move(other.pixels_);
    return *this;
}

bool operator==(const PixelImage& a, const PixelImage& b)
{
    return a.width_ == b.width_ && a.height_ == b.height_ && std::ranges::equal(a.pixels(), b.pixels());
}

PixelImage cropped(const PixelImage& image, Rect box)
{
    const int left = std::clamp(box.left, 0, image.width());
    const int top = std::clamp(box.top, 0, image.height());
    const int right = std::clamp(box.right, left, image.width());
    const int bottom = std::clamp(box.bottom, top, image.height());
    PixelImage part = PixelImage::uninitialized(right - left, bottom - top);
    for (int y = top; y < bottom; ++y)
        std::copy(image.row(y) + left, image.row(y) + right, part.row(y - top));
    return part;
}

} // namespace iconfinder
