#include "byte_source.h"

#include "format_error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace iconfinder::bmp {
namespace {

constexpr std::size_t kWindowBytes = 256 * 1024;

std::string systemReason() { return std::strerror(errno); }

} // namespace

void MemorySource::readSome(std::uint64_t offset, std::span<std::byte> dest)
{
    std::memcpy(dest.data(), bytes_.data() + offset, dest.size());
}

FileSource::FileSource(const std::filesystem::path& path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw FormatError("cannot open: " + systemReason());
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        const std::string reason = systemReason();
        ::close(fd_);
        throw FormatError("cannot read: " + reason);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd_);
        throw FormatError(S_ISDIR(info.st_mode) ? "is a directory, not a bitmap file" : "is not a regular file");
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
}

FileSource::~FileSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void FileSource::readSome(std::uint64_t offset, std::span<std::byte> dest)
{
    if (dest.size() >= kWindowBytes / 4) {
        readDirect(offset, dest);
        return;
    }
    if (offset < windowOffset_ || offset + dest.size() > windowOffset_ + windowLength_) {
        window_.resize(kWindowBytes);
        windowOffset_ = offset;
        windowLength_ = static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, size_ - offset));
        readDirect(offset, std::span(window_).first(windowLength_));
    }
    std::memcpy(dest.data(), window_.data() + (offset - windowOffset_), dest.size());
}

void FileSource::readDirect(std::uint64_t offset, std::span<std::byte> dest)
{
    std::size_t done = 0;
    while (done < dest.size()) {
        const ssize_t got = ::pread(fd_, dest.data() + done, dest.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FormatError("cannot read: " + systemReason());
        if (got == 0)
            throw FormatError("file shrank while it was read (" + std::to_string(offset + done) + " bytes left)");
        done += static_cast<std::size_t>(got);
    }
}

} // namespace iconfinder::bmp
