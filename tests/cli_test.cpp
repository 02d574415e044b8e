// find-icons end to end: outputs, files it writes, and exit codes.
#include "bmp_reader.h"
#include "bmp_writer.h"
#include "icon_search.h"
#include "run_command.h"
#include "sample_picture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace iconfinder;
namespace fs = std::filesystem;

namespace {

test::CommandResult findIconsCli(const std::vector<std::string>& args) { return test::runCommand(FIND_ICONS, args); }

std::string joined(const StringList& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.count(); ++i)
        text += std::string(lines[i]) + "\n";
    return text;
}

class FindIconsCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("iconfinder-cli-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(FindIconsCli, PrintsTheLinesOfTheSample)
{
    const auto result = findIconsCli({});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, joined(extractRegions(samplePicture(), kWhite)));
    EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1), "331 , 14 , 332 , 19 \n") << "trailing blank kept";
    EXPECT_EQ(result.err, "");
}

TEST_F(FindIconsCli, JsonParsesAndHoldsTheSameRegions)
{
    const fs::path file = dir / "sample.bmp";
    bmp::writeFile(samplePicture(), file);
    const auto result = findIconsCli({file.string(), "--format", "json", "-b", "white"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out;
    const QJsonObject root = doc.object();
    EXPECT_EQ(root["file"].toString().toStdString(), file.string());
    EXPECT_EQ(root["width"].toInt(), 395);
    EXPECT_EQ(root["height"].toInt(), 308);
    EXPECT_EQ(root["background"].toString(), "#ffffff");
    const StringList lines = extractRegions(samplePicture(), kWhite);
    const QJsonArray regions = root["regions"].toArray();
    ASSERT_EQ(static_cast<std::size_t>(regions.size()), lines.count());
    StringList Fields;
    for (qsizetype i = 0; i < regions.size(); ++i) {
        const RegionBox box = parseResultLine(lines[static_cast<std::size_t>(i)], Fields);
        const QJsonObject r = regions[i].toObject();
        EXPECT_EQ((RegionBox{r["minX"].toInt(), r["minY"].toInt(), r["maxX"].toInt(), r["maxY"].toInt()}), box);
    }
    const auto sample = findIconsCli({"--format=json", "--background=BtnFace"});
    EXPECT_NE(sample.out.find("{\"file\": null, \"width\": 395, \"height\": 308, \"background\": \"#d4d0c8\""), std::string::npos)
        << sample.out;
}

TEST_F(FindIconsCli, FramedAndCroppedFilesDecodeBack)
{
    const auto result = findIconsCli({"-o", (dir / "framed.bmp").string(), "--crop", (dir / "icons").string(), "-b", "#FFFFFF"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    PixelImage expected = samplePicture();
    const StringList lines = findIcons(expected, kWhite);
    EXPECT_TRUE(bmp::readFile(dir / "framed.bmp") == expected);

    const PixelImage original = samplePicture();
    StringList Fields;
    for (std::size_t i = 0; i < lines.count(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "icon-%04zu.bmp", i + 1);
        const RegionBox box = parseResultLine(lines[i], Fields);
        EXPECT_TRUE(bmp::readFile(dir / "icons" / name) == cropped(original, {box.minX, box.minY, box.maxX + 1, box.maxY + 1})) << name;
    }
    char after[32];
    std::snprintf(after, sizeof after, "icon-%04zu.bmp", lines.count() + 1);
    EXPECT_FALSE(fs::exists(dir / "icons" / after));
}

TEST_F(FindIconsCli, NothingFoundIsSuccess)
{
    bmp::writeFile(PixelImage(30, 20, makePixel(0, 0, 255)), dir / "blue.bmp");
    const auto result = findIconsCli({(dir / "blue.bmp").string(), "-b", "Blue"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "");
}

TEST_F(FindIconsCli, UnreadablePicturesExitOne)
{
    const std::string bad = std::string(BMPSUITE_DIR) + "/bad/shortfile.bmp";
    const auto truncated = findIconsCli({bad});
    EXPECT_EQ(truncated.exitCode, 1);
    EXPECT_EQ(truncated.err, "find-icons: " + bad + ": truncated pixel data (row 14 of 64)\n");
    EXPECT_EQ(truncated.out, "");
    const auto missing = findIconsCli({(dir / "missing.bmp").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "find-icons: " + (dir / "missing.bmp").string() + ": cannot open: No such file or directory\n");
    const auto directory = findIconsCli({dir.string()});
    EXPECT_EQ(directory.exitCode, 1);
    EXPECT_EQ(directory.err, "find-icons: " + dir.string() + ": is a directory, not a bitmap file\n");

    // A picture with no rows is refused like any other unreadable file.
    std::vector<std::byte> flat = bmp::encode(PixelImage(4, 1, 0));
    flat[22] = flat[23] = flat[24] = flat[25] = std::byte{0};
    std::ofstream(dir / "flat.bmp", std::ios::binary).write(reinterpret_cast<const char*>(flat.data()), static_cast<std::streamsize>(flat.size()));
    const auto zero = findIconsCli({(dir / "flat.bmp").string()});
    EXPECT_EQ(zero.exitCode, 1);
    EXPECT_EQ(zero.err, "find-icons: " + (dir / "flat.bmp").string() + ": height is 0\n");
}

TEST_F(FindIconsCli, OutputsThatCannotBeWrittenExitOneAndLeaveNothing)
{
    fs::create_directories(dir / "out");
    const fs::path blocker = dir / "out" / "file";
    bmp::writeFile(PixelImage(1, 1, 0), blocker);
    const auto crop = findIconsCli({"--crop", (blocker / "icons").string()});
    EXPECT_EQ(crop.exitCode, 1);
    EXPECT_NE(crop.err.find("cannot create directory"), std::string::npos) << crop.err;
    EXPECT_EQ(crop.out, "");

    const auto noDir = findIconsCli({"-o", (dir / "nowhere" / "framed.bmp").string()});
    EXPECT_EQ(noDir.exitCode, 1);
    if (fs::exists("/dev/full")) {
        const auto full = findIconsCli({"--framed", "/dev/full"});
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_EQ(full.err, "find-icons: /dev/full: cannot write: No space left on device\n");
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::recursive_directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 2u) << "only out/ and out/file";
}

TEST_F(FindIconsCli, UsageErrorsExitTwo)
{
    const std::vector<std::vector<std::string>> wrong = {
        {"--bogus"}, {"-b"}, {"-b", "chartreuse"}, {"--format", "xml"}, {"a.bmp", "b.bmp"}, {"--help=yes"}, {"-b", "#12345"},
    };
    for (const auto& args : wrong) {
        const auto result = findIconsCli(args);
        EXPECT_EQ(result.exitCode, 2) << args[0];
        EXPECT_EQ(result.err.rfind("find-icons: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("Try 'find-icons --help'"), std::string::npos);
    }
    EXPECT_EQ(findIconsCli({"-b", "chartreuse"}).err.rfind("find-icons: unknown colour 'chartreuse' (use a colour name", 0), 0u);
    const auto help = findIconsCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: find-icons", 0), 0u);
    EXPECT_EQ(findIconsCli({"--version"}).out, "find-icons " ICONFINDER_VERSION "\n");
}

} // namespace
