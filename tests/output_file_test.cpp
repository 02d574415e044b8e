// Files are read and written whole or not at all, and errors name the system's reason.
#include "common/errors.h"
#include "formats/bmp/bmp_reader.h"
#include "files/byte_source.h"
#include "files/output_file.h"
#include "formats/picture_file.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <fstream>
#include <set>
#include <cstdlib>
#include <unistd.h>

using namespace iconfinder;
namespace fs = std::filesystem;

namespace {

class Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("iconfinder-files-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Every path under dir with its contents, to compare before and after.
    std::map<std::string, std::string> snapshot() const
    {
        std::map<std::string, std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            entries[fs::relative(entry.path(), dir).string()] =
                entry.is_directory() ? "(folder)" : std::string(std::istreambuf_iterator<char>(in), {});
        }
        return entries;
    }

    static void text(ByteWriter& out, const std::string& value) { out.write(value); }

    fs::path dir;
};

template <class Call>
std::string errorOf(Call call)
{
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST_F(Files, ReadingNamesTheSystemsReason)
{
    EXPECT_EQ(errorOf([&] { bmp::readFile(dir / "missing.bmp"); }), "cannot open: No such file or directory");
    EXPECT_EQ(errorOf([&] { bmp::readFile(dir); }), "is a directory, not a picture file");
    std::ofstream(dir / "words.txt") << "neither a bitmap nor a PNG";
    PictureBuilder sink;
    EXPECT_EQ(errorOf([&] { readPictureFile(dir / "words.txt", sink); }), "not a PNG or BMP file");
    EXPECT_EQ(errorOf([&] { bmp::readFile(dir / "words.txt"); }), "not a bitmap file (no 'BM' signature)");
}

TEST_F(Files, AWholeFileOrNone)
{
    const PixelImage picture = pictures::noise(5, 5, 50, 1);
    writePictureFile(picture, FileFormat::Bmp, dir / "ok.bmp");
    EXPECT_TRUE(bmp::readFile(dir / "ok.bmp") == picture);

    EXPECT_EQ(errorOf([&] { writeWholeFile(dir, [](ByteWriter& out) { text(out, "x"); }); }), "is a directory");
    EXPECT_NE(errorOf([&] { writeWholeFile(dir / "no-such-dir" / "x.bmp", [](ByteWriter& out) { text(out, "x"); }); }).find("cannot create a file in"),
              std::string::npos);
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(errorOf([&] { writePictureFile(picture, FileFormat::Bmp, "/dev/full"); }), "not a regular file");
    }
    // An encoder that fails halfway leaves the earlier file as it was and nothing else.
    const auto before = snapshot();
    EXPECT_EQ(errorOf([&] {
                  writeWholeFile(dir / "ok.bmp", [](ByteWriter& out) {
                      text(out, std::string(1 << 20, 'x'));
                      throw IoError("stopped");
                  });
              }),
              "stopped");
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Files, FilesInAFolderAllOrNone)
{
    const fs::path folder = dir / "crops";
    fs::create_directories(folder / "c.txt"); // a directory where the third file belongs
    std::ofstream(folder / "a.txt") << "old a";
    const auto before = snapshot();
    const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt", "d.txt"};
    const auto write = [&](std::size_t i, ByteWriter& out) { text(out, "new " + names[i]); };
    try {
        writeFilesInFolder(folder, names, write);
        FAIL() << "a directory is in the way";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "is a directory");
        EXPECT_EQ(e.path(), (folder / "c.txt").string());
    }
    EXPECT_EQ(snapshot(), before) << "the folder is left as it was";

    // A failure while writing the third file: the first two are not left behind.
    fs::remove(folder / "c.txt");
    const auto clean = snapshot();
    EXPECT_EQ(errorOf([&] {
                  writeFilesInFolder(folder, names, [&](std::size_t i, ByteWriter& out) {
                      if (i == 2)
                          throw IoError("cannot write: the disk is full");
                      write(i, out);
                  });
              }),
              "cannot write: the disk is full");
    EXPECT_EQ(snapshot(), clean);

    // A folder the call creates is gone again after a failure, parents included.
    EXPECT_THROW(writeFilesInFolder(dir / "new" / "deeper", names, [](std::size_t i, ByteWriter&) {
        if (i == 1)
            throw IoError("stopped");
    }),
                 IoError);
    EXPECT_FALSE(fs::exists(dir / "new"));

    writeFilesInFolder(folder, names, write);
    std::ifstream a(folder / "a.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), "new a.txt") << "an earlier file is replaced";
    std::set<std::string> listed;
    for (const auto& entry : fs::directory_iterator(folder))
        listed.insert(entry.path().filename().string());
    EXPECT_EQ(listed, std::set<std::string>(names.begin(), names.end())) << "no temporary file stays";

    std::ofstream(dir / "file") << "x";
    EXPECT_NE(errorOf([&] { writeFilesInFolder(dir / "file" / "sub", names, write); }).find("cannot create directory"), std::string::npos);

    // A rename failing midway (a file that may not be replaced, where the file system allows
    // saying so): the ones before it are taken back, the files they replaced restored.
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const std::string name : {"a.txt", "c.txt"})
        std::ofstream(folder / name) << "old " << name;
    if (std::system(("chattr +i '" + (folder / "c.txt").string() + "' 2>/dev/null").c_str()) == 0) {
        const auto held = snapshot();
        EXPECT_NE(errorOf([&] { writeFilesInFolder(folder, names, write); }), "");
        std::system(("chattr -i '" + (folder / "c.txt").string() + "'").c_str());
        EXPECT_EQ(snapshot(), held) << "a.txt restored, b.txt taken back";
    }
}

TEST_F(Files, AFileThatShrinksWhileMappedIsReportedNotFatal)
{
    const std::size_t size = std::size_t{4} << 20;
    {
        std::ofstream out(dir / "big.bin", std::ios::binary);
        out << std::string(size, 'x');
    }
    FileSource source(dir / "big.bin");
    std::vector<std::byte> unused(16);
    const auto bytes = source.read(4096, size - 8192, unused);
    ASSERT_NE(bytes.data(), unused.data()) << "a large piece is mapped";
    EXPECT_EQ(bytes[0], std::byte{'x'});
    EXPECT_NO_THROW(source.verify());
    fs::resize_file(dir / "big.bin", 1 << 20);
    // The lost pages read as zeros instead of killing the process, and the source knows.
    EXPECT_EQ(bytes[bytes.size() - 1], std::byte{0});
    EXPECT_EQ(bytes[0], std::byte{'x'}) << "pages still in the file keep their bytes";
    EXPECT_EQ(errorOf([&] { source.verify(); }), "file shrank while it was read");
}

} // namespace
