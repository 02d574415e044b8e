#pragma once

#include "common/errors.h"
#include "files/byte_source.h"
#include "image/pixel_image.h"
#include "image/row_sink.h"

#include <cstddef>
#include <filesystem>
#include <span>

namespace iconfinder::bmp {

// Decodes a Windows or OS/2 bitmap into `sink`, colours unchanged, 255 as alpha unless a
// bit-field mask gives one. Throws FormatError with what was wrong (IoError from the source);
// never reads past the bytes it is given, and checks every size before the sink allocates.
void decode(ByteSource& source, RowSink& sink);

// The same, into a picture.
PixelImage read(std::span<const std::byte> file);
PixelImage readFile(const std::filesystem::path& path);

} // namespace iconfinder::bmp
