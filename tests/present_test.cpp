// Names, crops and atlases, read back, and packing.
#include "atlas/atlas.h"
#include "atlas/atlas_reader.h"
#include "present/crops.h"
#include "present/name_pattern.h"
#include "image/alpha_edges.h"
#include "pack/pack.h"
#include "pack/packer.h"
#include "regions/icon_search.h"
#include "tests/support/checks.h"
#include "tests/support/pictures.h"
#include "tests/support/run_command.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <tuple>


using namespace iconfinder;

namespace {

TEST(NamePattern, EveryFieldAndWidth)
{
    const NamePattern::Values values{7, 10, 20, 30, 40, 2, 3, "sheet"};
    EXPECT_EQ(NamePattern::parse("icon-{n:04}", false).format(values), "icon-0007");
    EXPECT_EQ(NamePattern::parse("{stem}_{x}x{y}_{w}x{h}_{n}", false).format(values), "sheet_10x20_30x40_7");
    EXPECT_EQ(NamePattern::parse("r{row:02}c{col:03}", true).format(values), "r02c003");
    EXPECT_EQ(NamePattern::parse("{n:02}", false).format({1234, 0, 0, 0, 0, 0, 0, ""}), "1234") << "a width is a minimum";
    EXPECT_EQ(NamePattern::parse("plain", false).format(values), "plain");
    for (const auto& [stem, base] : {std::pair{"walk_01", "walk"}, {"idle", "idle"}, {"07", "07"}, {"run -2", "run"}, {"a1b", "a1b"}})
        EXPECT_EQ(NamePattern::parse("{base}", false).format({1, 0, 0, 0, 0, 0, 0, stem}), base) << stem;

    for (const auto& [pattern, message] : {std::pair{"{row}", "{row} needs regions in rows or columns"},
                                           {"{size}", "unknown field {size} in the name pattern"},
                                           {"{n:4}", "bad width in {n:4} (a number field takes :0N, such as {n:04})"},
                                           {"{stem:03}", "bad width in {stem:03} (a number field takes :0N, such as {n:04})"},
                                           {"a/{n}", "a name may not contain '/'"},
                                           {"{n", "'{' without '}' in the name pattern"},
                                           {"n}", "'}' without '{' in the name pattern"},
                                           {"", "the name pattern is empty"}})
        EXPECT_EQ(test::errorOf([&] { NamePattern::parse(pattern, false); }), message);
}

TEST(Crops, PaddingSameSizeAlignmentAndTransparency)
{
    // A 2 x 3 sprite at (1, 1) on magenta, with a magenta hole inside it.
    const Pixel magenta = makePixel(255, 0, 255), ink = makePixel(10, 20, 30);
    PixelImage sheet(6, 6, magenta);
    pictures::fill(sheet, {1, 1, 3, 4}, ink);
    sheet.at(2, 2) = magenta;
    const RegionBox box{1, 1, 2, 3};
    const BackgroundRule rule = BackgroundRule::colour({255, 0, 255});

    const PixelImage plain = cropOf(sheet, box, rule, {}, 0, 0);
    EXPECT_TRUE(plain == cropped(sheet, {1, 1, 3, 4})) << "the box's own pixels, nothing else";

    const PixelImage withPadding = cropOf(sheet, box, rule, {.padding = 2}, 0, 0);
    EXPECT_EQ(std::pair(withPadding.width(), withPadding.height()), std::pair(6, 7));
    EXPECT_EQ(withPadding.at(0, 0), magenta);
    EXPECT_EQ(withPadding.at(2, 2), ink);
    EXPECT_FALSE(withPadding.hasAlpha());

    CropStyle same{.sameSize = SameSize::All};
    const PixelImage centred = cropOf(sheet, box, rule, same, 5, 6);
    EXPECT_EQ(std::pair(centred.width(), centred.height()), std::pair(5, 6));
    EXPECT_EQ(centred.at(1, 1), ink) << "the odd column and row left over go right and down";
    same.align = Align::Bottom;
    const PixelImage standing = cropOf(sheet, box, rule, same, 5, 6);
    EXPECT_EQ(standing.at(1, 3), ink);
    EXPECT_EQ(standing.at(1, 5), ink) << "on the bottom edge";
    // Corners and sides: where the box's top-left pixel lands in a crop 3 wider and 3 higher.
    for (const auto& [align, left, top] : std::vector<std::tuple<Align, int, int>>{
             {Align::BottomLeft, 0, 3}, {Align::BottomRight, 3, 3}, {Align::TopLeft, 0, 0}, {Align::Left, 0, 1}, {Align::Right, 3, 1}}) {
        same.align = align;
        const CropPlacement place = placeCrop(box, same, box.width() + 3, box.height() + 3);
        EXPECT_EQ(std::tuple(place.left, place.top), std::tuple(left, top)) << static_cast<int>(align);
    }
    // Per row or column: each group as large as its own largest box.
    const std::vector<RegionBox> boxes = {{0, 0, 3, 1}, {0, 0, 1, 5}, {0, 0, 6, 2}};
    const std::vector<PlacedRegion> placed = {{boxes[0], 1, 1, 0}, {boxes[1], 1, 2, 1}, {boxes[2], 2, 1, 2}};
    using Sizes = std::vector<std::pair<int, int>>;
    EXPECT_EQ(cropSizes(boxes, placed, SameSize::Rows), (Sizes{{4, 6}, {4, 6}, {7, 3}}));
    EXPECT_EQ(cropSizes(boxes, placed, SameSize::Columns), (Sizes{{7, 3}, {2, 6}, {7, 3}}));
    EXPECT_EQ(cropSizes(boxes, placed, SameSize::None), (Sizes{{4, 2}, {2, 6}, {7, 3}}));

    CropStyle clear{.padding = 1, .transparent = true};
    const PixelImage transparent = cropOf(sheet, box, rule, clear, 0, 0);
    EXPECT_TRUE(transparent.hasAlpha());
    EXPECT_EQ(transparent.at(0, 0), ink & kColourBits) << "padding is transparent, with the nearest colour bled into it";
    EXPECT_EQ(alphaOf(transparent.at(2, 2)), 0) << "so is the background inside the box";
    EXPECT_EQ(transparent.at(1, 1), ink);
    clear.bleed = false;
    EXPECT_EQ(cropOf(sheet, box, rule, clear, 0, 0).at(0, 0), Pixel{0});
}

// Frames drawn as their crops, in every layout, read back to the same names and boxes;
// what each layout adds is checked where it could go wrong: the trim, the pivot, the order.
TEST(Atlas, EveryLayoutHoldsTheFramesAsCropped)
{
    pictures::Random random(8);
    for (int round = 0; round < 40; ++round) {
        std::vector<PlacedRegion> regions;
        std::vector<std::string> names;
        const int count = random.between(1, 30);
        for (int i = 0; i < count; ++i) {
            const int x = random.below(900), y = random.below(900);
            regions.push_back({{x, y, x + random.below(40), y + random.below(40)}, 1 + i / 5, 1 + i % 5, static_cast<std::size_t>(i)});
            // Integer-like names, whose order a hash loses, and names no CSS class or XML may hold as they are.
            names.push_back(i % 3 == 0 ? std::to_string(count - i) : i % 3 == 1 ? "a b&<\"" + std::to_string(i) : "hero_" + std::to_string(i));
        }
        const CropStyle style{.padding = random.below(3), .sameSize = static_cast<SameSize>(random.below(4)), .align = static_cast<Align>(random.below(7))};
        Atlas atlas;
        atlas.pages.push_back({"../sheet.png", 1000, 1001});
        atlas.frames = framesOf(regions, names, style, {});
        atlas.anchor = Anchor{0.5, 1};
        atlas.animations = animationsOf(regions, AnimationGroups::Rows, NamePattern::parse("walk-{row}", true), "hero");
        const std::vector<std::pair<int, int>> sizes = cropSizes(boxesOf(regions), regions, style.sameSize);
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const AtlasFrame& frame = atlas.frames[i];
            const CropPlacement crop = placeCrop(regions[i].box, style, sizes[i].first, sizes[i].second);
            ASSERT_EQ(std::tuple(frame.sourceWidth, frame.sourceHeight, frame.offsetX, frame.offsetY),
                      std::tuple(crop.width, crop.height, crop.left, crop.top));
        }
        const nlohmann::json array = nlohmann::json::parse(atlasText(atlas, AtlasLayout::Array));
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const AtlasFrame& f = atlas.frames[i];
            ASSERT_EQ(array["frames"][i]["filename"], names[i]) << "the array keeps the output order";
            ASSERT_EQ(array["frames"][i]["spriteSourceSize"]["x"], f.offsetX);
            ASSERT_EQ(array["frames"][i]["sourceSize"]["h"], f.sourceHeight);
        }
        const nlohmann::json hash = nlohmann::json::parse(atlasText(atlas, AtlasLayout::Hash));
        EXPECT_EQ(hash["animations"].size(), static_cast<std::size_t>(regions.back().row));
        EXPECT_EQ(hash["animations"]["walk-1"][0], names[0]);
        const nlohmann::json aseprite = nlohmann::json::parse(atlasText(atlas, AtlasLayout::Aseprite));
        const nlohmann::json& tags = aseprite["meta"]["frameTags"];
        ASSERT_EQ(tags.size(), atlas.animations.size());
        EXPECT_EQ(tags[0]["to"], atlas.animations[0].frames.back());

        for (const AtlasLayout layout : {AtlasLayout::Hash, AtlasLayout::Array, AtlasLayout::Aseprite, AtlasLayout::Starling, AtlasLayout::Libgdx}) {
            const std::vector<NamedBox> read = readAtlasFrames(atlasText(atlas, layout));
            ASSERT_EQ(read.size(), regions.size());
            for (std::size_t i = 0; i < regions.size(); ++i) {
                EXPECT_EQ(read[i].box, regions[i].box);
                const AtlasFrame& f = atlas.frames[i];
                EXPECT_EQ(read[i].trim, f.trimmed() ? std::optional(FrameTrim{f.sourceWidth, f.sourceHeight, f.offsetX, f.offsetY}) : std::nullopt)
                    << "the trim read back, layout " << static_cast<int>(layout);
                if (layout != AtlasLayout::Aseprite) {
                    EXPECT_EQ(read[i].name, names[i]);
                }
            }
        }
        const std::string css = atlasText(atlas, AtlasLayout::Css);
        EXPECT_NE(css.find(".\\3" + std::string(1, names[0][0]) + " "), std::string::npos) << "a leading digit escaped";
        EXPECT_EQ(std::count(css.begin(), css.end(), '{'), count) << "a rule a frame, whatever the names";
    }
    // A trimmed frame: libGDX counts its offset from the source's bottom, Starling its frameX negative.
    Atlas trimmed;
    trimmed.pages.push_back({"s.png", 64, 64});
    trimmed.frames.push_back({"t", {10, 10, 13, 12}, 0, 8, 6, 2, 1, Turn::None, {}, 0});
    EXPECT_NE(atlasText(trimmed, AtlasLayout::Libgdx).find("t\nbounds:10,10,4,3\noffsets:2,2,8,6\n"), std::string::npos);
    EXPECT_NE(atlasText(trimmed, AtlasLayout::Starling).find("frameX=\"-2\" frameY=\"-1\" frameWidth=\"8\" frameHeight=\"6\""), std::string::npos);
    // Turned, the same frame lies 3 wide and 4 high: JSON and libGDX give its upright size,
    // Starling the box as it lies.
    trimmed.frames[0].box = {10, 10, 12, 13};
    trimmed.frames[0].turn = Turn::Anticlockwise;
    EXPECT_NE(atlasText(trimmed, AtlasLayout::Libgdx).find("t\nbounds:10,10,4,3\nrotate:true\noffsets:2,2,8,6\n"), std::string::npos);
    EXPECT_THROW(atlasText(trimmed, AtlasLayout::Starling), Error) << "Starling's engines turn frames back the other way";
    trimmed.frames[0].turn = Turn::Clockwise;
    EXPECT_NE(atlasText(trimmed, AtlasLayout::Starling).find("width=\"3\" height=\"4\" rotated=\"true\" frameX=\"-2\""), std::string::npos);
    const nlohmann::json turned = nlohmann::json::parse(atlasText(trimmed, AtlasLayout::Hash))["frames"]["t"];
    EXPECT_EQ(turned["frame"], (nlohmann::json{{"x", 10}, {"y", 10}, {"w", 4}, {"h", 3}}));
    EXPECT_EQ(turned["rotated"], true);
    // Read back, each layout's turned frame lies in the same box and turns back the same way.
    for (const auto& [layout, turn] : {std::pair{AtlasLayout::Hash, Turn::Clockwise}, {AtlasLayout::Starling, Turn::Clockwise},
                                       {AtlasLayout::Libgdx, Turn::Anticlockwise}}) {
        trimmed.frames[0].turn = turn;
        const std::vector<NamedBox> read = readAtlasFrames(atlasText(trimmed, layout));
        EXPECT_EQ(read[0].box, trimmed.frames[0].box) << static_cast<int>(layout);
        EXPECT_EQ(read[0].trim, (FrameTrim{8, 6, 2, 1, turn})) << static_cast<int>(layout);
    }
}

// Hostile atlases: each refused with a message saying what is wrong, in time linear in its size.
TEST(Atlas, HostileAtlasesAreRefusedWithAMessage)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "{\"a\":";
    deep += "1" + std::string(100000, '}');
    std::string longTag = "<TextureAtlas><SubTexture name=\"a\" x=\"1\" y=\"1\" width=\"3\" height=\"3\" ";
    for (int i = 0; i < 10000; ++i)
        longTag += "q=\"z\" ";
    const std::pair<std::string, std::string> refused[] = {
        {deep, "nested deeper than 64 levels"},
        {R"({"frames":{"a":{"frame":{"x":1,"y":1,"w":1,"h":1}}},"meta":{"scale":1e400}})", "is out of range"},
        {"p.png\nsize:64,64\na\n  rotate: 180\n  xy: 1, 1\n  size: 2, 2\n", "frame 'a' is stored turned by 180 degrees"},
        {R"(<!DOCTYPE a [<!ENTITY x "xx">]><TextureAtlas><SubTexture name="&x;" x="1" y="1" width="3" height="3"/></TextureAtlas>)",
         "the entity '&x;' is not one of XML's own"},
        {R"({"frames": {"a": {"frame": {"x": 0, "y": 0, "w": 0, "h": 3}}}})", "has no place in a picture"},
        {R"({"frames": 3})", "neither an object nor an array"},
        {R"({"frames": [{"frame": {"x": 0, "y": 0, "w": 1, "h": 3}}]})", "has no \"filename\""},
        {"<TextureAtlas/>", "no SubTexture"},
        {"{\"frames\": {", "not valid JSON"},
    };
    for (const auto& [text, message] : refused) {
        const std::string error = test::errorOf([&] { readAtlasFrames(text); });
        EXPECT_NE(error.find(message), std::string::npos) << error << " reading " << text.substr(0, 80);
    }
    EXPECT_EQ(readAtlasFrames(longTag + "/></TextureAtlas>").size(), 1u) << "a long tag is read without recursion";
    // Frame tags that would give every frame thousands of places: refused, not spent time on.
    std::string tagged = "{\"frames\":[";
    for (int i = 0; i < 1000; ++i)
        tagged += std::string(i ? "," : "") + "{\"filename\":\"f" + std::to_string(i) + "\",\"frame\":{\"x\":0,\"y\":0,\"w\":1,\"h\":1}}";
    tagged += "],\"meta\":{\"frameTags\":[";
    for (int i = 0; i < 5000; ++i)
        tagged += std::string(i ? "," : "") + "{\"name\":\"t\",\"from\":0,\"to\":999}";
    EXPECT_THROW(readAtlasFrames(tagged + "]}}"), InputError);
    // What the atlas fuzz target once broke, or might have: read, or refused as input.
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(FUZZ_DIR) / "atlas-regressions")) {
        try {
            readAtlasFrames(test::slurp(entry.path()));
        } catch (const InputError&) {
        }
    }
    // A million frames by name, read in linear time and in the file's order.
    std::string many = "{\"frames\":{";
    for (int i = 0; i < 1000000; ++i)
        many += (i ? ",\"f" : "\"f") + std::to_string(999999 - i) + "\":{\"frame\":{\"x\":1,\"y\":1,\"w\":2,\"h\":2}}";
    many += "}}";
    const std::vector<NamedBox> read = readAtlasFrames(many);
    ASSERT_EQ(read.size(), 1000000u);
    EXPECT_EQ(read.front().name, "f999999");
    // Names that cannot name files are the caller's to refuse.
    for (const char* bad : {"../victim", "/abs/path", "a\nb", "..", ""})
        EXPECT_FALSE(fileNameProblem(bad).empty()) << bad;
    EXPECT_THROW(checkFileNames({"a", "b", "a"}), InputError);
}

TEST(Packing, FramesNeverOverlapAndStayOnTheirPages)
{
    pictures::Random random(31);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::pair<int, int>> sizes;
        const int largest = random.between(16, 200), gap = random.below(4);
        for (int k = random.between(1, 60); k > 0; --k)
            sizes.emplace_back(random.between(1, largest / (random.chance(20) ? 1 : 4)), random.between(1, largest / (random.chance(20) ? 1 : 4)));
        const bool pot = random.chance(30);
        const int limit = pot ? static_cast<int>(std::bit_floor(static_cast<unsigned>(largest))) : largest;
        for (auto& [w, h] : sizes)
            w = std::min(w, limit), h = std::min(h, limit);
        const std::optional<PackedPages> packed = packRectangles(sizes, gap, limit, pot, random.chance(50));
        ASSERT_TRUE(packed);
        for (std::size_t i = 0; i < sizes.size(); ++i)
            if (packed->placements[i].turned)
                std::swap(sizes[i].first, sizes[i].second);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const Placement& a = packed->placements[i];
            const auto [pw, ph] = packed->pageSizes[a.page];
            ASSERT_TRUE(a.x >= 0 && a.y >= 0 && a.x + sizes[i].first <= pw && a.y + sizes[i].second <= ph) << "round " << round;
            ASSERT_TRUE(pw <= limit && ph <= limit);
            if (pot) {
                ASSERT_TRUE(std::has_single_bit(static_cast<unsigned>(pw)) && std::has_single_bit(static_cast<unsigned>(ph)));
            }
            for (std::size_t k = i + 1; k < sizes.size(); ++k) {
                const Placement& b = packed->placements[k];
                const bool apart = a.page != b.page || a.x + sizes[i].first + gap <= b.x || b.x + sizes[k].first + gap <= a.x ||
                                   a.y + sizes[i].second + gap <= b.y || b.y + sizes[k].second + gap <= a.y;
                ASSERT_TRUE(apart) << "round " << round << ": " << i << " and " << k << " closer than " << gap;
            }
        }
    }
    EXPECT_FALSE(packRectangles({{17, 3}}, 0, 16, false)) << "larger than a page";
    // How full one page comes out on generated sets, against floors it once reached.
    for (const auto& [count, smallest, largest, floor] : {std::tuple{500, 8, 120, 0.93}, {22000, 4, 40, 0.98}}) {
        std::vector<std::pair<int, int>> sizes;
        long long area = 0;
        for (int k = 0; k < count; ++k) {
            sizes.emplace_back(random.between(smallest, largest), random.between(smallest, largest));
            area += static_cast<long long>(sizes.back().first + 2) * (sizes.back().second + 2);
        }
        const auto [w, h] = packRectangles(sizes, 2, 8192, false)->pageSizes.front();
        EXPECT_GE(static_cast<double>(area) / ((w + 2.0) * (h + 2.0)), floor) << count << " rectangles";
    }
}

TEST(Packing, PackedFramesHoldTheirCropsTrimmedAndExtruded)
{
    pictures::Random random(5);
    for (int round = 0; round < 100; ++round) {
        const PixelImage picture = pictures::randomPicture(random, pictures::kWhite);
        const BackgroundRule rule = BackgroundRule::colour({255, 255, 255});
        std::vector<PlacedRegion> regions;
        std::vector<std::string> names;
        for (const RegionBox& box : findRegions(picture, rule)) {
            regions.push_back({box, 0, 0, regions.size()});
            names.push_back('f' + std::to_string(regions.size()));
        }
        const CropStyle style{.padding = random.below(3)};
        const PackStyle pack{random.below(3), random.below(3), 256, false, random.chance(20), random.chance(50),
                             random.chance(50) ? Turn::Clockwise : Turn::Anticlockwise};
        const PackedAtlas packed = packPieces(framePieces(picture, regions, names, rule, style, nullptr), style, pack);
        CropStyle transparent = style;
        transparent.transparent = true;
        std::vector<PixelImage> kept; // each frame's pixels as trimmed
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const AtlasFrame& frame = packed.frames[i];
            const PixelImage crop = cropOf(picture, regions[i].box, rule, transparent, 0, 0);
            kept.push_back(cropped(crop, {frame.offsetX, frame.offsetY, frame.offsetX + frame.width(), frame.offsetY + frame.height()}));
            // Frames of the same pixels share one place, unless asked not to; others never do.
            for (std::size_t k = 0; k < i; ++k) {
                const bool same = kept[k].width() == kept[i].width() && kept[k].height() == kept[i].height() &&
                                  std::equal(kept[i].row(0), kept[i].row(0) + kept[i].pixelCount(), kept[k].row(0));
                ASSERT_EQ(packed.frames[k].box == frame.box && packed.frames[k].page == frame.page, same && !pack.keepDuplicates)
                    << "round " << round << ", frames " << k << " and " << i;
            }
            ASSERT_EQ(std::pair(frame.sourceWidth, frame.sourceHeight), std::pair(crop.width(), crop.height()));
            const PixelImage& page = packed.pages[frame.page];
            for (int y = -pack.extrude; y < frame.box.height() + pack.extrude; ++y)
                for (int x = -pack.extrude; x < frame.box.width() + pack.extrude; ++x) {
                    // The box's pixel, turned back upright as the layouts' engines turn it.
                    const int bx = std::clamp(x, 0, frame.box.width() - 1), by = std::clamp(y, 0, frame.box.height() - 1);
                    const bool clockwise = frame.turn == Turn::Clockwise;
                    const int cx = !frame.turned() ? bx : clockwise ? by : frame.width() - 1 - by;
                    const int cy = !frame.turned() ? by : clockwise ? frame.height() - 1 - bx : bx;
                    // Transparent pixels carry bled colours.
                    const Pixel want = crop.at(frame.offsetX + cx, frame.offsetY + cy), got = page.at(frame.box.minX + x, frame.box.minY + y);
                    ASSERT_EQ(alphaOf(want) ? got : alphaOf(got), alphaOf(want) ? want : 0)
                        << "round " << round << ", frame " << i << " at " << x << "," << y;
                }
            // Only transparency was trimmed away.
            for (int y = 0; y < crop.height(); ++y)
                for (int x = 0; x < crop.width(); ++x)
                    if (x < frame.offsetX || y < frame.offsetY || x >= frame.offsetX + frame.width() || y >= frame.offsetY + frame.height()) {
                        ASSERT_EQ(alphaOf(crop.at(x, y)), 0);
                    }
        }
    }
}

TEST(Packing, BleedingColoursOnlyTransparentPixelsFromTheirNearestVisibleOnes)
{
    pictures::Random random(8);
    for (int round = 0; round < 100; ++round) {
        const PixelImage before = pictures::randomAlphaPicture(random);
        PixelImage after = before;
        bleedIntoTransparent(after);
        const int w = before.width(), h = before.height();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (alphaOf(before.at(x, y)) != 0) {
                    ASSERT_EQ(after.at(x, y), before.at(x, y));
                    continue;
                }
                // The colours of the visible pixels fewest steps away.
                int nearest = w + h;
                std::vector<Pixel> colours;
                for (int v = 0; v < h; ++v)
                    for (int u = 0; u < w; ++u) {
                        const int steps = std::max(std::abs(u - x), std::abs(v - y));
                        if (alphaOf(before.at(u, v)) == 0 || steps > nearest)
                            continue;
                        if (steps < nearest)
                            nearest = steps, colours.clear();
                        colours.push_back(before.at(u, v) & kColourBits);
                    }
                const Pixel got = after.at(x, y);
                ASSERT_TRUE(colours.empty() ? got == before.at(x, y) : std::ranges::find(colours, got) != colours.end())
                    << "round " << round << " at " << x << "," << y;
            }
    }
    PixelImage soft(1, 3, Pixel{0}, true);
    soft.at(0, 0) = makePixel(200, 100, 51, 128), soft.at(0, 1) = makePixel(9, 8, 7), soft.at(0, 2) = makePixel(9, 8, 7, 0);
    premultiplyAlpha(soft);
    EXPECT_EQ(soft.at(0, 0), makePixel(100, 50, 26, 128));
    EXPECT_EQ(soft.at(0, 1), makePixel(9, 8, 7));
    EXPECT_EQ(soft.at(0, 2), Pixel{0});
}

} // namespace
