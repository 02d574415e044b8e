#pragma once

#include "atlas/atlas.h"

#include <string>

namespace iconfinder {

// One writer a layout, each over the same frames (atlas.h).
std::string jsonAtlas(const Atlas& atlas, AtlasLayout layout); // Hash, Array or Aseprite
std::string starlingAtlas(const Atlas& atlas);
std::string libgdxAtlas(const Atlas& atlas);
std::string cssAtlas(const Atlas& atlas);

} // namespace iconfinder
