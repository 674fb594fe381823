#include "image/kes_image.h"

#include "image/jpeg_codec.h"

namespace omni::image {

bool KesImage::toJpeg(std::vector<std::uint8_t>& jpeg) const {
    jpeg.clear();
    DibContainer dib;
    if (!toDib(dib))
        return false;
    return compressJpeg(dib, jpeg);
}

}  // namespace omni::image
