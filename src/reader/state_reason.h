// Words for the device library's statuses: for each status the string that explains it when a
// shot (or another exchange with the imaging engine) fails, and when a firmware download fails.
#pragma once

#include <cstdint>

#include "module/kes_state.h"
#include "resources/string_ids.h"

namespace omni::reader {

enum class FailedWork { Imaging, Download };

struct StateReason {
    KesState state;
    std::uint32_t imaging;   // string id, 0: the general reason
    std::uint32_t download;  // string id, 0: the general reason
};

inline constexpr StateReason kStateReasons[] = {
    {KES_STATE_CANCELED, res::ids::CaptureReasonCancelled, res::ids::FirmwareReaderCancelled},
    {KES_STATE_COMMUNICATION_TIMEOUT, 0, res::ids::FirmwareTimeout},
    {KES_STATE_COMMUNICATION_FAILURE, res::ids::CaptureReasonLost, res::ids::FirmwareLost},
    {KES_STATE_SERIAL_PORT_IS_CLOSED, res::ids::CaptureReasonLost, res::ids::FirmwareLost},
    {KES_STATE_NO_IMAGE, res::ids::CaptureReasonNoImage, 0},
    {KES_STATE_BROKEN_IMAGE, res::ids::CaptureReasonBroken, 0},
    {KES_STATE_USING_IMAGE, res::ids::CaptureReasonBusy, 0},
    {KES_STATE_CAMERA_EXCEPTION, res::ids::CaptureReasonCamera, 0},
    {KES_STATE_TOO_MANY_RETRY, res::ids::CaptureReasonTooManyRetry, res::ids::FirmwareTooManyRetry},
    {KES_STATE_INVALID_PARAMETER, res::ids::CaptureReasonParameter, 0},
    {KES_STATE_DOWNLOAD_PROTCOL_START_WRITING_EXCEPTION, 0, res::ids::FirmwareEndRefused},
    {KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION, 0, res::ids::FirmwareWriteError},
    {KES_STATE_DOWNLOAD_PROTCOL_WRITING_EXCEPTION, 0, res::ids::FirmwareWriteAnswer},
    {KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE, 0, res::ids::FirmwareWrongWay},
};

// The string id that explains `state` for the failed `work`.
constexpr std::uint32_t reasonFor(KesState state, FailedWork work) {
    for (const StateReason& row : kStateReasons) {
        const std::uint32_t text = work == FailedWork::Imaging ? row.imaging : row.download;
        if (row.state == state && text != 0)
            return text;
    }
    return work == FailedWork::Imaging ? res::ids::CaptureReasonOther
                                       : res::ids::FirmwareOtherError;
}

}  // namespace omni::reader
