#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace iconfinder {

// The system's text for an error number: "No such file or directory".
std::string systemReason(int error);

// An open file descriptor, closed with the object.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    int get() const { return fd_; }
    // Closes now; data may reach the disk only at close, so a failure is a failed write.
    void close();

private:
    int fd_ = -1;
};

// What a path names, followed through links: the same file has the same identity.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool regular = false;
    friend bool operator==(const FileIdentity& a, const FileIdentity& b) { return a.device == b.device && a.inode == b.inode; }
};

// None when nothing can be found at the path.
std::optional<FileIdentity> identityOf(const std::filesystem::path& path);

// Whether `path` names what standard output writes to (/dev/stdout, or the file or device it
// was sent to).
bool isStandardOutput(const std::filesystem::path& path);

// A regular file opened for reading. Throws IoError: "cannot open: No such file or directory",
// "is a directory, not a picture file".
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& path);
    std::uint64_t size() const { return size_; }
    int descriptor() const { return fd_.get(); }
    // Fills `dest` from `offset`; the caller has checked the range against size().
    void readAt(std::uint64_t offset, std::span<std::byte> dest) const;

private:
    FileDescriptor fd_;
    std::uint64_t size_ = 0;
};

// Collects output bytes and hands them on in large pieces.
class ByteWriter {
public:
    explicit ByteWriter(std::function<void(std::span<const std::byte>)> deliver) : deliver_(std::move(deliver)) {}
    void write(std::span<const std::byte> bytes);
    void write(std::string_view text) { write(std::as_bytes(std::span(text.data(), text.size()))); }
    void flush();

private:
    std::function<void(std::span<const std::byte>)> deliver_;
    std::vector<std::byte> buffer_;
};

// Writes everything to `fd`, retrying after interruptions; throws IoError "cannot write: ...".
void writeAll(int fd, std::span<const std::byte> bytes);

} // namespace iconfinder
