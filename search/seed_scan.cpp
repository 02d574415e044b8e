#include "seed_scan.h"

#include "color.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace iconfinder {

const Pixel* findForeground(const Pixel* p, const Pixel* end, Pixel background)
{
#if defined(__SSE2__)
    // Sixteen pixels per step: pictures are mostly background between icons, and this
    // loop is what a search spends on them.
    const __m128i colourBits = _mm_set1_epi32(static_cast<int>(kColourBits));
    const __m128i wanted = _mm_set1_epi32(static_cast<int>(background & kColourBits));
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 16; p += 16) {
        const auto* v = reinterpret_cast<const __m128i*>(p);
        const __m128i differ = _mm_or_si128(_mm_or_si128(_mm_xor_si128(_mm_loadu_si128(v), wanted),
                                                         _mm_xor_si128(_mm_loadu_si128(v + 1), wanted)),
                                            _mm_or_si128(_mm_xor_si128(_mm_loadu_si128(v + 2), wanted),
                                                         _mm_xor_si128(_mm_loadu_si128(v + 3), wanted)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(differ, colourBits), zero)) != 0xFFFF)
            break;
    }
#endif
    while (p != end && isBackground(*p, background))
        ++p;
    return p;
}

} // namespace iconfinder
