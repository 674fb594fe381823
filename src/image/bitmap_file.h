// ".bmp" files: a 14-byte file header, the DIB header block, the pixel block.
#pragma once

#include <cstdint>

#include "image/dib.h"
#include "stream/stream.h"

namespace omni::image {

// Pictures larger than this (pixel bytes of one plane) are refused when read.
inline constexpr std::size_t kMaxBitmapBytes = std::size_t{256} << 20;

// Writes "BM", the file size (14 + header + pixels), two reserved zero words and the pixel
// offset (14 + header), then the header block and the pixel block (both planes of a 10-bit
// capture). Throws what the stream throws.
void writeBitmap(const DibContainer& dib, stream::OutputStream<unsigned char>& out);

enum class BitmapResult { Ok, NotBitmap, Unsupported, TooLarge, Truncated };

// Reads a bottom-up, uncompressed bitmap with a 40-byte info header: the palette (4 × 2^bits
// bytes at 1, 4 and 8 bits), then stride × height pixel bytes, then a second plane of the same
// size when the file has one in full. The pixel block grows as bytes arrive, so a file that
// claims more than it holds ends as Truncated without a large allocation.
BitmapResult readBitmap(stream::InputStream<unsigned char>& in, DibContainer& dib);

}  // namespace omni::image
