#include "formats/picture_file.h"

#include "common/errors.h"
#include "formats/bmp/bmp_reader.h"
#include "formats/bmp/bmp_writer.h"
#include "files/output_file.h"
#include "formats/png/png_reader.h"
#include "formats/png/png_writer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace iconfinder {
namespace {

constexpr std::array<unsigned char, 8> kPngSignature{137, 80, 78, 71, 13, 10, 26, 10};

bool startsWith(ByteSource& source, std::span<const unsigned char> signature)
{
    if (source.size() < signature.size())
        return false;
    std::array<std::byte, 8> first{};
    source.copy(0, std::span(first).first(signature.size()));
    return std::equal(signature.begin(), signature.end(), first.begin(), [](unsigned char a, std::byte b) { return std::byte{a} == b; });
}

} // namespace

std::string_view formatName(FileFormat format) { return format == FileFormat::Png ? "png" : "bmp"; }

std::optional<FileFormat> formatOfName(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    if (extension == ".png")
        return FileFormat::Png;
    if (extension == ".bmp")
        return FileFormat::Bmp;
    return std::nullopt;
}

FileFormat decodePicture(ByteSource& source, RowSink& sink)
{
    if (startsWith(source, kPngSignature)) {
        png::decode(source, sink);
        return FileFormat::Png;
    }
    static constexpr unsigned char kBmpSignature[] = {'B', 'M'};
    if (startsWith(source, kBmpSignature)) {
        bmp::decode(source, sink);
        return FileFormat::Bmp;
    }
    throw FormatError("not a PNG or BMP file");
}

FileFormat readPictureFile(const std::filesystem::path& path, RowSink& sink)
{
    FileSource source(path);
    return decodePicture(source, sink);
}

void encodePicture(const PixelImage& picture, FileFormat format, ByteWriter& out)
{
    if (format == FileFormat::Png)
        png::write(picture, out);
    else
        bmp::write(picture, out);
}

void writePictureFile(const PixelImage& picture, FileFormat format, const std::filesystem::path& path)
{
    writeWholeFile(path, [&](ByteWriter& out) { encodePicture(picture, format, out); });
}

} // namespace iconfinder
