// Readers in keyboard (HID) mode: finding their input devices, and listening to one of them.
//
// A reader in keyboard mode is an input device whose id carries the maker's USB vendor id and a
// keyboard product id (the ones port discovery counts). Its event device is found under
// <sys>/class/input/event*, its node under <dev>/input, and its stable name under
// <dev>/input/by-id when udev made one.
//
// While a listener is open it holds the device exclusively (EVIOCGRAB): the reader's keystrokes
// reach only the listener, not the focused window of any program. The grab ends when the
// listener closes, when the device goes away and when the process ends (the kernel drops it with
// the descriptor).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "serial/keystroke_decoder.h"
#include "serial/port_discovery.h"
#include "stream/thread_runnable.h"

namespace omni::serial {

struct KeyboardReaderDevice {
    std::string node;   // "/dev/input/event7"
    std::string label;  // the by-id name when there is one, else the device's own name
    std::uint16_t product = 0;
};

// The keyboard-mode readers attached, in the order of their event numbers.
std::vector<KeyboardReaderDevice> findKeyboardReaders(const DiscoveryRoots& roots = {});

class KeyboardListener : public stream::ThreadRunnable {
public:
    // Called on the listener's thread: the bytes a batch of events typed, and (once) the end
    // of the device with the system's error number (ENODEV: unplugged).
    using TextSink = std::function<void(std::string_view bytes)>;
    using EndSink = std::function<void(int error)>;

    KeyboardListener();
    ~KeyboardListener() override;

    // Opens `node`, takes the exclusive grab and starts listening. Throws UserException with
    // the reason in the user's words (no permission, held by another program, no such device).
    void open(const std::string& node, KeyboardLayout layout, TextSink text, EndSink end);
    // Listens on a descriptor that is already open (taken over), grabbing it when `grab`.
    void adopt(int fd, bool grab, KeyboardLayout layout, TextSink text, EndSink end);
    // Stops listening, releases the grab and closes the device. Safe to call twice.
    void close();
    void stop() override { close(); }

    bool isOpen() const { return fd_ >= 0; }
    const std::string& node() const { return node_; }

private:
    void run() override;
    void finish(int error);

    int fd_ = -1;
    int wake_ = -1;  // eventfd that ends the thread
    bool grabbed_ = false;
    std::string node_;
    KeystrokeDecoder decoder_;
    TextSink text_;
    EndSink end_;
};

}  // namespace omni::serial
