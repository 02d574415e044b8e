#include "files/file_io.h"

#include "common/errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace iconfinder {
namespace {

constexpr std::size_t kWriteChunk = std::size_t{1} << 18;

} // namespace

std::string systemReason(int error) { return std::strerror(error); }

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileDescriptor::~FileDescriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void FileDescriptor::close()
{
    if (::close(std::exchange(fd_, -1)) != 0)
        throw IoError("cannot write: " + systemReason(errno));
}

std::optional<FileIdentity> identityOf(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), S_ISREG(info.st_mode)};
}

bool isStandardOutput(const std::filesystem::path& path)
{
    struct stat out {};
    const std::optional<FileIdentity> at = identityOf(path);
    return ::fstat(STDOUT_FILENO, &out) == 0 && at &&
           *at == FileIdentity{static_cast<std::uint64_t>(out.st_dev), static_cast<std::uint64_t>(out.st_ino)};
}

InputFile::InputFile(const std::filesystem::path& path)
{
    // Without blocking, so that a FIFO is refused rather than waited on.
    fd_ = FileDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd_.get() < 0)
        throw IoError("cannot open: " + systemReason(errno));
    struct stat info {};
    if (::fstat(fd_.get(), &info) != 0)
        throw IoError("cannot read: " + systemReason(errno));
    if (!S_ISREG(info.st_mode))
        throw IoError(S_ISDIR(info.st_mode) ? "is a directory, not a picture file" : "not a regular file");
    size_ = static_cast<std::uint64_t>(info.st_size);
}

void InputFile::readAt(std::uint64_t offset, std::span<std::byte> dest) const
{
    std::size_t done = 0;
    while (done < dest.size()) {
        const ssize_t got = ::pread(fd_.get(), dest.data() + done, dest.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw IoError("cannot read: " + systemReason(errno));
        if (got == 0)
            throw IoError("file shrank while it was read (" + std::to_string(offset + done) + " bytes left)");
        done += static_cast<std::size_t>(got);
    }
}

void ByteWriter::write(std::span<const std::byte> bytes)
{
    if (buffer_.size() + bytes.size() > kWriteChunk)
        flush();
    if (bytes.size() >= kWriteChunk)
        deliver_(bytes);
    else
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void ByteWriter::flush()
{
    if (!buffer_.empty())
        deliver_(buffer_);
    buffer_.clear();
}

void writeAll(int fd, std::span<const std::byte> bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            throw IoError("cannot write: " + systemReason(errno));
        bytes = bytes.subspan(static_cast<std::size_t>(done));
    }
}

} // namespace iconfinder
