#pragma once

#include "formats/bmp/bmp_layout.h"
#include "files/byte_source.h"
#include "image/row_sink.h"

namespace iconfinder::bmp {

// Decodes RLE8 or RLE4 pixel data into `sink`; pixels the stream leaves undefined take
// palette entry 0. As common decoders do, a run that runs past the end of its row is clipped
// there and data after the last row is ignored.
void decodeRle(ByteSource& source, const BmpLayout& layout, RowSink& sink);

} // namespace iconfinder::bmp
