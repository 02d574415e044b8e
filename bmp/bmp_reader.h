#pragma once

#include "format_error.h"
#include "pixel_image.h"

#include <cstddef>
#include <filesystem>
#include <span>

namespace iconfinder::bmp {

// Decodes a Windows or OS/2 bitmap into 32 bits per pixel with its colours unchanged.
// Throws FormatError with what was wrong; never reads past the bytes it is given.
PixelImage read(std::span<const std::byte> file);
PixelImage readFile(const std::filesystem::path& path);

} // namespace iconfinder::bmp
