#include "reader/capture/capture_failure.h"

#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {

std::u16string captureFailureReason(KesState state) {
    std::uint32_t reason = res::ids::CaptureReasonOther;
    switch (state) {
        case KES_STATE_CANCELED:
            reason = res::ids::CaptureReasonCancelled;
            break;
        case KES_STATE_COMMUNICATION_FAILURE:
        case KES_STATE_SERIAL_PORT_IS_CLOSED:
            reason = res::ids::CaptureReasonLost;
            break;
        case KES_STATE_NO_IMAGE:
            reason = res::ids::CaptureReasonNoImage;
            break;
        case KES_STATE_BROKEN_IMAGE:
            reason = res::ids::CaptureReasonBroken;
            break;
        case KES_STATE_USING_IMAGE:
            reason = res::ids::CaptureReasonBusy;
            break;
        case KES_STATE_CAMERA_EXCEPTION:
            reason = res::ids::CaptureReasonCamera;
            break;
        case KES_STATE_TOO_MANY_RETRY:
            reason = res::ids::CaptureReasonTooManyRetry;
            break;
        case KES_STATE_INVALID_PARAMETER:
            reason = res::ids::CaptureReasonParameter;
            break;
        default:
            break;
    }
    return res::format(res::ids::CaptureReason,
                       {res::loadString(reason), res::fromUtf8(KesStateName(state))});
}

}  // namespace omni::reader
