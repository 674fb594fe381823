#include "menucode/qr_code_image.h"

#include <cstring>

namespace omni::menucode {

std::uint32_t QRCodeImage::width() const {
    return static_cast<std::uint32_t>(modulePixels_) * static_cast<std::uint32_t>(sideModules());
}

std::uint32_t QRCodeImage::stride() const {
    return image::dibStride(width(), 1);
}

bool QRCodeImage::toDib(image::DibContainer& dib) const {
    if (symbol_.empty())
        return false;
    const std::uint32_t side = width();
    const std::uint32_t rowBytes = stride();
    dib.allocate(headerSize(), static_cast<std::size_t>(rowBytes) * side);

    image::BitmapInfoHeader info;
    info.width = static_cast<std::int32_t>(side);
    info.height = static_cast<std::int32_t>(side);
    info.bitCount = 1;
    info.sizeImage = rowBytes * side;
    info.clrUsed = 2;
    info.writeTo(dib.header.data());
    // Palette: entry 0 black, entry 1 white (blue, green, red, reserved).
    std::uint8_t* palette = dib.header.data() + image::BitmapInfoHeader::kSize;
    std::memset(palette + 4, 0xFF, 3);

    // Everything light first, then clear the bits of dark modules. Rows are stored bottom-up.
    std::memset(dib.pixels.data(), 0xFF, dib.pixels.size());
    const int pixels = modulePixels_;
    const int size = symbol_.symbolSize();
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (!symbol_.isDark(x, y))
                continue;
            for (int dy = 0; dy < pixels; ++dy) {
                const std::uint32_t row =
                    side - 1 - static_cast<std::uint32_t>((y + kQuietZone) * pixels + dy);
                std::uint8_t* line = dib.pixels.data() + static_cast<std::size_t>(row) * rowBytes;
                for (int dx = 0; dx < pixels; ++dx) {
                    const int px = (x + kQuietZone) * pixels + dx;
                    line[px >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (px & 7)));
                }
            }
        }
    }
    return true;
}

}  // namespace omni::menucode
