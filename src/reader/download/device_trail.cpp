#include "reader/download/device_trail.h"

#include <fstream>

namespace omni::reader {
namespace fs = std::filesystem;
namespace {

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The sysfs entry of a tty: by the device's own name, or by the name of what a link points to
// (/dev/serial/by-id/... -> /dev/ttyACM0).
fs::path ttyEntry(const std::string& device, const serial::DiscoveryRoots& roots) {
    std::error_code error;
    fs::path entry = roots.sys / "class" / "tty" / fs::path(device).filename();
    if (fs::exists(entry / "device", error))
        return entry;
    fs::path target = fs::canonical(device, error);
    if (!error) {
        entry = roots.sys / "class" / "tty" / target.filename();
        if (fs::exists(entry / "device", error))
            return entry;
    }
    return {};
}

}  // namespace

DeviceTrail traceDevice(const serial::PortDescriptor& port, const serial::DiscoveryRoots& roots) {
    DeviceTrail trail;
    trail.port = port;
    fs::path entry = ttyEntry(port.device, roots);
    if (entry.empty())
        return trail;
    std::error_code error;
    fs::path folder = fs::canonical(entry / "device", error);
    fs::path stop = fs::canonical(roots.sys, error);
    // The USB device is the nearest folder above the interface with idVendor.
    for (int depth = 0; depth < 16 && !folder.empty() && folder != stop; ++depth) {
        if (fs::exists(folder / "idVendor", error)) {
            trail.usbSerial = firstLine(folder / "serial");
            trail.usbPath = folder.filename().string();
            break;
        }
        if (folder == folder.parent_path())
            break;
        folder = folder.parent_path();
    }
    return trail;
}

std::optional<serial::PortDescriptor> findDevice(const DeviceTrail& trail,
                                                 const serial::DiscoveryRoots& roots) {
    std::optional<serial::PortDescriptor> samePort;
    for (const serial::PortDescriptor& port : enumeratePorts(roots)) {
        DeviceTrail now = traceDevice(port, roots);
        if (!trail.usbSerial.empty() && now.usbSerial == trail.usbSerial)
            return port;
        if (trail.usbSerial.empty() && !trail.usbPath.empty() && now.usbPath == trail.usbPath)
            samePort = port;
    }
    if (samePort)
        return samePort;
    std::error_code error;
    if (!trail.port.device.empty() && fs::exists(trail.port.device, error))
        return trail.port;
    return std::nullopt;
}

}  // namespace omni::reader
