#pragma once

#include "files/byte_source.h"
#include "files/file_io.h"
#include "image/pixel_image.h"
#include "image/row_sink.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace iconfinder {

enum class FileFormat { Bmp, Png };

// "bmp" or "png".
std::string_view formatName(FileFormat format);

// The format a file name asks for by its extension (.bmp or .png, in any case).
std::optional<FileFormat> formatOfName(const std::filesystem::path& path);

// Decodes a PNG or BMP file into `sink`, recognising the format by its first bytes, never by
// its name; anything else is refused with "not a PNG or BMP file". Throws FormatError or
// IoError with what was wrong.
FileFormat decodePicture(ByteSource& source, RowSink& sink);
FileFormat readPictureFile(const std::filesystem::path& path, RowSink& sink);

// Encodes a picture: a 24-bit bitmap, or a PNG with alpha when the picture has it.
void encodePicture(const PixelImage& picture, FileFormat format, ByteWriter& out);
// Writes it whole or not at all; throws IoError.
void writePictureFile(const PixelImage& picture, FileFormat format, const std::filesystem::path& path);

} // namespace iconfinder
