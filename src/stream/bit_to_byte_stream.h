// Packs bits into bytes, most significant bit first, into a caller's buffer.
#pragma once

#include <cstddef>

#include "stream/stream.h"

namespace omni::stream {

class BitToByteStream : public OutputStream<bool> {
public:
    // `destination` must have room for every byte that will be started; it is not owned.
    explicit BitToByteStream(unsigned char* destination)
        : start_(destination), current_(destination) {}

    // Same as put() for each bit.
    void write(const bool* data, std::size_t count) override;
    // Shifts the bit into the current byte; after 8 bits the next byte is started.
    void put(const bool* item) override;
    // Pads the current byte with zero bits on the right.
    void flush() override;

    // Number of whole bytes written so far.
    std::size_t bytesWritten() const { return static_cast<std::size_t>(current_ - start_); }

private:
    unsigned char* start_;
    unsigned char* current_;
    int bitCount_ = 0;
};

}  // namespace omni::stream
