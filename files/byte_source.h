#pragma once

#include "common/errors.h"
#include "files/file_io.h"
#include "files/mapped_piece.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace iconfinder {

// The bytes of a picture file, read piece by piece so that a large file never sits whole in
// memory beside the picture, and never copied twice.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;

    // The `count` bytes from `offset`, which the caller has checked against size(): a view of
    // memory the source holds, or of `buffer` (of `count` bytes or more) after reading them
    // into it.
    virtual std::span<const std::byte> read(std::uint64_t offset, std::size_t count, std::span<std::byte> buffer) = 0;

    // Throws IoError when bytes given out earlier may be wrong: the file shrank meanwhile.
    virtual void verify() {}

    // Fills `dest` from `offset`, checked like read().
    void copy(std::uint64_t offset, std::span<std::byte> dest)
    {
        const auto bytes = read(offset, dest.size(), dest);
        if (bytes.data() != dest.data())
            std::copy(bytes.begin(), bytes.end(), dest.begin());
    }
};

// Runs `decode` over `source`: bytes that went missing while they were read, should the file
// shrink meanwhile, explain whatever went wrong after, and are reported even when nothing did.
template <class Decode>
void decodeWhole(ByteSource& source, Decode&& decode)
{
    try {
        decode();
    } catch (const FormatError&) {
        source.verify();
        throw;
    }
    source.verify();
}

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::byte> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::span<const std::byte> read(std::uint64_t offset, std::size_t count, std::span<std::byte> buffer) override;

private:
    std::span<const std::byte> bytes_;
};

// A regular file; throws IoError naming the system's reason when it cannot be opened or read.
// Large pieces are mapped rather than copied, one at a time.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::filesystem::path& path) : file_(path) {}
    std::uint64_t size() const override { return file_.size(); }
    std::span<const std::byte> read(std::uint64_t offset, std::size_t count, std::span<std::byte> buffer) override;
    void verify() override;

private:
    InputFile file_;
    MappedPiece piece_;
};

// Reads a range of a source from front to back in pieces of several megabytes, so that short
// rows cost no system call each and a file's pieces can be mapped. Callers check lengths
// against remaining().
class ByteStream {
public:
    ByteStream(ByteSource& source, std::uint64_t begin, std::uint64_t end) : source_(source), at_(begin), end_(end) {}

    std::uint64_t remaining() const { return end_ - at_; }
    // The next `count` bytes, valid until the next call.
    std::span<const std::byte> next(std::size_t count);
    void skip(std::uint64_t count) { at_ += count; }

private:
    ByteSource& source_;
    std::uint64_t at_;
    std::uint64_t end_;
    std::unique_ptr<std::byte[]> buffer_;
    std::size_t bufferSize_ = 0;
    std::span<const std::byte> piece_; // the bytes from pieceStart_ that were read last
    std::uint64_t pieceStart_ = 0;
};

// A whole file as text, its size checked before anything is allocated: larger than `largest`
// bytes is an InputError "the WHAT is larger than N MiB". Throws IoError as FileSource does.
std::string readWholeFile(const std::filesystem::path& path, std::uint64_t largest, std::string_view what);

} // namespace iconfinder
