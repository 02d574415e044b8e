#include "output_file.h"

#include "errors.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
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

// A hidden temporary file beside its target, removed again unless it was renamed into place.
// Its name is the target's with the process and a count after it: names that sort with their
// targets are much cheaper for a file system to create by the thousand than random ones. In a
// folder made for it, it is written under its target's name at once.
class TemporaryFile {
public:
    explicit TemporaryFile(fs::path target, bool inNewFolder = false) : target_(std::move(target))
    {
        if (inNewFolder) {
            name_ = target_.string();
            fd_ = FileDescriptor(::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (fd_.get() < 0)
                throw IoError("cannot create: " + systemReason(errno), target_.string());
            renamed_ = inPlace_ = true; // removed with the folder should anything fail
            return;
        }
        static std::atomic<unsigned> count{0};
        for (;;) {
            std::string hidden = target_.filename().string();
            hidden.insert(0, 1, '.');
            hidden.append(".").append(std::to_string(::getpid())).append("-").append(std::to_string(count++));
            name_ = (target_.parent_path() / hidden).string();
            fd_ = FileDescriptor(::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (fd_.get() >= 0)
                return;
            if (errno != EEXIST)
                throw IoError("cannot create a file in " + folderName(target_) + ": " + systemReason(errno), target_.string());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!renamed_)
            ::unlink(name_.c_str());
    }

    // Writes the contents and closes the file; `durable` waits until they are on the disk.
    void write(const std::function<void(ByteWriter&)>& encode, bool durable) { encodeInto(fd_, target_, encode, durable); }

    void renameIntoPlace()
    {
        if (inPlace_)
            return;
        if (::rename(name_.c_str(), target_.c_str()) != 0)
            throw IoError("cannot rename the finished file: " + systemReason(errno), target_.string());
        renamed_ = true;
    }

private:
    fs::path target_;
    std::string name_;
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

// Creates `folder` and its missing parents; removes what it created again unless kept.
class CreatedFolder {
public:
    explicit CreatedFolder(const fs::path& folder)
    {
        for (fs::path p = folder; !p.empty() && existingAt(p) == Existing::None; p = p.parent_path())
            topmost_ = p;
        std::error_code error;
        fs::create_directories(folder, error);
        if (error || existingAt(folder) != Existing::Directory)
            throw IoError("cannot create directory: " + (error ? error.message() : std::string("a file of that name exists")),
                          folder.string());
    }
    CreatedFolder(const CreatedFolder&) = delete;
    CreatedFolder& operator=(const CreatedFolder&) = delete;
    // Whether the folder itself is new, so that nothing in it needs keeping.
    bool isNew() const { return !topmost_.empty(); }
    ~CreatedFolder()
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

} // namespace

void writeWholeFile(const fs::path& path, const std::function<void(ByteWriter&)>& encode)
{
    switch (existingAt(path)) {
    case Existing::Directory: throw IoError("is a directory", path.string());
    case Existing::Other: {
        FileDescriptor device(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
        if (device.get() < 0)
            throw IoError("cannot open: " + systemReason(errno), path.string());
        encodeInto(device, path, encode, false);
        return;
    }
    case Existing::None:
    case Existing::Regular: break;
    }
    TemporaryFile file(path);
    file.write(encode, true);
    file.renameIntoPlace();
}

void writeFilesInFolder(const fs::path& folder, const std::vector<std::string>& names,
                        const std::function<void(std::size_t, ByteWriter&)>& encode)
{
    CreatedFolder created(folder);
    // What stands in the folder already, read once rather than asked name by name.
    std::unordered_map<std::string, Existing> present;
    for (const auto& entry : fs::directory_iterator(folder, fs::directory_options::skip_permission_denied)) {
        std::error_code error;
        present[entry.path().filename().string()] = kindOf(entry.status(error));
    }
    for (const std::string& name : names) {
        const auto found = present.find(name);
        if (found != present.end() && found->second != Existing::Regular)
            throw IoError(found->second == Existing::Directory ? "is a directory" : "is not a regular file", (folder / name).string());
    }
    std::vector<std::unique_ptr<TemporaryFile>> files;
    files.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        files.push_back(std::make_unique<TemporaryFile>(folder / names[i], created.isNew()));
        files.back()->write([&](ByteWriter& out) { encode(i, out); }, false);
    }
    // One flush of the file system instead of one per file: the files are on the disk before
    // any of them replaces an older one.
    if (!files.empty()) {
        FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (handle.get() < 0 || ::syncfs(handle.get()) != 0)
            throw IoError("cannot write: " + systemReason(errno), folder.string());
    }
    for (auto& file : files)
        file->renameIntoPlace();
    created.keep();
}

} // namespace iconfinder
