// Compiled for AVX2 and called only on processors that have it: nothing here may be shared
// with code compiled for others, so it uses intrinsics and its own internal functions alone.
#include "mask/mask_words_avx2.h"

#include <immintrin.h>

namespace iconfinder::avx2 {
namespace {

template <int BytesPerPixel, bool Exact>
int words(const std::byte* row, int width, std::uint32_t reference, std::uint32_t limits, std::uint64_t* out)
{
    const __m256i wanted = _mm256_set1_epi32(static_cast<int>(reference));
    const __m256i limit = _mm256_set1_epi32(static_cast<int>(limits));
    const __m256i free = _mm256_cmpeq_epi8(limit, _mm256_set1_epi8(-1));
    const __m256i all = _mm256_set1_epi32(-1);
    // Four three-byte pixels of a lane spread to four bytes each, the fourth byte zero.
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128, 0, 1, 2, -128, 3, 4, 5,
                                            -128, 6, 7, 8, -128, 9, 10, 11, -128);
    // Eight three-byte pixels are read as 16 bytes from their start and 16 from their fifth,
    // four bytes past their end: the row must go on for two more pixels.
    const int reach = BytesPerPixel == 3 ? width - 2 : width;
    int x = 0;
    for (; x + 64 <= reach; x += 64) {
        std::uint64_t background = 0;
        for (int k = 0; k < 8; ++k) {
            const auto* p = reinterpret_cast<const unsigned char*>(row) + static_cast<std::size_t>(x + 8 * k) * BytesPerPixel;
            __m256i pixels;
            if constexpr (BytesPerPixel == 4) {
                pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
            } else {
                const __m256i both = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
                                                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
                pixels = _mm256_shuffle_epi8(both, spread);
            }
            __m256i match;
            if constexpr (Exact) {
                match = _mm256_or_si256(_mm256_cmpeq_epi8(pixels, wanted), free);
            } else {
                const __m256i distance = _mm256_or_si256(_mm256_subs_epu8(pixels, wanted), _mm256_subs_epu8(wanted, pixels));
                match = _mm256_cmpeq_epi8(_mm256_subs_epu8(distance, limit), _mm256_setzero_si256());
            }
            const auto eight = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(match, all))));
            background |= std::uint64_t{eight} << (8 * k);
        }
        out[x >> 6] = ~background;
    }
    return x;
}

} // namespace

bool available() { return __builtin_cpu_supports("avx2"); }

int maskWords(const std::byte* row, int width, int bytesPerPixel, std::uint32_t reference, std::uint32_t limits, bool exact,
              std::uint64_t* out)
{
    if (bytesPerPixel == 3)
        return exact ? words<3, true>(row, width, reference, limits, out) : words<3, false>(row, width, reference, limits, out);
    return exact ? words<4, true>(row, width, reference, limits, out) : words<4, false>(row, width, reference, limits, out);
}

} // namespace iconfinder::avx2
