#include "image/kes_image.h"

namespace omni {

// Pictures without a JPEG encoder of their own have none yet.
bool KesImage::toJpeg(std::vector<std::uint8_t>& jpeg) const {
    jpeg.clear();
    return false;
}

}  // namespace omni
