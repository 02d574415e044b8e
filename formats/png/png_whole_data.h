#pragma once

#include "files/byte_source.h"
#include "formats/png/png_chunks.h"
#include "image/row_sink.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace iconfinder::png {

// What the whole-data decoder needs of a picture's header.
struct PlainHeader {
    int width = 0;
    int height = 0;
    bool alpha = false;                       // RGBA rather than RGB, 8 bits a sample
    std::optional<std::uint16_t> key[3] = {}; // an RGB colour key (tRNS), as the file stores it
};

// Raw image data up to this size is inflated at once.
inline constexpr std::size_t kWholeDataBudget = std::size_t{96} << 20;

// Decodes a plainly laid out 8-bit RGB or RGBA picture without interlacing whose raw image
// data fits `budget`: all of it inflated at once with libdeflate, two to three times faster
// than zlib, then unfiltered a row at a time into the sink. False, the sink untouched, when
// the data does not decode so (damaged, cut short or too long): the streaming
// decoder then says what is wrong.
bool decodeWholeData(ByteSource& file, const ChunkStream& chunks, const PlainHeader& header, RowSink& sink, std::size_t budget);

} // namespace iconfinder::png
