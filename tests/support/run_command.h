#pragma once

#include <filesystem>
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

// Runs a program with arguments (no shell), capturing its output; waits for it to end.
CommandResult runCommand(const std::string& program, const std::vector<std::string>& args);

} // namespace iconfinder::test
