#pragma once

#include "image/large_buffer.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace iconfinder {

static_assert(std::endian::native == std::endian::little, "pixels are read as little-endian words");

// One stored pixel: the bytes blue, green, red and alpha, read as a little-endian 32-bit word
// (0xAARRGGBB). A picture without an alpha channel holds 255 there; no colour comparison
// ever looks at it.
using Pixel = std::uint32_t;

inline constexpr Pixel kColourBits = 0x00FFFFFFu;
inline constexpr Pixel kAlphaBits = 0xFF000000u;

constexpr Pixel makePixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255)
{
    return Pixel{blue} | Pixel{green} << 8 | Pixel{red} << 16 | Pixel{alpha} << 24;
}
constexpr std::uint8_t redOf(Pixel p) { return static_cast<std::uint8_t>(p >> 16); }
constexpr std::uint8_t greenOf(Pixel p) { return static_cast<std::uint8_t>(p >> 8); }
constexpr std::uint8_t blueOf(Pixel p) { return static_cast<std::uint8_t>(p); }
constexpr std::uint8_t alphaOf(Pixel p) { return static_cast<std::uint8_t>(p >> 24); }

// Left, Top, Right, Bottom; Right and Bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A picture in 32 bits per pixel, (0, 0) at the top-left. Rows are contiguous with no gaps,
// so the whole picture is also one array in raster order. Copies are independent.
class PixelImage {
public:
    // Largest picture we hold: 2^30 pixels, 4 GiB.
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 30;

    // Throws FormatError for a picture larger than we hold, before anything is allocated.
    static void checkSize(std::uint64_t width, std::uint64_t height);

    PixelImage() = default;
    PixelImage(int width, int height, Pixel fill, bool hasAlpha = false);
    // Pixels are left unset; for decoders that write every pixel.
    static PixelImage uninitialized(int width, int height, bool hasAlpha = false);

    PixelImage(const PixelImage& other);
    PixelImage& operator=(const PixelImage& other);
    PixelImage(PixelImage&& other) noexcept;
    PixelImage& operator=(PixelImage&& other) noexcept;
    ~PixelImage() = default;

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t pixelCount() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }
    // Whether the fourth byte of each pixel is the file's alpha rather than 255 everywhere.
    bool hasAlpha() const { return hasAlpha_; }

    Pixel* row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
    const Pixel* row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
    Pixel& at(int x, int y) { return row(y)[x]; }
    Pixel at(int x, int y) const { return row(y)[x]; }
    std::span<Pixel> pixels() { return {pixels_.data(), pixelCount()}; }
    std::span<const Pixel> pixels() const { return {pixels_.data(), pixelCount()}; }

    friend bool operator==(const PixelImage& a, const PixelImage& b);

private:
    int width_ = 0;
    int height_ = 0;
    bool hasAlpha_ = false;
    LargeBuffer<Pixel> pixels_;
};

// The part of `image` inside `box`, clipped to the picture.
PixelImage cropped(const PixelImage& image, Rect box);

// The picture a quarter turn round, clockwise or anticlockwise.
PixelImage turnedQuarter(const PixelImage& image, bool clockwise);

} // namespace iconfinder
