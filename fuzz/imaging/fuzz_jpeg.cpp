// Arbitrary bytes as a JPEG (the first two are forced to the start marker so the decoder gets to
// work): a refusal or a picture of the size its frame header gives, never a crash.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    if (bytes.size() >= 2) {
        bytes[0] = 0xFF;
        bytes[1] = 0xD8;
    }
    omni::image::DibContainer dib;
    if (omni::image::decompressJpeg(bytes.data(), bytes.size(), dib) ==
        omni::image::JpegResult::Ok) {
        if (dib.pixels.size() != dib.planeSize() ||
            dib.pixels.size() > omni::image::kMaxDecodedBytes)
            std::abort();
        std::vector<std::uint8_t> again;
        omni::image::compressJpeg(dib, again);
    }
    return 0;
}
