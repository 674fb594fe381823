// Port discovery: which serial devices exist right now, what is behind each (a plain serial port
// or one of our USB readers), their labels and order, and the change detection that drives the
// port box and its watch notification.
//
// Devices come from sysfs (<sys>/class/tty), real devices only: entries with a "device" link,
// and for the 8250-style ttyS ports only those whose "type" is not 0 (the kernel registers
// placeholders for ports that are not there). The device node must exist under <dev>. USB vendor
// and product ids are read from the nearest USB device above the tty in sysfs. Both roots are
// parameters so that tests run on a fake tree.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "serial/port_descriptor.h"
#include "stream/thread_runnable.h"

namespace omni::serial {

// Our USB vendor id (set by the build, OMNI_READER_VENDOR_ID) and the product ids of the readers.
#ifndef OMNI_READER_VENDOR_ID
#define OMNI_READER_VENDOR_ID 0x1E5A
#endif
static_assert(OMNI_READER_VENDOR_ID >= 0 && OMNI_READER_VENDOR_ID <= 0xFFFF,
              "a USB vendor id has 16 bits");
inline constexpr std::uint16_t kReaderVendorId = OMNI_READER_VENDOR_ID;
inline constexpr std::uint16_t kProductReader2D = 0xA002;
inline constexpr std::uint16_t kProductReader1D = 0x0009;
// Readers in keyboard mode: counted, never listed as ports.
inline constexpr std::uint16_t kProductKeyboard2D = 0xA001;
inline constexpr std::uint16_t kProductKeyboard1D = 0x0001;

inline constexpr std::size_t kMaxPorts = 256;

struct DiscoveryRoots {
    std::filesystem::path sys = "/sys";
    std::filesystem::path dev = "/dev";
};

struct UsbIdentity {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
};

// The kind of port for a USB identity (none: a plain serial port).
PortKind kindOf(std::optional<UsbIdentity> usb);

// The serial devices present, in natural order of their names (ttyACM9 before ttyACM10), at most
// kMaxPorts. Unreadable entries are skipped.
std::vector<PortDescriptor> enumeratePorts(const DiscoveryRoots& roots = {});

// Keyboard-mode readers attached (input devices with our vendor id and a keyboard product id).
std::size_t countKeyboardReaders(const DiscoveryRoots& roots = {});

// The kind of the device at `path` (a /dev node or a link to one, such as /dev/serial/by-id/...);
// a plain serial port when nothing is known about it.
PortKind kindOfDevice(const std::filesystem::path& path, const DiscoveryRoots& roots = {});

// Natural order of device names: the same text before a number, then the number.
bool naturalLess(const std::string& a, const std::string& b);

// The list the port box shows, the chosen port and the watch flag. Not thread-safe: one owner.
class PortWatch {
public:
    struct Update {
        bool changed = false;          // the list differs from the one shown; redraw it
        bool selectedPresent = false;  // the chosen port is in the (new) list
        // Set only when the list changed while watching: tell the owner the chosen port is
        // present (true, after a 500 ms pause so the device can settle) or gone (false).
        std::optional<bool> notify;
    };
    static constexpr unsigned kAppearPauseMs = 500;

    Update refresh(std::vector<PortDescriptor> found);

    const std::vector<PortDescriptor>& ports() const { return ports_; }
    // The user's choice; choosing also ends watching, as a new choice is not yet connected.
    void choose(const PortDescriptor& port);
    // Restores a stored choice with its watch flag.
    void restore(const PortDescriptor& port, bool watching);
    const PortDescriptor& selected() const { return selected_; }
    void setWatching(bool watching) { watching_ = watching; }
    bool watching() const { return watching_; }

private:
    std::vector<PortDescriptor> ports_;
    PortDescriptor selected_;
    bool watching_ = false;
};

// Polls the system on an idle thread every interval and reports each change. The callback runs
// on the poll thread; it gets the new list and the watch notification (if any), already past the
// appear pause. Choose, restore and watch through the functions here, from any thread.
class PortPoller : public stream::ThreadRunnable {
public:
    using Listener =
        std::function<void(const std::vector<PortDescriptor>& ports, std::optional<bool> notify)>;

    explicit PortPoller(Listener listener, DiscoveryRoots roots = {}, unsigned intervalMs = 500);
    ~PortPoller() override;

    void stop() override;
    void refreshNow();  // poll at once instead of at the next tick
    void choose(const PortDescriptor& port);
    void restore(const PortDescriptor& port, bool watching);
    void setWatching(bool watching);
    PortDescriptor selected() const;
    bool watching() const;

protected:
    void run() override;

private:
    Listener listener_;
    DiscoveryRoots roots_;
    unsigned intervalMs_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool refresh_ = false;
    PortWatch watch_;
};

}  // namespace omni::serial
