// Settings and results that the reader thread and the test share, each read and written whole
// under the owner's mutex.
#pragma once

#include <mutex>
#include <type_traits>
#include <utility>

namespace omni::sim {

template <typename T>
void setLocked(std::mutex& mutex, T& setting, std::type_identity_t<T> value) {
    std::lock_guard lock(mutex);
    setting = std::move(value);
}

template <typename T>
T getLocked(std::mutex& mutex, const T& setting) {
    std::lock_guard lock(mutex);
    return setting;
}

}  // namespace omni::sim
