#pragma once

#include "formats/bmp/bmp_layout.h"
#include "files/byte_source.h"
#include "image/row_sink.h"

namespace iconfinder::bmp {

// Decodes uncompressed and bit-field pixel data into `sink`.
void decodePlain(ByteSource& source, const BmpLayout& layout, RowSink& sink);

} // namespace iconfinder::bmp
