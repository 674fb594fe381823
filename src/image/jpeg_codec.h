// JPEG compression of a DIB and decompression into one, with libjpeg.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/dib.h"

namespace omni::image {

// Largest picture a JPEG may decode to (pixel bytes); anything claiming more is refused before
// the decoder allocates for it.
inline constexpr std::size_t kMaxDecodedBytes = std::size_t{256} << 20;

enum class JpegResult { Ok, NotJpeg, Unsupported, TooLarge, Corrupt, OutOfMemory };

// DIB → JPEG file bytes at quality 80. Pictures of 8 bits per pixel or fewer go as grey (palette
// indices mapped through the palette), 24 bits as colour; rows are fed top row first. False for
// other depths or when memory runs out.
bool compressJpeg(const DibContainer& dib, std::vector<std::uint8_t>& jpeg);

// JPEG bytes → DIB: 8 bits per pixel with a rising grey palette for grey files, 24 bits for
// colour files, rows bottom-up. Data that ends early decodes up to a synthetic end of image.
JpegResult decompressJpeg(const std::uint8_t* data, std::size_t size, DibContainer& dib);

}  // namespace omni::image
