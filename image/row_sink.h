#pragma once

#include "image/page_prefault.h"
#include "image/pixel_image.h"

#include <cstddef>

namespace iconfinder {

// How the bytes of one row handed to a sink are laid out, `width` pixels of them.
enum class RowLayout {
    Bgr24,  // blue, green, red: a 24-bit bitmap's own bytes; opaque
    Bgrx32, // blue, green, red and a byte that carries nothing; opaque
    Bgra32, // blue, green, red, alpha: the layout of Pixel
};

// The pixels of a row of `width` pixels laid out as `layout`, opaque unless it has alpha.
void rowPixels(const std::byte* row, RowLayout layout, int width, Pixel* out);
// Pixel x of such a row.
Pixel pixelAt(const std::byte* row, RowLayout layout, int x);

// Where a decoder puts the rows it decodes: a picture, or a foreground mask that never
// holds the picture at all. Rows come in whatever order the file stores them, each once.
class RowSink {
public:
    virtual ~RowSink() = default;
    // Called once, before any row, with sizes already checked against the limits.
    virtual void start(int width, int height, bool hasAlpha) = 0;
    // Row y, counted from the top.
    virtual void putRow(int y, const std::byte* row, RowLayout layout) = 0;
    // Pixels first, first + step, ... of row y, standing in their places in `row`: an
    // interlaced picture's rows arrive a pass at a time, each pixel once.
    virtual void putPixels(int y, int first, int step, const std::byte* row, RowLayout layout) = 0;
};

// Builds a PixelImage from the rows it is given.
class PictureBuilder final : public RowSink {
public:
    void start(int width, int height, bool hasAlpha) override;
    void putRow(int y, const std::byte* row, RowLayout layout) override;
    void putPixels(int y, int first, int step, const std::byte* row, RowLayout layout) override;
    PixelImage take();

private:
    PixelImage picture_;
    PagePrefault prefault_; // a large picture's pages made ready while its rows come
};

} // namespace iconfinder
