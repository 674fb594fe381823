// Text that one thread appends to while another reads it.
#pragma once

#include <cstddef>
#include <mutex>

namespace omni::stream {

template <typename Text>
class LockedText {
public:
    using Char = typename Text::value_type;

    void append(const Char* data, std::size_t count) {
        std::lock_guard lock(mutex_);
        text_.append(data, count);
    }
    // A copy of everything appended so far.
    Text text() const {
        std::lock_guard lock(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    Text text_;
};

}  // namespace omni::stream
