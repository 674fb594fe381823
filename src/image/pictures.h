// The pictures the program handles: a capture from the reader's imaging module, and bitmap and
// JPEG files opened by the operator.
#pragma once

#include <cstdint>
#include <vector>

#include "image/kes_image.h"
#include "module/kes_sdk.h"

namespace omni::image {

// A picture captured by the module library. Owns the library's image handle and closes it.
// Raw pictures become DIBs of their own depth (10-bit pictures: 8 bits plus a second plane of
// the low bits); a JPEG from the engine is kept as it came.
class ShotedImage final : public KesImage {
public:
    explicit ShotedImage(KesHandle image);
    ~ShotedImage() override;
    ShotedImage(const ShotedImage&) = delete;
    ShotedImage& operator=(const ShotedImage&) = delete;

    std::uint32_t width() const override { return width_; }
    std::uint32_t height() const override { return height_; }
    std::uint32_t stride() const override;
    std::uint32_t bitsPerPixel() const override;
    std::uint32_t headerSize() const override;
    std::uint32_t imageSize() const override { return stride() * height_; }
    bool toDib(DibContainer& dib) const override;
    bool toJpeg(std::vector<std::uint8_t>& jpeg) const override;
    bool isJpeg() const override { return jpeg_; }

    KesHandle handle() const { return handle_; }
    // Bits per pixel as the engine sent them (10 for a 10-bit capture).
    std::uint32_t moduleBitsPerPixel() const { return bits_; }

private:
    bool rawToDib(DibContainer& dib) const;

    KesHandle handle_;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::uint32_t bits_ = 0;
    bool jpeg_ = false;
};

// A bitmap file's picture.
class BitmapFileImage : public KesImage {
public:
    explicit BitmapFileImage(DibContainer dib) : dib_(std::move(dib)), info_(dib_.info()) {}

    std::uint32_t width() const override { return static_cast<std::uint32_t>(info_.width); }
    std::uint32_t height() const override { return static_cast<std::uint32_t>(info_.height); }
    std::uint32_t stride() const override { return dibStride(width(), info_.bitCount); }
    std::uint32_t bitsPerPixel() const override { return info_.bitCount; }
    std::uint32_t headerSize() const override {
        return static_cast<std::uint32_t>(dib_.header.size());
    }
    std::uint32_t imageSize() const override { return stride() * height(); }
    bool toDib(DibContainer& dib) const override;
    bool isJpeg() const override { return false; }

    const DibContainer& dib() const { return dib_; }

private:
    DibContainer dib_;
    BitmapInfoHeader info_;
};

// A JPEG file's picture: the decoded DIB and the bytes it came from, which saving as JPEG
// writes back unchanged.
class JpegFileImage final : public BitmapFileImage {
public:
    JpegFileImage(DibContainer dib, std::vector<std::uint8_t> bytes)
        : BitmapFileImage(std::move(dib)), bytes_(std::move(bytes)) {}

    bool toJpeg(std::vector<std::uint8_t>& jpeg) const override;
    bool isJpeg() const override { return true; }

private:
    std::vector<std::uint8_t> bytes_;
};

// The grey palette of a depth: 2^bits entries, entry i = i × (255 ÷ (2^bits − 1)).
void writeGreyPalette(std::uint8_t* palette, unsigned bits);

}  // namespace omni::image
