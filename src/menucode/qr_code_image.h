// A QR Code symbol as a picture: the encoder's module matrix with a quiet zone of 4 modules on
// every side, each module modulePixels × modulePixels pixels, as a 1-bit DIB (palette entry 0
// black, entry 1 white; a dark module is 0).
#pragma once

#include <cstdint>

#include "image/kes_image.h"
#include "menucode/qr/qr_encode.h"

namespace omni {

class QRCodeImage : public KesImage, public CQR_Encode {
public:
    static constexpr int kQuietZone = 4;  // modules on each side

    std::uint16_t modulePixels() const { return modulePixels_; }
    void setModulePixels(std::uint16_t pixels) { modulePixels_ = pixels ? pixels : 1; }

    // Modules per side including both quiet zones (0 before the first successful encode).
    int sideModules() const { return symbolSize() ? symbolSize() + 2 * kQuietZone : 0; }

    std::uint32_t width() const override;
    std::uint32_t height() const override { return width(); }
    std::uint32_t stride() const override;
    std::uint32_t bitsPerPixel() const override { return 1; }
    std::uint32_t headerSize() const override { return 40 + 4 * 2; }
    std::uint32_t imageSize() const override { return stride() * height(); }
    bool toDib(DibContainer& dib) const override;
    bool isJpeg() const override { return false; }

private:
    std::uint16_t modulePixels_ = 3;
};

}  // namespace omni
