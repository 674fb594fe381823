// The host's checks before a firmware download: which files the engine takes, whether the chosen
// file needs the operator's confirmation, and whether the file can be sent at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "module/kes_sdk.h"

namespace omni::reader {

// The largest file the library's 32-bit size and 16-bit block numbers can carry.
inline constexpr std::uint64_t kMaxFirmwareSize = 0xFFF7ull * 8192;

struct FirmwarePlan {
    KesFirmwareKind kind = KES_FIRMWARE_UNSUPPORTED;
    bool bootLoader = false;  // the flag passed to the library (forced on for some kinds)
    bool askVersion = false;  // generic kind whose file name does not begin like the version
    bool reconnects = false;  // the engine comes back as a new connection afterwards
};

// The kind of file the engine takes, from its firmware version and model text.
KesFirmwareKind firmwareKindOf(const std::string& firmwareVersion, const std::string& model);

// The open-file dialog's filter for a kind ("Binary Files (*.bd)"); empty when unsupported.
std::u16string firmwareFilter(KesFirmwareKind kind);

// The plan for sending `file` to the engine. The file itself is not read.
FirmwarePlan planFirmware(const std::string& firmwareVersion, const std::string& model,
                          const std::filesystem::path& file, bool bootLoaderRequested);

// Why a firmware file cannot be sent, in the user's words; nothing when it can (it opens, is not
// empty and not too large).
std::optional<std::u16string> firmwareFileProblem(const std::filesystem::path& file);

}  // namespace omni::reader
