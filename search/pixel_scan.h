#pragma once

#include "color.h"
#include "pixel_image.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace iconfinder {

// The first pixel in [begin, end) that is foreground against `background`, or end.
const Pixel* findForeground(const Pixel* begin, const Pixel* end, Pixel background);

// The first pixel in [begin, end) that is background, or end.
const Pixel* findBackground(const Pixel* begin, const Pixel* end, Pixel background);

// Bit i set when pixel p[i] of four is background; p must have four pixels to read.
inline unsigned backgroundMask4(const Pixel* p, Pixel background)
{
#if defined(__SSE2__)
    const __m128i colours = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi32(static_cast<int>(kColourBits)));
    const __m128i same = _mm_cmpeq_epi32(colours, _mm_set1_epi32(static_cast<int>(background & kColourBits)));
    return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(same)));
#else
    unsigned mask = 0;
    for (int i = 0; i < 4; ++i)
        mask |= unsigned{isBackground(p[i], background)} << i;
    return mask;
#endif
}

} // namespace iconfinder
