// Files are read and written whole or not at all, and errors name the system's reason.
#include "files/byte_source.h"
#include "files/commit_record.h"
#include "files/output_file.h"
#include "files/scratch_files.h"
#include "tests/support/checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <fstream>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

using namespace iconfinder;
namespace fs = std::filesystem;

namespace {

class Files : public test::InFolder {
protected:
    static void text(ByteWriter& out, const std::string& value) { out.write(value); }
};

using test::errorOf;

// Every path under a folder, hidden ones too, with its contents, to compare before and after.
std::map<std::string, std::string> contentsOf(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        entries[fs::relative(entry.path(), folder).string()] = entry.is_directory() ? "(folder)" : test::slurp(entry.path());
    return entries;
}

// Runs `run` in a child process that ends with it, as a run that is killed does.
void inChild(const std::function<void()>& run)
{
    const pid_t child = ::fork();
    if (child == 0) {
        run();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(status, 0);
}

TEST_F(Files, AWholeFileOrNone)
{
    std::ofstream(dir / "ok.bmp") << "earlier";
    EXPECT_EQ(errorOf([&] { writeWholeFile(dir, [](ByteWriter& out) { text(out, "x"); }); }), "is a directory");
    EXPECT_NE(errorOf([&] { writeWholeFile(dir / "no-such-dir" / "x.bmp", [](ByteWriter& out) { text(out, "x"); }); }).find("cannot create a file in"),
              std::string::npos);
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(errorOf([&] { writePictureFile(PixelImage(5, 5, 0), FileFormat::Bmp, "/dev/full"); }), "not a regular file");
    }
    // An encoder that fails halfway leaves the earlier file as it was and nothing else.
    const auto before = contentsOf(dir);
    EXPECT_EQ(errorOf([&] {
                  writeWholeFile(dir / "ok.bmp", [](ByteWriter& out) {
                      text(out, std::string(1 << 20, 'x'));
                      throw IoError("stopped");
                  });
              }),
              "stopped");
    EXPECT_EQ(contentsOf(dir), before);
}

TEST_F(Files, FilesInAFolderAllOrNone)
{
    const fs::path folder = dir / "crops";
    fs::create_directories(folder / "c.txt"); // a directory where the third file belongs
    std::ofstream(folder / "a.txt") << "old a";
    const auto before = contentsOf(dir);
    const std::vector<std::string> names = {"a.txt", "b.txt", "c.txt", "d.txt"};
    const auto write = [&](std::size_t i, ByteWriter& out) { text(out, "new " + names[i]); };
    try {
        writeFilesInFolder(folder, names, write);
        FAIL() << "a directory is in the way";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "is a directory");
        EXPECT_EQ(e.path(), (folder / "c.txt").string());
    }
    EXPECT_EQ(contentsOf(dir), before) << "the folder is left as it was";

    // A failure while writing the third file: the first two are not left behind.
    fs::remove(folder / "c.txt");
    const auto clean = contentsOf(dir);
    EXPECT_EQ(errorOf([&] {
                  writeFilesInFolder(folder, names, [&](std::size_t i, ByteWriter& out) {
                      if (i == 2)
                          throw IoError("cannot write: the disk is full");
                      write(i, out);
                  });
              }),
              "cannot write: the disk is full");
    EXPECT_EQ(contentsOf(dir), clean);

    // A folder the call creates is gone again after a failure, parents included.
    EXPECT_THROW(writeFilesInFolder(dir / "new" / "deeper", names, [](std::size_t i, ByteWriter&) {
        if (i == 1)
            throw IoError("stopped");
    }),
                 IoError);
    EXPECT_FALSE(fs::exists(dir / "new"));

    writeFilesInFolder(folder, names, write);
    EXPECT_EQ(contentsOf(folder), (std::map<std::string, std::string>{{"a.txt", "new a.txt"}, {"b.txt", "new b.txt"}, {"c.txt", "new c.txt"}, {"d.txt", "new d.txt"}}))
        << "an earlier file replaced, and no temporary file stays";

    std::ofstream(dir / "file") << "x";
    EXPECT_NE(errorOf([&] { writeFilesInFolder(dir / "file" / "sub", names, write); }).find("cannot create directory"), std::string::npos);

    // A rename failing midway (a file that may not be replaced, where the file system allows
    // saying so): the ones before it are taken back, the files they replaced restored.
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const std::string name : {"a.txt", "c.txt"})
        std::ofstream(folder / name) << "old " << name;
    if (std::system(("chattr +i '" + (folder / "c.txt").string() + "' 2>/dev/null").c_str()) == 0) {
        const auto held = contentsOf(dir);
        EXPECT_NE(errorOf([&] { writeFilesInFolder(folder, names, write); }), "");
        std::system(("chattr -i '" + (folder / "c.txt").string() + "'").c_str());
        EXPECT_EQ(contentsOf(dir), held) << "a.txt restored, b.txt taken back";
    }
}

// A process id no run has any more.
pid_t deadPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(Files, WhatDeadRunsLeftIsFinishedOrRemovedAndNothingElse)
{
    const fs::path folder = dir / "crops";
    const std::vector<std::string> names = {"a", "b", "c", "d"};
    // A run killed after two of four renames, its record saying it went forward or was undoing.
    for (const bool undoing : {false, true}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(folder / "a") << "old";
        std::ofstream(folder / "b") << "old";
        inChild([&] {
            auto* record = new CommitRecord; // never destroyed: the run dies with it
            for (const std::string& name : names) {
                const fs::path part = folder / scratch::partName(name), target = folder / name;
                std::ofstream(part) << "new";
                fs::path backup;
                if (fs::exists(target) && ::link(target.c_str(), (backup = folder / scratch::partName(name)).c_str()) != 0)
                    ::_exit(1);
                record->add({part, target, backup, false});
            }
            undoing ? record->writeUndo() : record->writeForward();
            for (const auto& entry : fs::directory_iterator(folder))
                if (const std::string name = entry.path().filename().string(); name.rfind(".a.", 0) == 0 || name.rfind(".c.", 0) == 0)
                    if (contentsOf(folder)[name] == "new")
                        fs::rename(entry.path(), folder / name.substr(1, 1));
        });
        writeWholeFile(folder / "next", [](ByteWriter& out) { out.write(std::string("next run")); });
        const std::map<std::string, std::string> expected =
            undoing ? std::map<std::string, std::string>{{"a", "old"}, {"b", "old"}, {"next", "next run"}}
                    : std::map<std::string, std::string>{{"a", "new"}, {"b", "new"}, {"c", "new"}, {"d", "new"}, {"next", "next run"}};
        EXPECT_EQ(contentsOf(folder), expected) << (undoing ? "undone" : "finished");
    }

    // A run killed while it swapped a folder for its replacement: before the swap, after it, or
    // after the old folder was removed; the next run beside it finishes or undoes the swap.
    for (const bool undoing : {false, true}) {
        for (int stage = 0; stage < 3; ++stage) {
            fs::remove_all(folder);
            fs::create_directories(folder);
            std::ofstream(folder / "a") << "old";
            inChild([&] {
                const fs::path work = dir / scratch::partName("crops");
                if (scratch::makeWorkFolder(work) != 0)
                    ::_exit(1);
                std::ofstream(work / "b") << "new";
                auto* record = new CommitRecord;
                record->add({work, folder, {}, true, true});
                undoing ? record->writeUndo() : record->writeForward();
                if (stage > 0 && scratch::exchangePaths(work, folder) != 0)
                    ::_exit(1);
                if (stage > 1 && !undoing)
                    fs::remove_all(work);
            });
            writeWholeFile(dir / "next", [](ByteWriter& out) { out.write(std::string("next run")); });
            const std::map<std::string, std::string> kept = {{"crops", "(folder)"}, {undoing ? "crops/a" : "crops/b", undoing ? "old" : "new"}, {"next", "next run"}};
            EXPECT_EQ(contentsOf(dir), kept) << "the folder and the next run's file alone, " << (undoing ? "undone" : "finished") << " from stage " << stage;
        }
    }

    // Names only like ours: a number past any process id, and a user's folder without our mark.
    const std::string dead = std::to_string(deadPid());
    std::ofstream(folder / ".a.part-99999999999999999999999-1") << "user";
    fs::create_directories(folder / (".mine.part-" + dead + "-0"));
    std::ofstream(folder / (".mine.part-" + dead + "-0") / "keep") << "user";
    std::ofstream(folder / (".left.part-" + dead + "-7")) << "ours";
    fs::create_directories(folder / (".unmarked.part-" + dead + "-3")); // made, then killed before its mark
    EXPECT_NO_THROW(writeFilesInFolder(folder, {"e"}, [](std::size_t, ByteWriter& out) { out.write(std::string("e")); }));
    const auto after = contentsOf(folder);
    EXPECT_TRUE(after.count(".a.part-99999999999999999999999-1"));
    EXPECT_TRUE(after.count(".mine.part-" + dead + "-0"));
    EXPECT_FALSE(after.count(".left.part-" + dead + "-7")) << "a dead run's part file goes";
    EXPECT_FALSE(after.count(".unmarked.part-" + dead + "-3")) << "and an empty folder it made";
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
