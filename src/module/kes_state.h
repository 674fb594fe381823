// Status codes of the module library and the serial port: the error vocabulary shared by the
// library and its host. 32-bit values, 0 to 17; every other value is unknown.
#pragma once

#include <cstdint>

extern "C" {

typedef std::int32_t KesState;

enum : std::int32_t {
    KES_STATE_SUCCESS = 0,
    KES_STATE_CREATE_HANDLE_FAILURE = 1,
    KES_STATE_CANCELED = 2,
    KES_STATE_INVALID_HANDLE_VALUE = 3,
    KES_STATE_INVALID_PARAMETER = 4,
    KES_STATE_COMMUNICATION_TIMEOUT = 5,
    KES_STATE_COMMUNICATION_FAILURE = 6,
    KES_STATE_SERIAL_PORT_IS_CLOSED = 7,
    KES_STATE_NO_IMAGE = 8,
    KES_STATE_BROKEN_IMAGE = 9,
    KES_STATE_USING_IMAGE = 10,
    KES_STATE_CAMERA_EXCEPTION = 11,
    KES_STATE_TOO_MANY_RETRY = 12,
    KES_STATE_DOWNLOAD_PROTCOL_START_WRITING_EXCEPTION = 13,
    KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION = 14,
    KES_STATE_DOWNLOAD_PROTCOL_WRITING_EXCEPTION = 15,
    KES_STATE_TOO_LONG_SEND_COMMAND = 16,
    KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE = 17,
};

// The name of a status ("KES_STATE_CANCELED"), or "" for a value outside 0 to 17.
// Thread-safe; the text is static.
const char* KesStateName(KesState state);

}  // extern "C"
