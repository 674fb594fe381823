// The settings store: fixed-size binary records by value name under one per-user key.
//
// A key path such as "Software\\Kestrel\\OmniSetup" names a folder under $XDG_CONFIG_HOME
// (default ~/.config): the leading "Software\\" is dropped and the rest becomes
// "Kestrel/OmniSetup". Each value is one file in that folder, named after the value (characters
// that cannot stand in a file name, such as '/', are written as %XX). A record is valid only when
// its stored size equals the expected size; the caller checks the record's marker.
//
// Writes are atomic: the record goes to a temporary file that is synced and renamed over the old
// one, and the folder is synced, so a crash or a full disk leaves either the old record or the
// new one, never a torn one. Temporary records that a crashed run left are removed the first time
// a folder is used. Reads never block and never create anything: only a regular file of the
// record's exact size is opened. Thread-safe for different value names; concurrent writes of one
// name end with one of them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace omni::foundation {

// The process-wide key prefix and the program's own key.
inline constexpr std::string_view kSettingsKeyPrefix = "Software\\Kestrel\\";
inline constexpr std::string_view kProgramSettingsKey = "Software\\Kestrel\\OmniSetup";

// The folder that holds the values of `keyPath`; it is not created.
std::filesystem::path settingsFolder(std::string_view keyPath);

// Writes `size` bytes as the value `valueName`. Creates the key's folder when it is missing.
// Throws SystemException (with the OS error) when the folder or the file cannot be written.
void writeSetting(std::string_view keyPath, std::string_view valueName, const void* data,
                  std::size_t size);

// Reads the value into `data`. True only when the value is a regular file of exactly `size`
// bytes; otherwise (missing, a pipe, a folder, a device, another size, unreadable) `data` is left
// as it was. Never throws for a missing or unusable folder: the caller keeps its defaults.
bool readSetting(std::string_view keyPath, std::string_view valueName, void* data,
                 std::size_t size);

// Typed helpers for trivially copyable records.
template <typename Record>
void writeSetting(std::string_view keyPath, std::string_view valueName, const Record& record) {
    writeSetting(keyPath, valueName, &record, sizeof(Record));
}
template <typename Record>
bool readSetting(std::string_view keyPath, std::string_view valueName, Record& record) {
    return readSetting(keyPath, valueName, &record, sizeof(Record));
}

}  // namespace omni::foundation
