#include "output_file.h"

#include "errors.h"
#include "scratch_files.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unordered_map>
#include <unistd.h>

namespace iconfinder {
namespace {

namespace fs = std::filesystem;

std::string folderName(const fs::path& path) { return path.has_parent_path() ? path.parent_path().string() : std::string("."); }

// Writes through `fd` what `encode` produces and closes it; `durable` waits until the bytes
// are on the disk. Failures name `target`.
void encodeInto(FileDescriptor& fd, const fs::path& target, const std::function<void(ByteWriter&)>& encode, bool durable)
{
    try {
        ByteWriter out([&fd](std::span<const std::byte> bytes) { writeAll(fd.get(), bytes); });
        encode(out);
        out.flush();
        if (durable && ::fsync(fd.get()) != 0)
            throw IoError("cannot write: " + systemReason(errno));
        fd.close();
    } catch (const IoError& e) {
        throw IoError(e.what(), target.string());
    }
}

// A file written under a hidden name beside its target (scratch::partName) and renamed into
// place once finished; removed again unless it was. Part names that sort with their targets
// are much cheaper for a file system to create by the thousand than random ones. In a work
// folder of its own it is written under its target's name at once. Until the run ends, an
// interrupt removes it (scratch::removeOnInterrupt).
class TemporaryFile {
public:
    TemporaryFile(fs::path target, bool inWorkFolder) : target_(std::move(target)), inPlace_(inWorkFolder)
    {
        // Remembered before it is made, so that an interrupt at any moment finds it.
        for (;;) {
            name_.emplace((inPlace_ ? target_ : partBeside(target_)).string());
            fd_ = FileDescriptor(::open(name_->path().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (fd_.get() >= 0)
                return;
            const int error = errno;
            name_.reset();
            if (inPlace_)
                throw IoError("cannot create: " + systemReason(error), target_.string());
            if (error != EEXIST)
                throw IoError("cannot create a file in " + folderName(target_) + ": " + systemReason(error), target_.string());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!renamed_ && name_)
            ::unlink(name_->path().c_str());
        if (replaced_)
            ::unlink(replaced_->path().c_str());
    }

    // Writes the contents and closes the file; `durable` waits until they are on the disk.
    void write(const std::function<void(ByteWriter&)>& encode, bool durable) { encodeInto(fd_, target_, encode, durable); }

    // Puts the file in place of its target. With `undoable`, a file it replaces is kept under
    // a part name until the file is kept or taken back.
    void renameIntoPlace(bool undoable)
    {
        if (inPlace_)
            return;
        if (undoable && ::access(target_.c_str(), F_OK) == 0) {
            for (;;) {
                const fs::path old = partBeside(target_);
                if (::link(target_.c_str(), old.c_str()) == 0) {
                    replaced_.emplace(old.string());
                    break;
                }
                if (errno != EEXIST)
                    throw IoError("cannot keep the file it replaces: " + systemReason(errno), target_.string());
            }
        }
        if (::rename(name_->path().c_str(), target_.c_str()) != 0)
            throw IoError("cannot rename the finished file: " + systemReason(errno), target_.string());
        renamed_ = true;
    }

    // Puts back what stood at the target before the rename.
    void takeBack()
    {
        if (!renamed_ || inPlace_)
            return;
        if (replaced_)
            ::rename(replaced_->path().c_str(), target_.c_str());
        else
            ::unlink(target_.c_str());
        replaced_.reset();
    }

private:
    static fs::path partBeside(const fs::path& target)
    {
        static std::atomic<unsigned> count{0};
        return target.parent_path() / scratch::partName(target.filename().string(), count++);
    }

    fs::path target_;
    std::optional<scratch::Remembered> name_;
    std::optional<scratch::Remembered> replaced_;
    FileDescriptor fd_;
    bool renamed_ = false;
    bool inPlace_ = false;
};

// What stands at a path already: nothing (or nothing that can be looked at), a regular file,
// a directory or something else.
enum class Existing { None, Regular, Directory, Other };

Existing kindOf(const fs::file_status& status)
{
    switch (status.type()) {
    case fs::file_type::none:
    case fs::file_type::not_found: return Existing::None;
    case fs::file_type::regular: return Existing::Regular;
    case fs::file_type::directory: return Existing::Directory;
    default: return Existing::Other;
    }
}

Existing existingAt(const fs::path& path)
{
    std::error_code error;
    return kindOf(fs::status(path, error));
}

// Creates the missing parents of a folder; removes what it created again unless kept.
class CreatedParents {
public:
    explicit CreatedParents(const fs::path& folder)
    {
        const fs::path parent = folder.parent_path();
        if (parent.empty())
            return;
        for (fs::path p = parent; !p.empty() && existingAt(p) == Existing::None; p = p.parent_path())
            topmost_ = p;
        std::error_code error;
        fs::create_directories(parent, error);
        if (error || existingAt(parent) != Existing::Directory)
            throw IoError("cannot create directory: " + (error ? error.message() : std::string("a file of that name exists")),
                          parent.string());
    }
    CreatedParents(const CreatedParents&) = delete;
    CreatedParents& operator=(const CreatedParents&) = delete;
    ~CreatedParents()
    {
        std::error_code ignored;
        if (!kept_ && !topmost_.empty())
            fs::remove_all(topmost_, ignored);
    }
    void keep() { kept_ = true; }

private:
    fs::path topmost_;
    bool kept_ = false;
};

fs::path withoutTrailingSlash(const fs::path& folder)
{
    fs::path path = folder.lexically_normal();
    return path.has_filename() || !path.has_parent_path() ? path : path.parent_path();
}

// What a path names through its links, which a write replaces rather than the links; links
// may point where nothing is yet.
fs::path throughLinks(fs::path path)
{
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, error); ++hops) {
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// One flush of the file system instead of one per file: the files are on the disk before any
// of them replaces an older one.
void syncFolder(const fs::path& folder, std::size_t files)
{
    if (files == 0)
        return;
    FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.get() < 0 || ::syncfs(handle.get()) != 0)
        throw IoError("cannot write: " + systemReason(errno), folder.string());
}

// A folder that does not exist yet is filled as a hidden work folder beside it and renamed into
// place whole, so that no file ever stands under a crop's final name unless all do. False when
// the folder came into being meanwhile (another picture's atlas, say), nothing written.
bool writeNewFolder(const fs::path& folder, const std::vector<std::string>& names,
                    const std::function<void(std::size_t, ByteWriter&)>& encode)
{
    CreatedParents parents(folder);
    const fs::path parent = folder.has_parent_path() ? folder.parent_path() : fs::path(".");
    scratch::removeLeftovers(parent);
    static std::atomic<unsigned> count{0};
    const scratch::Remembered work((parent / scratch::partName(folder.filename().string(), count++)).string());
    if (::mkdir(work.path().c_str(), 0777) != 0)
        throw IoError("cannot create directory: " + systemReason(errno), folder.string());
    // Once the work folder is in place, its files' removal finds nothing under the old names.
    std::vector<std::unique_ptr<TemporaryFile>> files;
    try {
        files.reserve(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            files.push_back(std::make_unique<TemporaryFile>(fs::path(work.path()) / names[i], true));
            files.back()->write([&](ByteWriter& out) { encode(i, out); }, false);
        }
        syncFolder(work.path(), files.size());
        if (::rename(work.path().c_str(), folder.c_str()) != 0) {
            if (errno != EEXIST && errno != ENOTEMPTY)
                throw IoError("cannot create directory: " + systemReason(errno), folder.string());
            files.clear();
            ::rmdir(work.path().c_str());
            parents.keep();
            return false;
        }
    } catch (...) {
        files.clear();
        ::rmdir(work.path().c_str());
        throw;
    }
    parents.keep();
    return true;
}

} // namespace

void writeWholeFile(const fs::path& path, const std::function<void(ByteWriter&)>& encode)
{
    // Standard output is written in place, whether it goes to a terminal, a pipe or a file;
    // other devices and FIFOs are refused rather than waited on or written into.
    if (isStandardOutput(path)) {
        // Through the descriptor itself, so that what goes there stays in order.
        FileDescriptor out(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
        if (out.get() < 0)
            throw IoError("cannot write: " + systemReason(errno), path.string());
        encodeInto(out, path, encode, false);
        return;
    }
    switch (existingAt(path)) {
    case Existing::Directory: throw IoError("is a directory", path.string());
    case Existing::Other: throw IoError("not a regular file", path.string());
    case Existing::None:
    case Existing::Regular: break;
    }
    TemporaryFile file(throughLinks(path), false);
    file.write(encode, true);
    file.renameIntoPlace(false);
}

void writeFilesInFolder(const fs::path& folder, const std::vector<std::string>& names,
                        const std::function<void(std::size_t, ByteWriter&)>& encode)
{
    const fs::path target = withoutTrailingSlash(folder);
    if (existingAt(target) == Existing::None && writeNewFolder(target, names, encode))
        return;
    if (existingAt(target) != Existing::Directory)
        throw IoError("cannot create directory: a file of that name exists", target.string());
    scratch::removeLeftovers(target);
    // What stands in the folder already, read once rather than asked name by name.
    std::unordered_map<std::string, Existing> present;
    for (const auto& entry : fs::directory_iterator(target, fs::directory_options::skip_permission_denied)) {
        std::error_code error;
        present[entry.path().filename().string()] = kindOf(entry.status(error));
    }
    for (const std::string& name : names) {
        const auto found = present.find(name);
        if (found != present.end() && found->second != Existing::Regular)
            throw IoError(found->second == Existing::Directory ? "is a directory" : "not a regular file", (target / name).string());
    }
    std::vector<std::unique_ptr<TemporaryFile>> files;
    files.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        files.push_back(std::make_unique<TemporaryFile>(target / names[i], false));
        files.back()->write([&](ByteWriter& out) { encode(i, out); }, false);
    }
    syncFolder(target, files.size());
    // A rename that fails midway takes back the ones before it, the files they replaced
    // restored, so that the folder is left as it was.
    for (std::size_t i = 0; i < files.size(); ++i) {
        try {
            files[i]->renameIntoPlace(true);
        } catch (const IoError&) {
            for (std::size_t k = i + 1; k-- > 0;)
                files[k]->takeBack();
            throw;
        }
    }
}

} // namespace iconfinder
