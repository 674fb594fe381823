// The local Bluetooth adapters whose addresses the address barcode dialog shows. The system's
// come from Qt Bluetooth when the program is built with it; without it there are none. Tests
// give fixed addresses.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace omni::menucode::bluetooth {

class BluetoothRadios {
public:
    virtual ~BluetoothRadios() = default;
    // The 48-bit addresses of the adapters, in the order the system lists them.
    virtual std::vector<std::uint64_t> addresses() const = 0;
};

class FixedBluetoothRadios : public BluetoothRadios {
public:
    explicit FixedBluetoothRadios(std::vector<std::uint64_t> addresses)
        : addresses_(std::move(addresses)) {}
    std::vector<std::uint64_t> addresses() const override { return addresses_; }

private:
    std::vector<std::uint64_t> addresses_;
};

// The adapters of this computer (none on a machine without a radio or without Qt Bluetooth).
std::shared_ptr<const BluetoothRadios> systemBluetoothRadios();

}  // namespace omni::menucode::bluetooth
