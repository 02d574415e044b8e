#pragma once

#include "common/errors.h"
#include "formats/file_io.h"
#include "formats/picture_file.h"
#include "image/color.h"
#include "present/atlas.h"
#include "present/atlas_reader.h"
#include "present/pack.h"
#include "present/crops.h"
#include "present/name_pattern.h"
#include "search/sprite_search.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace iconfinder::cli {

enum class Format { Lines, Json };
enum class Background { Colour, Transparent, Auto };

struct Options {
    std::vector<std::string> files; // none: the built-in sample picture
    std::vector<FileIdentity> inputs; // of the files that exist, which no output may replace

    Background background = Background::Colour;
    ColorValue colour = kWhite;
    int tolerance = 0;

    SpriteSettings sprites; // how the regions are cut
    std::optional<std::string> regionsFrom; // an atlas whose frames are the regions
    std::vector<NamedBox> atlasFrames;       // read from it

    Format format = Format::Lines;
    std::optional<std::string> framed;
    std::optional<std::string> cropDir;
    std::optional<FileFormat> cropFormat; // none: as the input
    CropStyle crop;                        // all but the format
    std::string namePattern{kDefaultNamePattern};
    bool nameGiven = false; // an atlas read back keeps its own names unless asked otherwise
    NamePattern name = NamePattern::parse(kDefaultNamePattern, false);
    std::optional<std::string> atlas;
    std::optional<std::string> atlasDir;
    AtlasLayout atlasLayout = AtlasLayout::Hash;
    std::optional<Anchor> anchor;
    std::optional<bool> animationsByColumns; // none: no animations
    std::string animationPattern;
    NamePattern animationName = NamePattern::parse("{stem}", false);
    int frameDuration = 100;
    std::optional<std::string> pack; // a new atlas picture
    PackStyle packing;
    int jobs = 1;

    bool several() const { return files.size() > 1; }
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
