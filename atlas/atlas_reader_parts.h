#pragma once

#include "atlas/atlas_reader.h"

#include <string>
#include <string_view>
#include <vector>

// What the readers of each layout share: the box a frame's numbers make, and the limits that
// keep a hostile atlas from costing more than its size.
namespace iconfinder::atlas_reading {

inline constexpr std::size_t kMostFrames = std::size_t{1} << 22;
inline constexpr std::size_t kLongestName = 4096; // far beyond a file name: checked later as a name
inline constexpr int kDeepestNesting = 64;

// Throws InputError unless the numbers make a box inside the largest picture.
RegionBox boxOf(const std::string& name, long long x, long long y, long long w, long long h);

// Appends a frame, refusing more than kMostFrames and names longer than kLongestName. A trim
// is kept when it holds the frame (its box turned back upright when `turn` says it lies turned)
// and differs from the frame alone; a turned frame always has one, which says so.
void addFrame(std::vector<NamedBox>& frames, std::string name, RegionBox box, std::optional<FrameTrim> trim = std::nullopt,
              Turn turn = Turn::None, FrameNotes notes = {});

// A finite decimal number such as 12 or -3.5 that is the whole text, or none.
std::optional<double> decimalIn(std::string_view text);

// Refuses a frame stored turned other than a quarter round.
[[noreturn]] void refuseTurn(const std::string& name, std::string_view degrees);

std::vector<NamedBox> jsonAtlas(std::string_view text);
std::vector<NamedBox> starlingAtlas(std::string_view text);
std::vector<NamedBox> libgdxAtlas(std::string_view text);

} // namespace iconfinder::atlas_reading
