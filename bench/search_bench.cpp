// Measures the search on generated pictures against the floor, the literal reference and
// OpenCV, in one process, and prints the ratio table.  search_bench [--quick] [--huge] [flags]
#include "bench/contenders.h"
#include "bench/ratio_table.h"
#include "formats/picture_file.h"
#include "resources/sample_picture.h"
#include "regions/icon_search.h"
#include "tests/support/pictures.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <memory>

#ifdef HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

using namespace iconfinder;

namespace {

// A picture made on first use and kept for every contender.
class Picture {
public:
    Picture(std::string name, std::function<PixelImage()> make, bool withReference = false)
        : name(std::move(name)), withReference(withReference), make_(std::move(make))
    {
    }
    const PixelImage& get()
    {
        if (!made_)
            made_ = std::make_unique<PixelImage>(make_());
        return *made_;
    }

    std::string name;
    bool withReference;

private:
    std::function<PixelImage()> make_;
    std::unique_ptr<PixelImage> made_;
};

template <class Body>
void timed(benchmark::State& state, Body body)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(body());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

// Times a search that consumes its picture, without the copy it is given.
template <class Search>
void timedOnCopy(benchmark::State& state, Picture& picture, Search search)
{
    for (auto _ : state) {
        PixelImage work = picture.get();
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(search(std::move(work)));
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void add(const std::string& name, int repetitions, std::function<void(benchmark::State&)> run)
{
    benchmark::RegisterBenchmark(name.c_str(), [run](benchmark::State& state) { run(state); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true)
        ->MinTime(0.05);
}

} // namespace

int main(int argc, char** argv)
{
    bool quick = false;
    bool huge = false;
    std::vector<char*> args{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strcmp(argv[i], "--huge") == 0)
            huge = true;
        else
            args.push_back(argv[i]);
    }
    const int big = quick ? 1024 : 4096;
    const int side = quick ? 512 : 2048;
    const std::string s = std::to_string(side);
    std::vector<Picture> pictures;
    pictures.emplace_back("sheet 395x308", [] { return samplePicture(); }, true);
    pictures.emplace_back("sheet " + std::to_string(big), [=] { return pictures::iconSheet(big, big, 1); });
    pictures.emplace_back("noise90 " + s, [=] { return pictures::noise(side, side, 90, 2); });
    pictures.emplace_back("chessboard " + s, [=] { return pictures::chessboard(side, side); });
    pictures.emplace_back("stripes " + s, [=] { return pictures::antiDiagonalStripes(side, side); });
    pictures.emplace_back("rings " + s, [=] { return pictures::nestedRings(side, side); });
    pictures.emplace_back("comb " + s, [=] { return pictures::comb(side, side); });
    pictures.emplace_back("filled " + s, [=] { return pictures::filled(side, side); });
    pictures.emplace_back("empty " + s, [=] { return PixelImage(side, side, pictures::kWhite); });
    for (const int size : quick ? std::vector{big} : std::vector{big, 8192}) {
        const std::string n = std::to_string(size);
        pictures.emplace_back("nested L " + n, [=] { return pictures::nestedLs(size, size); });
        pictures.emplace_back("staircase " + n, [=] { return pictures::staircase(size, size); });
        pictures.emplace_back("dots " + n, [=] { return pictures::dots(size, size); });
        pictures.emplace_back("vertical stripes " + n, [=] { return pictures::verticalStripes(size, size); });
    }
    if (!quick)
        pictures.emplace_back("sheet 8192", [] { return pictures::iconSheet(8192, 8192, 3); });
    if (huge)
        pictures.emplace_back("sheet 16384", [] { return pictures::iconSheet(16384, 16384, 4); });

    bench::RatioTable table;
    const int repetitions = quick ? 3 : 7;
    for (Picture& picture : pictures) {
        Picture* p = &picture;
        add("search/" + p->name, repetitions, [p](benchmark::State& state) { timed(state, [&] { return bench::ourSearch(p->get()); }); });
        add("floor/" + p->name, repetitions, [p](benchmark::State& state) { timed(state, [&] { return bench::floorPass(p->get()); }); });
        if (p->withReference) {
            add("reference/" + p->name, 3, [p](benchmark::State& state) { timedOnCopy(state, *p, bench::referenceSearch); });
        }
#ifdef HAVE_OPENCV
        for (auto [algorithm, label] : {std::pair{cv::CCL_SAUF, "sauf"}, {cv::CCL_BBDT, "bbdt"}, {cv::CCL_SPAGHETTI, "spaghetti"}}) {
            add(std::string("opencv-") + label + "/" + p->name, repetitions, [p, algorithm](benchmark::State& state) {
                timed(state, [&] { return bench::openCvLabelling(p->get(), algorithm); });
            });
        }
#endif
    }

    // Decoding a 24-bit file of the large sheet.
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "iconfinder-bench-sheet.bmp";
    const std::string fileName = "file " + std::to_string(big) + " 24-bit";
    add("decode/" + fileName, repetitions, [&](benchmark::State& state) {
        if (!std::filesystem::exists(file))
            writePictureFile(pictures[1].get(), FileFormat::Bmp, file);
        timed(state, [&] { return bench::ourDecode(file); });
    });
#ifdef HAVE_OPENCV
    cv::setNumThreads(1);
    add("imread/" + fileName, repetitions, [&](benchmark::State& state) { timed(state, [&] { return bench::openCvDecode(file); }); });
#endif

    // Merging the boxes of the largest sheet, against that sheet's search.
    Picture& largest = *std::find_if(pictures.rbegin(), pictures.rend(), [](const Picture& p) { return p.name.rfind("sheet", 0) == 0; });
    std::vector<RegionBox> boxes;
    add("merge 3/" + largest.name, repetitions, [&](benchmark::State& state) {
        if (boxes.empty())
            boxes = findRegions(largest.get(), BackgroundRule::colour({255, 255, 255}));
        timed(state, [&] { return bench::ourMerge(boxes, 3); });
    });
    add("speck 2, merge 3/" + largest.name, repetitions, [&](benchmark::State& state) {
        if (boxes.empty())
            boxes = findRegions(largest.get(), BackgroundRule::colour({255, 255, 255}));
        timed(state, [&] { return bench::ourMerge(boxes, 3, 2); });
    });
    add("grid auto/" + largest.name, repetitions, [&](benchmark::State& state) {
        if (boxes.empty())
            boxes = findRegions(largest.get(), BackgroundRule::colour({255, 255, 255}));
        timed(state, [&] { return bench::ourGridGuess(boxes, largest.get().width(), largest.get().height()); });
    });

    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    for (Picture& picture : pictures)
        table.setPixels(picture.name, static_cast<double>(picture.get().pixelCount()));
    benchmark::RunSpecifiedBenchmarks(&table);
    benchmark::Shutdown();
    std::filesystem::remove(file);
    return 0;
}
