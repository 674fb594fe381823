// Following a reader that restarts: a USB reader goes away after a firmware download and comes
// back, possibly under another device name. It is found again by its USB serial number, or
// failing that by the USB port it is plugged into, or failing that by its old device path.
#pragma once

#include <optional>
#include <string>

#include "serial/port_descriptor.h"
#include "serial/port_discovery.h"

namespace omni::reader {

struct DeviceTrail {
    serial::PortDescriptor port;  // where the reader was
    std::string usbSerial;        // the USB device's serial number, empty when it has none
    std::string usbPath;  // the USB device's place in the bus tree ("1-1.2"), empty if not USB
};

// What sysfs tells about the device at `port` now.
DeviceTrail traceDevice(const serial::PortDescriptor& port,
                        const serial::DiscoveryRoots& roots = {});

// The device that carries the trail now, if it is present: the same serial number, else the
// same USB port, else the same device path.
std::optional<serial::PortDescriptor> findDevice(const DeviceTrail& trail,
                                                 const serial::DiscoveryRoots& roots = {});

}  // namespace omni::reader
