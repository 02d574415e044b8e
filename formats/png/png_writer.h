#pragma once

#include "files/file_io.h"
#include "image/pixel_image.h"

#include <cstddef>

namespace iconfinder::png {

// An 8-bit PNG: RGBA when the picture has alpha, RGB otherwise. Pictures of up to
// `wholeBudget` bytes of raw data (crops, say) are compressed at once with libdeflate at a fast
// level; larger ones are streamed through libspng.
inline constexpr std::size_t kWholeEncodeBudget = std::size_t{256} << 20;
void write(const PixelImage& image, ByteWriter& out, std::size_t wholeBudget = kWholeEncodeBudget);

} // namespace iconfinder::png
