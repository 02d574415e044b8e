#include "formats/bmp/bmp_reader.h"

#include "formats/bmp/bmp_layout.h"
#include "formats/bmp/plain_decoder.h"
#include "formats/bmp/rle_decoder.h"

namespace iconfinder::bmp {
namespace {

PixelImage decodePicture(ByteSource& source)
{
    PictureBuilder builder;
    decode(source, builder);
    return builder.take();
}

} // namespace

void decode(ByteSource& source, RowSink& sink)
{
    decodeWhole(source, [&] {
        const BmpLayout layout = readLayout(source);
        if (layout.encoding == Encoding::Rle8 || layout.encoding == Encoding::Rle4)
            decodeRle(source, layout, sink);
        else
            decodePlain(source, layout, sink);
    });
}

PixelImage read(std::span<const std::byte> file)
{
    MemorySource source(file);
    return decodePicture(source);
}

PixelImage readFile(const std::filesystem::path& path)
{
    FileSource source(path);
    return decodePicture(source);
}

} // namespace iconfinder::bmp
