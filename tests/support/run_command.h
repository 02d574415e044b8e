#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace iconfinder::test {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A file's bytes, or "" when it cannot be read.
std::string slurp(const std::filesystem::path& path);

// A signal sent to a run after some microseconds.
struct SignalAfter {
    int signal;
    int micros;
};

// Runs a program with arguments (no shell), capturing its output; waits for it to end.
CommandResult runCommand(const std::string& program, const std::vector<std::string>& args, std::optional<SignalAfter> interrupt = {});

} // namespace iconfinder::test
