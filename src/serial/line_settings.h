// The line settings of one port: the 28-byte record stored per port (value named after the port's
// label) and its translation to termios.
#pragma once

#include <termios.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "foundation/exception.h"
#include "serial/port_descriptor.h"

namespace omni::serial {

enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class StopBits : std::uint8_t { One = 0, OneAndHalf = 1, Two = 2 };  // 1.5 is sent as 2
enum class FlowControl : std::uint8_t {
    None = 0,
    Hardware = 1,
    Software = 2
};  // RTS/CTS, XON/XOFF

// Stored layout, 28 bytes, little-endian as the machine writes it. Valid only with `length` 28.
struct LineSettings {
    static constexpr std::uint32_t kMarker = 28;

    std::uint32_t length = kMarker;
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;  // 5 to 8
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    FlowControl flowControl = FlowControl::None;
    std::uint8_t xonChar = 0x11;
    std::uint8_t xoffChar = 0x13;
    std::uint8_t reserved0[2] = {};
    std::uint32_t reserved1[3] = {};

    bool operator==(const LineSettings&) const = default;
};
static_assert(sizeof(LineSettings) == 28, "the stored record is 28 bytes");

// The stored settings of the port, or the defaults (9600 baud, 8N1, no flow control) when the
// record is missing, its marker is not 28 or a value is outside its range (baud rate 0, data bits
// other than 5 to 8, an unknown parity, stop-bit or flow-control code). A baud rate the system
// has no speed for is kept: opening names it (lineSettingRefused).
LineSettings loadLineSettings(std::string_view settingsKey, const PortDescriptor& port);
void storeLineSettings(std::string_view settingsKey, const PortDescriptor& port,
                       const LineSettings& settings);

// The values by name, as messages and the command line spell them: "none" "odd" "even" "mark"
// "space"; "1" "1.5" "2"; "none" "hardware" "software". Unknown names give nothing.
std::string_view nameOf(Parity parity);
std::string_view nameOf(StopBits stopBits);
std::string_view nameOf(FlowControl flow);
std::optional<Parity> parityNamed(std::string_view name);
std::optional<StopBits> stopBitsNamed(std::string_view name);
std::optional<FlowControl> flowNamed(std::string_view name);

// The settings a port may refuse, for messages that name them.
enum class LineSetting { BaudRate, DataBits, Parity, StopBits, FlowControl };
// UserException (BadInput) saying that the port does not take `which` at its value in `settings`.
foundation::UserException lineSettingRefused(LineSetting which, const LineSettings& settings);

// True when every value is within its range (see loadLineSettings).
bool inRange(const LineSettings& settings);

// Raw termios for the settings: no echo, no line editing, no translation, reads that never block.
// Throws lineSettingRefused() for a baud rate the system has no speed for or another value out of
// range.
termios toTermios(const LineSettings& settings, const termios& base);

// The baud rate of a termios state (0 when it is not a standard speed).
std::uint32_t baudRateOf(const termios& state);

// True for the state a module leaves a plain port in while it sends images: 115200 baud, 8 data
// bits, RTS/CTS handshake.
bool isModuleHighSpeedState(const termios& state);

}  // namespace omni::serial
