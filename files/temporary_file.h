#pragma once

#include "files/commit_record.h"
#include "files/file_io.h"
#include "files/scratch_files.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace iconfinder {

// Writes through `fd` what `encode` produces and closes it; `durable` waits until the bytes
// are on the disk. Failures name `target`.
void encodeInto(FileDescriptor& fd, const std::filesystem::path& target, const std::function<void(ByteWriter&)>& encode, bool durable);

// A file written under a hidden name beside its target (scratch::partName) and renamed into
// place once finished; removed again unless it was. Part names that sort with their targets
// are much cheaper for a file system to create by the thousand than random ones. In a work
// folder of its own it is written under its target's name at once. Until the run ends, an
// interrupt removes it (scratch::removeOnInterrupt).
class TemporaryFile {
public:
    TemporaryFile(std::filesystem::path target, bool inWorkFolder);
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    // Writes the contents and closes the file; `durable` waits until they are on the disk.
    void write(const std::function<void(ByteWriter&)>& encode, bool durable) { encodeInto(fd_, target_, encode, durable); }

    // Keeps the file it will replace, if any, under a part name of its own (a second link),
    // until the file is kept or taken back.
    void keepReplaced();
    // The move that puts it in place, for the commit's record.
    CommitRecord::Move move() const { return {name_->path(), target_, replaced_ ? replaced_->path() : std::string(), false}; }
    // Puts the file in place of its target.
    void renameIntoPlace();
    // Puts back what stood at the target before the rename.
    void takeBack();

    // Moves the file from a work folder that cannot be put in place to `target`, as any
    // other finished file.
    void retarget(std::filesystem::path target);

    const std::string& name() const { return name_->path(); }

private:
    std::filesystem::path target_;
    std::optional<scratch::Remembered> name_;
    std::optional<scratch::Remembered> replaced_;
    FileDescriptor fd_;
    bool renamed_ = false;
    bool inPlace_ = false;
};

} // namespace iconfinder
