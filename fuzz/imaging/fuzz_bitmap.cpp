// Arbitrary bytes as a ".bmp" file: a clear refusal or a picture whose pixel block matches what
// its header says, never a crash or an allocation beyond the file's own size plus one plane.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/bitmap_file.h"

namespace {

class Bytes : public omni::stream::InputStream<unsigned char> {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(unsigned char* buffer, std::size_t count) override {
        const std::size_t n = count < size_ - at_ ? count : size_ - at_;
        std::memcpy(buffer, data_ + at_, n);
        at_ += n;
        return n;
    }
    std::size_t get(unsigned char* item) override { return read(item, 1); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes input(data, size);
    omni::image::DibContainer dib;
    if (omni::image::readBitmap(input, dib) == omni::image::BitmapResult::Ok) {
        const std::size_t plane = dib.planeSize();
        if (dib.pixels.size() != plane && dib.pixels.size() != 2 * plane)
            std::abort();
        if (dib.pixels.size() > size)
            std::abort();  // every pixel byte came from the file
    }
    return 0;
}
