#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace iconfinder::scratch {

// The files and folders a run makes on the way to its outputs (hidden temporary files, work
// folders, copies of replaced files) are named NAME.part-PID-N after what they stand for, so
// that a later run can tell them and whether the run that made them is still alive.
// Each call gives a name of its own.
std::string partName(const std::string& name);

// A path to remove should the run be interrupted, for as long as the object lives (or until
// forgotten). Safe from any thread.
class Remembered {
public:
    Remembered() = default;
    explicit Remembered(std::string path);
    Remembered(const Remembered&) = delete;
    Remembered& operator=(const Remembered&) = delete;
    ~Remembered() { forget(); }

    const std::string& path() const { return path_; }
    void forget();

private:
    std::string path_;
    std::size_t slot_ = kNone;
    static constexpr std::size_t kNone = ~std::size_t{0};
};

// On SIGINT, SIGTERM and SIGHUP: removes every path remembered (files first, then folders),
// then ends the process as the signal would have.
void removeOnInterrupt();

// Removes `entry` when it is a part file or work folder left by a run no longer alive; true
// when it was one. Callers pass what they list of a folder anyway.
bool removeIfLeftover(const std::filesystem::path& entry);

// Removes what runs no longer alive left in `folder`.
void removeLeftovers(const std::filesystem::path& folder);

} // namespace iconfinder::scratch
