#include "stream/code_page_setting.h"

#include <atomic>

namespace omni::stream {
namespace {

constexpr std::uint64_t pack(CodePageSetting s) {
    return (static_cast<std::uint64_t>(s.multiByte) << 32) | s.codePage;
}

std::atomic<std::uint64_t> current{pack(CodePageSetting{})};

}  // namespace

CodePageSetting currentCodePageSetting() {
    std::uint64_t v = current.load(std::memory_order_acquire);
    return {(v >> 32) != 0, static_cast<std::uint32_t>(v)};
}

void setCurrentCodePageSetting(CodePageSetting setting) {
    current.store(pack(setting), std::memory_order_release);
}

}  // namespace omni::stream
