#include "module/kes_state.h"

namespace {

constexpr const char* kStateNames[] = {
    "KES_STATE_SUCCESS",
    "KES_STATE_CREATE_HANDLE_FAILURE",
    "KES_STATE_CANCELED",
    "KES_STATE_INVALID_HANDLE_VALUE",
    "KES_STATE_INVALID_PARAMETER",
    "KES_STATE_COMMUNICATION_TIMEOUT",
    "KES_STATE_COMMUNICATION_FAILURE",
    "KES_STATE_SERIAL_PORT_IS_CLOSED",
    "KES_STATE_NO_IMAGE",
    "KES_STATE_BROKEN_IMAGE",
    "KES_STATE_USING_IMAGE",
    "KES_STATE_CAMERA_EXCEPTION",
    "KES_STATE_TOO_MANY_RETRY",
    "KES_STATE_DOWNLOAD_PROTCOL_START_WRITING_EXCEPTION",
    "KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION",
    "KES_STATE_DOWNLOAD_PROTCOL_WRITING_EXCEPTION",
    "KES_STATE_TOO_LONG_SEND_COMMAND",
    "KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE",
};
static_assert(sizeof(kStateNames) / sizeof(kStateNames[0]) == 18, "status codes 0 to 17");

}  // namespace

extern "C" const char* KesStateName(KesState state) {
    if (state < 0 || state >= 18)
        return "";
    return kStateNames[state];
}
