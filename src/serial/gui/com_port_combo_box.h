// The port box of the "Port" band: the serial devices present right now, each labelled by what
// is behind it, followed by device paths the operator typed (while they exist) and the two
// simulated readers. The list is refreshed on the box's own idle thread, woken every 500 ms, and
// redrawn only when it changed.
//
// The chosen port and the watch flag persist as "SerialPortSelect", 12 bytes: a marker word (0),
// the port descriptor (kind in the high 16 bits, the number at the end of the device name in the
// low 16 bits) and the watch flag. A Linux device is named by its path rather than a number, so
// the path is kept beside it as "SerialPortSelectDevice" (260 bytes: its length marker 260 and the
// path, UTF-8, zero-terminated). Both must be valid for a stored choice to count.
//
// Watching: while the owner wants to follow the chosen port (it connected to it, or lost it
// unexpectedly) it sets the watch flag; each change of the list then emits watchNotification(),
// true when the chosen port is present (after a 500 ms pause so the device can settle) and false
// when it is gone. A new choice by the operator ends watching.
//
// Enter in the box (Return or keypad Enter) takes the typed text as the choice and stops there:
// it never reaches the window's shortcuts (Send).
//
// Threads: the poll thread only enumerates and compares; the combo box itself, the choice and
// the signals belong to the user-interface thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "serial/gui/focus_wheel_combo_box.h"
#include "serial/port_discovery.h"
#include "stream/thread_runnable.h"

class QTimer;

namespace omni::serial {

struct SerialPortSelect {
    std::uint32_t marker = 0;
    std::uint32_t descriptor = 0;
    std::uint32_t watch = 0;
};
static_assert(sizeof(SerialPortSelect) == 12, "the stored record is 12 bytes");

struct SerialPortSelectDevice {
    static constexpr std::uint32_t kMarker = 260;
    std::uint32_t length = kMarker;
    char path[256] = {};
};
static_assert(sizeof(SerialPortSelectDevice) == 260, "the stored record is 260 bytes");

inline constexpr std::string_view kSerialPortSelectName = "SerialPortSelect";
inline constexpr std::string_view kSerialPortSelectDeviceName = "SerialPortSelectDevice";

// The 32-bit descriptor word of a port: kind and the number its device name ends with.
std::uint32_t packDescriptor(const PortDescriptor& port);

// The stored choice and watch flag; an empty descriptor when there is none.
struct StoredPortChoice {
    PortDescriptor port;
    bool watching = false;
};
StoredPortChoice loadPortChoice(std::string_view keyPath);
// Throws SystemException when a record cannot be written; a path longer than 255 bytes is not
// stored (no choice is remembered).
void storePortChoice(std::string_view keyPath, const StoredPortChoice& choice);

// The label shown for a port: the simulated readers by name, other devices by portLabel().
QString portBoxLabel(const PortDescriptor& port);

class ComPortComboBox : public FocusWheelComboBox, public stream::ThreadRunnable {
    Q_OBJECT
public:
    static constexpr int kWidth = 240;
    static constexpr int kPollMs = 500;

    // Further ports to list after the discovered ones (the simulated readers). Called on the poll
    // thread.
    using ExtraPorts = std::function<std::vector<PortDescriptor>()>;

    // Reads the stored choice under `keyPath`, then starts the timer and the poll thread.
    ComPortComboBox(std::string keyPath, ExtraPorts extra, QWidget* parent = nullptr,
                    DiscoveryRoots roots = {});
    // Stores the choice and stops the poll thread.
    ~ComPortComboBox() override;

    // The chosen port (empty when none), with the kind the list gives it.
    PortDescriptor selectedPort() const;
    // Chooses a port as the operator would; ends watching.
    void choosePort(const PortDescriptor& port);
    // Chooses a device by its path, typed by the operator; it is listed while it exists.
    void chooseDevicePath(const QString& path);
    // Takes what the box shows as the choice: a listed label chooses its port, other text is a
    // device path. Returns why the text names no usable serial device (a missing path, a folder,
    // a file that is not a character device), or an empty text when the choice stands.
    QString takeShownText();

    void setWatching(bool watching);
    bool watching() const;
    // Forgets the list last seen, so that the next poll reports the chosen port present or
    // absent even when nothing changed in between: after a connection is lost, a reader that is
    // back before the next poll is still reported.
    void rearm();

    // The ports shown, in order.
    std::vector<PortDescriptor> ports() const { return shown_; }

    // Polls at once instead of at the next tick.
    void refreshNow();
    // Writes the records. Throws SystemException when they cannot be written.
    void storeChoice() const;

    void stop() override;

signals:
    // The list shown has changed.
    void portsChanged();
    // The chosen port appeared (true) or vanished (false) while watching.
    void watchNotification(bool present);
    // Enter was pressed on a path that is no serial device; `reason` says why.
    void pathRejected(const QString& reason);

protected:
    void run() override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPorts(const std::vector<PortDescriptor>& ports, bool selectedPresent);
    void showSelection(bool present);
    void onActivated(int index);
    void onTyped();

    std::string keyPath_;
    ExtraPorts extra_;
    DiscoveryRoots roots_;
    QTimer* timer_;
    std::vector<PortDescriptor> shown_;  // user-interface thread

    mutable std::mutex mutex_;  // guards everything below, shared with the poll thread
    std::condition_variable wake_;
    bool quit_ = false;
    bool refresh_ = false;
    PortWatch watch_;
    std::vector<std::string> typed_;  // device paths typed this run
};

}  // namespace omni::serial
