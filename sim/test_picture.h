// The simulated engine's test picture: rows as the engine sends them (top row first, each padded
// to a multiple of 4 bytes), at 1, 4, 8 or 10 bits per pixel, or as a grey JPEG stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace omni::sim {

// The 8-bit grey value the picture has at (x, y) (10-bit pictures: their 8 high bits): a grey
// background with a matrix symbol on a light card, so that a shot is recognisable on screen.
std::uint8_t testPixel(int x, int y);

// Bytes per row as the engine sends them: 2 × width at 10 bits, whole bytes otherwise, then
// padded to a multiple of 4.
std::uint32_t engineBytesPerLine(int width, int bits);

// The picture's data. At 1 and 4 bits a pixel is "on" when testPixel ≥ 128 and the 4-bit value
// is testPixel / 17; at 10 bits each pixel is two bytes, its 2 low bits (x + y) % 4, then the 8
// high bits.
std::vector<std::uint8_t> testPictureRows(int width, int height, int bits);

// The 8-bit picture as a grey JPEG (libjpeg, the given quality).
std::vector<std::uint8_t> testPictureJpeg(int width, int height, int quality);

// The 256-byte image header the engine sends (big-endian fields).
std::string imageHeader(std::uint32_t dataSize, int width, int height, int bits,
                        std::uint8_t format);

// The position-weighted checksum of the image protocol.
std::uint16_t weightedSum(const std::uint8_t* data, std::size_t count);

// One block: type, 16-bit block field, 32-bit length, payload, checksum, CR. With `corrupt` the
// checksum is wrong.
std::string block(char type, std::uint16_t field, const std::string& payload, bool corrupt = false);

}  // namespace omni::sim
