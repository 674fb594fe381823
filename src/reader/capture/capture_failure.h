// Why an exchange with the imaging engine failed, in the user's words.
#pragma once

#include <string>

#include "module/kes_state.h"

namespace omni::reader {

// "the picture arrived damaged too many times (KES_STATE_TOO_MANY_RETRY)": the reason for
// `state`, followed by the library's status name, in the current language.
std::u16string captureFailureReason(KesState state);

}  // namespace omni::reader
