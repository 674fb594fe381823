// What the Bluetooth dialogs show and send: the text of the address barcode in each of its modes,
// the date-time value, the code size, the device-name filter and command table, and the writes of
// the time adjustment and the device name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "resources/string_ids.h"

namespace omni::commands::compose {

// A local calendar time.
struct DateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const DateTime&) const = default;
};

// The current local time of this computer.
DateTime localDateTime();

// --- Address barcode dialog ---

// The size of the code (its font height), the start value, the range and the step of a wheel
// notch.
inline constexpr int kCodeSizeStart = 72;
inline constexpr int kCodeSizeMin = 48;
inline constexpr int kCodeSizeMax = 96;
inline constexpr int kCodeSizeWheelStep = 2;

int clampCodeSize(int size);
// The size after a wheel turn; a positive delta (away from the operator) grows the code.
int codeSizeAfterWheel(int size, int wheelDelta);

// The date-time value is exactly this long: "yyyyMMddHHmmss".
inline constexpr std::size_t kDateTimeValueLength = 14;

// "yyyyMMddHHmmss", the value the date-time mode starts with.
std::string dateTimeValue(const DateTime& time);

// The value controls (edit and its hint) show only in the date-time mode.
inline bool valueControlsVisible(std::uint32_t mode) {
    return mode == res::ids::TimeAdjustment;
}

// Texts drawn in the barcode font; the underscores are the start and stop characters.
// A radio address: its 48 bits as 12 lower-case hexadecimal digits.
std::string radioAddressText(std::uint64_t address);
// A fixed command of the entry (clear stored data, disconnection, demo mode).
std::string commandBarcodeText(std::string_view command);
// The typed date-time value, only when it has exactly 14 characters.
std::optional<std::string> dateTimeBarcodeText(std::u16string_view value);

// The text the dialog draws in `mode`: the last of `radios` (all are drawn in one place), the
// entry's command, or the date-time value. Nothing when there is no radio (the dialog shows its
// "not found" message instead), when the value is not 14 characters, or for an unknown mode.
std::optional<std::string> addressBarcodeText(std::uint32_t mode, std::string_view command,
                                              std::u16string_view value,
                                              std::span<const std::uint64_t> radios);

// --- Send-command dialog ---

// The clock shown in the time mode, "yyyy/MM/dd HH:mm:ss", and its reading back when sending.
std::string clockText(const DateTime& time);
std::optional<DateTime> parseClockText(std::string_view text);

inline constexpr std::size_t kDeviceNameMaxLength = 19;

// The command of one device-name character: "0A".."0Z", "Q0".."Q9", and "5A" space, "5I" "(",
// "5J" ")", "5N" "-", "5O" ".", "6D" "="; null for any other character.
const char* deviceNameCommand(char16_t c);

// The text left after a change in the name box: only upper-case letters, digits and " ()-.="
// stay (lower-case letters are dropped, not converted), at most 19 characters.
std::u16string filterDeviceName(std::u16string_view typed);

struct SendCommandControls {
    bool clockVisible = false;       // time mode
    bool valueVisible = false;       // device-name mode: the name box and its hints
    bool initializeVisible = false;  // device-name mode
    bool valueEnabled = false;       // the name box, while "Initialize" is clear
    bool sendEnabled = false;        // only with an open port
};

SendCommandControls sendCommandControls(std::uint32_t mode, bool initialize, bool portOpen);

// The writes of a time adjustment, in order: "[EBE"; the year as 4 digits and month, day, hour,
// minute and second as 2 digits each, every digit as "Q" and the digit; "[EBF"; "[EBG". In 1D
// mode each digit is its own write, in 2D mode each number's digits are one write. No carriage
// returns.
std::vector<std::string> timeAdjustmentWrites(const DateTime& time, bool mode2D);

// The writes of a device name: "[E65", unless `initialize` the command of each character of the
// name (followed by a carriage return in 1D mode; characters outside the table are skipped),
// then "[E66".
std::vector<std::string> deviceNameWrites(std::u16string_view name, bool initialize, bool mode2D);

// All writes as the bytes that reach the port.
std::string joinWrites(std::span<const std::string> writes);

}  // namespace omni::commands::compose
