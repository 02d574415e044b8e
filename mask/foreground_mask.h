#pragma once

#include "image/large_buffer.h"
#include "image/pixel_image.h"
#include "image/row_sink.h"
#include "mask/background_rule.h"

#include <cstddef>
#include <cstdint>

namespace iconfinder {

// One bit per pixel, set for foreground: bit x % 64 of word x / 64 of a row. Rows are padded
// to whole words with clear bits, so a run of set bits never continues into the padding.
class ForegroundMask {
public:
    ForegroundMask() = default;
    // All background.
    ForegroundMask(int width, int height);
    // Masks are large: copies are made only when asked.
    ForegroundMask copy() const;

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t wordsPerRow() const { return wordsPerRow_; }

    std::uint64_t* row(int y) { return words_.data() + static_cast<std::size_t>(y) * wordsPerRow_; }
    const std::uint64_t* row(int y) const { return words_.data() + static_cast<std::size_t>(y) * wordsPerRow_; }
    bool foreground(int x, int y) const { return row(y)[x >> 6] >> (x & 63) & 1; }
    void setForeground(int x, int y) { row(y)[x >> 6] |= std::uint64_t{1} << (x & 63); }

    friend bool operator==(const ForegroundMask& a, const ForegroundMask& b);

private:
    friend class MaskBuilder;
    ForegroundMask(int width, int height, bool zeroed);

    int width_ = 0;
    int height_ = 0;
    std::size_t wordsPerRow_ = 0;
    LargeBuffer<std::uint64_t> words_;
};

// Builds the foreground mask of the rows a decoder hands it, comparing many pixels at once,
// straight from the file's bytes. A transparent rule needs a picture with alpha: start()
// refuses any other with an Error.
class MaskBuilder final : public RowSink {
public:
    explicit MaskBuilder(const BackgroundRule& rule) : rule_(rule) {}
    void start(int width, int height, bool hasAlpha) override;
    void putRow(int y, const std::byte* row, RowLayout layout) override;
    void putPixels(int y, int first, int step, const std::byte* row, RowLayout layout) override;
    ForegroundMask take() { return std::move(mask_); }

private:
    BackgroundRule rule_;
    ForegroundMask mask_;
};

// The foreground mask of a picture held in memory.
ForegroundMask maskOf(const PixelImage& picture, const BackgroundRule& rule);

} // namespace iconfinder
