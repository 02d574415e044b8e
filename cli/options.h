#pragma once

#include "common/errors.h"
#include "files/file_io.h"
#include "image/color.h"
#include "slice/slice_request.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace iconfinder::cli {

enum class Format { Lines, Json };

struct Options {
    std::vector<std::string> files;   // none: the built-in sample picture
    std::vector<FileIdentity> inputs; // of the files that exist, which no output may replace

    // The slicing of every picture; its outputs' paths are set for each picture from these.
    SliceRequest request;
    std::optional<std::string> regionsFrom; // the atlas whose frames are the regions
    std::optional<std::string> framed;
    std::optional<std::string> cropDir; // DIR/STEM for several pictures
    std::optional<std::string> atlas;
    std::optional<std::string> atlasDir; // DIR/STEM.EXT
    std::optional<std::string> pack;
    std::string namePattern{kDefaultNamePattern};

    Format format = Format::Lines;
    int jobs = 1;

    bool several() const { return files.size() > 1; }
    bool packedTogether() const { return pack && several(); } // one atlas for all the pictures
    bool atlased() const { return atlas || atlasDir; }
};

// A command line that cannot be followed; the message says which word and why.
class UsageError : public Error {
public:
    using Error::Error;
};

// What the command line asks for: a search, or a text to print and leave (help, version).
struct CommandLine {
    Options options;
    std::optional<std::string> printOnly;
};

// Throws UsageError.
CommandLine parseCommandLine(int argc, const char* const* argv);

// A name of the colour table (any case), #RRGGBB or RRGGBB; throws UsageError.
ColorValue parseColor(const std::string& text);

// A picture's name without folder and extension: "sample" for the built-in one.
std::string stemOf(const std::optional<std::string>& file);

// Throws UsageError when `path` may not be written as an output: a device or FIFO other than
// standard output, or one of the input pictures (through any link). `what` names the option.
void checkOutputPath(const Options& options, const std::string& what, const std::filesystem::path& path);

} // namespace iconfinder::cli
