#include "slice/slicing.h"

#include "files/output_file.h"
#include "mask/auto_background.h"
#include "present/frames.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <unordered_set>

namespace iconfinder {
namespace {

namespace fs = std::filesystem;

BackgroundRule chosenRule(const BackgroundChoice& choice)
{
    if (choice.kind == BackgroundChoice::Kind::Transparent)
        return BackgroundRule::transparent(choice.tolerance);
    return BackgroundRule::colour(resolve(choice.colour), choice.tolerance);
}

std::size_t stageCrops(OutputBatch& batch, const SourcePicture& picture, const Slices& slices, const SliceOutputs& outputs,
                const OutputCheck& check)
{
    CropStyle style = outputs.crop;
    style.format = cropFormatFor(outputs.cropFormat, outputs.crop.transparent, picture.format);
    for (const std::string& name : slices.names)
        check(OutputKind::Crop, *outputs.cropFolder / cropFileName(name, style.format));
    return writeCrops(batch, *picture.pixels, slices.placed, slices.names, *outputs.cropFolder, picture.rule, style,
                      slices.owners ? &*slices.owners : nullptr, outputs.replaceCropFolder, slices.trims);
}

// A picture's frames as pieces to pack. Frames trimmed from their cells are cut from the
// cells, so that each keeps its place in its cell.
std::vector<FramePiece> piecesOf(const SourcePicture& picture, const Slices& slices, const SliceOutputs& outputs)
{
    std::vector<PlacedRegion> extents = slices.placed;
    for (std::size_t i = 0; i < slices.extents.size(); ++i)
        extents[i].box = slices.extents[i];
    return framePieces(*picture.pixels, extents, slices.names, picture.rule, outputs.crop, slices.owners ? &*slices.owners : nullptr,
                       slices.trims);
}

// The pieces packed, their pages staged, and the atlas's pages and frames pointing at them.
void stagePacked(OutputBatch& batch, const std::vector<FramePiece>& pieces, const SliceOutputs& outputs, const OutputCheck& check,
                 Atlas& atlas)
{
    const AtlasOutput& out = *outputs.atlas;
    PackStyle style = out.packing;
    style.turn = turnOf(out.layout);
    PackedAtlas packed = packPieces(pieces, outputs.crop, style);
    const fs::path first = *out.pack;
    for (std::size_t page = 0; page < packed.pages.size(); ++page) {
        const fs::path image = packed.pages.size() == 1 ? first
                                                         : first.parent_path() / (first.stem().string() + "-" + std::to_string(page + 1) + ".png");
        check(OutputKind::Pack, image);
        atlas.pages.push_back({atlasImagePath(out.path, image), packed.pages[page].width(), packed.pages[page].height()});
        batch.addFile(image, [&](ByteWriter& bytes) { encodePicture(packed.pages[page], FileFormat::Png, bytes); });
    }
    atlas.frames = std::move(packed.frames);
    atlas.premultipliedAlpha = outputs.crop.premultiply;
}

// The atlas's files staged, with what the output adds to every frame.
void stageAtlasFiles(OutputBatch& batch, Atlas& atlas, const AtlasOutput& out)
{
    atlas.anchor = out.anchor;
    atlas.frameDuration = out.frameDuration;
    for (const auto& [path, text] : atlasFiles(atlas, out.layout, out.path)) {
        const auto write = [&text = text](ByteWriter& bytes) { bytes.write(text); };
        if (out.makeFolder)
            batch.addFiles(path.parent_path(), {path.filename().string()}, [&](std::size_t, ByteWriter& bytes) { write(bytes); });
        else
            batch.addFile(path, write);
    }
}

// The picture with its background transparent, as a PNG named after the atlas beside it.
fs::path stageTransparentSheet(OutputBatch& batch, const SourcePicture& picture, const fs::path& atlas, const CropStyle& style,
                               const OutputCheck& check)
{
    fs::path sheet = atlas;
    sheet.replace_extension(".png");
    check(OutputKind::Atlas, sheet);
    batch.addFile(sheet, [&](ByteWriter& bytes) {
        CropStyle clear;
        clear.transparent = true;
        clear.bleed = style.bleed;
        clear.premultiply = style.premultiply;
        const RegionBox whole{0, 0, picture.width - 1, picture.height - 1};
        encodePicture(cropOf(*picture.pixels, whole, picture.rule, clear, picture.width, picture.height), FileFormat::Png, bytes);
    });
    return sheet;
}

void stageAtlas(OutputBatch& batch, const SourcePicture& picture, const Slices& slices, const SliceOutputs& outputs,
                const OutputCheck& check)
{
    const AtlasOutput& out = *outputs.atlas;
    check(OutputKind::Atlas, out.path);
    Atlas atlas;
    if (out.pack) {
        stagePacked(batch, piecesOf(picture, slices, outputs), outputs, check, atlas);
    } else {
        // Frames cut transparent from a sheet without alpha: the atlas points at the sheet with
        // its background transparent, written beside the atlas, so engines draw no background.
        const bool clearSheet = outputs.crop.transparent && !picture.pixels->hasAlpha();
        const fs::path sheet = clearSheet ? stageTransparentSheet(batch, picture, out.path, outputs.crop, check) : picture.file;
        atlas.premultipliedAlpha = outputs.crop.premultiply && clearSheet; // the sheet itself is as it was
        atlas.pages.push_back({atlasImagePath(out.path, sheet), picture.width, picture.height});
        atlas.frames = framesOf(slices.placed, slices.names, outputs.crop, slices.extents, slices.trims);
    }
    // An atlas's frames read back keep what it said of them, unless asked otherwise.
    for (std::size_t i = 0; i < slices.notes.size(); ++i)
        atlas.frames[i].pivot = slices.notes[i].pivot, atlas.frames[i].duration = slices.notes[i].duration;
    atlas.animations = out.animations ? animationsOf(slices.placed, *out.animations, out.animationName, picture.stem)
                                      : animationsNoted(slices.notes);
    stageAtlasFiles(batch, atlas, out);
}

} // namespace

Slices slicesOfFrames(const std::vector<NamedBox>& frames, int width, int height)
{
    Slices slices;
    for (const NamedBox& frame : frames) {
        if (frame.box.maxX >= width || frame.box.maxY >= height)
            throw FrameMisfit("frame '" + frame.name + "' leaves the picture (" + std::to_string(width) + " x " + std::to_string(height) +
                              ")");
        slices.placed.push_back({frame.box, 0, 0, slices.placed.size()});
        slices.names.push_back(frame.name);
        slices.trims.push_back(frame.trim);
        slices.notes.push_back(frame.notes);
    }
    return slices;
}

bool SliceRequest::boxesAsFound() const
{
    const Shaping& shaping = sprites.shaping;
    return !sprites.gridded() && !atlasFrames && !shaping.merge.merges() && !shaping.mergeAuto && shaping.minWidth <= 1 && shaping.minHeight <= 1 &&
           shaping.order == RegionOrder::Search && !outputs.framed && !outputs.named();
}

BackgroundRule ruleFor(const BackgroundChoice& choice, const PixelImage& picture)
{
    return choice.kind == BackgroundChoice::Kind::Auto ? autoBackground(borderOf(picture), choice.tolerance) : chosenRule(choice);
}

SlicePicture readForSlicing(ByteSource& source, const SliceRequest& request)
{
    SlicePicture picture;
    if (!request.outputs.needPixels()) {
        // The automatic background is chosen from the border, read first on its own, so that
        // the picture is never held.
        if (request.background.kind == BackgroundChoice::Kind::Auto) {
            BorderCollector border;
            decodePicture(source, border);
            picture.rule = autoBackground(border.border(), request.background.tolerance);
        } else {
            picture.rule = chosenRule(request.background);
        }
        MaskBuilder builder(picture.rule);
        picture.format = decodePicture(source, builder);
        picture.mask = builder.take();
        return picture;
    }
    PictureBuilder builder;
    picture.format = decodePicture(source, builder);
    picture.pixels = builder.take();
    picture.rule = ruleFor(request.background, *picture.pixels);
    picture.mask = maskOf(*picture.pixels, picture.rule);
    return picture;
}

Slices cutSlices(ForegroundMask& mask, const SliceRequest& request, std::string_view stem)
{
    if (request.atlasFrames) {
        Slices slices = slicesOfFrames(*request.atlasFrames, mask.width(), mask.height());
        // Put in rows or columns, an atlas's frames can make animations.
        if (request.sprites.shaping.order != RegionOrder::Search) {
            std::vector<PlacedRegion> placed = orderRegions(boxesOf(slices.placed), request.sprites.shaping.order);
            std::vector<std::string> names;
            std::vector<std::optional<FrameTrim>> trims;
            std::vector<FrameNotes> notes;
            for (const PlacedRegion& region : placed) {
                names.push_back(std::move(slices.names[region.source]));
                trims.push_back(slices.trims[region.source]);
                notes.push_back(std::move(slices.notes[region.source]));
            }
            slices.placed = std::move(placed);
            slices.names = std::move(names);
            slices.trims = std::move(trims);
            slices.notes = std::move(notes);
        }
        if (request.names)
            slices.names = namesFor(*request.names, slices.placed, stem);
        return slices;
    }
    Sprites sprites = findSprites(mask, request.sprites);
    Slices slices{std::move(sprites.placed), std::move(sprites.grid), {}, sprites.autoMerge, {}, {}, std::move(sprites.owners), {}};
    // A cell trimmed to its foreground is drawn as the cell (a stray, in row 0, has none).
    if (slices.grid && request.sprites.trim)
        for (const PlacedRegion& region : slices.placed)
            slices.extents.push_back(region.row > 0 ? slices.grid->cell(region.column - 1, region.row - 1) : region.box);
    // A whole picture's frame stands for all of it.
    if (request.sprites.whole)
        for (const PlacedRegion& region : slices.placed)
            slices.trims.push_back(FrameTrim{mask.width(), mask.height(), region.box.minX, region.box.minY});
    if (request.outputs.named() || request.names)
        slices.names = namesFor(request.names ? *request.names : NamePattern::parse(kDefaultNamePattern, false), slices.placed, stem);
    return slices;
}

std::size_t writeSlices(const SourcePicture& picture, const Slices& slices, const SliceOutputs& outputs, const OutputCheck& check)
{
    OutputBatch batch;
    const std::size_t kept = outputs.cropFolder ? stageCrops(batch, picture, slices, outputs, check) : 0;
    if (outputs.framed) {
        check(OutputKind::Framed, *outputs.framed);
        const std::optional<FileFormat> format = formatOfName(*outputs.framed);
        if (!format)
            throw IoError("must end in .bmp or .png", outputs.framed->string());
        drawFrames(*picture.pixels, boxesOf(slices.placed));
        batch.addFile(*outputs.framed, [&](ByteWriter& out) { encodePicture(*picture.pixels, *format, out); });
    }
    if (outputs.atlas)
        stageAtlas(batch, picture, slices, outputs, check);
    batch.commit();
    return kept;
}

std::vector<NamedBox> framesOfPicture(const std::vector<NamedBox>& frames, const fs::path& picture)
{
    std::vector<std::string> pages;
    std::unordered_set<std::string> seen;
    for (const NamedBox& frame : frames)
        if (seen.insert(frame.page).second)
            pages.push_back(frame.page);
    if (pages.size() < 2 || picture.empty())
        return frames;
    const std::string wanted = picture.filename().string();
    std::vector<NamedBox> mine;
    std::copy_if(frames.begin(), frames.end(), std::back_inserter(mine), [&](const NamedBox& frame) {
        return fs::path(frame.page).filename().string() == wanted;
    });
    if (mine.empty()) {
        std::string list;
        for (std::size_t p = 0; p < std::min<std::size_t>(pages.size(), 8); ++p)
            list += (p == 0 ? "'" : ", '") + pages[p] + "'";
        if (pages.size() > 8)
            list += " and " + std::to_string(pages.size() - 8) + " more";
        throw InputError("none of its pages (" + list + ") is " + wanted);
    }
    return mine;
}

void PackedTogether::add(std::size_t index, const SourcePicture& picture, const Slices& slices, const SliceOutputs& outputs)
{
    pieces_[index] = piecesOf(picture, slices, outputs);
    // Each frame's animation, by the picture's own rows, columns or names.
    animationOf_[index].resize(slices.placed.size());
    if (const std::optional<AnimationGroups> groups = outputs.atlas->animations)
        for (const Animation& animation : animationsOf(slices.placed, *groups, outputs.atlas->animationName, picture.stem))
            for (const std::size_t frame : animation.frames)
                animationOf_[index][frame] = animation.name;
}

void PackedTogether::write(const SliceOutputs& outputs, const OutputCheck& check)
{
    std::vector<FramePiece> all;
    std::vector<std::string> animationOf;
    std::unordered_set<std::string> names;
    for (std::size_t p = 0; p < pieces_.size(); ++p)
        for (std::size_t i = 0; i < pieces_[p].size(); ++i) {
            if (!names.insert(pieces_[p][i].name).second)
                throw Error("two frames are named '" + pieces_[p][i].name + "'");
            all.push_back(std::move(pieces_[p][i]));
            animationOf.push_back(std::move(animationOf_[p][i]));
        }
    pieces_.clear();
    OutputBatch batch;
    check(OutputKind::Atlas, outputs.atlas->path);
    Atlas atlas;
    stagePacked(batch, all, outputs, check, atlas);
    atlas.animations = animationsNamed(animationOf);
    stageAtlasFiles(batch, atlas, *outputs.atlas);
    batch.commit();
}

std::vector<NamedBox> readAtlasFile(const fs::path& path)
{
    return readAtlasFrames(readWholeFile(path, kLargestAtlas, "atlas"));
}

} // namespace iconfinder
