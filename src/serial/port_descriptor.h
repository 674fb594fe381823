// What the port box hands to the serial port: the kind of device behind a port and its device
// path. Linux has no COM numbers, so a port is named by its device ("ttyUSB0", "pts/3").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace omni::serial {

enum class PortKind : std::uint16_t {
    Serial = 0,    // a plain serial port, or a device we do not recognise
    Reader2D = 1,  // one of our USB readers with a 2D engine
    Reader1D = 2,  // one of our USB readers with a 1D engine
};

struct PortDescriptor {
    PortKind kind = PortKind::Serial;
    std::string device;  // full path, "/dev/ttyACM0"; empty when no port is chosen

    bool empty() const { return device.empty(); }
    // The device's name: the path below "/dev/" ("ttyACM0", "pts/3"), or the file name of a
    // device elsewhere.
    std::string name() const;
    bool operator==(const PortDescriptor&) const = default;
};

// The label shown in port lists, which also names the port's stored line settings:
// "Communication Port (ttyS0)", "Kestrel USB Code Reader(2D) (ttyACM0)", ...
std::u16string portLabel(const PortDescriptor& port);
// The same label in the form the settings store uses as the value name (UTF-8, never translated).
std::string portSettingsName(const PortDescriptor& port);

}  // namespace omni::serial
