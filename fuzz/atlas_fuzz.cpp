// libFuzzer target: any bytes as an atlas (JSON, Starling XML or libGDX text, chosen by the
// first character). Only InputError may come out, and every frame it gives must lie in the
// largest picture with a name of bounded length; anything else (another exception, a crash,
// a sanitizer report, a stack overflow, a time-out on a small input) is a finding.
#include "atlas/atlas_reader.h"
#include "common/errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace iconfinder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        for (const NamedBox& frame : readAtlasFrames(text))
            if (frame.box.minX < 0 || frame.box.minY < 0 || frame.box.maxX < frame.box.minX || frame.box.maxY < frame.box.minY ||
                frame.name.size() > size)
                std::abort();
    } catch (const InputError&) {
    }
    return 0;
}
