#include "files/temporary_file.h"

#include "common/errors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace iconfinder {
namespace {

namespace fs = std::filesystem;

std::string folderName(const fs::path& path) { return path.has_parent_path() ? path.parent_path().string() : std::string("."); }

fs::path partBeside(const fs::path& target) { return target.parent_path() / scratch::partName(target.filename().string()); }

} // namespace

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

TemporaryFile::TemporaryFile(fs::path target, bool inWorkFolder) : target_(std::move(target)), inPlace_(inWorkFolder)
{
    // Made while an interrupt waits, and remembered at once, so that one at any moment finds it.
    for (;;) {
        int error = 0;
        name_.emplace((inPlace_ ? target_ : partBeside(target_)).string(), [&](const std::string& path) {
            fd_ = FileDescriptor(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            error = errno;
            return fd_.get() >= 0;
        });
        if (name_->made())
            return;
        name_.reset();
        if (inPlace_)
            throw IoError("cannot create: " + systemReason(error), target_.string());
        if (error != EEXIST)
            throw IoError("cannot create a file in " + folderName(target_) + ": " + systemReason(error), target_.string());
    }
}

TemporaryFile::~TemporaryFile()
{
    if (!renamed_ && name_)
        ::unlink(name_->path().c_str());
    if (replaced_)
        ::unlink(replaced_->path().c_str());
}

void TemporaryFile::keepReplaced()
{
    if (inPlace_ || replaced_ || ::access(target_.c_str(), F_OK) != 0)
        return;
    for (;;) {
        int error = 0;
        replaced_.emplace(partBeside(target_).string(), [&](const std::string& old) {
            const bool linked = ::link(target_.c_str(), old.c_str()) == 0;
            error = errno;
            return linked;
        });
        if (replaced_->made())
            return;
        replaced_.reset();
        if (error != EEXIST)
            throw IoError("cannot keep the file it replaces: " + systemReason(error), target_.string());
    }
}

void TemporaryFile::renameIntoPlace()
{
    if (inPlace_)
        return;
    if (::rename(name_->path().c_str(), target_.c_str()) != 0)
        throw IoError("cannot rename the finished file: " + systemReason(errno), target_.string());
    renamed_ = true;
}

void TemporaryFile::takeBack()
{
    if (!renamed_ || inPlace_)
        return;
    if (replaced_)
        ::rename(replaced_->path().c_str(), target_.c_str());
    else
        ::unlink(target_.c_str());
    replaced_.reset();
}

void TemporaryFile::retarget(fs::path target)
{
    target_ = std::move(target);
    inPlace_ = false;
}

} // namespace iconfinder
