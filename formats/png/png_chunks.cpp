#include "formats/png/png_chunks.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <span>

namespace iconfinder::png {
namespace {

constexpr std::uint64_t kSignature = 8;
constexpr std::uint64_t kChunkFrame = 12; // length, type and checksum around the data
constexpr std::array<std::uint8_t, 12> kEnd = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
constexpr std::array<char, 4> kNone = {0, 0, 0, 0};

bool isCritical(const std::array<char, 4>& type) { return type[0] >= 'A' && type[0] <= 'Z'; }
bool is(const std::array<char, 4>& type, const char* name) { return std::memcmp(type.data(), name, 4) == 0; }

// Chunk heads read front to back through a window of the file, so that a file of millions
// of tiny chunks costs a read per window rather than one per chunk.
class HeadReader {
public:
    explicit HeadReader(ByteSource& file) : file_(file), size_(file.size()) {}

    std::array<std::byte, 8> at(std::uint64_t offset)
    {
        if (offset < start_ || offset + 8 > start_ + length_) {
            start_ = offset;
            length_ = static_cast<std::size_t>(std::min<std::uint64_t>(window_.size(), size_ - offset));
            file_.copy(offset, {window_.data(), length_});
        }
        std::array<std::byte, 8> head;
        std::memcpy(head.data(), window_.data() + (offset - start_), 8);
        return head;
    }

private:
    ByteSource& file_;
    std::uint64_t size_;
    std::vector<std::byte> window_ = std::vector<std::byte>(std::size_t{1} << 16);
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
};

} // namespace

ChunkStream::ChunkStream(ByteSource& file) : file_(file)
{
    const std::uint64_t size = file.size();
    const auto keep = [&](std::uint64_t from, std::uint64_t length, std::array<char, 4> type) {
        if (length == 0)
            return;
        pieces_.push_back({size_, from, length, type});
        size_ += length;
    };
    keep(0, std::min(size, kSignature), kNone);
    // The end chunk is supplied when the file ends without one, unless a chunk shown is cut
    // short: then the decoder must meet the end of the file inside it.
    bool ended = false, cut = false, seenImageData = false;
    HeadReader heads(file);
    for (std::uint64_t at = kSignature; at + 8 <= size && !ended && !cut;) {
        const std::array<std::byte, 8> head = heads.at(at);
        const std::uint64_t length = bigEndian(head.data());
        std::array<char, 4> type;
        std::memcpy(type.data(), head.data() + 4, 4);
        const std::uint64_t end = std::min(size, at + kChunkFrame + length);
        const bool imageData = is(type, "IDAT");
        ended = is(type, "IEND");
        cut = at + kChunkFrame + length > size;
        if (imageData) {
            imageData_ += std::min(length, size - (at + 8));
            seenImageData = true;
            if (!cut && length > 0)
                wholeImageData_.push_back({at + 4, length});
        } else if (isCritical(type) && !ended && !seenImageData && !cut && damaged_.empty() && !checksumRight(at + 4, length)) {
            damaged_.assign(type.data(), 4);
        }
        // Empty image data chunks hold nothing: however many there are, the decoder never sees them.
        if ((isCritical(type) || is(type, "tRNS")) && !(imageData && length == 0))
            keep(at, end - at, type);
        else
            cut = false;
        at = end;
    }
    if (!ended && !cut) {
        suppliedEnd_ = true;
        pieces_.push_back({size_, 0, kEnd.size(), {'I', 'E', 'N', 'D'}});
        size_ += kEnd.size();
    }
    // Plain: the image data chunks in one run, whole, and only the end after them.
    std::size_t first = 0;
    while (first < pieces_.size() && !is(pieces_[first].type, "IDAT"))
        ++first;
    std::size_t last = first;
    while (last < pieces_.size() && is(pieces_[last].type, "IDAT"))
        ++last;
    if (!cut && first < pieces_.size() && last + 1 == pieces_.size() && is(pieces_[last].type, "IEND"))
        for (std::size_t i = first; i < last; ++i)
            plainImageData_.push_back({pieces_[i].from + 4, pieces_[i].length - kChunkFrame});
}

namespace {

// Hands `visit` the file's bytes from `from` on, `length` of them, a window at a time, so that
// a chunk of any size costs no more memory than the window.
template <class Visit>
void forEachPiece(ByteSource& file, std::uint64_t from, std::uint64_t length, Visit visit)
{
    std::vector<std::byte> window(std::size_t{1} << 16);
    for (std::uint64_t done = 0; done < length;) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(window.size(), length - done));
        file.copy(from + done, {window.data(), count});
        done += count;
        if (!visit(std::span<const std::byte>(window.data(), count)))
            return;
    }
}

} // namespace

bool ChunkStream::checksumRight(std::uint64_t typeAt, std::uint64_t length) const
{
    // The checksum covers the type and the data; it follows them.
    std::uint32_t crc = 0;
    forEachPiece(file_, typeAt, length + 4, [&](std::span<const std::byte> piece) {
        crc = libdeflate_crc32(crc, piece.data(), piece.size());
        return true;
    });
    std::array<std::byte, 4> stored;
    file_.copy(typeAt + 4 + length, stored);
    return crc == bigEndian(stored.data());
}

bool ChunkStream::imageDataDamaged() const
{
    const bool checksumsRight = std::all_of(wholeImageData_.begin(), wholeImageData_.end(),
                                            [&](const ImageDataChunk& chunk) { return checksumRight(chunk.type, chunk.length); });
    return !checksumsRight && !zlibStreamWhole();
}

bool ChunkStream::zlibStreamWhole() const
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw std::bad_alloc();
    const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&stream, inflateEnd);
    std::vector<Bytef> out(std::size_t{1} << 16);
    int result = Z_OK;
    for (const ImageDataChunk& chunk : wholeImageData_) {
        forEachPiece(file_, chunk.type + 4, chunk.length, [&](std::span<const std::byte> piece) {
            // zlib reads its input without changing it.
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<std::byte*>(piece.data()));
            stream.avail_in = static_cast<uInt>(piece.size());
            while (result == Z_OK && (stream.avail_in > 0 || stream.avail_out == 0)) {
                stream.next_out = out.data();
                stream.avail_out = static_cast<uInt>(out.size());
                result = inflate(&stream, Z_NO_FLUSH);
            }
            return result == Z_OK;
        });
    }
    return result == Z_STREAM_END;
}

bool ChunkStream::read(std::byte* dest, std::size_t length)
{
    if (length > size_ - position_)
        return false;
    while (length > 0) {
        while (position_ >= pieces_[piece_].at + pieces_[piece_].length)
            ++piece_;
        const Piece& piece = pieces_[piece_];
        const std::uint64_t offset = position_ - piece.at;
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(length, piece.length - offset));
        if (suppliedEnd_ && &piece == &pieces_.back())
            std::memcpy(dest, kEnd.data() + offset, count);
        else
            file_.copy(piece.from + offset, {dest, count});
        dest += count;
        position_ += count;
        length -= count;
    }
    return true;
}

std::string ChunkStream::currentChunk() const
{
    const std::array<char, 4>& type = pieces_[piece_].type;
    return type == kNone ? std::string() : std::string(type.data(), 4);
}

} // namespace iconfinder::png
