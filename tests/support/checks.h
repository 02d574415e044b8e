#pragma once

// What the tests ask of runs, folders and files, each in one line.
#include "common/errors.h"
#include "formats/picture_file.h"
#include "tests/support/run_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <unistd.h>

namespace iconfinder::test {

// A test in a folder of its own, empty at the start and removed after it.
class InFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("iconfinder-test-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path dir;
};

// The run ended with `code` and its error output holds `part`.
inline ::testing::AssertionResult endedWith(const CommandResult& run, int code, const std::string& part)
{
    if (run.exitCode == code && run.err.find(part) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << run.exitCode << ", said: " << run.err;
}

// The message of the error `call` throws, or "" when it throws none.
template <class Call>
std::string errorOf(Call call)
{
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

inline std::size_t entriesIn(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

inline PixelImage readPicture(const std::filesystem::path& path)
{
    PictureBuilder builder;
    readPictureFile(path, builder);
    return builder.take();
}

} // namespace iconfinder::test
