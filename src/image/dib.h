// The device-independent bitmap container every picture hands out: a header block (the 40-byte
// BITMAPINFOHEADER followed by the palette) and a pixel block (rows bottom-up, each padded to a
// multiple of 4 bytes). All multi-byte fields are little-endian, as in a ".bmp" file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace omni::image {

// The fields of a BITMAPINFOHEADER, read from or written to its 40-byte little-endian form.
struct BitmapInfoHeader {
    static constexpr std::size_t kSize = 40;

    std::int32_t width = 0;
    std::int32_t height = 0;  // positive: rows bottom-up
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;  // 0: uncompressed
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 3780;
    std::int32_t yPelsPerMeter = 3780;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;

    void writeTo(std::uint8_t* out) const;  // 40 bytes
    static BitmapInfoHeader readFrom(const std::uint8_t* in);
};

// Bytes per pixel row of a DIB: bits × width rounded up to whole bytes, then to a multiple of 4.
constexpr std::uint32_t dibStride(std::uint32_t width, std::uint32_t bitsPerPixel) {
    return ((width * bitsPerPixel + 7) / 8 + 3) / 4 * 4;
}

// Owns one picture's header and pixel blocks.
struct DibContainer {
    std::vector<std::uint8_t> header;  // BITMAPINFOHEADER, then the palette
    std::vector<std::uint8_t> pixels;  // pixel rows (for 10-bit captures, two planes)

    // Sizes both blocks (contents zeroed).
    void allocate(std::size_t headerSize, std::size_t pixelSize);

    BitmapInfoHeader info() const { return BitmapInfoHeader::readFrom(header.data()); }
    // Palette entry i as 0x00RRGGBB (the file stores blue, green, red, reserved).
    std::uint32_t paletteEntry(std::size_t i) const;
    // The second plane of a 10-bit capture (the low bits), when the pixel block holds one.
    bool hasSecondPlane() const { return planeSize() != 0 && pixels.size() >= 2 * planeSize(); }
    // Bytes of one plane: stride × height from the header.
    std::size_t planeSize() const;
};

}  // namespace omni::image
