// find-icons end to end: outputs, the files it writes, several pictures, and exit codes.
#include "formats/bmp/bmp_reader.h"
#include "formats/bmp/bmp_writer.h"
#include "resources/sample_picture.h"
#include "regions/icon_search.h"
#include "regions/result_lines.h"
#include "tests/support/checks.h"
#include "tests/support/pictures.h"
#include "tests/support/png_bytes.h"
#include "version.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <csignal>
#include <sys/stat.h>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace iconfinder;
namespace fs = std::filesystem;
using test::endedWith;
using test::entriesIn;
using test::readPicture;
using test::slurp;

namespace {

test::CommandResult findIconsCli(const std::vector<std::string>& args, std::optional<test::SignalAfter> interrupt = {})
{
    return test::runCommand(FIND_ICONS, args, interrupt);
}

std::vector<std::string> joined(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

std::string linesOf(std::span<const RegionBox> boxes)
{
    std::string text;
    for (const RegionBox& box : boxes) {
        appendResultLine(text, box);
        text += '\n';
    }
    return text;
}

nlohmann::json jsonIn(const fs::path& file) { return nlohmann::json::parse(slurp(file)); }
nlohmann::json jsonOut(const std::vector<std::string>& args) { return nlohmann::json::parse(findIconsCli(args).out); }

std::vector<RegionBox> sampleBoxes() { return findRegions(samplePicture(), BackgroundRule::colour({255, 255, 255})); }

class FindIconsCli : public test::InFolder {
protected:
    static ::testing::AssertionResult succeeds(const std::vector<std::string>& args) { return endedWith(findIconsCli(args), 0, ""); }

    // A sheet of sprites on a transparent background, and the same on magenta without alpha.
    void writeSheets()
    {
        PixelImage sheet(60, 40, 0, true);
        pictures::fill(sheet, {5, 5, 12, 15}, makePixel(200, 10, 10));
        pictures::fill(sheet, {31, 20, 50, 32}, makePixel(10, 10, 200));
        pictures::fill(sheet, {30, 20, 31, 32}, makePixel(10, 10, 200, 128));
        sheet.at(55, 2) = makePixel(0, 0, 0, 20); // nearly transparent dust
        writePictureFile(sheet, FileFormat::Png, dir / "sheet.png");
        PixelImage magenta(sheet.width(), sheet.height(), 0);
        for (std::size_t i = 0; i < sheet.pixelCount(); ++i)
            magenta.pixels()[i] = alphaOf(sheet.pixels()[i]) < 30 ? makePixel(255, 0, 255) : (sheet.pixels()[i] | kAlphaBits);
        writePictureFile(magenta, FileFormat::Bmp, dir / "magenta.bmp");
    }
};

TEST_F(FindIconsCli, LinesAndJsonHoldTheRegionsAndWhatWasUsed)
{
    const auto lines = findIconsCli({});
    EXPECT_EQ(lines.exitCode, 0) << lines.err;
    EXPECT_EQ(lines.out, linesOf(sampleBoxes()));
    EXPECT_EQ(lines.out.substr(0, lines.out.find('\n') + 1), "331 , 14 , 332 , 19 \n") << "trailing blank kept";
    EXPECT_EQ(lines.err, "");
    const fs::path file = dir / "sample.bmp";
    writePictureFile(samplePicture(), FileFormat::Bmp, file);
    const auto result = findIconsCli({file.string(), "--format", "json", "-b", "white"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const nlohmann::json root = nlohmann::json::parse(result.out);
    EXPECT_EQ(root["file"], file.string());
    EXPECT_EQ(root["width"], 395);
    EXPECT_EQ(root["background"], "#ffffff");
    const std::vector<RegionBox> boxes = sampleBoxes();
    ASSERT_EQ(root["regions"].size(), boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const nlohmann::json& r = root["regions"][i];
        EXPECT_EQ((RegionBox{r["minX"], r["minY"], r["maxX"], r["maxY"]}), boxes[i]);
    }
    const nlohmann::json sample = jsonOut({"--format=json", "--background=BtnFace"});
    EXPECT_TRUE(sample["file"].is_null());
    EXPECT_EQ(sample["background"], "#d4d0c8");
}

TEST_F(FindIconsCli, PngInTransparencyAndPngOut)
{
    writeSheets();
    const std::string sheet = (dir / "sheet.png").string();
    const auto lines = findIconsCli({sheet, "-b", "transparent", "--tolerance", "30"});
    ASSERT_EQ(lines.exitCode, 0) << lines.err;
    EXPECT_EQ(lines.out, "5 , 5 , 11 , 14 \n30 , 20 , 49 , 31 \n") << "the dust is background within the tolerance";
    EXPECT_EQ(findIconsCli({sheet, "-b", "transparent"}).out, "55 , 2 , 55 , 2 \n5 , 5 , 11 , 14 \n30 , 20 , 49 , 31 \n");
    EXPECT_EQ(findIconsCli({sheet, "-b", "auto", "--tolerance", "30"}).out, lines.out) << "transparent corners";

    const auto json = jsonOut({sheet, "-b", "auto", "--format", "json"});
    EXPECT_EQ(json["background"], "transparent");
    EXPECT_EQ(json["format"], "png");
    // A background left at alpha 1 everywhere: transparent up to that alpha.
    PixelImage faint = readPicture(sheet);
    for (Pixel& p : faint.pixels())
        p = alphaOf(p) == 0 ? makePixel(255, 255, 255, 1) : p;
    writePictureFile(faint, FileFormat::Png, dir / "faint.png");
    const auto faintJson = jsonOut({(dir / "faint.png").string(), "-b", "auto", "--format", "json"});
    EXPECT_EQ(faintJson["background"], "transparent");
    EXPECT_EQ(faintJson["tolerance"], 1);

    ASSERT_TRUE(succeeds({sheet, "-b", "transparent", "--tolerance", "30", "-o", (dir / "framed.png").string(), "--crop",
                          (dir / "crops").string(), "--name", "s{n}"}));
    const PixelImage framed = readPicture(dir / "framed.png");
    EXPECT_TRUE(framed.hasAlpha());
    EXPECT_EQ(framed.at(5, 5), makePixel(255, 0, 0)) << "frames are opaque red";
    EXPECT_EQ(framed.at(0, 0), Pixel{0}) << "the rest keeps its alpha";
    const PixelImage second = readPicture(dir / "crops" / "s2.png");
    EXPECT_TRUE(second.hasAlpha()) << "PNG crops from a PNG picture, with its alpha";
    EXPECT_EQ(second.width(), 20);
    EXPECT_EQ(alphaOf(second.at(0, 0)), 128);

    // A picture without alpha cannot have a transparent background.
    EXPECT_TRUE(endedWith(findIconsCli({(dir / "magenta.bmp").string(), "-b", "transparent"}), 1, "has no alpha channel"));
}

TEST_F(FindIconsCli, MagentaSheetCutIntoTransparentSprites)
{
    writeSheets();
    const std::string sheet = (dir / "magenta.bmp").string();
    EXPECT_EQ(jsonOut({sheet, "-b", "auto", "--format", "json"})["background"], "#ff00ff") << "the commonest border colour";
    const auto result = findIconsCli({sheet, "-b", "Fuchsia", "--crop", (dir / "sprites").string(), "--crop-transparent",
                                      "--padding", "1", "--same-size", "--align", "bottom", "--order", "rows",
                                      "--name", "{stem}_r{row}c{col:02}"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const PixelImage first = readPicture(dir / "sprites" / "magenta_r1c01.png");
    const PixelImage second = readPicture(dir / "sprites" / "magenta_r2c01.png");
    EXPECT_EQ(std::pair(first.width(), first.height()), std::pair(22, 14));
    EXPECT_TRUE(first.hasAlpha());
    EXPECT_EQ(first.at(0, 0), makePixel(200, 10, 10, 0)) << "transparent, the sprite's colour bled into it";
    EXPECT_EQ(first.at(7, 3), makePixel(200, 10, 10)) << "centred across, on the bottom edge above the padding";
    EXPECT_EQ(second.at(1, 1), makePixel(10, 10, 200));
    // Cut again into the same folder, an earlier file of another name stays, and is told of.
    std::ofstream(dir / "sprites" / "old.png") << "earlier";
    std::ofstream(dir / "sprites" / ".hidden") << "not a crop";
    EXPECT_TRUE(endedWith(findIconsCli({sheet, "-b", "Fuchsia", "--crop", (dir / "sprites").string(), "--crop-transparent"}), 0,
                          "find-icons: " + (dir / "sprites").string() + ": 3 older files kept beside the 2 written\n"));
    const auto replaced = findIconsCli({sheet, "-b", "Fuchsia", "--crop", (dir / "sprites").string(), "--replace-folder"});
    EXPECT_EQ(replaced.err, "");
    EXPECT_EQ(entriesIn(dir / "sprites"), 2u) << "this run's crops alone";

    // The atlas of frames cut transparent from a sheet without alpha points at the sheet made
    // transparent, beside it.
    ASSERT_TRUE(succeeds({sheet, "-b", "Fuchsia", "--crop-transparent", "--atlas", (dir / "clear.json").string()}));
    EXPECT_EQ(jsonIn(dir / "clear.json")["meta"]["image"], "clear.png");
    const PixelImage clear = readPicture(dir / "clear.png");
    EXPECT_EQ(alphaOf(clear.at(0, 0)), 0);
    EXPECT_EQ(clear.at(5, 5), makePixel(200, 10, 10));
    // As bitmaps, transparent crops and crops of a picture with alpha are 32-bit with alpha.
    ASSERT_TRUE(succeeds({sheet, "-b", "Fuchsia", "--crop", (dir / "x").string(), "--crop-transparent", "--crop-format", "bmp"}));
    EXPECT_TRUE(readPicture(dir / "x" / "icon-0001.bmp").hasAlpha());
    ASSERT_TRUE(succeeds({(dir / "sheet.png").string(), "-b", "transparent", "--crop", (dir / "y").string(), "--crop-format", "bmp"}));
    EXPECT_EQ(readPicture(dir / "y" / "icon-0003.bmp").at(0, 0), makePixel(10, 10, 200, 128));
}

TEST_F(FindIconsCli, MergeSizeFilterOrderAndAtlas)
{
    // Two parts of one sprite a pixel apart, a speck, and a second sprite.
    PixelImage sheet(40, 20, makePixel(255, 255, 255));
    for (const Rect& part : {Rect{2, 2, 3, 8}, {4, 2, 5, 8}, {20, 3, 30, 9}, {35, 15, 36, 16}})
        pictures::fill(sheet, part, makePixel(0, 0, 0));
    writePictureFile(sheet, FileFormat::Png, dir / "parts.png");
    const std::string file = (dir / "parts.png").string();
    EXPECT_EQ(findIconsCli({file}).out, "2 , 2 , 2 , 7 \n4 , 2 , 4 , 7 \n20 , 3 , 29 , 8 \n35 , 15 , 35 , 15 \n");
    EXPECT_EQ(findIconsCli({file, "--merge", "2", "--min-size", "2"}).out, "2 , 2 , 4 , 7 \n20 , 3 , 29 , 8 \n");
    EXPECT_EQ(findIconsCli({file, "--merge", "1"}).out, findIconsCli({file}).out) << "a one-column gap is not a touch";
    const auto automatic = jsonOut({file, "--merge", "auto", "--format", "json"});
    EXPECT_EQ(automatic["merge"], 2) << "the parts a column apart, the rest 6 and more";
    EXPECT_EQ(automatic["regions"].size(), 3u);

    const fs::path atlas = dir / "out" / "parts.json";
    fs::create_directories(dir / "out");
    ASSERT_TRUE(succeeds({file, "--merge", "2", "--min-size", "2x2", "--atlas", atlas.string(), "--atlas-format", "array", "--order",
                          "columns", "--name", "c{col}r{row}"}));
    const nlohmann::json parsed = jsonIn(atlas);
    EXPECT_EQ(parsed["meta"]["image"], "../parts.png");
    EXPECT_EQ(parsed["meta"]["size"]["w"], 40);
    ASSERT_EQ(parsed["frames"].size(), 2u);
    EXPECT_EQ(parsed["frames"][0]["filename"], "c1r1");
    EXPECT_EQ(parsed["frames"][1]["frame"], (nlohmann::json{{"x", 20}, {"y", 3}, {"w", 10}, {"h", 6}}));

    // A pattern that names two regions alike is refused before anything is written.
    EXPECT_TRUE(endedWith(findIconsCli({file, "--crop", (dir / "same").string(), "--name", "{w}"}), 2, "two regions have the same name '1'"));
    EXPECT_FALSE(fs::exists(dir / "same"));
}

TEST_F(FindIconsCli, AtlasesDrawFramesAsTheCropsAndReadBack)
{
    writeSheets();
    const std::string sheet = (dir / "magenta.bmp").string();
    const fs::path atlas = dir / "a.json";
    ASSERT_TRUE(succeeds({sheet, "-b", "Fuchsia", "--order", "rows", "--padding", "1", "--same-size", "--align", "bottom", "--anchor",
                          "bottom", "--animations", "rows", "--atlas", atlas.string(), "--crop", (dir / "c").string()}));
    const nlohmann::json parsed = jsonIn(atlas);
    const nlohmann::json& first = parsed["frames"]["icon-0001"];
    const PixelImage crop = readPicture(dir / "c" / "icon-0001.bmp");
    EXPECT_EQ(first["sourceSize"], (nlohmann::json{{"w", crop.width()}, {"h", crop.height()}})) << "the frame is drawn as the crop";
    EXPECT_EQ(first["trimmed"], true);
    EXPECT_EQ(first["spriteSourceSize"]["y"], crop.height() - 1 - first["frame"]["h"].get<int>()) << "on the ground line";
    EXPECT_EQ(first["anchor"], (nlohmann::json{{"x", 0.5}, {"y", 1.0}}));
    EXPECT_EQ(parsed["animations"]["magenta-1"], (nlohmann::json{"icon-0001"}));
    EXPECT_EQ(parsed["animations"]["magenta-2"], (nlohmann::json{"icon-0002"}));
    // Converted to each layout and back, every frame is drawn as before: its trim kept, its
    // pivot where the layout has one, and the animations where it has them.
    for (const std::string layout : {"array", "aseprite", "starling", "libgdx"}) {
        const fs::path converted = dir / ("converted." + layout), back = dir / ("back-" + layout + ".json");
        ASSERT_TRUE(succeeds({sheet, "--regions-from", atlas.string(), "--atlas", converted.string(), "--atlas-format", layout}));
        ASSERT_TRUE(succeeds({sheet, "--regions-from", converted.string(), "--atlas", back.string(), "--name", "icon-{n:04}"}));
        const nlohmann::json again = jsonIn(back);
        for (const auto& [name, frame] : parsed["frames"].items())
            for (const char* field : {"frame", "sourceSize", "spriteSourceSize", "anchor"})
                if (layout != "libgdx" || field != std::string("anchor")) {
                    EXPECT_EQ(again["frames"][name][field], frame[field]) << layout << " " << name << " " << field;
                }
        if (layout == "array" || layout == "aseprite") {
            EXPECT_EQ(again["animations"], parsed["animations"]) << layout;
        }
    }
    // Aseprite's durations carry over too.
    ASSERT_TRUE(succeeds({sheet, "--regions-from", atlas.string(), "--atlas", (dir / "slow.json").string(), "--atlas-format", "aseprite",
                          "--frame-duration", "70"}));
    ASSERT_TRUE(succeeds({sheet, "--regions-from", (dir / "slow.json").string(), "--atlas", (dir / "still.json").string(), "--atlas-format", "aseprite"}));
    EXPECT_EQ(jsonIn(dir / "still.json")["frames"]["1"]["duration"], 70);
    // Read back and put in rows, the atlas's frames make the same animations.
    ASSERT_TRUE(succeeds({sheet, "--regions-from", atlas.string(), "--order", "rows", "--animations", "rows", "--atlas", (dir / "again.json").string()}));
    EXPECT_EQ(jsonIn(dir / "again.json")["animations"], parsed["animations"]);

    // Read back as the regions, an atlas gives the lines of the search it was made from, and
    // its own names unless --name is given.
    const fs::path written = dir / "b.starling";
    ASSERT_TRUE(succeeds({sheet, "-b", "Fuchsia", "--atlas", written.string(), "--atlas-format", "starling", "--name", "s{n}"}));
    EXPECT_EQ(findIconsCli({sheet, "--regions-from", written.string()}).out, findIconsCli({sheet, "-b", "Fuchsia"}).out);
    ASSERT_TRUE(succeeds({sheet, "--regions-from", (dir / "b.starling").string(), "--crop", (dir / "again").string()}));
    EXPECT_TRUE(fs::exists(dir / "again" / "s2.bmp")) << "the atlas's own names";
    ASSERT_TRUE(succeeds({sheet, "--regions-from", (dir / "b.starling").string(), "--crop", (dir / "named").string(), "--name", "icon-{n:04}"}));
    EXPECT_TRUE(fs::exists(dir / "named" / "icon-0002.bmp")) << "--name given, even as the default pattern, names them";
    // Frames named as image files give crops with their own extension only.
    ASSERT_TRUE(succeeds({sheet, "-b", "Fuchsia", "--atlas", (dir / "files.json").string(), "--name", "s{n}.png"}));
    ASSERT_TRUE(succeeds({sheet, "--regions-from", (dir / "files.json").string(), "--crop", (dir / "files").string()}));
    EXPECT_TRUE(fs::exists(dir / "files" / "s2.bmp"));
    EXPECT_EQ(entriesIn(dir / "files"), 2u);

    std::ofstream(dir / "broken.json") << "{\"frames\": [";
    EXPECT_TRUE(endedWith(findIconsCli({sheet, "--regions-from", (dir / "broken.json").string()}), 2,
                          "find-icons: --regions-from: " + (dir / "broken.json").string() + ": not valid JSON"));
    std::ofstream(dir / "outside.json") << R"({"frames": {"far": {"frame": {"x": 50, "y": 30, "w": 20, "h": 20}}}})";
    EXPECT_TRUE(endedWith(findIconsCli({sheet, "--regions-from", (dir / "outside.json").string(), "--crop", (dir / "none").string()}), 1,
                          "--regions-from: " + (dir / "outside.json").string() + ": frame 'far' leaves the picture (60 x 40)"));
    EXPECT_FALSE(fs::exists(dir / "none"));
    // An atlas's own names obey the rules of --name: nothing is written, in the folder or outside it.
    for (const std::string name : {"../victim", "/tmp/victim", "a\\nb", "b"}) {
        std::ofstream(dir / "evil.json") << R"({"frames": [{"filename": ")" << name << R"(", "frame": {"x": 1, "y": 1, "w": 2, "h": 2}},
                                                {"filename": "b", "frame": {"x": 3, "y": 3, "w": 2, "h": 2}}]})";
        const auto evil = findIconsCli({sheet, "--regions-from", (dir / "evil.json").string(), "--crop", (dir / "evil").string()});
        EXPECT_EQ(evil.exitCode, 2) << name;
        EXPECT_EQ(evil.err.find('\n'), evil.err.size() - 1 - std::string("Try 'find-icons --help' for more information.\n").size()) << evil.err;
        EXPECT_FALSE(fs::exists(dir / "evil") || fs::exists(dir / "victim.bmp") || fs::exists("/tmp/victim.bmp")) << name;
    }
}

TEST_F(FindIconsCli, PackedAtlasesOnOneOrSeveralPages)
{
    const std::string sheet = (dir / "sheet.bmp").string();
    writePictureFile(pictures::iconSheet(200, 200, 9), FileFormat::Bmp, sheet);
    const std::size_t frames = findRegions(bmp::readFile(sheet), BackgroundRule::colour({255, 255, 255})).size();
    ASSERT_TRUE(succeeds({sheet, "--atlas", (dir / "one.json").string(), "--pack", (dir / "one.png").string()}));
    const nlohmann::json one = jsonIn(dir / "one.json");
    EXPECT_EQ(one["meta"]["image"], "one.png");
    EXPECT_EQ(one["frames"].size(), frames);
    const PixelImage page = readPicture(dir / "one.png");
    EXPECT_TRUE(page.hasAlpha());
    EXPECT_EQ(one["meta"]["size"], (nlohmann::json{{"w", page.width()}, {"h", page.height()}}));

    // Pages of 64 pixels: several, as Phaser's multi-atlas, PixiJS's related packs and libGDX's pages.
    const std::vector<std::string> small = {sheet, "--pack", (dir / "p.png").string(), "--pack-max", "64", "--pack-pot"};
    const auto with = [&](const std::vector<std::string>& extra) { return findIconsCli(joined(small, extra)); };
    ASSERT_TRUE(endedWith(with({"--atlas", (dir / "m.json").string(), "--atlas-format", "array"}), 0, ""));
    const nlohmann::json multi = jsonIn(dir / "m.json");
    ASSERT_GT(multi["textures"].size(), 1u);
    std::size_t listed = 0;
    for (const nlohmann::json& texture : multi["textures"]) {
        const PixelImage packed = readPicture(dir / texture["image"].get<std::string>());
        EXPECT_EQ(texture["size"]["w"], packed.width());
        EXPECT_LE(packed.width(), 64);
        listed += texture["frames"].size();
    }
    EXPECT_EQ(listed, frames);
    EXPECT_TRUE(fs::exists(dir / "p-1.png"));
    ASSERT_TRUE(endedWith(with({"--atlas", (dir / "h.json").string()}), 0, ""));
    const nlohmann::json hash = jsonIn(dir / "h.json");
    ASSERT_FALSE(hash["meta"]["related_multi_packs"].empty());
    EXPECT_TRUE(fs::exists(dir / hash["meta"]["related_multi_packs"][0].get<std::string>()));
    ASSERT_TRUE(endedWith(with({"--atlas", (dir / "g.atlas").string(), "--atlas-format", "libgdx"}), 0, ""));
    EXPECT_NE(slurp(dir / "g.atlas").find("\n\np-2.png\nsize:"), std::string::npos);
    // Read back, a page's frames cut that page, and a picture no page names is refused.
    for (const char* atlas : {"m.json", "g.atlas"}) {
        const auto second = findIconsCli({(dir / "p-2.png").string(), "--regions-from", (dir / atlas).string(), "--format", "json"});
        ASSERT_EQ(second.exitCode, 0) << second.err;
        EXPECT_EQ(nlohmann::json::parse(second.out)["regions"].size(), multi["textures"][1]["frames"].size()) << atlas;
        EXPECT_TRUE(endedWith(findIconsCli({sheet, "--regions-from", (dir / atlas).string()}), 2, "none of its pages ('p-1.png', 'p-2.png', "))
            << atlas;
    }

    // Frames of the same pixels share one place on the page, each keeping its name and offsets,
    // unless asked not to; a premultiplied page is said to be so.
    PixelImage twins(40, 20, pictures::kWhite);
    for (const auto& [box, colour] : {std::pair{Rect{2, 2, 10, 10}, makePixel(200, 0, 0)}, {{22, 2, 30, 10}, makePixel(200, 0, 0)}, {{12, 12, 16, 16}, makePixel(0, 0, 200)}})
        pictures::fill(twins, box, colour);
    writePictureFile(twins, FileFormat::Bmp, dir / "twins.bmp");
    for (const bool keep : {false, true}) {
        std::vector<std::string> args = {(dir / "twins.bmp").string(), "--atlas", (dir / "d.json").string(), "--pack", (dir / "d.png").string(), "--premultiply"};
        if (keep)
            args.push_back("--pack-keep-duplicates");
        ASSERT_TRUE(succeeds(args));
        const nlohmann::json atlas = jsonIn(dir / "d.json");
        std::set<nlohmann::json> places;
        for (const auto& [name, frame] : atlas["frames"].items())
            places.insert(frame["frame"]);
        EXPECT_EQ(std::pair(atlas["frames"].size(), places.size()), (std::pair<std::size_t, std::size_t>(3, keep ? 3 : 2)));
        EXPECT_EQ(atlas["meta"]["premultipliedAlpha"], true);
    }

    // A picture with nothing on it packs into an atlas of no frames.
    writePictureFile(PixelImage(10, 10, 0, true), FileFormat::Png, dir / "empty.png");
    ASSERT_TRUE(succeeds({(dir / "empty.png").string(), "--whole", "--atlas", (dir / "e.json").string(), "--pack", (dir / "e.png").string()}));
    EXPECT_TRUE(jsonIn(dir / "e.json")["frames"].empty());

    EXPECT_TRUE(endedWith(with({"--atlas", (dir / "s.xml").string(), "--atlas-format", "starling"}), 1, "holds one page"));
    EXPECT_FALSE(fs::exists(dir / "s.xml"));
    EXPECT_TRUE(endedWith(findIconsCli({sheet, "--atlas", (dir / "t.json").string(), "--pack", (dir / "t.png").string(), "--pack-max", "16"}),
                          1, "does not fit a page of 16"));
    EXPECT_FALSE(fs::exists(dir / "t.json"));
}

TEST_F(FindIconsCli, LooseSpritesPackedIntoOneAtlasAndReadBackWhole)
{
    // Sprite files on transparency, the last a copy of the first: one frame each, named by its
    // file, standing for the whole file.
    pictures::Random random(12);
    std::vector<std::string> files;
    std::vector<PixelImage> sprites;
    for (int i = 0; i < 6; ++i) {
        // Long and narrow, lying or standing, so that packing turns some.
        const int length = random.between(12, 40), breadth = random.between(3, 6);
        PixelImage sprite(i % 2 ? length : breadth, i % 2 ? breadth : length, Pixel{0}, true);
        for (int k = random.between(1, 40); k > 0; --k)
            sprite.at(random.between(1, sprite.width() - 2), random.between(1, sprite.height() - 2)) =
                makePixel(random.below(256), random.below(256), random.below(256), random.between(1, 255));
        sprites.push_back(i == 5 ? sprites[0] : sprite);
        files.push_back((dir / std::array{"walk_1", "walk_2", "walk_3", "idle_1", "idle_2", "walk_4"}[static_cast<std::size_t>(i)]).string() + ".png");
        writePictureFile(sprites.back(), FileFormat::Png, files.back());
    }
    const std::vector<std::string> pack = {"--whole", "--pack-rotate", "-j", "2", "--pack"};
    ASSERT_TRUE(succeeds(joined(joined(files, pack), {(dir / "all.png").string(), "--atlas", (dir / "all.json").string(), "--animations", "names"})));
    const std::string json = slurp(dir / "all.json");
    const nlohmann::json frames = nlohmann::json::parse(json)["frames"];
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames["walk_4"]["frame"], frames["walk_1"]["frame"]) << "the copy stored once";
    EXPECT_EQ(nlohmann::json::parse(json)["animations"],
              (nlohmann::json{{"walk", {"walk_1", "walk_2", "walk_3", "walk_4"}}, {"idle", {"idle_1", "idle_2"}}}))
        << "frames named alike but for their number make an animation";
    EXPECT_NE(json.find("\"rotated\": true"), std::string::npos) << "some frame lies turned";
    // Read back, each crop is its sprite file again, from a layout that turns frames clockwise
    // and one that turns them anticlockwise.
    ASSERT_TRUE(succeeds(joined(joined(files, pack), {(dir / "gdx.png").string(), "--atlas", (dir / "gdx.atlas").string(), "--atlas-format", "libgdx"})));
    for (const char* atlas : {"all", "gdx"}) {
        const fs::path back = dir / (std::string("back-") + atlas);
        const std::string page = (dir / atlas).string() + ".png", file = (dir / atlas).string() + (atlas[0] == 'a' ? ".json" : ".atlas");
        ASSERT_TRUE(succeeds({page, "--regions-from", file, "--crop", back.string()}));
        for (std::size_t i = 0; i < sprites.size(); ++i) {
            const PixelImage crop = readPicture(back / fs::path(files[i]).filename());
            ASSERT_EQ(std::pair(crop.width(), crop.height()), std::pair(sprites[i].width(), sprites[i].height())) << atlas;
            for (std::size_t p = 0; p < crop.pixelCount(); ++p) {
                const Pixel want = sprites[i].pixels()[p], got = crop.pixels()[p];
                ASSERT_EQ(alphaOf(want) ? got : alphaOf(got), alphaOf(want) ? want : 0) << atlas << ", sprite " << i << ", pixel " << p;
            }
        }
    }
    // Names two frames share, or a picture that cannot be cut, leave no atlas.
    const std::vector<std::string> again = {"--pack", (dir / "x.png").string(), "--atlas", (dir / "x.json").string()};
    EXPECT_TRUE(endedWith(findIconsCli(joined(joined(files, {"--whole", "--name", "same"}), again)), 1, "two frames are named 'same'"));
    std::ofstream(dir / "broken.png") << "not a picture";
    EXPECT_TRUE(endedWith(findIconsCli(joined({files[0], (dir / "broken.png").string()}, again)), 1, "not every picture could be cut"));
    EXPECT_FALSE(fs::exists(dir / "x.json") || fs::exists(dir / "x.png"));
}

TEST_F(FindIconsCli, GridCellsTheGuessedGridAndCropsOfASpritesOwnPixels)
{
    // Cells of 16 x 12 two pixels apart from (1, 3): 4 columns, 2 rows, the last cell empty;
    // each sprite a block. On the first sheet, the first sprite's arm reaches into a notch of
    // the second one's box without touching it.
    const Pixel ink = makePixel(0, 0, 200), other = makePixel(200, 0, 0);
    const auto drawSheet = [&](bool arm, const fs::path& path) {
        PixelImage sheet(4 * 18 + 5, 2 * 14 + 6, makePixel(255, 255, 255));
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < (row == 0 ? 4 : 3); ++column)
                pictures::fill(sheet, {5 + column * 18, 8 + row * 14, 15 + column * 18, 15 + row * 14}, row == 0 && column == 1 ? other : ink);
        if (arm) {
            pictures::fill(sheet, {23, 12, 25, 15}, makePixel(255, 255, 255));
            pictures::fill(sheet, {15, 13, 24, 14}, ink);
        }
        writePictureFile(sheet, FileFormat::Png, path);
    };
    drawSheet(true, dir / "grid.png");
    drawSheet(false, dir / "plain.png");
    const std::string file = (dir / "grid.png").string();
    const std::vector<std::string> grid = {file, "--grid", "16x12", "--grid-offset", "1,3", "--grid-spacing", "2"};
    const auto with = [&](const std::vector<std::string>& extra) { return findIconsCli(joined(grid, extra)); };
    EXPECT_EQ(with({}).out, "1 , 3 , 16 , 14 \n19 , 3 , 34 , 14 \n37 , 3 , 52 , 14 \n55 , 3 , 70 , 14 \n"
                            "1 , 17 , 16 , 28 \n19 , 17 , 34 , 28 \n37 , 17 , 52 , 28 \n");
    // With --strays, the sprite whose arm reaches into the next cell follows the cells, and its
    // own cell, holding nothing else, is no region.
    EXPECT_EQ(with({"--strays"}).out, "19 , 3 , 34 , 14 \n37 , 3 , 52 , 14 \n55 , 3 , 70 , 14 \n"
                                      "1 , 17 , 16 , 28 \n19 , 17 , 34 , 28 \n37 , 17 , 52 , 28 \n5 , 8 , 23 , 14 \n");
    // Trimmed, a frame of the sheet's atlas and of the packed one is its cell with the sprite
    // where it stands in it, so an animation of cells stands still.
    ASSERT_TRUE(endedWith(with({"--trim", "--atlas", (dir / "s.json").string()}), 0, ""));
    ASSERT_TRUE(endedWith(with({"--trim", "--atlas", (dir / "p.json").string(), "--pack", (dir / "p.png").string()}), 0, ""));
    const nlohmann::json onSheet = jsonIn(dir / "s.json")["frames"], packed = jsonIn(dir / "p.json")["frames"];
    ASSERT_EQ(onSheet.size(), 7u);
    for (const auto& [name, frame] : onSheet.items()) {
        EXPECT_EQ(frame["sourceSize"], (nlohmann::json{{"w", 16}, {"h", 12}})) << name;
        EXPECT_EQ(packed[name]["sourceSize"], frame["sourceSize"]) << name;
        EXPECT_EQ(packed[name]["spriteSourceSize"], frame["spriteSourceSize"]) << name;
    }
    EXPECT_EQ(with({"--trim", "--min-size", "12x1"}).out, "5 , 8 , 16 , 14 \n19 , 8 , 32 , 14 \n") << "trimmed, the arm widens two cells";
    const auto json = nlohmann::json::parse(with({"--keep-empty", "--format", "json"}).out);
    EXPECT_EQ(json["grid"], (nlohmann::json{{"width", 16}, {"height", 12}, {"x", 1}, {"y", 3}, {"spacingX", 2}, {"spacingY", 2}, {"columns", 4}, {"rows", 2}}));
    EXPECT_EQ(json["regions"].size(), 8u);
    EXPECT_TRUE(endedWith(findIconsCli({file, "--grid-count", "40x1", "--grid-spacing", "1"}), 2,
                          "--grid-count: 40 x 1 cells from 0,0 leave less than a pixel a cell in the picture (77 x 34)"));
    ASSERT_TRUE(endedWith(with({"--crop", (dir / "cells").string(), "--name", "r{row}c{col}"}), 0, ""));
    EXPECT_TRUE(fs::exists(dir / "cells" / "r2c3.png"));
    EXPECT_FALSE(fs::exists(dir / "cells" / "r2c4.png")) << "the empty cell";

    // The guessed grid, fed back, cuts the same cells.
    const std::string plain = (dir / "plain.png").string();
    const auto guessed = jsonOut({plain, "--grid", "auto", "--format", "json"});
    const nlohmann::json& g = guessed["grid"];
    ASSERT_TRUE(g.is_object()) << guessed.dump();
    const auto fedBack = findIconsCli({plain, "--grid", std::to_string(g["width"].get<int>()) + "x" + std::to_string(g["height"].get<int>()),
                                       "--grid-offset", std::to_string(g["x"].get<int>()) + "," + std::to_string(g["y"].get<int>()),
                                       "--grid-spacing", std::to_string(g["spacingX"].get<int>()) + "," + std::to_string(g["spacingY"].get<int>()),
                                       "--format", "json"});
    EXPECT_EQ(nlohmann::json::parse(fedBack.out)["regions"], guessed["regions"]);
    EXPECT_EQ(guessed["regions"].size(), 7u);
    EXPECT_TRUE(endedWith(findIconsCli({file, "--grid", "auto", "--merge", "40"}), 1, "find-icons: " + file + ": no uniform grid explains the regions\n"))
        << "one region: a grid of one cell explains nothing";

    // The second sprite's crop: with --isolate, the arm reaching into its box is background.
    for (const bool isolate : {false, true}) {
        const fs::path out = dir / (isolate ? "own" : "plain");
        ASSERT_TRUE(succeeds(joined({file, "--crop", out.string()}, isolate ? std::vector<std::string>{"--isolate"} : std::vector<std::string>{})));
        const PixelImage second = readPicture(out / "icon-0002.png");
        ASSERT_EQ(second.width(), 10);
        EXPECT_EQ(second.at(0, 5), isolate ? makePixel(255, 255, 255) : ink) << (isolate ? "isolated" : "plain");
        EXPECT_EQ(second.at(0, 0), other);
    }
    const auto cut = readPicture(dir / "own" / "icon-0001.png");
    EXPECT_EQ(cut.at(cut.width() - 1, 5), ink) << "the arm stays with its own sprite";
}

TEST_F(FindIconsCli, RunningOutOfMemoryEndsOnePictureNotTheRun)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    // A plain 8192 x 8192 bitmap, 192 MiB of pixels kept sparse on the disk: its crops need the
    // picture in memory, which a limit of 150 MiB of address space does not leave.
    std::vector<std::byte> header = bmp::encode(PixelImage(1, 1, 0));
    header[18] = header[22] = std::byte{0}; // 8192 wide and high
    header[19] = header[23] = std::byte{0x20};
    std::ofstream(dir / "huge.bmp", std::ios::binary).write(reinterpret_cast<const char*>(header.data()), 54);
    fs::resize_file(dir / "huge.bmp", 54 + 8192ull * 8192 * 3);
    writeSheets();
    const std::string huge = (dir / "huge.bmp").string(), sheet = (dir / "magenta.bmp").string();
    const auto result = test::runCommand("/bin/sh", {"-c", "ulimit -v 150000; exec \"$0\" \"$@\"", FIND_ICONS, "-b", "Fuchsia",
                                                      "-j", "2", "--crop", (dir / "crops").string(), huge, sheet});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "find-icons: " + huge + ": not enough memory (reading the picture)\n");
    EXPECT_EQ(result.out, sheet + ":5 , 5 , 11 , 14 \n" + sheet + ":30 , 20 , 49 , 31 \n");
    EXPECT_FALSE(fs::exists(dir / "crops" / "huge"));
    EXPECT_TRUE(fs::exists(dir / "crops" / "magenta" / "icon-0002.bmp"));
}

TEST_F(FindIconsCli, ANameCannotForgeALine)
{
    writeSheets();
    const fs::path odd = dir / "x.png\n1 , 2 , 3 , 4 \nsheet\x1b.png";
    fs::copy_file(dir / "sheet.png", odd);
    const auto result = findIconsCli({odd.string(), (dir / "missing.png").string(), "-b", "transparent", "--tolerance", "30"});
    const std::string shown = (dir / "x.png\\n1 , 2 , 3 , 4 \\nsheet\\x1b.png").string();
    EXPECT_EQ(result.out, shown + ":5 , 5 , 11 , 14 \n" + shown + ":30 , 20 , 49 , 31 \n");
    EXPECT_EQ(jsonOut({odd.string(), "--format", "json", "-b", "Lime"})["file"], odd.string()) << "JSON has its own escapes";
    const fs::path invalid = dir / "bad\xff" "name.png";
    fs::copy_file(dir / "sheet.png", invalid);
    EXPECT_EQ(jsonOut({invalid.string(), "--format", "json", "-b", "Lime"})["file"], (dir / "bad\xEF\xBF\xBDname.png").string())
        << "a byte that is no UTF-8 is replaced";
    fs::rename(odd, dir / "gone\rname.png");
    EXPECT_EQ(findIconsCli({(dir / "gone\rname.png").string() + "x"}).err.find('\r'), std::string::npos);
}

TEST_F(FindIconsCli, OutputsGoOnlyWhereAskedAndNeverOverAnInput)
{
    writeSheets();
    const fs::path sheet = dir / "sheet.png", magenta = dir / "magenta.bmp";
    const std::string before = slurp(sheet);
    fs::create_symlink(sheet, dir / "link.png");
    fs::copy_file(magenta, dir / "...bmp");
    fs::copy_file(magenta, dir / "m.json");
    ::mkfifo((dir / "fifo.bmp").c_str(), 0600);
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{sheet.string(), "-o", sheet.string()}, "--framed: '" + sheet.string() + "' is an input picture"},
        {{sheet.string(), "-o", (dir / "link.png").string()}, "--framed: '" + (dir / "link.png").string() + "' is an input picture"},
        {{(dir / "m.json").string(), "--atlas-dir", dir.string()}, "--atlas-dir: '" + (dir / "m.json").string() + "' is an input picture"},
        {{sheet.string(), "--atlas", sheet.string()}, "--atlas: '" + sheet.string() + "' is an input picture"},
        {{magenta.string(), "-o", (dir / "fifo.bmp").string()}, "--framed: '" + (dir / "fifo.bmp").string() + "' is not a regular file"},
        {{(dir / "...bmp").string(), sheet.string(), "--crop", (dir / "out").string()}, "'" + (dir / "...bmp").string() + "' has no name"},
        {{sheet.string(), "--crop", dir.string(), "--name", "sheet"}, "--crop: '" + sheet.string() + "' is an input picture"},
    };
    for (const auto& [args, message] : refused)
        EXPECT_TRUE(endedWith(findIconsCli(args), 2, message));
    EXPECT_EQ(slurp(sheet), before);
    EXPECT_FALSE(fs::exists(dir / "out"));
    EXPECT_FALSE(fs::exists(dir / "magenta"));

    EXPECT_TRUE(endedWith(findIconsCli({(dir / "fifo.bmp").string()}), 1, (dir / "fifo.bmp").string() + ": not a regular file\n"))
        << "refused, not waited on";
    EXPECT_NE(findIconsCli({magenta.string(), "--format", "json", "--atlas", "/dev/stdout"}).out.find("\"frames\""), std::string::npos);
    // A picture's outputs go together: an atlas that cannot be written takes its crops with it.
    EXPECT_TRUE(endedWith(findIconsCli({magenta.string(), "--crop", (dir / "half").string(), "--atlas", (dir / "no" / "a.json").string()}), 1, ""));
    EXPECT_FALSE(fs::exists(dir / "half"));
    // Through a link, the file it names is written and the link stays.
    fs::create_symlink(dir / "real.bmp", dir / "framed.bmp");
    ASSERT_TRUE(succeeds({magenta.string(), "-o", (dir / "framed.bmp").string()}));
    EXPECT_TRUE(fs::is_symlink(dir / "framed.bmp"));
    EXPECT_EQ(readPicture(dir / "real.bmp").width(), 60);
}

// Starts find-icons, and ends it with `signal` after `micros`.
void interrupted(const std::vector<std::string>& args, int signal, int micros) { findIconsCli(args, test::SignalAfter{signal, micros}); }

std::vector<std::string> partFilesIn(const fs::path& folder)
{
    std::vector<std::string> parts;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename().string().find(".part-") != std::string::npos)
            parts.push_back(entry.path().string());
    return parts;
}

TEST_F(FindIconsCli, AnInterruptedRunLeavesCropsWholeOrNotAtAll)
{
    const fs::path sheet = dir / "sheet.bmp", folder = dir / "crops", earlier = dir / "earlier";
    const fs::path copy = dir / "copy.bmp";
    writePictureFile(pictures::iconSheet(1000, 1000, 7), FileFormat::Bmp, sheet);
    fs::copy_file(sheet, copy);
    ASSERT_TRUE(succeeds({sheet.string(), "--crop", (dir / "whole").string()}));
    const auto count = entriesIn(dir / "whole");
    ASSERT_GT(count, 500);
    pictures::Random random(3);
    for (int run = 0; run < 24; ++run) {
        const int signal = std::array{SIGINT, SIGTERM, SIGHUP}[static_cast<std::size_t>(run % 3)];
        const int micros = random.below(60000);
        // Into a new folder: all the crops or no folder.
        interrupted({sheet.string(), "--crop", folder.string()}, signal, micros);
        if (fs::exists(folder)) {
            EXPECT_EQ(entriesIn(folder), count) << "after " << micros << " us";
        }
        fs::remove_all(folder);
        // Into folders holding earlier crops, two pictures at once: each folder all old or all
        // new, none half written.
        for (const char* stem : {"sheet", "copy"}) {
            fs::create_directories(earlier / stem);
            for (int i = 1; i <= 3; ++i)
                std::ofstream(earlier / stem / ("icon-000" + std::to_string(i) + ".bmp")) << "earlier";
        }
        interrupted({sheet.string(), copy.string(), "-j", "2", "--crop", earlier.string()}, signal, micros);
        for (const char* stem : {"sheet", "copy"}) {
            std::set<std::string> kinds;
            for (const auto& entry : fs::directory_iterator(earlier / stem)) {
                const std::string bytes = slurp(entry.path());
                kinds.insert(bytes == "earlier" ? "old" : "new");
                if (bytes != "earlier") {
                    EXPECT_EQ(bytes, slurp(dir / "whole" / entry.path().filename())) << entry.path() << " after " << micros << " us";
                }
            }
            EXPECT_EQ(kinds.size(), 1u) << stem << " all old or all new after " << micros << " us";
        }
        fs::remove_all(earlier);
        // A folder replaced whole: its three earlier files, or this run's alone.
        const fs::path swapped = dir / "swapped";
        fs::create_directories(swapped);
        for (int i = 1; i <= 3; ++i)
            std::ofstream(swapped / ("old-" + std::to_string(i))) << "earlier";
        interrupted({sheet.string(), "--crop", swapped.string(), "--replace-folder"}, run % 4 == 3 ? SIGKILL : signal, micros);
        ASSERT_TRUE(succeeds({sheet.string(), "--crop", (dir / "beside").string()})) << "finishing what a kill left";
        fs::remove_all(dir / "beside");
        EXPECT_EQ(entriesIn(swapped), fs::exists(swapped / "old-1") ? 3 : count) << "after " << micros << " us";
        fs::remove_all(swapped);
        EXPECT_EQ(partFilesIn(dir), std::vector<std::string>{}) << "the run's part files are gone after " << micros << " us";
    }
    // A run killed outright cannot clean up; the next one into the same place does.
    fs::create_directories(earlier);
    for (int micros = 2000; partFilesIn(dir).empty() && micros < 200000; micros += 3000)
        interrupted({sheet.string(), "--crop", earlier.string()}, SIGKILL, micros);
    ASSERT_TRUE(succeeds({sheet.string(), "--crop", earlier.string()}));
    EXPECT_EQ(partFilesIn(dir), std::vector<std::string>{});
}

TEST_F(FindIconsCli, LinesAndJsonArePrintedAsRegionsAreFound)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    // 8192 x 8192 grey, a dot at every other pixel of every other row: 16.7 million regions,
    // whose boxes alone would take 256 MiB, printed within an address space of 250 MB.
    const std::uint32_t side = 8192;
    std::vector<std::uint8_t> rows;
    rows.reserve(std::size_t{side + 1} * side);
    for (std::uint32_t y = 0; y < side; ++y) {
        rows.push_back(0);
        for (std::uint32_t x = 0; x < side; ++x)
            rows.push_back(y % 2 == 0 && x % 2 == 0 ? 0 : 255);
    }
    const std::vector<std::uint8_t> png = test::pngBytes(side, side, 8, 0, rows);
    std::ofstream(dir / "dots.png", std::ios::binary).write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    for (const std::string format : {"lines", "json"}) {
        const auto counted = test::runCommand("/bin/sh", {"-c", "ulimit -v 250000; \"$0\" --format " + format + " \"$1\" | tr , '\\n' | wc -l",
                                                          FIND_ICONS, (dir / "dots.png").string()});
        EXPECT_EQ(counted.err, "") << format;
        EXPECT_EQ(std::stoull(counted.out), 4ull * (side / 2) * (side / 2) + (format == "lines" ? 0 : 6)) << format << ": a line of four numbers a region, or four commas";
    }
}

TEST_F(FindIconsCli, SeveralPicturesInTheOrderGiven)
{
    writeSheets();
    const std::string png = (dir / "sheet.png").string(), bmp = (dir / "magenta.bmp").string(), bad = (dir / "bad.png").string();
    std::string cut = slurp(dir / "sheet.png");
    std::ofstream(bad, std::ios::binary) << cut.substr(0, cut.size() / 2);
    const std::vector<std::string> files = {bmp, png, bad, png + "-missing", bmp};
    std::string previous;
    for (const std::string jobs : {"1", "2", "5"}) {
        const auto result = findIconsCli(joined(files, {"-b", "auto", "-j", jobs, "--format", "json"}));
        EXPECT_EQ(result.exitCode, 1);
        if (!previous.empty()) {
            EXPECT_EQ(result.out, previous) << "the same output whatever -j";
        }
        previous = result.out;
        std::istringstream lines(result.out);
        std::vector<nlohmann::json> objects;
        for (std::string line; std::getline(lines, line);)
            objects.push_back(nlohmann::json::parse(line));
        ASSERT_EQ(objects.size(), files.size()) << "one JSON object per picture per line";
        for (std::size_t i = 0; i < files.size(); ++i)
            EXPECT_EQ(objects[i]["file"], files[i]);
        EXPECT_EQ(objects[2]["error"], "truncated PNG data (row 1 of 40)");
        EXPECT_EQ(objects[3]["error"], "cannot open: No such file or directory");
        EXPECT_EQ(objects[0]["regions"], objects[4]["regions"]);
        EXPECT_EQ(result.err, "find-icons: " + bad + ": truncated PNG data (row 1 of 40)\nfind-icons: " + png +
                                  "-missing: cannot open: No such file or directory\n");
    }
    const auto lines = findIconsCli({bmp, png, "-b", "auto"});
    EXPECT_EQ(lines.out.substr(0, bmp.size() + 1), bmp + ":") << "lines carry the file name, as grep prints them";

    ASSERT_TRUE(succeeds({bmp, png, "-b", "auto", "--crop", (dir / "all").string(), "--atlas-dir", (dir / "atlases").string()}));
    EXPECT_TRUE(fs::exists(dir / "all" / "magenta" / "icon-0001.bmp"));
    EXPECT_TRUE(fs::exists(dir / "all" / "sheet" / "icon-0001.png"));
    EXPECT_EQ(jsonIn(dir / "atlases" / "sheet.json")["meta"]["image"], "../sheet.png");

    for (const auto& args : std::vector<std::vector<std::string>>{{bmp, bmp, "--crop", (dir / "twice").string()},
                                                                  {bmp, dir.string() + "/../" + dir.filename().string() + "/magenta.bmp",
                                                                   "--atlas-dir", (dir / "twice").string()},
                                                                  {bmp, png, "--atlas", (dir / "twice.json").string()}}) {
        EXPECT_TRUE(endedWith(findIconsCli(args), 2, ""));
        EXPECT_FALSE(fs::exists(dir / "twice"));
    }
}

TEST_F(FindIconsCli, UnreadablePicturesExitOneAndWriteNothing)
{
    const std::string bad = std::string(BMPSUITE_DIR) + "/bad/shortfile.bmp";
    const auto truncated = findIconsCli({bad, "-o", (dir / "framed.png").string(), "--crop", (dir / "crops").string()});
    EXPECT_EQ(truncated.out, "");
    EXPECT_TRUE(endedWith(truncated, 1, "find-icons: " + bad + ": truncated pixel data (row 14 of 64)\n"));
    EXPECT_TRUE(fs::is_empty(dir)) << "no output file at all";

    // Each refused with its reason.
    std::ofstream(dir / "notes.txt") << "GIF89a, not really";
    for (const auto& [file, reason] : std::vector<std::pair<fs::path, std::string>>{{dir, "is a directory, not a picture file"},
                                                                                    {dir / "notes.txt", "not a PNG or BMP file"}}) {
        const auto refused = findIconsCli({file.string()});
        EXPECT_EQ(refused.exitCode, 1) << file;
        EXPECT_EQ(refused.err, "find-icons: " + file.string() + ": " + reason + "\n");
    }
}

TEST_F(FindIconsCli, OutputsThatCannotBeWrittenExitOneAndLeaveNothing)
{
    fs::create_directories(dir / "out");
    const fs::path blocker = dir / "out" / "file";
    std::ofstream(blocker) << "x";
    const auto crop = findIconsCli({"--crop", (blocker / "icons").string()});
    EXPECT_TRUE(endedWith(crop, 1, "cannot create directory"));
    EXPECT_EQ(crop.out, "");

    // A directory in the way of the tenth crop: the folder stays as it was.
    fs::create_directories(dir / "crops" / "icon-0010.bmp");
    std::ofstream(dir / "crops" / "icon-0001.bmp") << "an earlier crop";
    EXPECT_TRUE(endedWith(findIconsCli({"--crop", (dir / "crops").string()}), 1,
                          "find-icons: " + (dir / "crops" / "icon-0010.bmp").string() + ": is a directory\n"));
    EXPECT_EQ(slurp(dir / "crops" / "icon-0001.bmp"), "an earlier crop");
    EXPECT_EQ(entriesIn(dir / "crops"), 2u);

    EXPECT_TRUE(endedWith(findIconsCli({"-o", (dir / "nowhere" / "framed.bmp").string()}), 1, ""));
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    EXPECT_TRUE(endedWith(findIconsCli({"--atlas", "/dev/full", "--format", "json", std::string(PNGSUITE_DIR) + "/basn0g08.png"}), 2,
                          "find-icons: --atlas: '/dev/full' is not a regular file\n"));
}

TEST_F(FindIconsCli, UsageErrorsExitTwo)
{
    const std::vector<std::vector<std::string>> wrong = {
        {"--bogus"}, {"-b"}, {"-b", "chartreuse"}, {"--format", "xml"}, {"-b", "#12345"}, {"--tolerance", "256"},
        {"-o", "framed.gif"}, {"--padding", "2"}, {"--name", "{n}"}, {"--crop", "d", "--name", "{row}"},
        {"--min-size", "3y4"}, {"--merge", "-1"}, {"--align", "bottom", "--crop", "d"}, {"--atlas", "a.json"},
        {"a.png", "b.png", "-o", "f.png"}, {"-j", "0"}, {"--grid", "0x4"}, {"--grid", "4x"}, {"--grid", "auto", "--grid-offset", "1,1"},
        {"--trim"}, {"--keep-empty"}, {"--grid-spacing", "2"}, {"--speck", "2"}, {"--grid", "8", "--merge", "2"},
        {"--grid", "8", "--order", "rows"}, {"--isolate"}, {"--isolate", "--atlas", "a.json", "a.png"}, {"--merge", "3x-1"},
        {"a.png", "--atlas", "a.json", "--anchor", "1.5,0"}, {"a.png", "--atlas", "a.json", "--animations", "rows"},
        {"a.png", "--atlas", "a.json", "--frame-duration", "50"}, {"a.png", "--atlas", "a.json", "--atlas-format", "aseprite", "--frame-duration", "0"},
        {"--anchor", "center"}, {"a.png", "--regions-from", "a.json", "--merge", "2"}, {"a.png", "--pack", "p.png"},
        {"a.png", "--atlas", "a.json", "--pack", "p.bmp"}, {"a.png", "--extrude", "2"}, {"--grid", "8", "--grid-count", "2x2"},
        {"--grid-count", "0x2"}, {"--strays"}, {"--grid", "auto", "--strays"},
        {"a.png", "--crop", "d", "--same-size=rows"}, {"a.png", "--crop", "d", "--same-size=diagonal"},
        {"a.png", "b.png", "--pack", "p.png", "--atlas-dir", "d"}, {"a.png", "b.png", "--pack", "p.png", "--atlas", "a.json", "--crop", "d"},
        {"a.png", "--whole", "--grid", "8"}, {"a.png", "--atlas", "a.css", "--atlas-format", "css", "--pack", "p.png", "--pack-rotate"}, {"a.png", "d/a.png", "--whole", "--pack", "p.png", "--atlas", "a.json"},
    };
    for (const auto& args : wrong) {
        const auto result = findIconsCli(args);
        EXPECT_TRUE(endedWith(result, 2, "Try 'find-icons --help'")) << args[0];
        EXPECT_EQ(result.err.rfind("find-icons: ", 0), 0u) << result.err;
    }
    EXPECT_TRUE(endedWith(findIconsCli({"-b", "chartreuse"}), 2, "find-icons: unknown colour 'chartreuse' (use a colour name"));
    EXPECT_TRUE(endedWith(findIconsCli({"-o", "framed.gif"}), 2, "find-icons: --framed: 'framed.gif' must end in .bmp or .png"));
    // The option parser's complaints in plain words.
    const std::vector<std::pair<std::vector<std::string>, std::string>> said = {
        {{"--format", "json", "--format", "lines"}, "--format given twice"},
        {{"--bogus", "-x"}, "unknown options '--bogus', '-x'"},
        {{"-b"}, "--background needs a value (COLOR)"},
        {{"--tolerance", "256"}, "--tolerance: '256' is not a whole number from 0 to 255"},
        {{"--order", "diagonal"}, "--order: 'diagonal' is not one of search, rows, columns"},
    };
    for (const auto& [args, message] : said)
        EXPECT_EQ(findIconsCli(args).err, "find-icons: " + message + "\nTry 'find-icons --help' for more information.\n");
    // What a layout cannot hold is refused, naming the layouts that can.
    const std::vector<std::string> rows = {"a.png", "--order", "rows", "--animations", "rows", "--atlas", "a.x", "--atlas-format"};
    EXPECT_TRUE(endedWith(findIconsCli(joined(rows, {"array"})), 2, "PixiJS, which then finds no animation's frames; use --atlas-format hash or aseprite"));
    EXPECT_TRUE(endedWith(findIconsCli(joined(rows, {"libgdx"})), 2, "--animations: the libgdx layout has no animations"));
    EXPECT_TRUE(endedWith(findIconsCli({"a.png", "--anchor", "bottom", "--atlas", "a.css", "--atlas-format", "css"}), 2,
                          "--anchor: the css layout has no place for a pivot; use --atlas-format hash, array, aseprite or starling"));
    EXPECT_NE(findIconsCli({"--help"}).out.find("Usage: find-icons"), std::string::npos);
    EXPECT_EQ(findIconsCli({"--version"}).out, std::string("find-icons ") + kVersion + "\n");
}

// The options as --help, the man page and the bash completion list them.
std::set<std::string> optionsIn(const std::string& text, const std::string& pattern)
{
    std::set<std::string> found;
    const std::regex option(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

TEST_F(FindIconsCli, HelpManPageAndCompletionAgree)
{
    const std::set<std::string> help = optionsIn(findIconsCli({"--help"}).out, R"((?:^|[ ,])(--?[a-z][a-z-]*))");
    const std::set<std::string> manual = optionsIn(slurp(std::string(SOURCE_DIR) + "/cli/find-icons.1"), R"(\\f[BI]((?:\\-)+[a-z](?:[a-z]|\\-)*))");
    std::set<std::string> manualOptions;
    for (std::string name : manual) {
        name.erase(std::remove(name.begin(), name.end(), '\\'), name.end());
        manualOptions.insert(name);
    }
    const std::string script = slurp(std::string(SOURCE_DIR) + "/cli/find-icons.bash");
    const std::smatch listed = [&] {
        std::smatch match;
        std::regex_search(script, match, std::regex(R"re(options="([^"]*)")re"));
        return match;
    }();
    const std::set<std::string> completion = optionsIn(listed[1].str(), R"((?:^|\s)(--?[a-z][a-z-]*))");
    EXPECT_GT(help.size(), 20u);
    EXPECT_EQ(manualOptions, help);
    EXPECT_EQ(completion, help);
    // A line of text that starts with a dot would be read as a request, and lost.
    std::istringstream page(slurp(std::string(SOURCE_DIR) + "/cli/find-icons.1"));
    for (std::string line; std::getline(page, line);)
        EXPECT_TRUE(line[0] != '.' || std::regex_search(line, std::regex(R"(^\.(TH|SH|SS|TP|B|I|BR|IR|PP|nf|fi|RS|RE|IP)( |$))"))) << line;
}

} // namespace
