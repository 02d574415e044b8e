// Names, crops, JSON reports and atlases, read back.
#include "atlas/atlas.h"
#include "atlas/atlas_reader.h"
#include "present/crops.h"
#include "present/name_pattern.h"
#include "pack/pack.h"
#include "pack/packer.h"
#include "regions/icon_search.h"
#include "present/report.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <regex>
#include <tuple>

#include <set>

using namespace iconfinder;

namespace {

std::string nameError(std::string_view pattern, bool rows)
{
    try {
        NamePattern::parse(pattern, rows);
    } catch (const InputError& e) {
        return e.what();
    }
    return "(parsed)";
}

TEST(NamePattern, EveryFieldAndWidth)
{
    const NamePattern::Values values{7, 10, 20, 30, 40, 2, 3, "sheet"};
    EXPECT_EQ(NamePattern::parse("icon-{n:04}", false).format(values), "icon-0007");
    EXPECT_EQ(NamePattern::parse("{stem}_{x}x{y}_{w}x{h}_{n}", false).format(values), "sheet_10x20_30x40_7");
    EXPECT_EQ(NamePattern::parse("r{row:02}c{col:03}", true).format(values), "r02c003");
    EXPECT_EQ(NamePattern::parse("{n:02}", false).format({1234, 0, 0, 0, 0, 0, 0, ""}), "1234") << "a width is a minimum";
    EXPECT_EQ(NamePattern::parse("plain", false).format(values), "plain");

    EXPECT_EQ(nameError("{row}", false), "{row} needs --order rows or columns");
    EXPECT_EQ(nameError("{size}", false), "unknown field {size} in the name pattern");
    EXPECT_EQ(nameError("{n:4}", false), "bad width in {n:4} (a number field takes :0N, such as {n:04})");
    EXPECT_EQ(nameError("{stem:03}", false), "bad width in {stem:03} (a number field takes :0N, such as {n:04})");
    EXPECT_EQ(nameError("a/{n}", false), "a name may not contain '/'");
    EXPECT_EQ(nameError("{n", false), "'{' without '}' in the name pattern");
    EXPECT_EQ(nameError("n}", false), "'}' without '{' in the name pattern");
    EXPECT_EQ(nameError("", false), "the name pattern is empty");
}

TEST(Crops, PaddingSameSizeAlignmentAndTransparency)
{
    // A 2 x 3 sprite at (1, 1) on magenta, with a magenta hole inside it.
    const Pixel magenta = makePixel(255, 0, 255), ink = makePixel(10, 20, 30);
    PixelImage sheet(6, 6, magenta);
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 2; ++x)
            sheet.at(x, y) = ink;
    sheet.at(2, 2) = magenta;
    const RegionBox box{1, 1, 2, 3};
    const BackgroundRule rule = BackgroundRule::colour({255, 0, 255});

    const PixelImage plain = cropOf(sheet, box, rule, {}, 0, 0);
    EXPECT_TRUE(plain == cropped(sheet, {1, 1, 3, 4})) << "the box's own pixels, nothing else";

    CropStyle padded;
    padded.padding = 2;
    const PixelImage withPadding = cropOf(sheet, box, rule, padded, 0, 0);
    EXPECT_EQ(withPadding.width(), 6);
    EXPECT_EQ(withPadding.height(), 7);
    EXPECT_EQ(withPadding.at(0, 0), magenta);
    EXPECT_EQ(withPadding.at(2, 2), ink);
    EXPECT_FALSE(withPadding.hasAlpha());

    CropStyle same;
    same.sameSize = true;
    const PixelImage centred = cropOf(sheet, box, rule, same, 5, 6);
    EXPECT_EQ(centred.width(), 5);
    EXPECT_EQ(centred.height(), 6);
    EXPECT_EQ(centred.at(1, 1), ink) << "the odd column and row left over go right and down";
    same.align = Align::Bottom;
    const PixelImage standing = cropOf(sheet, box, rule, same, 5, 6);
    EXPECT_EQ(standing.at(1, 3), ink);
    EXPECT_EQ(standing.at(1, 5), ink) << "on the bottom edge";

    CropStyle clear;
    clear.transparent = true;
    clear.padding = 1;
    const PixelImage transparent = cropOf(sheet, box, rule, clear, 0, 0);
    EXPECT_TRUE(transparent.hasAlpha());
    EXPECT_EQ(transparent.at(0, 0), Pixel{0}) << "padding is transparent";
    EXPECT_EQ(transparent.at(2, 2), Pixel{0}) << "so is the background inside the box";
    EXPECT_EQ(transparent.at(1, 1), ink);
}

TEST(Reports, JsonSaysWhatWasUsedAndStaysValid)
{
    const std::vector<PlacedRegion> regions = {{{1, 2, 3, 4}, 0, 0}};
    const std::string text = jsonReport({std::string("bad\xff" "name.png"), FileFormat::Png, 10, 20, BackgroundRule::transparent(5), std::nullopt}, regions);
    ASSERT_EQ(text.back(), '\n');
    ASSERT_EQ(text.find('\n'), text.size() - 1) << "one line";
    const nlohmann::json report = nlohmann::json::parse(text);
    EXPECT_EQ(report["background"], "transparent");
    EXPECT_EQ(report["tolerance"], 5);
    EXPECT_EQ(report["format"], "png");
    EXPECT_EQ(report["regions"][0]["maxY"], 4);
    EXPECT_EQ(report["file"], "bad\xEF\xBF\xBDname.png") << "the bad byte is replaced";
    EXPECT_EQ(nlohmann::json::parse(jsonReport({std::nullopt, FileFormat::Bmp, 1, 1, BackgroundRule::colour({0xAB, 0, 0x0C}), std::nullopt}, {}))["background"],
              "#ab000c");
    EXPECT_EQ(nlohmann::json::parse(jsonFailure("x.png", "truncated PNG data"))["error"], "truncated PNG data");

    std::string lines;
    appendLines(lines, regions, "x.png:");
    EXPECT_EQ(lines, "x.png:1 , 2 , 3 , 4 \n");
}

// Each layout read back by a plain reader of its own, and by --regions-from's reader.
TEST(Atlas, EveryLayoutReadBackHoldsTheFrames)
{
    pictures::Random random(8);
    for (int round = 0; round < 40; ++round) {
        std::vector<PlacedRegion> regions;
        std::vector<std::string> names;
        const int count = random.between(1, 30);
        for (int i = 0; i < count; ++i) {
            const int x = random.below(900), y = random.below(900);
            regions.push_back({{x, y, x + random.below(40), y + random.below(40)}, 1 + i / 5, 1 + i % 5, static_cast<std::size_t>(i)});
            // Integer-like names, whose order a hash loses, and names no CSS class may hold as they are.
            names.push_back(i % 3 == 0 ? std::to_string(count - i) : i % 3 == 1 ? "a b&<" + std::to_string(i) : "hero_" + std::to_string(i));
        }
        CropStyle style;
        style.padding = random.below(3);
        style.sameSize = random.chance(50);
        style.align = random.chance(50) ? Align::Bottom : Align::Center;
        Atlas atlas;
        atlas.pages.push_back({"../sheet.png", 1000, 1001});
        atlas.frames = framesOf(regions, names, style, nullptr);
        atlas.anchor = Anchor{0.5, 1};
        atlas.animations = animationsOf(regions, false, NamePattern::parse("walk-{row}", true), "hero");
        const auto [widest, highest] = largestSize(boxesOf(regions));

        // Frames drawn as the crops: the crop's size, and the box in it where the crop puts it.
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const AtlasFrame& frame = atlas.frames[i];
            const CropPlacement crop = placeCrop(regions[i].box, style, widest, highest);
            ASSERT_EQ(std::tuple(frame.sourceWidth, frame.sourceHeight, frame.offsetX, frame.offsetY),
                      std::tuple(crop.width, crop.height, crop.left, crop.top));
            ASSERT_EQ(frame.trimmed(), crop.width != regions[i].box.width() || crop.height != regions[i].box.height());
        }

        const nlohmann::json hash = nlohmann::json::parse(atlasText(atlas, AtlasLayout::Hash));
        const nlohmann::json array = nlohmann::json::parse(atlasText(atlas, AtlasLayout::Array));
        ASSERT_EQ(hash["frames"].size(), regions.size()) << "names unique";
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const AtlasFrame& f = atlas.frames[i];
            const nlohmann::json expected = {
                {"frame", {{"x", f.box.minX}, {"y", f.box.minY}, {"w", f.box.width()}, {"h", f.box.height()}}},
                {"rotated", false},
                {"trimmed", f.trimmed()},
                {"spriteSourceSize", {{"x", f.offsetX}, {"y", f.offsetY}, {"w", f.box.width()}, {"h", f.box.height()}}},
                {"sourceSize", {{"w", f.sourceWidth}, {"h", f.sourceHeight}}},
                {"anchor", {{"x", 0.5}, {"y", 1.0}}}};
            ASSERT_EQ(hash["frames"][names[i]], expected);
            nlohmann::json named = expected;
            named["filename"] = names[i];
            ASSERT_EQ(array["frames"][i], named) << "the array keeps the output order";
        }
        EXPECT_EQ(hash["meta"]["image"], "../sheet.png");
        EXPECT_EQ(hash["meta"]["size"], (nlohmann::json{{"w", 1000}, {"h", 1001}}));
        for (const Animation& animation : atlas.animations) {
            std::vector<std::string> frameNames;
            for (const std::size_t i : animation.frames)
                frameNames.push_back(names[i]);
            EXPECT_EQ(hash["animations"][animation.name], frameNames);
        }
        EXPECT_EQ(hash["animations"].size(), static_cast<std::size_t>(regions.back().row));
        EXPECT_TRUE(hash["animations"].contains("walk-1"));

        const nlohmann::json aseprite = nlohmann::json::parse(atlasText(atlas, AtlasLayout::Aseprite));
        for (std::size_t i = 0; i < regions.size(); ++i) {
            EXPECT_EQ(aseprite["frames"][std::to_string(i)]["frame"]["x"], atlas.frames[i].box.minX);
            EXPECT_EQ(aseprite["frames"][std::to_string(i)]["duration"], 100);
        }
        const nlohmann::json& tags = aseprite["meta"]["frameTags"];
        ASSERT_EQ(tags.size(), atlas.animations.size());
        for (std::size_t k = 0; k < tags.size(); ++k)
            EXPECT_EQ(tags[k], (nlohmann::json{{"name", atlas.animations[k].name}, {"from", atlas.animations[k].frames.front()},
                                               {"to", atlas.animations[k].frames.back()}, {"direction", "forward"}}));

        // Starling: a SubTexture a frame, the trim as a negative frameX and frameY.
        const std::string xml = atlasText(atlas, AtlasLayout::Starling);
        const std::regex subTexture(R"re(<SubTexture name="([^"]*)" x="(\d+)" y="(\d+)" width="(\d+)" height="(\d+)"(?: frameX="(-?\d+)" frameY="(-?\d+)" frameWidth="(\d+)" frameHeight="(\d+)")? pivotX="([^"]+)" pivotY="([^"]+)"/>)re");
        std::size_t k = 0;
        for (auto it = std::sregex_iterator(xml.begin(), xml.end(), subTexture); it != std::sregex_iterator(); ++it, ++k) {
            const std::smatch& m = *it;
            const AtlasFrame& f = atlas.frames[k];
            const std::string name = std::regex_replace(std::regex_replace(std::regex_replace(m[1].str(), std::regex("&lt;"), "<"), std::regex("&amp;"), "&"), std::regex("&gt;"), ">");
            EXPECT_EQ(name, f.name);
            EXPECT_EQ(std::stoi(m[2]), f.box.minX);
            EXPECT_EQ(std::stoi(m[5]), f.box.height());
            EXPECT_EQ(m[6].matched, f.trimmed());
            if (m[6].matched) {
                EXPECT_EQ(std::stoi(m[6]), -f.offsetX);
                EXPECT_EQ(std::stoi(m[9]), f.sourceHeight);
            }
            EXPECT_DOUBLE_EQ(std::stod(m[11]), f.sourceHeight) << "the pivot at the bottom";
        }
        EXPECT_EQ(k, regions.size());

        // libGDX: bounds, and offsets counted from the bottom of the source picture.
        const std::string gdx = atlasText(atlas, AtlasLayout::Libgdx);
        EXPECT_EQ(gdx.rfind("../sheet.png\nsize:1000,1001\n", 0), 0u);
        for (const AtlasFrame& f : atlas.frames) {
            const std::string entry = "\n" + f.name + "\nbounds:" + std::to_string(f.box.minX) + "," + std::to_string(f.box.minY) + "," +
                                      std::to_string(f.box.width()) + "," + std::to_string(f.box.height()) + "\n" +
                                      (f.trimmed() ? "offsets:" + std::to_string(f.offsetX) + "," +
                                                         std::to_string(f.sourceHeight - f.box.height() - f.offsetY) + "," +
                                                         std::to_string(f.sourceWidth) + "," + std::to_string(f.sourceHeight) + "\n"
                                                   : std::string());
            EXPECT_NE(gdx.find(entry), std::string::npos) << entry;
        }

        // CSS: a rule a frame; names escaped so that each is one class.
        const std::string css = atlasText(atlas, AtlasLayout::Css);
        const std::regex rule(R"(\.((?:\\[0-9a-f]+ |\\.|[A-Za-z0-9_-])+) \{\n  width: (\d+)px;\n  height: (\d+)px;\n  background: url\("\.\./sheet\.png"\) (-?\d+(?:px)?) (-?\d+(?:px)?);\n\})");
        k = 0;
        for (auto it = std::sregex_iterator(css.begin(), css.end(), rule); it != std::sregex_iterator(); ++it, ++k) {
            EXPECT_EQ(std::stoi((*it)[2]), atlas.frames[k].box.width());
            EXPECT_EQ(std::stoi((*it)[4]), -atlas.frames[k].box.minX);
        }
        EXPECT_EQ(k, regions.size());
        EXPECT_NE(css.find(".\\3" + std::string(1, names[0][0]) + " "), std::string::npos) << "a leading digit escaped";

        // --regions-from reads every layout it takes back to the same names and boxes.
        for (const AtlasLayout layout : {AtlasLayout::Hash, AtlasLayout::Array, AtlasLayout::Aseprite, AtlasLayout::Starling, AtlasLayout::Libgdx}) {
            const std::vector<NamedBox> read = readAtlasFrames(atlasText(atlas, layout));
            ASSERT_EQ(read.size(), regions.size());
            for (std::size_t i = 0; i < regions.size(); ++i) {
                EXPECT_EQ(read[i].box, regions[i].box);
                if (layout != AtlasLayout::Aseprite) {
                    EXPECT_EQ(read[i].name, names[i]);
                }
            }
        }
    }
    EXPECT_THROW(readAtlasFrames("{\"frames\": {\"a\": {\"frame\": {\"x\": 0, \"y\": 0, \"w\": 0, \"h\": 3}}}}"), InputError);
    EXPECT_THROW(readAtlasFrames("{\"frames\": 3"), InputError);
    EXPECT_THROW(readAtlasFrames("<TextureAtlas/>"), InputError);
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
        const std::optional<PackedPages> packed = packRectangles(sizes, gap, limit, pot);
        ASSERT_TRUE(packed);
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
        CropStyle style;
        style.padding = random.below(3);
        const PackStyle pack{random.below(3), random.below(3), 256, false};
        const PackedAtlas packed = packFrames(picture, regions, names, rule, style, nullptr, pack);
        CropStyle transparent = style;
        transparent.transparent = true;
        for (std::size_t i = 0; i < regions.size(); ++i) {
            const AtlasFrame& frame = packed.frames[i];
            const PixelImage crop = cropOf(picture, regions[i].box, rule, transparent, 0, 0);
            ASSERT_EQ(std::pair(frame.sourceWidth, frame.sourceHeight), std::pair(crop.width(), crop.height()));
            const PixelImage& page = packed.pages[frame.page];
            for (int y = -pack.extrude; y < frame.box.height() + pack.extrude; ++y)
                for (int x = -pack.extrude; x < frame.box.width() + pack.extrude; ++x) {
                    const int cx = std::clamp(x, 0, frame.box.width() - 1), cy = std::clamp(y, 0, frame.box.height() - 1);
                    ASSERT_EQ(page.at(frame.box.minX + x, frame.box.minY + y), crop.at(frame.offsetX + cx, frame.offsetY + cy))
                        << "round " << round << ", frame " << i << " at " << x << "," << y;
                }
            // Only transparency was trimmed away.
            for (int y = 0; y < crop.height(); ++y)
                for (int x = 0; x < crop.width(); ++x)
                    if (x < frame.offsetX || y < frame.offsetY || x >= frame.offsetX + frame.box.width() || y >= frame.offsetY + frame.box.height()) {
                        ASSERT_EQ(alphaOf(crop.at(x, y)), 0);
                    }
        }
    }
}

} // namespace
