#pragma once

#include "bmp_layout.h"
#include "byte_source.h"
#include "row_sink.h"

namespace iconfinder::bmp {

// Decodes uncompressed and bit-field pixel data into `sink`.
void decodePlain(ByteSource& source, const BmpLayout& layout, RowSink& sink);

} // namespace iconfinder::bmp
