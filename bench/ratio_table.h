#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace bench {

// Prints Google Benchmark's own lines, then one table of medians per picture with the
// ratios the performance goals are stated in.
class RatioTable : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    void setPixels(const std::string& picture, double pixels) { pixels_[picture] = pixels; }

private:
    std::map<std::string, std::map<std::string, double>> medians_; // picture -> contender -> ns
    std::map<std::string, double> pixels_;
};

} // namespace bench
