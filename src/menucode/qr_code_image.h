// A QR Code symbol as a picture: the symbol's module matrix with a quiet zone of 4 modules on
// every side, each module modulePixels × modulePixels pixels, as a 1-bit DIB (palette entry 0
// black, entry 1 white; a dark module is 0).
#pragma once

#include <cstdint>
#include <utility>

#include "image/kes_image.h"
#include "menucode/qr/qr_encode.h"

namespace omni::menucode {

class QRCodeImage : public image::KesImage {
public:
    static constexpr int kQuietZone = 4;  // modules on each side

    // Modules per side of `symbol` including both quiet zones (0 for the empty symbol).
    static int sideModules(const qr::QrSymbol& symbol) {
        return symbol.empty() ? 0 : symbol.symbolSize() + 2 * kQuietZone;
    }

    // A module of `modulePixels` pixels a side (0 counts as 1).
    QRCodeImage(qr::QrSymbol symbol, std::uint16_t modulePixels)
        : symbol_(std::move(symbol)), modulePixels_(modulePixels ? modulePixels : 1) {}

    const qr::QrSymbol& symbol() const { return symbol_; }
    std::uint16_t modulePixels() const { return modulePixels_; }
    int sideModules() const { return sideModules(symbol_); }

    std::uint32_t width() const override;
    std::uint32_t height() const override { return width(); }
    std::uint32_t stride() const override;
    std::uint32_t bitsPerPixel() const override { return 1; }
    std::uint32_t headerSize() const override { return 40 + 4 * 2; }
    std::uint32_t imageSize() const override { return stride() * height(); }
    bool toDib(image::DibContainer& dib) const override;
    bool isJpeg() const override { return false; }

private:
    qr::QrSymbol symbol_;
    std::uint16_t modulePixels_;
};

}  // namespace omni::menucode
