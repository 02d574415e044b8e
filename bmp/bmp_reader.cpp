#include "bmp_reader.h"

#include "bmp_layout.h"
#include "byte_source.h"
#include "plain_decoder.h"
#include "rle_decoder.h"

namespace iconfinder::bmp {
namespace {

PixelImage decode(ByteSource& source)
{
    const BmpLayout layout = readLayout(source);
    if (layout.encoding == Encoding::Rle8 || layout.encoding == Encoding::Rle4)
        return decodeRle(source, layout);
    return decodePlain(source, layout);
}

} // namespace

PixelImage read(std::span<const std::byte> file)
{
    MemorySource source(file);
    return decode(source);
}

PixelImage readFile(const std::filesystem::path& path)
{
    FileSource source(path);
    return decode(source);
}

} // namespace iconfinder::bmp
