#include "image/kes_image.h"

namespace omni {

// The base picture has no JPEG encoder: it gives no JPEG and says so.
bool KesImage::toJpeg(std::vector<std::uint8_t>& jpeg) const {
    jpeg.clear();
    return false;
}

}  // namespace omni
