// Test helpers: decode rendered symbols with the ZXing library, never with our own encoder.
#pragma once

#include <ZXing/ReadBarcode.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "menucode/qr/qr_encode.h"

namespace omni::test {

// A grey image, 0 black and 255 white, rows top-down.
struct GreyImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

// The symbol's modules with a quiet zone of 4, `scale` pixels per module.
inline GreyImage renderModules(const menucode::qr::QrSymbol& code, int scale) {
    GreyImage image;
    const int side = (code.symbolSize() + 8) * scale;
    image.width = image.height = side;
    image.pixels.assign(static_cast<std::size_t>(side) * side, 255);
    for (int y = 0; y < code.symbolSize(); ++y) {
        for (int x = 0; x < code.symbolSize(); ++x) {
            if (!code.isDark(x, y))
                continue;
            for (int dy = 0; dy < scale; ++dy) {
                std::uint8_t* row =
                    &image.pixels[static_cast<std::size_t>((y + 4) * scale + dy) * side];
                for (int dx = 0; dx < scale; ++dx)
                    row[(x + 4) * scale + dx] = 0;
            }
        }
    }
    return image;
}

// The raw content bytes of the one barcode of `format` in the image, or nullopt.
inline std::optional<std::string> decode(const GreyImage& image, ZXing::BarcodeFormat format,
                                         bool pure = false) {
    ZXing::DecodeHints hints;
    hints.setFormats(format);
    hints.setIsPure(pure);
    hints.setTryHarder(false);
    const auto result = ZXing::ReadBarcode(
        ZXing::ImageView(image.pixels.data(), image.width, image.height, ZXing::ImageFormat::Lum),
        hints);
    if (!result.isValid())
        return std::nullopt;
    const auto& bytes = result.bytes();
    return std::string(bytes.begin(), bytes.end());
}

inline std::optional<std::string> decodeQr(const menucode::qr::QrSymbol& code, int scale = 2) {
    return decode(renderModules(code, scale), ZXing::BarcodeFormat::QRCode, true);
}

}  // namespace omni::test
