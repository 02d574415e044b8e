// Times whole processes side by side, in turns: find-icons against a process that maps the
// file and makes one pass over it (the floor), and against OpenCV reading, masking and
// labelling the same file on one thread; the background rules against each other; cutting a
// sheet into crops; several sheets at once against one after another. Prints medians.
//   process_bench [--quick] [--runs N]
#include "formats/picture_file.h"
#include "tests/support/pictures.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <functional>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace iconfinder;
namespace fs = std::filesystem;

namespace {

const std::string kBin = BIN_DIR;

struct Run {
    double ms = 0;
    double peakMiB = 0;
};

// Runs a program with its output thrown away; the wall time and the peak memory of the process.
Run runOnce(const std::vector<std::string>& command)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", command[0].c_str());
        std::exit(1);
    }
    return {ms, static_cast<double>(usage.ru_maxrss) / 1024};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the commands in turns, `runs` times after one warm-up, so that a drifting machine
// slows them alike; the median time and peak memory of each.
std::vector<Run> inTurns(const std::vector<std::vector<std::string>>& commands, int runs,
                         const std::function<void()>& before = [] {})
{
    std::vector<std::vector<double>> times(commands.size()), peaks(commands.size());
    for (int round = -1; round < runs; ++round) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            before();
            const Run run = runOnce(commands[c]);
            if (round >= 0) {
                times[c].push_back(run.ms);
                peaks[c].push_back(run.peakMiB);
            }
        }
    }
    std::vector<Run> medians;
    for (std::size_t c = 0; c < commands.size(); ++c)
        medians.push_back({median(times[c]), median(peaks[c])});
    return medians;
}

PixelImage onTransparency(PixelImage picture)
{
    // The white background made fully transparent, keeping its colour.
    PixelImage clear(picture.width(), picture.height(), 0, true);
    std::transform(picture.pixels().begin(), picture.pixels().end(), clear.pixels().begin(),
                   [](Pixel p) { return (p & kColourBits) == kColourBits ? p & kColourBits : p; });
    return clear;
}

} // namespace

int main(int argc, char** argv)
{
    bool quick = false;
    int runs = 7;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    }
    const fs::path dir = fs::temp_directory_path() / ("iconfinder-process-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const bool opencv = fs::exists(kBin + "/opencv_labels");
    const std::string findIcons = kBin + "/find-icons", mapPass = kBin + "/map_pass", labels = kBin + "/opencv_labels";

    // The pictures, written once by a child process, so that this one stays small: a process
    // started from it counts this one's memory as its own until it runs its program.
    const int big = quick ? 1024 : 4096, bigger = quick ? 2048 : 8192, side = quick ? 512 : 2048;
    struct File {
        std::string name;
        fs::path path;
        std::function<PixelImage()> make;
        FileFormat format;
    };
    std::vector<File> files;
    const auto plan = [&](const std::string& name, FileFormat format, std::function<PixelImage()> make) {
        const fs::path path = dir / (name + "." + std::string(formatName(format)));
        files.push_back({name + " " + std::string(formatName(format)), path, std::move(make), format});
        return path;
    };
    const fs::path sheet = plan("sheet " + std::to_string(big), FileFormat::Bmp, [=] { return pictures::iconSheet(big, big, 1); });
    plan("sheet " + std::to_string(bigger), FileFormat::Bmp, [=] { return pictures::iconSheet(bigger, bigger, 3); });
    for (const int size : {big, bigger}) {
        plan("nested L " + std::to_string(size), FileFormat::Bmp, [=] { return pictures::nestedLs(size, size); });
        plan("staircase " + std::to_string(size), FileFormat::Bmp, [=] { return pictures::staircase(size, size); });
    }
    plan("noise90 " + std::to_string(side), FileFormat::Bmp, [=] { return pictures::noise(side, side, 90, 2); });
    const fs::path sheetPng = plan("sheet " + std::to_string(big), FileFormat::Png, [=] { return pictures::iconSheet(big, big, 1); });
    const fs::path clearPng = plan("sheet on alpha " + std::to_string(big), FileFormat::Png,
                                   [=] { return onTransparency(pictures::iconSheet(big, big, 1)); });
    std::vector<std::string> batchFiles;
    for (int i = 0; i < 16; ++i)
        batchFiles.push_back((dir / ("batch-" + std::to_string(i) + ".bmp")).string());

    std::fprintf(stderr, "writing the pictures into %s\n", dir.c_str());
    if (const pid_t writer = ::fork(); writer == 0) {
        for (const File& file : files)
            writePictureFile(file.make(), file.format, file.path);
        for (int i = 0; i < 16; ++i)
            writePictureFile(pictures::iconSheet(side, side, 100 + static_cast<std::uint64_t>(i)), FileFormat::Bmp, batchFiles[static_cast<std::size_t>(i)]);
        ::_exit(0);
    } else {
        int status = 0;
        ::waitpid(writer, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return 1;
    }

    std::printf("Whole processes, medians of %d runs in turns; find-icons prints the lines of every region.\n\n", runs);
    std::printf("%-22s %11s %11s %11s %9s %9s %12s %9s\n", "picture", "find-icons", "map+pass", "opencv", "vs map", "vs opencv",
                "peak MiB", "file MiB");
    for (const File& file : files) {
        std::vector<std::vector<std::string>> commands = {{findIcons, file.path.string()}, {mapPass, file.path.string()}};
        const bool transparent = file.path == clearPng;
        if (transparent)
            commands[0].insert(commands[0].end(), {"-b", "transparent"});
        if (opencv) {
            commands.push_back({labels, file.path.string()});
            if (transparent)
                commands.back().push_back("--transparent");
        }
        const std::vector<Run> r = inTurns(commands, runs);
        const double theirs = opencv ? r[2].ms : NAN;
        std::printf("%-22s %11.1f %11.1f %11.1f %9.2f %9.2f %12.1f %9.1f\n", file.name.c_str(), r[0].ms, r[1].ms, theirs,
                    r[0].ms / r[1].ms, r[0].ms / theirs, r[0].peakMiB, static_cast<double>(fs::file_size(file.path)) / (1 << 20));
        std::fflush(stdout);
    }

    std::printf("\nBackground rules on one picture (%s), against the exact colour:\n", clearPng.filename().c_str());
    const std::vector<std::vector<std::string>> rules = {{findIcons, clearPng.string(), "-b", "white"},
                                                         {findIcons, clearPng.string(), "-b", "white", "--tolerance", "8"},
                                                         {findIcons, clearPng.string(), "-b", "transparent"},
                                                         {findIcons, clearPng.string(), "-b", "transparent", "--tolerance", "8"},
                                                         {findIcons, sheet.string(), "-b", "white"},
                                                         {findIcons, sheet.string(), "-b", "white", "--tolerance", "8"}};
    const std::vector<Run> ruled = inTurns(rules, runs);
    const char* ruleNames[] = {"PNG, exact white", "PNG, white within 8", "PNG, transparent", "PNG, alpha within 8",
                               "BMP, exact white", "BMP, white within 8"};
    for (std::size_t i = 0; i < ruled.size(); ++i)
        std::printf("  %-22s %9.1f ms %7.2fx\n", ruleNames[i], ruled[i].ms, ruled[i].ms / ruled[i < 4 ? 0 : 4].ms);

    // On this disk and, where there is one, in memory (tmpfs): the file system's own cost of
    // creating thousands of files varies from run to run far more than ours.
    std::printf("\nCutting the %d x %d sheet into crops, a fresh folder each run:\n", big, big);
    for (const fs::path& crops : {dir / "crops", fs::path("/dev/shm") / dir.filename()}) {
        if (!fs::exists(crops.parent_path()))
            continue;
        const auto clearCrops = [&] { fs::remove_all(crops); };
        const std::vector<Run> cut = inTurns({{findIcons, sheet.string(), "--crop", crops.string()},
                                              {findIcons, sheetPng.string(), "--crop", crops.string()}},
                                             std::min(runs, 5), clearCrops);
        std::printf("  into %-40s BMP crops %9.1f ms, PNG crops %9.1f ms (%zu files)\n", crops.parent_path().c_str(), cut[0].ms,
                    cut[1].ms, static_cast<std::size_t>(std::distance(fs::directory_iterator(crops), fs::directory_iterator())));
        fs::remove_all(crops);
    }
    const fs::path shm = fs::path("/dev/shm") / dir.filename();
    if (fs::exists(shm.parent_path())) {
        const auto clearCrops = [&] { fs::remove_all(shm); };
        const std::vector<Run> own = inTurns({{findIcons, sheet.string(), "--crop", shm.string()},
                                              {findIcons, sheet.string(), "--crop", shm.string(), "--isolate"}},
                                             std::min(runs, 5), clearCrops);
        std::printf("  into /dev/shm, each sprite's own pixels: BMP crops %9.1f ms, --isolate %9.1f ms   %.2fx\n", own[0].ms, own[1].ms,
                    own[1].ms / own[0].ms);
        const std::vector<Run> packed = inTurns({{findIcons, sheet.string(), "--crop", shm.string(), "--crop-format", "png"},
                                                 {findIcons, sheet.string(), "--atlas", (shm.string() + ".json"), "--pack", shm.string() + ".png"}},
                                                std::min(runs, 5), clearCrops);
        std::printf("  packed into one atlas picture instead: PNG crops %9.1f ms, --pack %9.1f ms   %.2fx\n", packed[0].ms, packed[1].ms,
                    packed[1].ms / packed[0].ms);
        fs::remove(shm.string() + ".json");
        fs::remove(shm.string() + ".png");
        fs::remove_all(shm);
    }

    std::printf("\nSixteen %d x %d sheets, one after another against two at once:\n", side, side);
    std::vector<std::string> sixteen = {findIcons};
    sixteen.insert(sixteen.end(), batchFiles.begin(), batchFiles.end());
    std::vector<std::string> one = sixteen, two = sixteen;
    one.insert(one.end(), {"-j", "1"});
    two.insert(two.end(), {"-j", "2"});
    const std::vector<Run> batch = inTurns({one, two}, runs);
    std::printf("  -j1 %9.1f ms\n  -j2 %9.1f ms   throughput %.2fx\n", batch[0].ms, batch[1].ms, batch[0].ms / batch[1].ms);

    fs::remove_all(dir);
    return 0;
}
