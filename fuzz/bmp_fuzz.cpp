// libFuzzer target: any bytes through the bitmap reader, then a full search with frames on
// whatever it accepts. Only FormatError may come out of the reader; anything else (another
// exception, a crash, a leak, a sanitizer report) is a finding.
#include "bmp_reader.h"
#include "icon_search.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    iconfinder::PixelImage picture;
    try {
        picture = iconfinder::bmp::read({reinterpret_cast<const std::byte*>(data), size});
    } catch (const iconfinder::bmp::FormatError&) {
        return 0;
    }
    // The first pixel as background makes most pictures search something else than white.
    const iconfinder::Pixel first = picture.pixelCount() > 0 ? picture.pixels()[0] : 0;
    const iconfinder::ColorValue background =
        iconfinder::rgbColor(iconfinder::redOf(first), iconfinder::greenOf(first), iconfinder::blueOf(first));
    iconfinder::findIcons(picture, background);
    iconfinder::findIcons(picture, iconfinder::kWhite);
    return 0;
}
