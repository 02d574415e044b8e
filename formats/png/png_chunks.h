#pragma once

#include "files/byte_source.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace iconfinder::png {

// A PNG number: four bytes, the most significant first.
inline std::uint32_t bigEndian(const std::byte* p)
{
    return std::to_integer<std::uint32_t>(p[0]) << 24 | std::to_integer<std::uint32_t>(p[1]) << 16 |
           std::to_integer<std::uint32_t>(p[2]) << 8 | std::to_integer<std::uint32_t>(p[3]);
}

// A PNG file as the decoder is shown it: the signature and the chunks a picture needs (every
// critical chunk, and tRNS), then the end chunk, which is supplied when the file lacks it.
// Text, profiles and every other ancillary chunk are left out, so that however many a file
// holds they cost nothing, and so is whatever follows the end chunk. A chunk cut short by the
// end of the file is shown as it is, for the decoder to find it truncated.
class ChunkStream {
public:
    explicit ChunkStream(ByteSource& file);

    // Copies the next `length` bytes; false when fewer are left.
    bool read(std::byte* dest, std::size_t length);

    // The type of the chunk the last byte read belongs to ("IHDR", ...), or "" for the signature.
    std::string currentChunk() const;

    // Bytes of image data (IDAT) the file holds, as far as it goes.
    std::uint64_t imageDataBytes() const { return imageData_; }

    // Where each whole image data chunk stands in the file: from its type to its checksum.
    struct ImageDataChunk {
        std::uint64_t type; // the offset of its type; the data follows, then the checksum
        std::uint64_t length; // of the data
    };
    // The image data chunks when the file is laid out plainly: whole, one run of them, and
    // nothing but the end chunk after them; none otherwise.
    const std::vector<ImageDataChunk>& plainImageData() const { return plainImageData_; }

    // The type of the first chunk before the image data whose checksum is wrong, or "". The
    // decoder is not asked to check them: image data is read whenever zlib's own checksum
    // holds, as other decoders read it, and damage to it is told by imageDataDamaged.
    const std::string& damagedChunk() const { return damaged_; }

    // Whether the image data is damaged: a chunk's checksum is wrong, and zlib's own over the
    // whole stream does not hold either. Reads all of it.
    bool imageDataDamaged() const;

private:
    struct Piece {
        std::uint64_t at;     // where it starts in the shown stream
        std::uint64_t from;   // where it starts in the file
        std::uint64_t length;
        std::array<char, 4> type;
    };

    bool checksumRight(std::uint64_t typeAt, std::uint64_t length) const;
    bool zlibStreamWhole() const;

    ByteSource& file_;
    std::vector<Piece> pieces_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    std::size_t piece_ = 0; // the piece holding position_ (or the last byte read)
    std::uint64_t imageData_ = 0;
    bool suppliedEnd_ = false;
    std::vector<ImageDataChunk> plainImageData_;
    std::vector<ImageDataChunk> wholeImageData_;
    std::string damaged_;
};

} // namespace iconfinder::png
