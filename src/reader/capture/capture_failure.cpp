#include "reader/capture/capture_failure.h"

#include "reader/state_reason.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {

std::u16string captureFailureReason(KesState state) {
    const std::uint32_t reason = reasonFor(state, FailedWork::Imaging);
    return res::format(res::ids::CaptureReason,
                       {res::loadString(reason), res::fromUtf8(KesStateName(state))});
}

}  // namespace omni::reader
