#include "pixel_scan.h"

namespace iconfinder {

#if defined(__SSE2__)
namespace {

// Compares four pixels at a time with the background, ignoring the fourth byte.
struct BackgroundMatcher {
    explicit BackgroundMatcher(Pixel background)
        : colourBits(_mm_set1_epi32(static_cast<int>(kColourBits))), wanted(_mm_set1_epi32(static_cast<int>(background & kColourBits)))
    {
    }
    __m128i differences(const Pixel* p) const
    {
        return _mm_and_si128(_mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), wanted), colourBits);
    }
    __m128i colourBits, wanted;
};

} // namespace
#endif

const Pixel* findForeground(const Pixel* p, const Pixel* end, Pixel background)
{
#if defined(__SSE2__)
    // Sixteen pixels a step: a search spends most of its time on the background between icons.
    const BackgroundMatcher match(background);
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 16; p += 16) {
        const auto* v = reinterpret_cast<const __m128i*>(p);
        const __m128i differ = _mm_or_si128(_mm_or_si128(_mm_xor_si128(_mm_loadu_si128(v), match.wanted),
                                                         _mm_xor_si128(_mm_loadu_si128(v + 1), match.wanted)),
                                            _mm_or_si128(_mm_xor_si128(_mm_loadu_si128(v + 2), match.wanted),
                                                         _mm_xor_si128(_mm_loadu_si128(v + 3), match.wanted)));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(differ, match.colourBits), zero)) != 0xFFFF)
            break;
    }
#endif
    while (p != end && isBackground(*p, background))
        ++p;
    return p;
}

const Pixel* findBackground(const Pixel* p, const Pixel* end, Pixel background)
{
#if defined(__SSE2__)
    const BackgroundMatcher match(background);
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 8; p += 8) {
        const __m128i same = _mm_or_si128(_mm_cmpeq_epi32(match.differences(p), zero), _mm_cmpeq_epi32(match.differences(p + 4), zero));
        if (_mm_movemask_epi8(same) != 0)
            break;
    }
#endif
    while (p != end && !isBackground(*p, background))
        ++p;
    return p;
}

} // namespace iconfinder
