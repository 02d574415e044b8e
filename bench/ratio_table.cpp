#include "bench/ratio_table.h"

#include <cmath>
#include <cstdio>

namespace bench {
namespace {

constexpr double kNone = NAN;

double find(const std::map<std::string, double>& times, const std::string& contender)
{
    const auto found = times.find(contender);
    return found == times.end() ? kNone : found->second;
}

} // namespace

void RatioTable::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.aggregate_name != "median")
            continue;
        // Benchmarks are named "contender/picture" and report milliseconds.
        const std::string& name = run.run_name.function_name;
        const auto slash = name.find('/');
        medians_[name.substr(slash + 1)][name.substr(0, slash)] = run.GetAdjustedRealTime();
    }
}

void RatioTable::Finalize()
{
    ConsoleReporter::Finalize();
    std::printf("\nMedians, single thread. 'vs opencv' is ours / the fastest OpenCV algorithm (mask + labelling +\n"
                "statistics); 'vs floor' is ours / one streaming pass counting foreground pixels.\n\n");
    std::printf("%-24s %10s %7s %10s %10s %12s %9s %9s %9s\n", "picture", "ours ms", "ns/px", "floor ms", "opencv ms",
                "reference ms", "vs opencv", "vs floor", "ref/ours");
    for (const auto& [picture, times] : medians_) {
        const double ours = find(times, "search");
        if (std::isnan(ours))
            continue;
        double opencv = kNone;
        for (const auto& [contender, ns] : times)
            if (contender.rfind("opencv-", 0) == 0 && !(ns >= opencv))
                opencv = ns;
        const double floor = find(times, "floor"), reference = find(times, "reference");
        const auto pixels = pixels_.find(picture);
        std::printf("%-24s %10.3f %7.3f %10.3f %10.3f %12.3f %9.2f %9.2f %9.1f\n", picture.c_str(), ours,
                    pixels == pixels_.end() ? kNone : ours * 1e6 / pixels->second, floor, opencv, reference,
                    ours / opencv, ours / floor, reference / ours);
    }
    for (const auto& [picture, times] : medians_) {
        const double merge = find(times, "merge 3");
        if (!std::isnan(merge))
            std::printf("\nmerge 3 on the boxes of %s: %.2f ms, the search itself %.2f ms, merge / search %.3f\n", picture.c_str(),
                        merge, find(times, "search"), merge / find(times, "search"));
    }
    for (const auto& [picture, times] : medians_) {
        const double ours = find(times, "decode"), theirs = find(times, "imread");
        if (!std::isnan(ours))
            std::printf("\ndecoding %s: ours %.2f ms, cv::imread %.2f ms, ours / imread %.2f\n", picture.c_str(), ours,
                        theirs, ours / theirs);
    }
}

} // namespace bench
