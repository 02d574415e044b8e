#pragma once

#include "file_io.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace iconfinder {

// Writes the bytes `encode` produces to `path`, whole or not at all: a regular file is written
// under a hidden temporary name beside it, flushed to the disk and renamed into place; a
// device (/dev/null, /dev/stdout) is written in place. Throws IoError naming the reason, its
// path() `path`.
void writeWholeFile(const std::filesystem::path& path, const std::function<void(ByteWriter&)>& encode);

// Writes files into one folder all or none. The folder is created when missing; no name may be
// taken by anything but a regular file, which is replaced. Every file is written under a
// temporary name first and all are renamed into place only once all are written, so that on
// any failure the folder is left as it was: temporary files removed, a folder it created
// removed again. Throws IoError whose path() names the file or folder that failed.
void writeFilesInFolder(const std::filesystem::path& folder, const std::vector<std::string>& names,
                        const std::function<void(std::size_t, ByteWriter&)>& encode);

} // namespace iconfinder
