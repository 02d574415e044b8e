#include "region_extraction.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace iconfinder {
namespace {

constexpr std::uint64_t kAll = ~std::uint64_t{0};

// The pixels of `mask` reachable from `seeds` (a subset of it) by moving towards bit 0
// through set bits: a ladder of doubling shifts instead of one step per pixel.
inline std::uint64_t fillTowardsBitZero(std::uint64_t seeds, std::uint64_t mask)
{
    seeds |= mask & (seeds >> 1);
    mask &= mask >> 1;
    seeds |= mask & (seeds >> 2);
    mask &= mask >> 2;
    seeds |= mask & (seeds >> 4);
    mask &= mask >> 4;
    seeds |= mask & (seeds >> 8);
    mask &= mask >> 8;
    seeds |= mask & (seeds >> 16);
    mask &= mask >> 16;
    return seeds | (mask & (seeds >> 32));
}

// Bits lo .. hi of a word.
inline std::uint64_t bitRange(int lo, int hi) { return (kAll << lo) & (kAll >> (63 - hi)); }

// The runs of `bits` that hold a pixel of `seeds` (a subset of it), within one word.
inline std::uint64_t runsThrough(std::uint64_t seeds, std::uint64_t bits)
{
    const std::uint64_t right = (bits & ~(bits + seeds)) | seeds;
    return (bits & ~seeds & seeds >> 1) != 0 ? right | fillTowardsBitZero(seeds, bits) : right;
}

// Whether a word's pixels might continue into the word before or after it.
inline bool touchesEdge(std::uint64_t bits) { return (bits & 1) != 0 || bits >> 63 != 0; }

// The growth of one region: its box, and the steps that take runs and offer neighbour rows.
// Kept in one local object so that the compiler holds the box in registers.
struct Growth {
    std::uint64_t* mask;
    std::uint64_t* frontier;
    std::size_t stride;
    int wordsPerRow;
    int height;
    std::uint64_t* offered; // the words offered to a row, indexed like the row
    std::uint64_t* taken;   // the words taken from it
    PendingQueue& PendingPixels;
    int minX, minY, maxX, maxY;

    std::uint64_t* maskRow(int y) const { return mask + static_cast<std::size_t>(y) * stride; }
    std::uint64_t* frontierRow(int y) const { return frontier + static_cast<std::size_t>(y) * stride; }

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
        minX = std::min(minX, lowest * 64 + std::countr_zero(taken[lowest]));
        maxX = std::max(maxX, highest * 64 + 63 - std::countl_zero(taken[highest]));
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
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

    // Follows a region through single words: while the pixels taken last in row y lie inside
    // word i without touching its edges, the next row's share is taken here and kept in a
    // register instead of going through the frontier and the queue, towards the side that
    // has any; the other side, when both have, goes the general way. Narrow shapes, lines
    // above all, cost a few instructions a row like this.
    void follow(int y, int i, std::uint64_t bits)
    {
        for (;;) {
            const std::uint64_t near = bits | bits << 1 | bits >> 1;
            const bool up = y > 0 && (maskRow(y - 1)[i] & near) != 0;
            const bool down = y + 1 < height && (maskRow(y + 1)[i] & near) != 0;
            if (!up && !down)
                return;
            offered[i] = near;
            if (up && down)
                offerRow(y - 1, i, i);
            y += down ? 1 : -1;
            std::uint64_t& word = maskRow(y)[i];
            const std::uint64_t next = runsThrough(word & near, word);
            if (touchesEdge(next)) {
                offerRow(y, i, i);
                return;
            }
            word &= ~next;
            minX = std::min(minX, i * 64 + std::countr_zero(next));
            maxX = std::max(maxX, i * 64 + 63 - std::countl_zero(next));
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
            bits = next;
        }
    }

    // Offers the rows above and below the frontier of row y in words first .. last.
    void visit(int y, int first, int last)
    {
        std::uint64_t* front = frontierRow(y);
        if (first == last && front[first] != 0 && !touchesEdge(front[first])) {
            const std::uint64_t bits = std::exchange(front[first], 0);
            follow(y, first, bits);
            return;
        }
        // The word before or after is offered only where the frontier touches its edge.
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
        std::uint64_t* summary = summary_.data() + static_cast<std::size_t>(y) * summaryPerRow_;
        for (std::size_t i = 0; i < work.wordsPerRow(); ++i)
            summary[i >> 6] |= std::uint64_t{row[i] != 0} << (i & 63);
    }
}

bool RegionExtraction::findSeed(int& x, int& y)
{
    for (; seedY_ < work_.height(); ++seedY_, seedX_ = 0) {
        const std::uint64_t* row = work_.row(seedY_);
        std::uint64_t* summary = summary_.data() + static_cast<std::size_t>(seedY_) * summaryPerRow_;
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
                    summary[s] &= ~(std::uint64_t{1} << (i & 63));
            }
        }
    }
    return false;
}

void RegionExtraction::takeRegion(int seedX, int seedY, RegionBox& box)
{
    pendingPixels_.reset(work_.height());
    Growth growth{work_.row(0), frontier_.data(), work_.wordsPerRow(), static_cast<int>(work_.wordsPerRow()), work_.height(),
                  offered_.data(), taken_.data(), pendingPixels_, seedX, seedY, seedX, seedY};
    const int seedWord = seedX >> 6;
    std::uint64_t& word = work_.row(seedY)[seedWord];
    const std::uint64_t seedRun = runsThrough(std::uint64_t{1} << (seedX & 63), word);
    if (touchesEdge(seedRun)) {
        offered_[static_cast<std::size_t>(seedWord)] = std::uint64_t{1} << (seedX & 63);
        growth.offerRow(seedY, seedWord, seedWord);
    } else {
        word &= ~seedRun;
        growth.minX = seedWord * 64 + std::countr_zero(seedRun);
        growth.maxX = seedWord * 64 + 63 - std::countl_zero(seedRun);
        growth.follow(seedY, seedWord, seedRun);
    }
    for (int y; (y = pendingPixels_.topRow()) >= 0;)
        pendingPixels_.takeRow(y, [&](int first, int last) { growth.visit(y, first, last); });
    box = {growth.minX, growth.minY, growth.maxX, growth.maxY};
}

void RegionExtraction::eraseBox(const RegionBox& box)
{
    if (box.maxX <= box.minX || box.maxY <= box.minY)
        return;
    const int firstWord = box.minX >> 6;
    const int lastWord = (box.maxX - 1) >> 6;
    const std::uint64_t firstBits = kAll << (box.minX & 63);
    const std::uint64_t lastBits = kAll >> (63 - ((box.maxX - 1) & 63));
    for (int y = box.minY; y < box.maxY; ++y) {
        std::uint64_t* row = work_.row(y);
        std::uint64_t* summary = summary_.data() + static_cast<std::size_t>(y) * summaryPerRow_;
        for (int s = firstWord >> 6; s <= lastWord >> 6; ++s) {
            const int lo = s == firstWord >> 6 ? firstWord & 63 : 0;
            const int hi = s == lastWord >> 6 ? lastWord & 63 : 63;
            for (std::uint64_t words = summary[s] & bitRange(lo, hi); words != 0; words &= words - 1) {
                const int i = s * 64 + std::countr_zero(words);
                std::uint64_t bits = kAll;
                if (i == firstWord)
                    bits &= firstBits;
                if (i == lastWord)
                    bits &= lastBits;
                row[i] &= ~bits;
                if (row[i] == 0)
                    summary[s] &= ~(std::uint64_t{1} << (i & 63));
            }
        }
    }
}

bool RegionExtraction::FindOneRegion()
{
    int x = 0, y = 0;
    if (!findSeed(x, y))
        return false;
    RegionBox box;
    takeRegion(x, y, box);
    eraseBox(box);
    boxes_.push_back(box);
    return true;
}

} // namespace iconfinder
