#include "formats/png/png_chunks.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace iconfinder::png {
namespace {

constexpr std::uint64_t kSignature = 8;
constexpr std::uint64_t kChunkFrame = 12; // length, type and checksum around the data
constexpr std::array<std::uint8_t, 12> kEnd = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

bool isCritical(const std::string& type) { return !type.empty() && type[0] >= 'A' && type[0] <= 'Z'; }

} // namespace

ChunkStream::ChunkStream(ByteSource& file) : file_(file)
{
    const std::uint64_t size = file.size();
    const auto keep = [&](std::uint64_t from, std::uint64_t length, std::string type) {
        if (length == 0)
            return;
        pieces_.push_back({size_, from, length, std::move(type)});
        size_ += length;
    };
    keep(0, std::min(size, kSignature), "");
    // The end chunk is supplied when the file ends without one, unless a chunk shown is cut
    // short: then the decoder must meet the end of the file inside it.
    bool ended = false, cut = false;
    for (std::uint64_t at = kSignature; at + 8 <= size && !ended && !cut;) {
        std::array<std::byte, 8> head;
        file.copy(at, head);
        const std::uint64_t length = bigEndian(head.data());
        std::string type(4, ' ');
        for (std::size_t i = 0; i < 4; ++i)
            type[i] = static_cast<char>(std::to_integer<int>(head[4 + i]));
        const std::uint64_t end = std::min(size, at + kChunkFrame + length);
        if (type == "IDAT")
            imageData_ += std::min(length, size - (at + 8));
        ended = type == "IEND";
        if (isCritical(type) || type == "tRNS") {
            keep(at, end - at, type);
            cut = at + kChunkFrame + length > size;
        }
        at = end;
    }
    if (!ended && !cut) {
        suppliedEnd_ = true;
        pieces_.push_back({size_, 0, kEnd.size(), "IEND"});
        size_ += kEnd.size();
    }
    // Plain: the image data chunks in one run, whole, and only the end after them.
    std::size_t first = 0;
    while (first < pieces_.size() && pieces_[first].type != "IDAT")
        ++first;
    std::size_t last = first;
    while (last < pieces_.size() && pieces_[last].type == "IDAT")
        ++last;
    if (!cut && first < pieces_.size() && last + 1 == pieces_.size() && pieces_[last].type == "IEND")
        for (std::size_t i = first; i < last; ++i)
            plainImageData_.push_back({pieces_[i].from + 4, pieces_[i].length - kChunkFrame});
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

std::string ChunkStream::currentChunk() const { return pieces_[piece_].type; }

} // namespace iconfinder::png
