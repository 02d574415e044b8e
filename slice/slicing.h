#pragma once

#include "files/byte_source.h"
#include "mask/background_rule.h"
#include "mask/foreground_mask.h"
#include "slice/slice_request.h"

#include <string>
#include <string_view>

namespace iconfinder {

// A picture read for a slicing: its mask, the rule it was made under, and its pixels only
// when an output needs them.
struct SlicePicture {
    FileFormat format = FileFormat::Bmp;
    std::optional<PixelImage> pixels;
    ForegroundMask mask;
    BackgroundRule rule = BackgroundRule::colour({255, 255, 255});
};

// The rule a choice makes for `picture`: the automatic one is decided from its border.
BackgroundRule ruleFor(const BackgroundChoice& choice, const PixelImage& picture);

// Reads a picture as `request` needs it. Without outputs that need pixels, only the mask is
// made (the border read first on its own for the automatic background). Throws as the
// readers do.
SlicePicture readForSlicing(ByteSource& source, const SliceRequest& request);

// What a slicing cut: the regions in their output places, the grid they were cut on, which
// pixels each region owns (when isolated), and their names (when outputs need them).
struct Slices {
    std::vector<PlacedRegion> placed;
    std::optional<GridLayout> grid;
    std::vector<RegionBox> extents; // of cells trimmed to their foreground, the cell of each box; else none
    std::optional<MergeDistance> autoMerge;
    std::vector<std::optional<FrameTrim>> trims; // of an atlas's frames read back, in the regions' order
    std::vector<FrameNotes> notes;               // likewise
    std::optional<RegionOwners> owners;
    std::vector<std::string> names;
};

// An atlas's frame that leaves the picture it is applied to.
class FrameMisfit : public Error {
public:
    using Error::Error;
};

// An atlas's frames as the regions of a picture of `width` x `height`, with their own names.
// Throws FrameMisfit for a frame that leaves the picture.
Slices slicesOfFrames(const std::vector<NamedBox>& frames, int width, int height);

// Cuts the regions of `mask` (which a search empties) as `request` says and names them, the
// names made from `stem`; an atlas's frames keep their own names unless the request names
// them, and whether those can name files is the caller's to check (checkFileNames), once.
// Throws GridMisfit or Error as findSprites does, FrameMisfit for an atlas's frame outside
// the picture, InputError for names made that cannot name files.
Slices cutSlices(ForegroundMask& mask, const SliceRequest& request, std::string_view stem);

// What an output is, for a front end that checks where it may write.
enum class OutputKind { Framed, Crop, Atlas, Pack };
using OutputCheck = std::function<void(OutputKind, const std::filesystem::path&)>;

// The picture a slicing's outputs are cut from: its pixels when an output needs them (the
// framed picture is drawn on them), the file the atlas points at and the stem its
// animations are named from.
struct SourcePicture {
    PixelImage* pixels = nullptr;
    int width = 0;
    int height = 0;
    FileFormat format = FileFormat::Bmp;
    BackgroundRule rule = BackgroundRule::colour({255, 255, 255});
    std::filesystem::path file;
    std::string stem;
};

// Writes `outputs` for `slices` of `picture`, all or none; `check` is asked about every path
// first. Returns how many other files the crop folder holds, which stay. Throws IoError
// naming the path that failed, or Error.
std::size_t writeSlices(const SourcePicture& picture, const Slices& slices, const SliceOutputs& outputs, const OutputCheck& check);

// The frames of several pictures packed into one atlas: each picture's frames cut on their own
// (from any thread, each picture into its own place), then packed and written together in the
// order the pictures were given. Frames of one animation name make one animation, whichever
// pictures they come from.
class PackedTogether {
public:
    explicit PackedTogether(std::size_t pictures) : pieces_(pictures), animationOf_(pictures) {}

    // The frames of picture `index` of `slices`, cut as its packed atlas would cut them.
    void add(std::size_t index, const SourcePicture& picture, const Slices& slices, const SliceOutputs& outputs);

    // Packs every picture's frames and writes the pages and the atlas of `outputs`, all or
    // none, before any of them a frame name two frames share. Throws Error, or IoError naming
    // the path that failed.
    void write(const SliceOutputs& outputs, const OutputCheck& check);

private:
    std::vector<std::vector<FramePiece>> pieces_;
    std::vector<std::vector<std::string>> animationOf_; // each frame's animation, empty for none
};

// The frames of the atlas file at `path`: read whole after its size is checked.
std::vector<NamedBox> readAtlasFile(const std::filesystem::path& path);

// The frames of the page whose image is `picture` (by file name), or all of them when the
// atlas has one page or the picture no file. Throws InputError naming the pages when it has several and none is it.
std::vector<NamedBox> framesOfPicture(const std::vector<NamedBox>& frames, const std::filesystem::path& picture);

} // namespace iconfinder
