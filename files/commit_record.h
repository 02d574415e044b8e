#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace iconfinder {

// What a commit is about to do, written into every folder it touches before the first rename
// and removed once it is done or undone, so that a run killed halfway (SIGKILL, a crash)
// leaves the next run in any of those folders enough to finish its work: all of a picture's
// outputs old or all new, never the backups of replaced files lost.
class CommitRecord {
public:
    struct Move {
        std::filesystem::path from;   // a finished part file, or a work folder
        std::filesystem::path to;     // its target
        std::filesystem::path backup; // where the file it replaces was kept; empty when none
        bool folder = false;
        bool swap = false; // a work folder swapped with the folder it replaces, marked as work until done
    };

    CommitRecord() = default;
    CommitRecord(const CommitRecord&) = delete;
    CommitRecord& operator=(const CommitRecord&) = delete;
    ~CommitRecord() { remove(); }

    void add(Move move) { moves_.push_back(std::move(move)); }

    // Writes the record, to be completed; then, should the commit fail, to be undone.
    // Throws IoError.
    void writeForward() { write(false); }
    void writeUndo() { write(true); }

    // The commit is done or undone: the record goes.
    void remove();

private:
    void write(bool undo);

    std::vector<Move> moves_;
    std::vector<std::string> written_;
};

// Whether a folder's entry is the record of a commit whose run is no longer alive.
bool isInterruptedCommit(const std::filesystem::path& entry);

// Finishes what such a record says: its moves done when the run was going forward, taken
// back when it was undoing; then every copy of the record goes. Call it before the dead
// run's part files are removed, which it may still need.
void finishInterruptedCommit(const std::filesystem::path& record);

} // namespace iconfinder
