#pragma once

#include "cli/options.h"
#include "slice/slicing.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace iconfinder::cli {

// How searching one picture ended: its messages, and 0, 1 (it could not be read or an output
// not written) or 2 (the options do not fit the picture).
struct JobResult {
    std::string err;
    int status = 0;
};

// Where a picture's frames go when several pictures are packed into one atlas: its place
// among them.
struct PackSlot {
    PackedTogether* together = nullptr;
    std::size_t index = 0;
};

// Searches one picture (none: the built-in sample) as the options say, writes its outputs (or
// hands its frames to `slot`) and hands what it prints to `print`: as regions are found when
// nothing else needs them, so that lines and JSON never hold every region.
JobResult searchPicture(const Options& options, const std::optional<std::string>& file,
                        const std::function<void(std::string_view)>& print, const PackSlot& slot = {});

// Packs the frames every picture handed on into the one atlas --atlas names.
JobResult writePackedTogether(const Options& options, PackedTogether& together);

} // namespace iconfinder::cli
