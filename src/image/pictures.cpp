#include "image/pictures.h"

#include <algorithm>
#include <cstring>

#include "image/jpeg_codec.h"

namespace omni::image {
namespace {

bool paletted(std::uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8;
}

}  // namespace

void writeGreyPalette(std::uint8_t* palette, unsigned bits) {
    const unsigned entries = 1u << bits;
    const unsigned step = 255 / (entries - 1);
    for (unsigned i = 0; i < entries; ++i) {
        std::uint8_t* entry = palette + 4 * i;
        entry[0] = entry[1] = entry[2] = static_cast<std::uint8_t>(i * step);
        entry[3] = 0;
    }
}

ShotedImage::ShotedImage(KesHandle image) : handle_(image) {
    width_ = static_cast<std::uint32_t>(KesGetImageWidth(image));
    height_ = static_cast<std::uint32_t>(KesGetImageHeight(image));
    bits_ = static_cast<std::uint32_t>(KesGetBitsPerPixel(image));
    jpeg_ = KesIsJpegImage(image) == 1;
}

ShotedImage::~ShotedImage() {
    KesCloseHandle(handle_);
}

std::uint32_t ShotedImage::bitsPerPixel() const {
    return jpeg_ || bits_ == 10 ? 8 : bits_;
}

std::uint32_t ShotedImage::stride() const {
    return dibStride(width_, bitsPerPixel());
}

// 40 bytes plus the palette: 2^bits entries at 1, 4 and 8 bits, 256 for 10-bit and JPEG
// pictures (which become 8-bit grey).
std::uint32_t ShotedImage::headerSize() const {
    if (jpeg_ || bits_ == 10)
        return BitmapInfoHeader::kSize + 4 * 256;
    return BitmapInfoHeader::kSize + (paletted(bits_) ? 4u << bits_ : 0u);
}

bool ShotedImage::toDib(DibContainer& dib) const {
    if (jpeg_) {
        const std::uint8_t* data = KesGetImageData(handle_);
        return data && decompressJpeg(data, KesGetImageDataSize(handle_), dib) == JpegResult::Ok;
    }
    return rawToDib(dib);
}

// Rows bottom-up; at 10 bits the second byte of each pixel is the DIB pixel and the first goes
// to the same place in the second plane.
bool ShotedImage::rawToDib(DibContainer& dib) const {
    const std::uint8_t* data = KesGetImageData(handle_);
    const auto line = static_cast<std::uint32_t>(KesGetImageBytesPerLine(handle_));
    const std::uint32_t dibBits = bitsPerPixel();
    if (!data || width_ == 0 || height_ == 0 || dibBits == 0 ||
        std::uint64_t{line} * height_ > KesGetImageDataSize(handle_))
        return false;
    const bool tenBits = bits_ == 10;
    const std::uint32_t stride = this->stride();
    const std::size_t plane = std::size_t{stride} * height_;
    dib.allocate(headerSize(), tenBits ? 2 * plane : plane);

    BitmapInfoHeader info;
    info.width = static_cast<std::int32_t>(width_);
    info.height = static_cast<std::int32_t>(height_);
    info.bitCount = static_cast<std::uint16_t>(dibBits);
    info.sizeImage = static_cast<std::uint32_t>(plane);
    info.clrUsed = paletted(dibBits) ? 1u << dibBits : 0;
    info.writeTo(dib.header.data());
    if (paletted(dibBits))
        writeGreyPalette(dib.header.data() + BitmapInfoHeader::kSize, dibBits);

    for (std::uint32_t y = 0; y < height_; ++y) {
        const std::uint8_t* source = data + std::size_t{line} * y;
        std::uint8_t* row = dib.pixels.data() + std::size_t{stride} * (height_ - 1 - y);
        if (!tenBits) {
            std::memcpy(row, source, std::min(stride, line));
            continue;
        }
        std::uint8_t* low = row + plane;
        for (std::uint32_t x = 0; x < width_; ++x) {
            row[x] = source[2 * x + 1];
            low[x] = source[2 * x];
        }
    }
    return true;
}

bool ShotedImage::toJpeg(std::vector<std::uint8_t>& jpeg) const {
    if (!jpeg_)
        return KesImage::toJpeg(jpeg);
    const std::uint8_t* data = KesGetImageData(handle_);
    if (!data)
        return false;
    jpeg.assign(data, data + KesGetImageDataSize(handle_));
    return true;
}

bool BitmapFileImage::toDib(DibContainer& dib) const {
    dib = dib_;
    return true;
}

bool JpegFileImage::toJpeg(std::vector<std::uint8_t>& jpeg) const {
    jpeg = bytes_;
    return true;
}

}  // namespace omni::image
