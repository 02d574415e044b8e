#pragma once

#include "files/byte_source.h"
#include "formats/png/png_whole_data.h"
#include "image/row_sink.h"

#include <cstddef>

namespace iconfinder::png {

// Decodes a PNG file through libspng into `sink`: every colour type and bit depth, palettes,
// tRNS transparency (colour keys matched on the file's own samples), interlacing, and the
// default image of an animated PNG. Colours as stored: no gamma or colour profile is applied;
// 16-bit channels keep their high byte. Throws FormatError with what was wrong (IoError from
// the source), with the sizes checked before the sink allocates.
// Plain 8-bit RGB and RGBA pictures whose raw data fits `wholeDataBudget` take a faster road
// to the same rows (png_whole_data.h); 0 sends every picture down the streaming one.
void decode(ByteSource& source, RowSink& sink, std::size_t wholeDataBudget = kWholeDataBudget);

} // namespace iconfinder::png
