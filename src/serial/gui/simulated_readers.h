// The simulated readers built into the program: a 2D reader of the "BA" family and a 1D reader
// of the "TC" family, each on a pseudo-terminal pair inside the process, so that every connected
// feature can be tried without hardware. The port box lists them as two extra ports; connecting
// to one plugs its simulator in (starts it) and opens its terminal like any serial device.
//
// Both take a firmware download and restart after it, as a reader does.
//
// A simulator that hangs up counts as unplugged: its port leaves the list until plug() brings a
// fresh one, which the port box then reports like a reader plugged back in.
//
// Threads: present() and presentPorts() may be called from any thread (the port box's poll
// thread); everything else belongs to the user-interface thread.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "serial/port_descriptor.h"

namespace omni::sim {
class SimulatedReader;
}

namespace omni::serial {

enum class SimulatedFamily { TwoD = 0, OneD = 1 };

class SimulatedReaders {
public:
    // The firmware versions the two readers report.
    static constexpr std::string_view kVersion2D = "BA12J13i";
    static constexpr std::string_view kVersion1D = "TC12345";

    SimulatedReaders();
    ~SimulatedReaders();

    // The port descriptor of a simulated reader ("sim:2D", "sim:1D"), and back.
    static PortDescriptor descriptor(SimulatedFamily family);
    static std::optional<SimulatedFamily> familyOf(const PortDescriptor& port);
    static QString label(SimulatedFamily family);

    // The terminal to open for `family`, plugging a simulator in first when none is present.
    // Throws SystemException when no pseudo-terminal can be had.
    std::string devicePath(SimulatedFamily family);

    // True unless the simulator of `family` has hung up or been unplugged.
    bool present(SimulatedFamily family) const;
    // The descriptors of the simulated readers that are present, for the port list.
    std::vector<PortDescriptor> presentPorts() const;

    // Hangs the simulator up, as pulling the cable would.
    void unplug(SimulatedFamily family);
    // A fresh simulator of `family`, started and present (on a new terminal).
    void plug(SimulatedFamily family);

    // The running simulator of `family`, or null before the first plug. Replaced by plug().
    sim::SimulatedReader* reader(SimulatedFamily family) const;

private:
    mutable std::mutex mutex_;
    std::array<std::unique_ptr<sim::SimulatedReader>, 2> readers_;
    std::array<bool, 2> unplugged_{false, false};
};

}  // namespace omni::serial
