#include "image/dib.h"

namespace omni::image {

namespace {

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t get32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

}  // namespace

void BitmapInfoHeader::writeTo(std::uint8_t* out) const {
    put32(out, kSize);
    put32(out + 4, static_cast<std::uint32_t>(width));
    put32(out + 8, static_cast<std::uint32_t>(height));
    put16(out + 12, planes);
    put16(out + 14, bitCount);
    put32(out + 16, compression);
    put32(out + 20, sizeImage);
    put32(out + 24, static_cast<std::uint32_t>(xPelsPerMeter));
    put32(out + 28, static_cast<std::uint32_t>(yPelsPerMeter));
    put32(out + 32, clrUsed);
    put32(out + 36, clrImportant);
}

BitmapInfoHeader BitmapInfoHeader::readFrom(const std::uint8_t* in) {
    BitmapInfoHeader h;
    h.width = static_cast<std::int32_t>(get32(in + 4));
    h.height = static_cast<std::int32_t>(get32(in + 8));
    h.planes = get16(in + 12);
    h.bitCount = get16(in + 14);
    h.compression = get32(in + 16);
    h.sizeImage = get32(in + 20);
    h.xPelsPerMeter = static_cast<std::int32_t>(get32(in + 24));
    h.yPelsPerMeter = static_cast<std::int32_t>(get32(in + 28));
    h.clrUsed = get32(in + 32);
    h.clrImportant = get32(in + 36);
    return h;
}

void DibContainer::allocate(std::size_t headerSize, std::size_t pixelSize) {
    header.assign(headerSize, 0);
    pixels.assign(pixelSize, 0);
}

std::uint32_t DibContainer::paletteEntry(std::size_t i) const {
    const std::size_t at = BitmapInfoHeader::kSize + 4 * i;
    if (at + 4 > header.size())
        return 0;
    return std::uint32_t{header[at + 2]} << 16 | std::uint32_t{header[at + 1]} << 8 | header[at];
}

std::size_t DibContainer::planeSize() const {
    if (header.size() < BitmapInfoHeader::kSize)
        return 0;
    const BitmapInfoHeader h = info();
    const auto height = static_cast<std::size_t>(h.height < 0 ? -std::int64_t{h.height} : h.height);
    return std::size_t{dibStride(static_cast<std::uint32_t>(h.width), h.bitCount)} * height;
}

}  // namespace omni::image
