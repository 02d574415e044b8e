// find-icons: the icon search on the command line.
#include "options.h"
#include "scratch_files.h"
#include "search_job.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <thread>

using namespace iconfinder;

namespace {

// Searches the pictures on up to `jobs` threads and prints each one's result in the order
// given, as soon as it and all before it are done. Returns the worst status.
int searchAll(const cli::Options& options)
{
    std::vector<std::optional<std::string>> inputs(options.files.begin(), options.files.end());
    if (inputs.empty())
        inputs.emplace_back(); // the sample picture

    std::vector<std::optional<cli::JobResult>> results(inputs.size());
    std::mutex lock;
    std::condition_variable done;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; (i = next++) < inputs.size();) {
            cli::JobResult result = cli::searchPicture(options, inputs[i]);
            const std::lock_guard guard(lock);
            results[i] = std::move(result);
            done.notify_all();
        }
    };
    // One picture is searched right here; several by as many workers as allowed, while this
    // thread prints.
    std::vector<std::jthread> workers;
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(options.jobs), inputs.size());
    if (count == 1)
        work();
    else
        for (std::size_t t = 0; t < count; ++t)
            workers.emplace_back(work);

    int status = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::unique_lock guard(lock);
        done.wait(guard, [&] { return results[i].has_value(); });
        const cli::JobResult result = std::move(*results[i]);
        results[i].reset();
        guard.unlock();
        std::cout << result.out;
        std::cout.flush();
        std::cerr << result.err;
        status = std::max(status, result.status);
    }
    return status;
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
        std::cerr << "find-icons: " << e.what() << "\nTry 'find-icons --help' for more information.\n";
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
