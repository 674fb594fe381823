// Pictures and output settings inside the module library: the image the engine delivered
// (EngineA::ImageInfomation) and the engine's image output settings (ImageOutputProperty and its
// per-family subclasses with their maxima).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "module/kes_object.h"

namespace kes {

// What an image and an output-settings object both describe.
class Kes2DImageProperty {
public:
    virtual ~Kes2DImageProperty() = default;
    virtual std::int16_t trimLeft() const = 0;
    virtual std::int16_t trimTop() const = 0;
    virtual std::int16_t trimRight() const = 0;
    virtual std::int16_t trimBottom() const = 0;
    virtual std::uint8_t subSamplingX() const = 0;
    virtual std::uint8_t subSamplingY() const = 0;
    virtual std::uint8_t bitsPerPixel() const = 0;
    virtual std::uint8_t format() const = 0;
};

// Image formats named by the header and the output settings.
inline constexpr std::uint8_t kFormatJpeg = 1;
inline constexpr std::uint8_t kFormatBmp = 3;
inline constexpr std::uint8_t kFormatOther = 255;

// The 256-byte image header, as the engine sends it (big-endian) and after conversion to host
// order. Offsets of the fields the library reads:
//   1 data size (32) | 7 width (16) | 9 height (16) | 11..17 trim left, top, right, bottom (16)
//   19, 20 sub-sampling x, y (8) | 23 bits per pixel (8) | 24 format (8)
struct ImageHeader {
    static constexpr std::size_t kSize = 256;
    std::uint8_t bytes[kSize] = {};

    // Swaps the big-endian fields to host order in place (once, after arrival).
    void toHostOrder();
    std::uint32_t dataSize() const { return get32(1); }
    std::uint16_t width() const { return get16(7); }
    std::uint16_t height() const { return get16(9); }
    std::int16_t trim(int index) const { return static_cast<std::int16_t>(get16(11 + 2 * index)); }
    std::uint8_t subSampling(int index) const { return bytes[19 + index]; }
    std::uint8_t bitsPerPixel() const { return bytes[23]; }
    std::uint8_t format() const { return bytes[24]; }
    // Bytes per pixel row of the engine's data: 2 × width at 10 bits per pixel, whole bytes of
    // width × bits otherwise, then padded up to a multiple of 4.
    std::uint32_t bytesPerLine() const;

private:
    std::uint16_t get16(std::size_t at) const;
    std::uint32_t get32(std::size_t at) const;
};

// An image received from the engine: the converted header and the data (pixel rows or a JPEG
// stream) of exactly the header's data size.
class ImageInfomation final : public KesObject, public Kes2DImageProperty {
public:
    ImageInfomation() = default;

    KesObject* asImage() override { return this; }
    KesObject* asImageProperty() override { return this; }

    std::int16_t trimLeft() const override { return header_.trim(0); }
    std::int16_t trimTop() const override { return header_.trim(1); }
    std::int16_t trimRight() const override { return header_.trim(2); }
    std::int16_t trimBottom() const override { return header_.trim(3); }
    std::uint8_t subSamplingX() const override { return header_.subSampling(0); }
    std::uint8_t subSamplingY() const override { return header_.subSampling(1); }
    std::uint8_t bitsPerPixel() const override { return header_.bitsPerPixel(); }
    std::uint8_t format() const override { return header_.format(); }
    std::uint16_t width() const { return header_.width(); }
    std::uint16_t height() const { return header_.height(); }
    std::uint32_t bytesPerLine() const { return header_.bytesPerLine(); }
    std::uint32_t dataSize() const { return header_.dataSize(); }

    ImageHeader& header() { return header_; }
    const std::uint8_t* headerBytes() const { return header_.bytes; }
    // The data buffer; allocate() sizes it to the header's data size. False when memory is short.
    bool allocate();
    std::uint8_t* data() { return data_.get(); }
    const std::uint8_t* data() const { return data_.get(); }

private:
    ImageHeader header_;
    std::unique_ptr<std::uint8_t[]> data_;
};

// The engine's image output settings. Setters refuse values outside their accepted set with
// KES_STATE_INVALID_PARAMETER and leave the field unchanged.
class ImageOutputProperty : public KesObject, public Kes2DImageProperty {
public:
    struct Fields {
        std::int16_t trim[4] = {0, 0, 0, 0};  // left, top, right, bottom
        std::uint8_t subSampling[2] = {1, 1};
        std::uint8_t bitsPerPixel = 8;
        std::uint8_t jpegQuality = 80;
        std::uint8_t format = kFormatBmp;
        std::uint8_t wholeTransfer = 0;  // 0: block by block
        std::uint8_t flip[2] = {0, 0};
        std::uint8_t reverse = 0;
    };

    ImageOutputProperty() : ImageOutputProperty(752, 480) {}

    KesObject* asImageProperty() override { return this; }
    KesObject* asImageOutputProperty() override { return this; }

    std::int16_t trimLeft() const override { return f_.trim[0]; }
    std::int16_t trimTop() const override { return f_.trim[1]; }
    std::int16_t trimRight() const override { return f_.trim[2]; }
    std::int16_t trimBottom() const override { return f_.trim[3]; }
    std::uint8_t subSamplingX() const override { return f_.subSampling[0]; }
    std::uint8_t subSamplingY() const override { return f_.subSampling[1]; }
    std::uint8_t bitsPerPixel() const override { return f_.bitsPerPixel; }
    std::uint8_t format() const override { return f_.format; }
    std::uint8_t jpegQuality() const { return f_.jpegQuality; }
    std::uint8_t wholeTransfer() const { return f_.wholeTransfer; }
    std::uint8_t flip(int index) const { return f_.flip[index]; }
    std::uint8_t reverse() const { return f_.reverse; }
    std::uint16_t maximumWidth() const { return maxWidth_; }
    std::uint16_t maximumHeight() const { return maxHeight_; }

    // index: 0 left, 1 top, 2 right, 3 bottom. Left and right must be below the maximum width,
    // top and bottom below the maximum height (and none negative).
    void setTrim(int index, std::int32_t value);
    void setSubSampling(int index, std::int32_t value);  // 1, 2 or 4
    void setBitsPerPixel(std::int32_t value);            // 1, 4, 8 or 10
    void setJpegQuality(std::int32_t value);             // 5 to 100
    void setFormat(std::int32_t value);                  // 1 JPEG or 3 BMP
    void setWholeTransfer(std::int32_t value);           // 0 or 1
    void setFlip(int index, std::int32_t value);         // any; sent as 0 or 1
    void setReverse(std::int32_t value);                 // 0, 1 or 2

    Fields& fields() { return f_; }
    const Fields& fields() const { return f_; }

    // The "[DE7" command that writes every field (without ESC and CR).
    std::string writeCommand() const;

protected:
    ImageOutputProperty(std::uint16_t maxWidth, std::uint16_t maxHeight)
        : maxWidth_(maxWidth), maxHeight_(maxHeight) {}

private:
    Fields f_;
    std::uint16_t maxWidth_;
    std::uint16_t maxHeight_;
};

// EngineB: 640 × 480.
class ImageOutputProperty_B final : public ImageOutputProperty {
public:
    ImageOutputProperty_B() : ImageOutputProperty(640, 480) {}
};

// EngineC: 1280 × 800.
class ImageOutputProperty_C final : public ImageOutputProperty {
public:
    ImageOutputProperty_C() : ImageOutputProperty(1280, 800) {}
};

// Parses the reply to "[DE6" into `fields`: from its first ";" (or its first character when it
// has none) with the 13-value pattern. False when fewer than 13 values were found.
bool parseOutputSettings(const char* reply, ImageOutputProperty::Fields& fields);

}  // namespace kes
