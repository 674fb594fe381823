// Collects elements and hands them to its target in runs of up to N, one write() per run.
#pragma once

#include <algorithm>
#include <cstddef>

#include "stream/ring_buffer.h"
#include "stream/stream.h"

namespace omni::stream {

template <typename T, std::size_t N>
class BufferedOutputStream : public OutputStream<T> {
public:
    // The target is not owned.
    explicit BufferedOutputStream(OutputStream<T>* target = nullptr) : target_(target) {}

    void setTarget(OutputStream<T>* target) { target_ = target; }
    OutputStream<T>* target() const { return target_; }

    // Same as put() for each element.
    void write(const T* data, std::size_t count) override {
        while (count > 0) {
            std::size_t run = std::min(count, N - ring_.count());
            ring_.write(data, run);
            data += run;
            count -= run;
            if (ring_.full())
                flush();
        }
    }
    // Stores the element; a full buffer is handed on at once.
    void put(const T* item) override {
        ring_.put(item);
        if (ring_.full())
            flush();
    }
    // Hands the buffered run to the target in one write() and empties the buffer. The target's
    // own flush() is not called.
    void flush() override {
        std::size_t n = ring_.count();
        if (n > 0 && target_ != nullptr)
            target_->write(ring_.storage(), n);
        ring_.reset();
    }

    std::size_t buffered() const { return ring_.count(); }

private:
    RingBuffer<T, N> ring_;
    OutputStream<T>* target_;
};

}  // namespace omni::stream
