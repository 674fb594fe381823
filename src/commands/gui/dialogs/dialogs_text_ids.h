// String ids of the dialogs' own texts that the composition texts do not cover.
#pragma once

#include <cstdint>

namespace omni::dialogs {

inline constexpr std::uint32_t kTextInputNumberTitle = 21700;

}  // namespace omni::dialogs
