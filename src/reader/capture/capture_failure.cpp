#include "reader/capture/capture_failure.h"

#include "reader/state_reason.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {
namespace {

constexpr StateReason kReasons[] = {
    {KES_STATE_CANCELED, res::ids::CaptureReasonCancelled},
    {KES_STATE_COMMUNICATION_FAILURE, res::ids::CaptureReasonLost},
    {KES_STATE_SERIAL_PORT_IS_CLOSED, res::ids::CaptureReasonLost},
    {KES_STATE_NO_IMAGE, res::ids::CaptureReasonNoImage},
    {KES_STATE_BROKEN_IMAGE, res::ids::CaptureReasonBroken},
    {KES_STATE_USING_IMAGE, res::ids::CaptureReasonBusy},
    {KES_STATE_CAMERA_EXCEPTION, res::ids::CaptureReasonCamera},
    {KES_STATE_TOO_MANY_RETRY, res::ids::CaptureReasonTooManyRetry},
    {KES_STATE_INVALID_PARAMETER, res::ids::CaptureReasonParameter},
};

}  // namespace

std::u16string captureFailureReason(KesState state) {
    const std::uint32_t reason = reasonFor(state, kReasons, res::ids::CaptureReasonOther);
    return res::format(res::ids::CaptureReason,
                       {res::loadString(reason), res::fromUtf8(KesStateName(state))});
}

}  // namespace omni::reader
