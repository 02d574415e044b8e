#include "resources/sample_picture.h"

#include "formats/bmp/bmp_reader.h"

extern const unsigned char samplePictureBytes[];
extern const std::size_t samplePictureBytesSize;

namespace iconfinder {

std::span<const std::byte> samplePictureFile()
{
    return {reinterpret_cast<const std::byte*>(samplePictureBytes), samplePictureBytesSize};
}

PixelImage samplePicture() { return bmp::read(samplePictureFile()); }

} // namespace iconfinder
