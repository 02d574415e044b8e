#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace iconfinder {

// A piece of a file mapped read-only into memory, so that its bytes are read without being
// copied. A file that shrinks while mapped would kill the process with SIGBUS on the next
// read of a lost page; instead, a handler puts a page of zeros in its place and the piece
// stops being intact, which readers check before trusting what they decoded.
class MappedPiece {
public:
    MappedPiece() = default;
    // Maps `count` bytes from `offset` of the open file `fd`; empty when the system refuses.
    MappedPiece(int fd, std::uint64_t offset, std::size_t count);
    MappedPiece(MappedPiece&& other) noexcept;
    MappedPiece& operator=(MappedPiece&& other) noexcept;
    MappedPiece(const MappedPiece&) = delete;
    MappedPiece& operator=(const MappedPiece&) = delete;
    ~MappedPiece();

    bool mapped() const { return base_ != nullptr; }
    std::span<const std::byte> bytes() const { return {static_cast<const std::byte*>(base_) + lead_, count_}; }
    // False once a page of it was found missing.
    bool intact() const;

private:
    void release();

    void* base_ = nullptr;
    std::size_t length_ = 0; // mapped, from base_
    std::size_t lead_ = 0;   // bytes before the piece, up to a page boundary
    std::size_t count_ = 0;
    int slot_ = -1; // in the handler's table
};

} // namespace iconfinder
