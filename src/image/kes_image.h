// The picture interface behind every image page, capture and menu-code picture. A picture
// describes itself as a device-independent bitmap and can hand out a JPEG encoding of itself.
#pragma once

#include <cstdint>
#include <vector>

#include "image/dib.h"

namespace omni::image {

class KesImage {
public:
    virtual ~KesImage() = default;

    virtual std::uint32_t width() const = 0;   // pixels
    virtual std::uint32_t height() const = 0;  // pixels
    virtual std::uint32_t stride() const = 0;  // bytes per pixel row, a multiple of 4
    virtual std::uint32_t bitsPerPixel() const = 0;
    virtual std::uint32_t headerSize() const = 0;  // BITMAPINFOHEADER plus palette
    virtual std::uint32_t imageSize() const = 0;   // bytes of pixel data

    // Fills `dib` with the picture; false when the picture cannot be produced.
    virtual bool toDib(DibContainer& dib) const = 0;
    // Fills `jpeg` with a JPEG file image of the picture; false on failure. By default the DIB
    // is compressed (quality 80; grey for 8 bits per pixel or fewer).
    virtual bool toJpeg(std::vector<std::uint8_t>& jpeg) const;
    // True when the picture's native form is JPEG.
    virtual bool isJpeg() const = 0;
};

}  // namespace omni::image
