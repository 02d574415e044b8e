#include "mask/foreground_mask.h"

#include "common/errors.h"
#include "mask/mask_words_avx2.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace iconfinder {
namespace {

std::size_t wordsFor(int width) { return (static_cast<std::size_t>(width) + 63) / 64; }

Pixel load32(const std::byte* p)
{
    Pixel v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

Pixel load24(const std::byte* p)
{
    return Pixel{std::to_integer<std::uint8_t>(p[0])} | Pixel{std::to_integer<std::uint8_t>(p[1])} << 8 |
           Pixel{std::to_integer<std::uint8_t>(p[2])} << 16 | kAlphaBits;
}

#if defined(__SSE2__)

// The rule's reference and limits over 48 bytes, three vectors, for pixels of 3 or 4 bytes.
struct Pattern {
    Pattern(const BackgroundRule& rule, int bytesPerPixel)
    {
        alignas(16) std::uint8_t bytes[2][48];
        for (int i = 0; i < 48; ++i) {
            bytes[0][i] = static_cast<std::uint8_t>(rule.reference() >> (8 * (i % bytesPerPixel)));
            bytes[1][i] = static_cast<std::uint8_t>(rule.limits() >> (8 * (i % bytesPerPixel)));
        }
        for (int k = 0; k < 3; ++k) {
            wanted[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes[0]) + k);
            limit[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes[1]) + k);
            free[k] = _mm_cmpeq_epi8(limit[k], _mm_set1_epi8(-1));
        }
    }
    __m128i wanted[3], limit[3];
    __m128i free[3]; // bytes whose limit lets anything through
};

// Which of 16 bytes (the k-th vector of a pattern) count as background, each as 0xFF: within
// the limit of the reference.
struct Tolerant {
    const Pattern& pattern;
    __m128i operator()(__m128i value, int k) const
    {
        const __m128i distance = _mm_or_si128(_mm_subs_epu8(value, pattern.wanted[k]), _mm_subs_epu8(pattern.wanted[k], value));
        return _mm_cmpeq_epi8(_mm_subs_epu8(distance, pattern.limit[k]), _mm_setzero_si128());
    }
};

// The same for limits of 0 and 255 only, as an exact colour has: one comparison.
struct Exact {
    const Pattern& pattern;
    __m128i operator()(__m128i value, int k) const { return _mm_or_si128(_mm_cmpeq_epi8(value, pattern.wanted[k]), pattern.free[k]); }
};

// Bit i set when pixel i of the 16 four-byte pixels at p is background.
template <class Match>
inline unsigned background16(const std::byte* p, const Match& match)
{
    const auto pixelsWithin = [&](int k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p) + k);
        return _mm_cmpeq_epi32(match(v, 0), _mm_set1_epi32(-1));
    };
    const __m128i low = _mm_packs_epi32(pixelsWithin(0), pixelsWithin(1));
    const __m128i high = _mm_packs_epi32(pixelsWithin(2), pixelsWithin(3));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
}

// For twelve bits, one per byte of four three-byte pixels: bit j set when all three of pixel
// j's are.
constexpr std::array<std::uint8_t, 4096> kWholePixels = [] {
    std::array<std::uint8_t, 4096> table{};
    for (unsigned bits = 0; bits < 4096; ++bits)
        for (unsigned j = 0; j < 4; ++j)
            if ((bits >> (3 * j) & 7) == 7)
                table[bits] = static_cast<std::uint8_t>(table[bits] | 1u << j);
    return table;
}();

// Bit i set when pixel i of the 16 three-byte pixels at p is background.
template <class Match>
inline unsigned background16of24(const std::byte* p, const Match& match)
{
    std::uint64_t bytes = 0;
    for (int k = 0; k < 3; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p) + k);
        bytes |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(match(v, k)))) << (16 * k);
    }
    return kWholePixels[bytes & 0xFFF] | kWholePixels[bytes >> 12 & 0xFFF] << 4 | kWholePixels[bytes >> 24 & 0xFFF] << 8 |
           kWholePixels[bytes >> 36 & 0xFFF] << 12;
}

#endif

// Sets the mask words of one row from pixels of `bytesPerPixel` bytes. `background16` gives
// the background bits of 16 pixels at once; `pixelAt` reads one pixel for the rest.
template <int bytesPerPixel, class Background16, class PixelAt>
void maskRow(const std::byte* row, int width, const BackgroundRule& rule, std::uint64_t* words, Background16 background16,
             PixelAt pixelAt)
{
    // Whole words with 256-bit compares where the processor has them; the rest here.
    int x = 0;
#if defined(ICONFINDER_AVX2)
    static const bool wide = avx2::available();
    if (wide)
        x = avx2::maskWords(row, width, bytesPerPixel, rule.reference(), rule.limits(), rule.isExact(), words);
#endif
    std::fill(words + (x >> 6), words + wordsFor(width), 0);
    if constexpr (!std::is_same_v<Background16, std::nullptr_t>) {
        for (; x + 16 <= width; x += 16) {
            const std::uint64_t background = background16(row + static_cast<std::size_t>(x) * bytesPerPixel);
            words[x >> 6] |= (~background & 0xFFFF) << (x & 63);
        }
    }
    for (; x < width; ++x)
        if (!rule.isBackground(pixelAt(row + static_cast<std::size_t>(x) * bytesPerPixel)))
            words[x >> 6] |= std::uint64_t{1} << (x & 63);
}

} // namespace

ForegroundMask::ForegroundMask(int width, int height, bool zeroed)
    : width_(width), height_(height), wordsPerRow_(wordsFor(width)),
      words_(wordsPerRow_ * static_cast<std::size_t>(height), zeroed)
{
}

ForegroundMask::ForegroundMask(int width, int height) : ForegroundMask(width, height, true) {}

ForegroundMask ForegroundMask::copy() const
{
    ForegroundMask twin(width_, height_, false);
    std::copy(words_.data(), words_.data() + words_.size(), twin.words_.data());
    return twin;
}

bool operator==(const ForegroundMask& a, const ForegroundMask& b)
{
    return a.width_ == b.width_ && a.height_ == b.height_ &&
           std::equal(a.words_.data(), a.words_.data() + a.wordsPerRow_ * static_cast<std::size_t>(a.height_), b.words_.data());
}

void MaskBuilder::start(int width, int height, bool hasAlpha)
{
    if (rule_.isTransparent() && !hasAlpha)
        throw Error("the picture has no alpha channel, so no pixel is transparent (choose a background colour)");
    mask_ = ForegroundMask(width, height, false);
}

void MaskBuilder::putPixels(int y, int first, int step, const std::byte* row, RowLayout layout)
{
    // Every bit set or cleared, since the mask starts unset and each pixel comes once.
    std::uint64_t* words = mask_.row(y);
    for (int x = first; x < mask_.width(); x += step) {
        const std::uint64_t bit = std::uint64_t{1} << (x & 63);
        if (rule_.isBackground(pixelAt(row, layout, x)))
            words[x >> 6] &= ~bit;
        else
            words[x >> 6] |= bit;
    }
    // The padding past the last pixel stays clear.
    if (first == 0 && mask_.width() % 64 != 0)
        words[mask_.wordsPerRow() - 1] &= ~std::uint64_t{0} >> (64 - mask_.width() % 64);
}

void MaskBuilder::putRow(int y, const std::byte* row, RowLayout layout)
{
    // Rows without alpha come only from pictures without it, which start() refuses under the
    // transparent rule; a colour rule never looks at the fourth byte.
    std::uint64_t* words = mask_.row(y);
    const int width = mask_.width();
#if defined(__SSE2__)
    const bool threeBytes = layout == RowLayout::Bgr24;
    const Pattern pattern(rule_, threeBytes ? 3 : 4);
    const auto run = [&](const auto& match) {
        if (threeBytes)
            maskRow<3>(row, width, rule_, words, [&](const std::byte* p) { return background16of24(p, match); }, load24);
        else
            maskRow<4>(row, width, rule_, words, [&](const std::byte* p) { return background16(p, match); }, load32);
    };
    if (rule_.isExact())
        run(Exact{pattern});
    else
        run(Tolerant{pattern});
#else
    if (layout == RowLayout::Bgr24)
        maskRow<3>(row, width, rule_, words, nullptr, load24);
    else
        maskRow<4>(row, width, rule_, words, nullptr, load32);
#endif
}

ForegroundMask maskOf(const PixelImage& picture, const BackgroundRule& rule)
{
    MaskBuilder builder(rule);
    builder.start(picture.width(), picture.height(), picture.hasAlpha());
    for (int y = 0; y < picture.height(); ++y)
        builder.putRow(y, reinterpret_cast<const std::byte*>(picture.row(y)), RowLayout::Bgra32);
    return builder.take();
}

} // namespace iconfinder
