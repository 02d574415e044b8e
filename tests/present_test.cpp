// Names, crops, JSON reports and atlases, read back.
#include "present/atlas.h"
#include "present/crops.h"
#include "present/name_pattern.h"
#include "present/report.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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
    const std::string text = jsonReport({std::string("bad\xff" "name.png"), FileFormat::Png, 10, 20, BackgroundRule::transparent(5)}, regions);
    ASSERT_EQ(text.back(), '\n');
    ASSERT_EQ(text.find('\n'), text.size() - 1) << "one line";
    const nlohmann::json report = nlohmann::json::parse(text);
    EXPECT_EQ(report["background"], "transparent");
    EXPECT_EQ(report["tolerance"], 5);
    EXPECT_EQ(report["format"], "png");
    EXPECT_EQ(report["regions"][0]["maxY"], 4);
    EXPECT_EQ(report["file"], "bad\xEF\xBF\xBDname.png") << "the bad byte is replaced";
    EXPECT_EQ(nlohmann::json::parse(jsonReport({std::nullopt, FileFormat::Bmp, 1, 1, BackgroundRule::colour({0xAB, 0, 0x0C})}, {}))["background"],
              "#ab000c");
    EXPECT_EQ(nlohmann::json::parse(jsonFailure("x.png", "truncated PNG data"))["error"], "truncated PNG data");

    std::string lines;
    appendLines(lines, regions, "x.png:");
    EXPECT_EQ(lines, "x.png:1 , 2 , 3 , 4 \n");
}

TEST(Atlas, ParsedBackItHoldsTheFrames)
{
    pictures::Random random(8);
    std::vector<PlacedRegion> regions;
    std::vector<std::string> names;
    for (int i = 0; i < 50; ++i) {
        const int x = random.below(900), y = random.below(900);
        regions.push_back({{x, y, x + random.below(40), y + random.below(40)}, 0, 0});
        names.push_back(std::to_string(50 - i)); // integer-like names, whose order a hash loses
    }
    const nlohmann::json hash = nlohmann::json::parse(atlasJson(regions, names, "../sheet.png", 1000, 1001, AtlasLayout::Hash));
    ASSERT_EQ(hash["frames"].size(), regions.size()) << "names unique";
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const nlohmann::json& frame = hash["frames"][names[i]];
        const RegionBox& box = regions[i].box;
        EXPECT_EQ(frame["frame"], (nlohmann::json{{"x", box.minX}, {"y", box.minY}, {"w", box.width()}, {"h", box.height()}}));
        EXPECT_EQ(frame["rotated"], false);
        EXPECT_EQ(frame["trimmed"], false);
        EXPECT_EQ(frame["spriteSourceSize"], (nlohmann::json{{"x", 0}, {"y", 0}, {"w", box.width()}, {"h", box.height()}}));
        EXPECT_EQ(frame["sourceSize"], (nlohmann::json{{"w", box.width()}, {"h", box.height()}}));
    }
    EXPECT_EQ(hash["meta"]["size"], (nlohmann::json{{"w", 1000}, {"h", 1001}}));
    EXPECT_EQ(hash["meta"]["image"], "../sheet.png");
    EXPECT_EQ(hash["meta"]["app"], "find-icons");
    EXPECT_EQ(hash["meta"]["format"], "RGBA8888");
    EXPECT_EQ(hash["meta"]["scale"], "1");

    const nlohmann::json array = nlohmann::json::parse(atlasJson(regions, names, "sheet.png", 1000, 1001, AtlasLayout::Array));
    ASSERT_EQ(array["frames"].size(), regions.size());
    for (std::size_t i = 0; i < regions.size(); ++i) {
        EXPECT_EQ(array["frames"][i]["filename"], names[i]) << "the array keeps the output order";
        EXPECT_EQ(array["frames"][i]["frame"]["x"], regions[i].box.minX);
    }
}

} // namespace
