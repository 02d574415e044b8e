#pragma once

#include <cstddef>
#include <cstdint>

namespace iconfinder::avx2 {

// Whether the processor runs AVX2 code.
bool available();

// Sets whole mask words of a row from pixels of 3 or 4 bytes, 64 pixels a word, comparing
// each byte with the reference's within the limit's; `exact` says every limit is 0 or 255, so
// that one comparison a byte does. Returns how many pixels it did, a multiple of 64; the
// caller does the rest. Only to be called where available().
int maskWords(const std::byte* row, int width, int bytesPerPixel, std::uint32_t reference, std::uint32_t limits, bool exact,
              std::uint64_t* words);

} // namespace iconfinder::avx2
