#include "regions/region_extraction.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace iconfinder {
namespace {

constexpr std::uint64_t kAll = ~std::uint64_t{0};

// Bits lo .. hi of a word.
inline std::uint64_t bitRange(int lo, int hi) { return (kAll << lo) & (kAll >> (63 - hi)); }

// Marks word i of a row empty in the row's summary.
inline void forgetWord(std::uint64_t* summary, std::size_t i) { summary[i >> 6] &= ~(std::uint64_t{1} << (i & 63)); }

// Two neighbouring words of a row seen as one, the first in the low half, so that narrow
// shapes need no care where one word ends and the next begins.
__extension__ using Pair = unsigned __int128;

// The pixels of `mask` reachable from `seeds` (a subset of it) by moving towards bit 0
// through set bits: a ladder of doubling shifts instead of one step per pixel.
template <class Bits>
inline Bits fillTowardsBitZero(Bits seeds, Bits mask)
{
    for (int step = 1; step < static_cast<int>(8 * sizeof(Bits)); step *= 2) {
        seeds |= mask & (seeds >> step);
        mask &= mask >> step;
    }
    return seeds;
}

// The runs of `bits` that hold a pixel of `seeds` (a subset of it): to the right, adding a
// seed to its run carries through the run's set bits and stops at the clear bit after it; to
// the left, the ladder, only where a run reaches below its lowest seed.
template <class Bits>
inline Bits runsThrough(Bits seeds, Bits bits)
{
    const Bits right = (bits & ~(bits + seeds)) | seeds;
    return (bits & ~seeds & seeds >> 1) != 0 ? right | fillTowardsBitZero(seeds, bits) : right;
}

// Word `first` of every row, or words first and first + 1 as one pair, and the bits whose
// runs might go on outside it.
template <class Bits>
struct Window {
    static constexpr int kWords = static_cast<int>(sizeof(Bits) / sizeof(std::uint64_t));
    int first;
    bool pair; // both words exist
    Bits edges;

    Window(int firstWord, int wordsPerRow) : first(firstWord), pair(kWords == 2 && firstWord + 1 < wordsPerRow), edges(0)
    {
        if (first > 0)
            edges |= 1;
        if (first + (pair ? 2 : 1) < wordsPerRow)
            edges |= Bits{1} << (pair ? 127 : 63);
    }
    Bits load(const std::uint64_t* row) const
    {
        if constexpr (kWords == 2)
            return pair ? Pair{row[first + 1]} << 64 | row[first] : Pair{row[first]};
        return row[first];
    }
    void clear(std::uint64_t* row, Bits bits) const
    {
        row[first] &= ~static_cast<std::uint64_t>(bits);
        if constexpr (kWords == 2) {
            if (pair)
                row[first + 1] &= ~static_cast<std::uint64_t>(bits >> 64);
        }
    }
    // Clears `bits` from a mask row and the summary's bit of each word left empty.
    void take(std::uint64_t* row, Bits bits, std::uint64_t* summary) const
    {
        clear(row, bits);
        for (int i = first; i < first + (pair ? 2 : 1); ++i)
            if (row[i] == 0)
                forgetWord(summary, static_cast<std::size_t>(i));
    }
    int lowest(Bits bits) const
    {
        const auto low = static_cast<std::uint64_t>(bits);
        if constexpr (kWords == 2) {
            if (low == 0)
                return first * 64 + 64 + std::countr_zero(static_cast<std::uint64_t>(bits >> 64));
        }
        return first * 64 + std::countr_zero(low);
    }
    int highest(Bits bits) const
    {
        if constexpr (kWords == 2) {
            const auto high = static_cast<std::uint64_t>(bits >> 64);
            if (high != 0)
                return first * 64 + 127 - std::countl_zero(high);
        }
        return first * 64 + 63 - std::countl_zero(static_cast<std::uint64_t>(bits));
    }
};

using WordWindow = Window<std::uint64_t>;
using PairWindow = Window<Pair>;

// The growth of one region: its box, and the steps that take runs and offer neighbour rows.
struct Growth {
    std::uint64_t* mask;       // the working mask, wordsPerRow words a row
    std::uint64_t* frontier;   // laid out as the mask: the pixels taken but not yet offered on
    std::uint64_t* summary;    // summaryWords words a row: a bit per mask word that may be non-zero
    std::size_t summaryWords;
    int wordsPerRow;
    int height;
    std::uint64_t* offered;    // the words offered to a row, indexed like the row
    std::uint64_t* taken;      // the words taken from it
    PendingQueue& PendingPixels;
    RegionBox box;             // of what was taken so far

    std::uint64_t* maskRow(int y) const { return mask + static_cast<std::size_t>(y) * static_cast<std::size_t>(wordsPerRow); }
    std::uint64_t* frontierRow(int y) const { return frontier + static_cast<std::size_t>(y) * static_cast<std::size_t>(wordsPerRow); }
    std::uint64_t* summaryRow(int y) const { return summary + static_cast<std::size_t>(y) * summaryWords; }

    // Takes the pixels taken[first .. last] of row y: clears them from the mask, makes them
    // the row's frontier, widens the box and queues each stretch of non-empty words.
    void AddPendingPixel(int y, int first, int last)
    {
        std::uint64_t* row = maskRow(y);
        std::uint64_t* front = frontierRow(y);
        int stretch = -1;
        int lowest = -1, highest = -1;
        for (int i = first; i <= last; ++i) {
            const std::uint64_t bits = taken[i];
            if (bits == 0) {
                if (stretch >= 0)
                    PendingPixels.push(y, stretch, i - 1);
                stretch = -1;
                continue;
            }
            row[i] &= ~bits;
            if (row[i] == 0)
                forgetWord(summaryRow(y), static_cast<std::size_t>(i));
            front[i] |= bits;
            if (stretch < 0)
                stretch = i;
            if (lowest < 0)
                lowest = i;
            highest = i;
        }
        if (stretch >= 0)
            PendingPixels.push(y, stretch, last);
        if (lowest < 0)
            return;
        box.minX = std::min(box.minX, lowest * 64 + std::countr_zero(taken[lowest]));
        box.maxX = std::max(box.maxX, highest * 64 + 63 - std::countl_zero(taken[highest]));
        box.minY = std::min(box.minY, y);
        box.maxY = std::max(box.maxY, y);
    }

    // Takes every foreground run of row y that holds a pixel of offered[a .. b].
    void offerRow(int y, int a, int b)
    {
        const std::uint64_t* row = maskRow(y);
        bool any = false;
        for (int i = a; i <= b; ++i)
            any |= (row[i] & offered[i]) != 0;
        if (!any)
            return;
        // To the right: adding a seed to its run carries through the run's set bits and
        // stops at the clear bit after it; a carry out of a word continues into the next.
        int last = a;
        std::uint64_t carry = 0;
        for (int i = a; i < wordsPerRow && (i <= b || carry); ++i) {
            const std::uint64_t seeds = ((i <= b ? offered[i] : 0) | carry) & row[i];
            const std::uint64_t sum = row[i] + seeds;
            taken[i] = (row[i] & ~sum) | seeds;
            carry = sum < row[i];
            last = i;
        }
        // To the left, the same with the fill towards bit zero and a borrow into bit 63; the
        // ladder only where a run reaches below its lowest seed.
        int first = b;
        std::uint64_t borrow = 0;
        for (int i = b; i >= 0 && (i >= a || borrow); --i) {
            const std::uint64_t seeds = ((i >= a ? offered[i] : 0) | borrow << 63) & row[i];
            const std::uint64_t left = (row[i] & ~seeds & seeds >> 1) != 0 ? fillTowardsBitZero(seeds, row[i]) : seeds;
            taken[i] = i >= a ? taken[i] | left : left;
            borrow = left & 1;
            first = i;
        }
        AddPendingPixel(y, first, last);
    }

    // Offers the pixels `near` of a window's row the general way.
    template <class Bits>
    void offerRow(int y, const Window<Bits>& window, Bits near)
    {
        offered[window.first] = static_cast<std::uint64_t>(near);
        if constexpr (Window<Bits>::kWords == 2) {
            if (window.pair)
                offered[window.first + 1] = static_cast<std::uint64_t>(near >> 64);
        }
        offerRow(y, window.first, window.first + (window.pair ? 1 : 0));
    }

    // Follows a region through a window: while the pixels taken last, in row y, lie inside it
    // without touching its edges, the next row's share is taken here and kept in registers
    // instead of going through the frontier and the queue, towards the side that has any; the
    // other side, when both have, goes the general way. A chain in one word that reaches an
    // edge goes on in a pair of words. Narrow shapes, most icons among them, cost a few
    // instructions a row like this.
    template <class Bits>
    void follow(int y, const Window<Bits>& window, Bits bits)
    {
        // The chain's box is kept in locals, which stay in registers, and joined to the
        // region's when the chain ends: min and max do not mind the order.
        int left = box.minX, right = box.maxX, top = box.minY, bottom = box.maxY;
        const auto joinBox = [&] {
            box.minX = std::min(box.minX, left);
            box.maxX = std::max(box.maxX, right);
            box.minY = std::min(box.minY, top);
            box.maxY = std::max(box.maxY, bottom);
        };
        std::uint64_t* row = maskRow(y);
        const auto step = static_cast<std::ptrdiff_t>(wordsPerRow);
        for (;;) {
            const Bits near = bits | bits << 1 | bits >> 1;
            const bool up = y > 0 && (window.load(row - step) & near) != 0;
            const bool down = y + 1 < height && (window.load(row + step) & near) != 0;
            if (!up && !down)
                break;
            if (up && down)
                offerRow(y - 1, window, near);
            y += down ? 1 : -1;
            row += down ? step : -step;
            const Bits here = window.load(row);
            const Bits next = runsThrough(here & near, here);
            if ((next & window.edges) != 0) {
                joinBox();
                if constexpr (Window<Bits>::kWords == 1) {
                    // Into a pair with the word on the side it reached, unless it reached both.
                    const bool low = (next & 1) != 0, high = next >> 63 != 0;
                    if (low != high) {
                        const PairWindow pair(low ? window.first - 1 : window.first, wordsPerRow);
                        const Pair pairNear = Pair{near} << (low ? 64 : 0);
                        const Pair pairHere = pair.load(row);
                        const Pair pairNext = runsThrough(pairHere & pairNear, pairHere);
                        if ((pairNext & pair.edges) == 0) {
                            pair.take(row, pairNext, summaryRow(y));
                            box.minX = std::min(box.minX, pair.lowest(pairNext));
                            box.maxX = std::max(box.maxX, pair.highest(pairNext));
                            box.minY = std::min(box.minY, y);
                            box.maxY = std::max(box.maxY, y);
                            follow(y, pair, pairNext);
                            return;
                        }
                    }
                }
                offerRow(y, window, near);
                return;
            }
            window.take(row, next, summaryRow(y));
            left = std::min(left, window.lowest(next));
            right = std::max(right, window.highest(next));
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            bits = next;
        }
        joinBox();
    }

    // Offers the rows above and below the frontier of row y in words first .. last.
    void visit(int y, int first, int last)
    {
        std::uint64_t* front = frontierRow(y);
        // Fast path: a frontier within one word, or a pair of words, away from the window's
        // edges is followed row by row in registers.
        if (first == last) {
            const WordWindow window(first, wordsPerRow);
            const std::uint64_t bits = window.load(front);
            if (bits != 0 && (bits & window.edges) == 0) {
                window.clear(front, bits);
                follow(y, window, bits);
                return;
            }
        } else if (last == first + 1) {
            const PairWindow window(first, wordsPerRow);
            const Pair bits = window.load(front);
            if ((bits & window.edges) == 0) {
                window.clear(front, bits);
                follow(y, window, bits);
                return;
            }
        }
        // The general way: the word before or after is offered only where the frontier
        // touches its edge.
        const int a = first > 0 && (front[first] & 1) ? first - 1 : first;
        const int b = last + 1 < wordsPerRow && (front[last] >> 63) ? last + 1 : last;
        std::fill(offered + a, offered + b + 1, 0);
        bool any = false;
        for (int i = first; i <= last; ++i) {
            const std::uint64_t bits = front[i];
            if (bits == 0)
                continue;
            front[i] = 0;
            any = true;
            offered[i] |= bits | bits << 1 | bits >> 1;
            if (i > 0)
                offered[i - 1] |= bits << 63;
            if (i + 1 < wordsPerRow)
                offered[i + 1] |= bits >> 63;
        }
        if (!any)
            return;
        if (y > 0)
            offerRow(y - 1, a, b);
        if (y + 1 < height)
            offerRow(y + 1, a, b);
    }
};

} // namespace

RegionExtraction::RegionExtraction(ForegroundMask& work)
    : work_(work), summaryPerRow_((work.wordsPerRow() + 63) / 64),
      summary_(summaryPerRow_ * static_cast<std::size_t>(work.height()), 0),
      frontier_(work.wordsPerRow() * static_cast<std::size_t>(work.height()), true), offered_(work.wordsPerRow()),
      taken_(work.wordsPerRow())
{
    for (int y = 0; y < work.height(); ++y) {
        const std::uint64_t* row = work.row(y);
        std::uint64_t* summary = summaryRow(y);
        for (std::size_t i = 0; i < work.wordsPerRow(); ++i)
            summary[i >> 6] |= std::uint64_t{row[i] != 0} << (i & 63);
    }
}

bool RegionExtraction::findSeed(int& x, int& y)
{
    for (; seedY_ < work_.height(); ++seedY_, seedX_ = 0) {
        const std::uint64_t* row = work_.row(seedY_);
        std::uint64_t* summary = summaryRow(seedY_);
        const std::size_t startWord = static_cast<std::size_t>(seedX_) >> 6;
        for (std::size_t s = startWord >> 6; s < summaryPerRow_; ++s) {
            std::uint64_t candidates = summary[s] & (s == startWord >> 6 ? kAll << (startWord & 63) : kAll);
            for (; candidates != 0; candidates &= candidates - 1) {
                const std::size_t i = s * 64 + static_cast<std::size_t>(std::countr_zero(candidates));
                const std::uint64_t bits = row[i] & (i == startWord ? kAll << (seedX_ & 63) : kAll);
                if (bits != 0) {
                    seedX_ = x = static_cast<int>(i * 64) + std::countr_zero(bits);
                    y = seedY_;
                    return true;
                }
                if (row[i] == 0)
                    forgetWord(summary, i);
            }
        }
    }
    return false;
}

RegionBox RegionExtraction::takeRegion(int seedX, int seedY)
{
    const int wordsPerRow = static_cast<int>(work_.wordsPerRow());
    const auto stride = static_cast<std::ptrdiff_t>(wordsPerRow);
    std::uint64_t* row = work_.row(seedY);
    // Fast path: nothing lies left of the seed in its row, so its run can only reach past its
    // word's end; a run inside the word is taken at once.
    const WordWindow window(seedX >> 6, wordsPerRow);
    const std::uint64_t seed = std::uint64_t{1} << (seedX & 63);
    const std::uint64_t here = window.load(row);
    const std::uint64_t seedRun = runsThrough(seed, here);
    const bool inWindow = (seedRun & window.edges) == 0;
    RegionBox box{seedX, seedY, seedX, seedY};
    if (inWindow) {
        window.take(row, seedRun, summaryRow(seedY));
        box.maxX = window.highest(seedRun);
        // A run with nothing above or below it, as specks and dots are, is the whole region.
        const std::uint64_t near = seedRun | seedRun << 1 | seedRun >> 1;
        if ((seedY == 0 || (window.load(row - stride) & near) == 0) && (seedY + 1 == work_.height() || (window.load(row + stride) & near) == 0))
            return box;
    }
    pendingPixels_.reset(work_.height());
    Growth growth{.mask = work_.row(0),
                  .frontier = frontier_.data(),
                  .summary = summary_.data(),
                  .summaryWords = summaryPerRow_,
                  .wordsPerRow = wordsPerRow,
                  .height = work_.height(),
                  .offered = offered_.data(),
                  .taken = taken_.data(),
                  .PendingPixels = pendingPixels_,
                  .box = box};
    if (inWindow)
        growth.follow(seedY, window, seedRun);
    else
        growth.offerRow(seedY, window, seed);
    for (int y; (y = pendingPixels_.topRow()) >= 0;)
        pendingPixels_.takeRow(y, [&](int first, int last) { growth.visit(y, first, last); });
    return growth.box;
}

void RegionExtraction::eraseRect(const Rect& rect)
{
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    const int firstWord = rect.left >> 6;
    const int lastWord = (rect.right - 1) >> 6;
    const std::uint64_t firstBits = kAll << (rect.left & 63);
    const std::uint64_t lastBits = kAll >> (63 - ((rect.right - 1) & 63));
    // Clears the box's columns of word i of a row, and the summary's bit once it is empty.
    const auto clear = [&](std::uint64_t* row, std::uint64_t* summary, int i) {
        row[i] &= ~((i == firstWord ? firstBits : kAll) & (i == lastWord ? lastBits : kAll));
        if (row[i] == 0)
            forgetWord(summary, static_cast<std::size_t>(i));
    };
    const int firstSummary = firstWord >> 6, lastSummary = lastWord >> 6;
    for (int y = rect.top; y < rect.bottom; ++y) {
        std::uint64_t* row = work_.row(y);
        std::uint64_t* summary = summaryRow(y);
        for (int s = firstSummary; s <= lastSummary; ++s) {
            const std::uint64_t range = bitRange(s == firstSummary ? firstWord & 63 : 0, s == lastSummary ? lastWord & 63 : 63);
            for (std::uint64_t words = summary[s] & range; words != 0; words &= words - 1)
                clear(row, summary, s * 64 + std::countr_zero(words));
        }
    }
}

bool RegionExtraction::FindOneRegion()
{
    int x = 0, y = 0;
    if (!findSeed(x, y))
        return false;
    const RegionBox box = takeRegion(x, y);
    eraseRect(erasedBy(box));
    boxes_.push_back(box);
    return true;
}

} // namespace iconfinder
