#include "files/commit_record.h"

#include "common/errors.h"
#include "files/byte_source.h"
#include "files/file_io.h"
#include "files/scratch_files.h"

#include <cerrno>
#include <set>

#include <fcntl.h>
#include <unistd.h>

namespace iconfinder {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRecordName = "iconfinder-commit";
constexpr std::size_t kLargestRecord = std::size_t{1} << 30;

// The record's text: "forward" or "undo", then each move as folder flag, from, to and backup,
// every field ended by a NUL, which no path holds.
std::string encode(bool undo, const std::vector<CommitRecord::Move>& moves)
{
    std::string text = undo ? "undo" : "forward";
    text += '\0';
    for (const CommitRecord::Move& move : moves)
        for (const std::string& field : {std::string(move.swap ? "x" : move.folder ? "d" : "f"), move.from.string(), move.to.string(),
                                         move.backup.string()})
            text += field + '\0';
    return text;
}

bool decode(const std::string& text, bool& undo, std::vector<CommitRecord::Move>& moves)
{
    std::vector<std::string> fields;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\0', at);
        if (end == std::string::npos)
            return false;
        fields.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (fields.empty() || (fields[0] != "undo" && fields[0] != "forward") || (fields.size() - 1) % 4 != 0)
        return false;
    undo = fields[0] == "undo";
    for (std::size_t i = 1; i < fields.size(); i += 4)
        moves.push_back({fields[i + 1], fields[i + 2], fields[i + 3], fields[i] != "f", fields[i] == "x"});
    return true;
}

fs::path folderOf(const fs::path& path) { return path.has_parent_path() ? path.parent_path() : fs::path("."); }

bool standsAt(const fs::path& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

// The swap made unless it was (the new folder carries the work mark until it is done with), then
// the old content removed and the mark taken away, in that order.
void completeSwap(const CommitRecord::Move& move)
{
    if (!scratch::hasWorkMark(move.to) && scratch::hasWorkMark(move.from))
        scratch::exchangePaths(move.from, move.to);
    if (scratch::hasWorkMark(move.to)) {
        std::error_code ignored;
        fs::remove_all(move.from, ignored);
        scratch::readyToPlace(move.to);
    }
}

void undoSwap(const CommitRecord::Move& move)
{
    if (scratch::hasWorkMark(move.to))
        scratch::exchangePaths(move.from, move.to);
    std::error_code ignored;
    if (scratch::hasWorkMark(move.from))
        fs::remove_all(move.from, ignored);
}

void complete(const CommitRecord::Move& move)
{
    if (move.swap)
        return completeSwap(move);
    if (standsAt(move.from))
        ::rename(move.from.c_str(), move.to.c_str());
    if (!move.backup.empty())
        ::unlink(move.backup.c_str());
}

void undo(const CommitRecord::Move& move)
{
    if (move.swap)
        return undoSwap(move);
    std::error_code ignored;
    if (move.folder) {
        // A folder that did not exist: placed or not, it goes.
        fs::remove_all(standsAt(move.from) ? move.from : move.to, ignored);
    } else if (!move.backup.empty()) {
        if (standsAt(move.backup))
            ::rename(move.backup.c_str(), move.to.c_str());
        ::unlink(move.from.c_str());
    } else if (standsAt(move.from)) {
        ::unlink(move.from.c_str());
    } else {
        ::unlink(move.to.c_str()); // it stood nowhere before
    }
}

} // namespace

void CommitRecord::write(bool undoing)
{
    remove();
    std::set<fs::path> folders;
    for (const Move& move : moves_)
        folders.insert(folderOf(move.to));
    const std::string text = encode(undoing, moves_);
    // One name in every folder, so that whichever is found first, all of them go with it.
    const std::string name = scratch::partName(kRecordName);
    for (const fs::path& folder : folders) {
        const std::string path = (folder / name).string();
        FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.get() < 0)
            throw IoError("cannot record the commit: " + systemReason(errno), folder.string());
        written_.push_back(path);
        writeAll(fd.get(), std::as_bytes(std::span(text.data(), text.size())));
        if (::fsync(fd.get()) != 0)
            throw IoError("cannot record the commit: " + systemReason(errno), folder.string());
    }
}

void CommitRecord::remove()
{
    for (const std::string& path : written_)
        ::unlink(path.c_str());
    written_.clear();
}

bool isInterruptedCommit(const fs::path& entry)
{
    static const std::string prefix = std::string(".") + kRecordName + ".part-";
    return entry.filename().string().rfind(prefix, 0) == 0 && scratch::leftBehind(entry);
}

void finishInterruptedCommit(const fs::path& record)
{
    bool undoing = false;
    std::vector<CommitRecord::Move> moves;
    std::string text;
    try {
        text = readWholeFile(record, kLargestRecord, "commit record");
    } catch (const Error&) {
        // unreadable: nothing is moved, and it goes
    }
    if (decode(text, undoing, moves)) {
        for (const CommitRecord::Move& move : moves)
            undoing ? undo(move) : complete(move);
        for (const CommitRecord::Move& move : moves)
            ::unlink((folderOf(move.to) / record.filename()).c_str());
    }
    ::unlink(record.c_str());
}

} // namespace iconfinder
