#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

namespace iconfinder::scratch {

// The files and folders a run makes on the way to its outputs (hidden temporary files, work
// folders, copies of replaced files) are named .NAME.part-PID-N after what they stand for, so
// that a later run can tell them and whether the run that made them is still alive.
// Each call gives a name of its own.
std::string partName(const std::string& name);

// A path to remove should the run be interrupted, for as long as the object lives (or until
// forgotten). Safe from any thread.
class Remembered {
public:
    Remembered() = default;
    explicit Remembered(std::string path);
    // Makes the path by `make` (true when made) while no interrupt can clean up, so that
    // nothing is ever made after the clean-up; remembered only when made.
    Remembered(std::string path, const std::function<bool(const std::string&)>& make);
    Remembered(const Remembered&) = delete;
    Remembered& operator=(const Remembered&) = delete;
    ~Remembered() { forget(); }

    const std::string& path() const { return path_; }
    bool made() const { return listed_; }
    void forget();

private:
    std::string path_;
    bool listed_ = false;
};

// Held while finished outputs are renamed into place: an interrupt then waits until all of
// them are, so that a picture's outputs are all old or all new.
class Committing {
public:
    Committing();

private:
    std::unique_lock<std::mutex> lock_;
};

// SIGINT, SIGTERM and SIGHUP are taken by one thread of their own, which removes every path
// remembered (files first, then folders) and ends the process as the signal would have. Call
// it before any other thread starts: the others inherit the signals blocked.
void removeOnInterrupt();

// Makes a work folder, marked inside as ours so that only it is ever removed as a leftover;
// 0, or the errno that failed. readyToPlace takes the mark away before it is renamed into place.
int makeWorkFolder(const std::filesystem::path& folder);
void readyToPlace(const std::filesystem::path& folder);
bool hasWorkMark(const std::filesystem::path& folder);

// Swaps what two paths name in one step (both stay); 0, or the errno that failed.
int exchangePaths(const std::filesystem::path& first, const std::filesystem::path& second);

// Whether `entry` is named as a part of a run no longer alive.
bool leftBehind(const std::filesystem::path& entry);

// Removes `entry` when it is a part file or work folder left by a run no longer alive (a folder
// named so but without our mark only when empty); true when it was one. Callers pass what they
// list of a folder anyway. Never throws.
bool removeIfLeftover(const std::filesystem::path& entry);

} // namespace iconfinder::scratch
