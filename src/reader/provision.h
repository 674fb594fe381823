// Provisioning: one page's commands sent to one reader, and (when asked) each command checked
// against the reader's acknowledgement. The command-line tool runs one of these per port in its
// own thread; the desktop program runs them behind its progress list.
//
// With verification the reader is switched to ACK mode ("WC") first and back ("WD") at the end,
// even when a command failed; every command must then be answered by ACK (0x06) before the next
// one goes. A NAK (0x15) marks the command refused and the next one is sent; a reader that stays
// silent ends the run with a failure. Anything else the reader sends in between (the answer of a
// query) is passed over.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "reader/reader_link.h"
#include "serial/port_descriptor.h"
#include "serial/serial_port.h"

namespace omni::reader {

struct ProvisionRequest {
    serial::PortDescriptor device;
    std::string label;    // names the port in messages
    std::string keyPath;  // where the port's line settings are stored
    std::vector<std::string> commands;
    bool verify = false;
    unsigned ackTimeoutMs = 3000;  // longest wait for one acknowledgement
};

// How far one reader has come; reported after the connection and after each command.
struct ProvisionProgress {
    enum class Stage { Connecting, Sending, Finished };
    Stage stage = Stage::Connecting;
    std::size_t sent = 0;
    std::size_t acknowledged = 0;
    std::size_t total = 0;
};

struct ProvisionResult {
    std::string label;
    Identity identity;
    bool verified = false;  // acknowledgements were checked
    std::size_t total = 0;
    std::size_t sent = 0;
    std::size_t acknowledged = 0;
    std::size_t refused = 0;  // answered with NAK
    std::chrono::milliseconds elapsed{0};
    std::string failure;  // UTF-8, empty when every command went through
    FailureKind failureKind = FailureKind::None;
    bool cancelled = false;
    bool ok() const { return failure.empty() && !cancelled; }
};

// Stops a running provisioning from another thread: the flag is seen between commands, and the
// port's current wait ends at once.
class ProvisionCancel {
public:
    void attach(serial::SerialPortForPosix* port);
    void cancel();
    bool cancelled() const { return cancelled_.load(); }

private:
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;  // keeps the port attached while cancel() reaches it
    serial::SerialPortForPosix* port_ = nullptr;
};

using ProvisionListener = std::function<void(const ProvisionProgress&)>;

// Connects to the reader, identifies it, sends the commands and closes the port. Never throws for
// a reader or port failure: the result says what happened. `listener` may be empty; it is called
// on the calling thread.
ProvisionResult provisionReader(serial::SerialPortForPosix& port, const ProvisionRequest& request,
                                const ProvisionListener& listener, ProvisionCancel& cancel);

}  // namespace omni::reader
