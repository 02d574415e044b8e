#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace iconfinder::bmp {

// Random access to the bytes of a file or a buffer, so that a large file is read piece by
// piece into the picture instead of being held whole beside it.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;

    // Fills `dest` from `offset`; callers check the range against size() first. An empty
    // `dest` (which may have no storage at all) reads nothing.
    void readAt(std::uint64_t offset, std::span<std::byte> dest)
    {
        if (!dest.empty())
            readSome(offset, dest);
    }

private:
    virtual void readSome(std::uint64_t offset, std::span<std::byte> dest) = 0;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::byte> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }

private:
    void readSome(std::uint64_t offset, std::span<std::byte> dest) override;

    std::span<const std::byte> bytes_;
};

// A regular file, read through a small window so that short rows cost no system call each.
// Throws FormatError naming the system's reason when it cannot be opened or read.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::filesystem::path& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return size_; }

private:
    void readSome(std::uint64_t offset, std::span<std::byte> dest) override;
    void readDirect(std::uint64_t offset, std::span<std::byte> dest);

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::vector<std::byte> window_;
    std::uint64_t windowOffset_ = 0;
    std::size_t windowLength_ = 0;
};

} // namespace iconfinder::bmp
