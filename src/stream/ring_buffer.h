// A fixed ring of elements, used as the queue between a log chain's producer and its writer
// thread and as the collecting buffer of a BufferedOutputStream.
//
// The ring itself is not thread-safe: a ring shared between threads is guarded by its owner
// (DesynchronizedOutputStream holds one short lock around every use).
#pragma once

#include <algorithm>
#include <cstddef>

#include "stream/stream.h"

namespace omni::stream {

template <typename T, std::size_t N>
class RingBuffer : public OutputStream<T> {
    static_assert(N > 1, "a ring needs room for at least two elements");

public:
    static constexpr std::size_t capacity = N;

    // Same as put() for each element in turn.
    void write(const T* data, std::size_t count) override {
        while (count > 0) {
            std::size_t run = std::min(count, N - write_);
            T* to = storage_ + write_;
            if (run <= 16) {
                // Short runs (a line end, a control name) are the common case.
                for (std::size_t i = 0; i < run; ++i)
                    to[i] = data[i];
            } else {
                std::copy_n(data, run, to);
            }
            // Passing over the read position overwrites the oldest elements.
            std::size_t before = this->count();
            write_ += run;
            if (write_ == N)
                write_ = 0;
            if (before + run >= N) {
                full_ = true;
                read_ = write_;
            }
            data += run;
            count -= run;
        }
    }
    // Stores at the write position and advances it; the ring is full when the write position
    // has come round to the read position.
    void put(const T* item) override {
        storage_[write_] = *item;
        write_ = write_ + 1 == N ? 0 : write_ + 1;
        if (write_ == read_)
            full_ = true;
    }
    void flush() override {}

    // Number of stored elements, 0 to N.
    std::size_t count() const {
        if (write_ >= read_) {
            std::size_t n = write_ - read_;
            return n == 0 && full_ ? N : n;
        }
        return write_ + (N - read_);
    }
    bool empty() const { return read_ == write_ && !full_; }
    bool full() const { return full_; }

    // Removes the oldest element into `item`; false when the ring is empty.
    bool take(T* item) {
        if (empty())
            return false;
        *item = storage_[read_];
        read_ = read_ + 1 == N ? 0 : read_ + 1;
        full_ = false;
        return true;
    }
    // Removes up to `max` of the oldest elements into `out`, in order; returns how many.
    std::size_t take(T* out, std::size_t max) {
        std::size_t n = std::min(max, count());
        std::size_t first = std::min(n, N - read_);
        std::copy_n(storage_ + read_, first, out);
        std::copy_n(storage_, n - first, out + first);
        read_ = (read_ + n) % N;
        if (n > 0)
            full_ = false;
        return n;
    }
    // Drops the oldest element (the writer has fallen a full ring behind).
    void dropOldest() {
        if (empty())
            return;
        read_ = read_ + 1 == N ? 0 : read_ + 1;
        full_ = false;
    }

    // Content as stored: a buffer that is only ever filled and reset starts at storage(), so
    // storage() and count() describe it in one piece.
    const T* storage() const { return storage_; }

    void reset() {
        read_ = write_ = 0;
        full_ = false;
    }

private:
    T storage_[N];
    std::size_t read_ = 0;
    std::size_t write_ = 0;
    bool full_ = false;
};

}  // namespace omni::stream
