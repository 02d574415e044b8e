#include "byte_source.h"

#include <algorithm>

namespace iconfinder {
namespace {

constexpr std::size_t kPieceBytes = 256 * 1024;

} // namespace

std::span<const std::byte> MemorySource::read(std::uint64_t offset, std::size_t count, std::span<std::byte>)
{
    return bytes_.subspan(static_cast<std::size_t>(offset), count);
}

std::span<const std::byte> FileSource::read(std::uint64_t offset, std::size_t count, std::span<std::byte> buffer)
{
    const auto dest = buffer.first(count);
    file_.readAt(offset, dest);
    return dest;
}

std::span<const std::byte> ByteStream::next(std::size_t count)
{
    if (at_ < pieceStart_ || at_ + count > pieceStart_ + piece_.size()) {
        const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(count, kPieceBytes), end_ - at_));
        if (buffer_.size() < length)
            buffer_.resize(length);
        piece_ = source_.read(at_, length, buffer_);
        pieceStart_ = at_;
    }
    const auto bytes = piece_.subspan(static_cast<std::size_t>(at_ - pieceStart_), count);
    at_ += count;
    return bytes;
}

} // namespace iconfinder
