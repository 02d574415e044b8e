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
// is kept when it holds the box and differs from the box alone.
void addFrame(std::vector<NamedBox>& frames, std::string name, RegionBox box, std::optional<FrameTrim> trim = std::nullopt);

// Refuses a frame stored turned on its side: cutting its box would give the wrong pixels.
[[noreturn]] void refuseRotated(const std::string& name);

std::vector<NamedBox> jsonAtlas(std::string_view text);
std::vector<NamedBox> starlingAtlas(std::string_view text);
std::vector<NamedBox> libgdxAtlas(std::string_view text);

} // namespace iconfinder::atlas_reading
