#pragma once

#include "files/file_io.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace iconfinder {

// Outputs written together, whole or not at all: each is written under a part name as it is
// added, and all are put in place only by commit(), which takes back every one already in
// place when one fails. What is not committed is removed with the batch. Standard output,
// which cannot be taken back, is written last.
class OutputBatch {
public:
    OutputBatch();
    OutputBatch(const OutputBatch&) = delete;
    OutputBatch& operator=(const OutputBatch&) = delete;
    ~OutputBatch();

    // As writeWholeFile and writeFilesInFolder below, but staged. addFiles returns how many
    // other files (not hidden ones) the folder holds, which stay; with `replaceFolder` the
    // folder is left holding these files alone, swapped whole for the old one in one step.
    void addFile(const std::filesystem::path& path, const std::function<void(ByteWriter&)>& encode);
    std::size_t addFiles(const std::filesystem::path& folder, const std::vector<std::string>& names,
                         const std::function<void(std::size_t, ByteWriter&)>& encode, bool replaceFolder = false);
    void commit();

private:
    void recordMoves(class CommitRecord& record);
    void renameIntoPlace();
    void placeFolders();
    void takeFoldersBack();

    struct Staged;
    std::unique_ptr<Staged> staged_;
};

// Writes the bytes `encode` produces to `path`, whole or not at all: a regular file is written
// under a hidden temporary name beside it, flushed to the disk and renamed into place; standard
// output (/dev/stdout) is written in place; any other device or FIFO is refused ("not a
// regular file"). Throws IoError naming the reason, its path() `path`.
void writeWholeFile(const std::filesystem::path& path, const std::function<void(ByteWriter&)>& encode);

// Writes files into one folder all or none. A missing folder is filled as a hidden work folder
// beside it and renamed into place at the end. Into an existing one, no name may be taken by
// anything but a regular file, which is replaced: every file is written under a temporary name
// first and all are renamed into place only once all are written; a rename failing midway
// takes back those before it, the files they replaced restored. On any failure the folder is
// left as it was. Part files of runs no longer alive are removed on the way, and those of this
// run on an interrupt. Throws IoError whose path() names the file or folder that failed.
void writeFilesInFolder(const std::filesystem::path& folder, const std::vector<std::string>& names,
                        const std::function<void(std::size_t, ByteWriter&)>& encode);

} // namespace iconfinder
