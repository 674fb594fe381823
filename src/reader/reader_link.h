// Opening a port for a reader and identifying the engine on it, and the messages that say why
// either failed. The command-line tool and the desktop program both connect through here, so a
// reader failure reads the same in both.
#pragma once

#include <string>
#include <string_view>

#include "foundation/exception.h"
#include "reader/module_host.h"
#include "serial/port_descriptor.h"
#include "serial/serial_port.h"

namespace omni::reader {

// What the engine said about itself; empty texts when it did not identify itself.
struct Identity {
    std::string family;    // the module family's class name
    std::string firmware;  // the firmware version text
    std::string model;     // the model text ("KVT", ...), often empty
    // The engine kept quiet: it is taken to sit in its boot loader, where only firmware
    // download works.
    bool bootLoader() const { return !family.empty() && firmware.empty(); }
};

// What kind of failure ended an attempt, for callers that answer differently (the CLI's exit
// statuses).
enum class FailureKind {
    None,
    LineSettings,  // the port refused the line settings asked for
    NoSuchPort,    // nothing is at the path
    Port,          // the port could not be opened
    NoAnswer,      // the reader did not answer in time
    Link,          // the link failed, or what answered is no reader
};

// The kind of failure an exception of opening (`opening`) or of the link stands for.
FailureKind failureKindOf(const foundation::Exception& error, bool opening);

// The outcome of connectReader(). On failure the port is closed and `failure` says why.
struct Connection {
    ModuleHandle module;
    Identity identity;
    std::string failure;  // UTF-8, empty on success
    FailureKind failureKind = FailureKind::None;
    bool ok() const { return failure.empty(); }
};

// True when a firmware version names a 1D engine: it begins with "TC", "TM", "TS", "TF", "DA"
// or "BFM".
bool isOneDimensionalVersion(std::string_view version);

// Opens `device` (line settings stored under `keyPath`) and identifies the engine on it. `label`
// names the port in the messages. The whole identification ends within the port's
// identifyLimitMs (a device that drips bytes without ever ending its line fails with the no-answer
// message), and the port's cancelWait() ends it at once. A time-out, a lost link, a cancel or an
// answer that fits no engine fails the attempt and closes the port. A reader that keeps quiet is
// taken to sit in its boot loader: it connects with that module (bootLoader() of its identity),
// which refuses menu commands.
Connection connectReader(serial::SerialPortForPosix& port, const serial::PortDescriptor& device,
                         std::string_view keyPath, std::string_view label);

// Opens `device` without identifying it. Returns the open-failure message, empty on success.
// `kind`, when given, receives the kind of failure (None on success).
std::string openReaderPort(serial::SerialPortForPosix& port, const serial::PortDescriptor& device,
                           std::string_view keyPath, std::string_view label,
                           FailureKind* kind = nullptr);

// Why the port `label` could not be opened: which port, what is wrong and how to fix it.
std::string openFailureMessage(std::string_view label, const foundation::Exception& error);

// Why the link to the reader on `label` failed once the port was open: it went away, it did not
// answer, or what answered is no reader.
std::string linkFailureMessage(std::string_view label, const foundation::Exception& error);

}  // namespace omni::reader
