// libFuzzer target: any bytes through the picture readers (PNG and BMP, chosen by the bytes),
// straight into a mask and into a picture, a PNG along both of its roads, then a full search
// with frames and their taking back. Only the readers' Error may come out; anything else
// (another exception, a crash, a leak, a sanitizer report, a mask that differs from the
// picture's, two roads that disagree) is a finding.
#include "common/errors.h"
#include "formats/picture_file.h"
#include "formats/png/png_reader.h"
#include "present/frames.h"
#include "regions/icon_search.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace iconfinder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::byte> bytes{reinterpret_cast<const std::byte*>(data), size};
    PixelImage picture;
    try {
        MemorySource source(bytes);
        PictureBuilder builder;
        decodePicture(source, builder);
        picture = builder.take();
    } catch (const Error&) {
        picture = PixelImage();
    }
    if (size > 0 && data[0] == 0x89) {
        // The streaming road gives the same picture, or refuses the file too.
        PixelImage streamed;
        try {
            MemorySource source(bytes);
            PictureBuilder builder;
            png::decode(source, builder, 0);
            streamed = builder.take();
        } catch (const Error&) {
        }
        if (!(streamed == picture))
            std::abort();
    }
    if (picture.pixelCount() == 0)
        return 0;
    // The first pixel as background makes most pictures search something else than white.
    const Pixel first = picture.pixels()[0];
    const BackgroundRule rule = BackgroundRule::colour({redOf(first), greenOf(first), blueOf(first)}, 3);
    MemorySource again(bytes);
    MaskBuilder straight(rule);
    decodePicture(again, straight);
    if (!(straight.take() == maskOf(picture, rule)))
        std::abort();

    const PixelImage original = picture;
    FrameMemory frames;
    findIcons(picture, rgbColor(redOf(first), greenOf(first), blueOf(first)), &frames);
    findIcons(picture, kWhite, &frames);
    frames.takeBack(picture);
    if (!(picture == original))
        std::abort();
    return 0;
}
