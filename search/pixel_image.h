#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace iconfinder {

// One stored pixel: the bytes blue, green, red and a fourth byte that carries no colour,
// read as a little-endian 32-bit word (0xXXRRGGBB).
using Pixel = std::uint32_t;

inline constexpr Pixel kColourBits = 0x00FFFFFFu;

constexpr Pixel makePixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t fourth = 0)
{
    return Pixel{blue} | Pixel{green} << 8 | Pixel{red} << 16 | Pixel{fourth} << 24;
}
constexpr std::uint8_t redOf(Pixel p) { return static_cast<std::uint8_t>(p >> 16); }
constexpr std::uint8_t greenOf(Pixel p) { return static_cast<std::uint8_t>(p >> 8); }
constexpr std::uint8_t blueOf(Pixel p) { return static_cast<std::uint8_t>(p); }

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

    PixelImage() = default;
    PixelImage(int width, int height, Pixel fill);
    // Pixels are left unset; for decoders that write every pixel.
    static PixelImage uninitialized(int width, int height);

    PixelImage(const PixelImage& other);
    PixelImage& operator=(const PixelImage& other);
    PixelImage(PixelImage&& other) noexcept;
    PixelImage& operator=(PixelImage&& other) noexcept;
    ~PixelImage() = default;

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t pixelCount() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }

    Pixel* row(int y) { return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
    const Pixel* row(int y) const { return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
    Pixel& at(int x, int y) { return row(y)[x]; }
    Pixel at(int x, int y) const { return row(y)[x]; }
    std::span<Pixel> pixels() { return {pixels_.get(), pixelCount()}; }
    std::span<const Pixel> pixels() const { return {pixels_.get(), pixelCount()}; }

    friend bool operator==(const PixelImage& a, const PixelImage& b);

private:
    struct Uninitialized {};
    PixelImage(int width, int height, Uninitialized);

    struct Release {
        void operator()(Pixel* pixels) const;
    };

    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<Pixel[], Release> pixels_;
};

// The part of `image` inside `box`, clipped to the picture.
PixelImage cropped(const PixelImage& image, Rect box);

} // namespace iconfinder
