#include "files/byte_source.h"

#include "common/errors.h"

#include <algorithm>

namespace iconfinder {
namespace {

constexpr std::size_t kPieceBytes = std::size_t{32} << 20;
// Smaller reads are copied: mapping costs more than copying a few pages.
constexpr std::size_t kMapFrom = std::size_t{1} << 20;

} // namespace

std::span<const std::byte> MemorySource::read(std::uint64_t offset, std::size_t count, std::span<std::byte>)
{
    return bytes_.subspan(static_cast<std::size_t>(offset), count);
}

std::span<const std::byte> FileSource::read(std::uint64_t offset, std::size_t count, std::span<std::byte> buffer)
{
    if (count >= kMapFrom) {
        verify();
        piece_ = MappedPiece(); // the last piece goes before the next comes: one at a time in memory
        piece_ = MappedPiece(file_.descriptor(), offset, count);
        if (piece_.mapped())
            return piece_.bytes();
    }
    const auto dest = buffer.first(count);
    file_.readAt(offset, dest);
    return dest;
}

void FileSource::verify()
{
    if (!piece_.intact())
        throw IoError("file shrank while it was read");
}

std::span<const std::byte> ByteStream::next(std::size_t count)
{
    if (at_ < pieceStart_ || at_ + count > pieceStart_ + piece_.size()) {
        const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(std::max(count, kPieceBytes), end_ - at_));
        // Left uninitialised, the buffer costs no memory where the source maps or holds the bytes.
        if (bufferSize_ < length) {
            buffer_.reset(new std::byte[length]);
            bufferSize_ = length;
        }
        piece_ = source_.read(at_, length, {buffer_.get(), bufferSize_});
        pieceStart_ = at_;
    }
    const auto bytes = piece_.subspan(static_cast<std::size_t>(at_ - pieceStart_), count);
    at_ += count;
    return bytes;
}

std::string readWholeFile(const std::filesystem::path& path, std::uint64_t largest, std::string_view what)
{
    FileSource source(path);
    if (source.size() > largest)
        throw InputError("the " + std::string(what) + " is larger than " + std::to_string(largest >> 20) + " MiB");
    std::string text(static_cast<std::size_t>(source.size()), '\0');
    source.copy(0, std::as_writable_bytes(std::span(text)));
    return text;
}

} // namespace iconfinder
