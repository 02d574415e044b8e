// find-icons: the icon search on the command line.
#include "cli/options.h"
#include "cli/ordered_output.h"
#include "common/printable.h"
#include "cli/search_job.h"
#include "files/scratch_files.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <thread>

using namespace iconfinder;

namespace {

// Searches the pictures on up to `jobs` threads, printing each one's output in the order
// given. Returns the worst status.
int searchAll(const cli::Options& options)
{
    std::vector<std::optional<std::string>> inputs(options.files.begin(), options.files.end());
    if (inputs.empty())
        inputs.emplace_back(); // the sample picture

    cli::OrderedOutput output(inputs.size(), std::cout, std::cerr);
    std::optional<PackedTogether> together;
    if (options.packedTogether())
        together.emplace(inputs.size());
    std::atomic<int> status{0};
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; (i = next++) < inputs.size();) {
            const cli::JobResult result =
                cli::searchPicture(options, inputs[i], [&](std::string_view text) { output.print(i, text); }, {together ? &*together : nullptr, i});
            output.finish(i, result.err);
            for (int worst = status; worst < result.status && !status.compare_exchange_weak(worst, result.status);) {
            }
        }
    };
    // One picture is searched right here; several by as many workers as allowed.
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(options.jobs), inputs.size());
    if (count == 1) {
        work();
    } else {
        std::vector<std::jthread> workers;
        for (std::size_t t = 0; t < count; ++t)
            workers.emplace_back(work);
    }
    if (!together)
        return status;
    if (status != 0) {
        std::cerr << "find-icons: " << printable(*options.atlas) << ": not written, as not every picture could be cut\n";
        return status;
    }
    const cli::JobResult packed = cli::writePackedTogether(options, *together);
    std::cerr << packed.err;
    return packed.status;
}

} // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    scratch::removeOnInterrupt();
    cli::CommandLine line;
    try {
        line = cli::parseCommandLine(argc, argv);
    } catch (const cli::UsageError& e) {
        std::cerr << "find-icons: " << printable(e.what()) << "\nTry 'find-icons --help' for more information.\n";
        return 2;
    }
    if (line.printOnly) {
        std::cout << *line.printOnly;
        return 0;
    }
    const int status = searchAll(line.options);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "find-icons: cannot write the results to standard output\n";
        return 1;
    }
    return status;
}
