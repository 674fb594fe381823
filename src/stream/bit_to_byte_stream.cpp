#include "stream/bit_to_byte_stream.h"

namespace omni::stream {

void BitToByteStream::write(const bool* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        put(data + i);
}

void BitToByteStream::put(const bool* item) {
    *current_ = static_cast<unsigned char>((*current_ << 1) | (*item ? 1 : 0));
    if (++bitCount_ == 8) {
        ++current_;
        bitCount_ = 0;
    }
}

void BitToByteStream::flush() {
    static constexpr bool kZero = false;
    while (bitCount_ != 0)
        put(&kZero);
}

}  // namespace omni::stream
