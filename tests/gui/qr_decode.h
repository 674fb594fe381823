// Reads a QR Code from a picture with ZXing, for the tests that check what the program draws.
#pragma once

#include <string>

#include <ZXing/ReadBarcode.h>
#include <QImage>

namespace omni::test {

// The bytes of the QR Code in `image`, or "" when none is found.
inline std::string decodeQr(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(gray.bytesPerLine()));
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid())
        return {};
    const auto& bytes = result.bytes();
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace omni::test
