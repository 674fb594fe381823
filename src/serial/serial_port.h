// The connection to a reader: a serial port or a reader's USB virtual COM port, over termios.
//
// One object per connection, owned by the main window (or the command-line tool). It writes
// command frames, reads replies with time-outs, and while receiving runs an idle-priority thread
// that copies everything the reader sends into a listener (the communication log chain) and,
// when one is set, into a shared capture buffer. It also lends itself to the module library as
// that library's serial port (moduleHandle()).
//
// Errors: KesException(KES_STATE_SERIAL_PORT_IS_CLOSED) for any I/O on a closed port,
// KesException(KES_STATE_COMMUNICATION_TIMEOUT) when a transfer does not finish in time (the
// receive queue is purged first, so a late reply is not taken for the next answer),
// KesException(KES_STATE_CANCELED) for a wait ended by cancelWait(), and SystemException with the
// OS error when the device cannot be opened or goes away (unplugged, hung up).
//
// Threads: open, close, startReceiving and stop belong to the owner's thread. write/put may run
// on one thread while the receive thread waits and reads. A request/reply exchange (module
// library, reading a reply) must stop the receive thread first and start it again afterwards;
// the port does not arbitrate between two readers. cancelWait() may be called from any thread.
#pragma once

#include <termios.h>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/exception.h"
#include "module/kes_sdk.h"
#include "serial/line_settings.h"
#include "serial/named_lock.h"
#include "serial/port_descriptor.h"
#include "stream/stream.h"
#include "stream/thread_runnable.h"

namespace omni::serial {

// Time limits of the port. The defaults are the reader protocol's; tests shorten them.
struct SerialTiming {
    unsigned blockTimeoutMs = 3000;     // one chunk of read() or write()
    unsigned perByteTimeoutMs = 0;      // get() and put(); 0: from the baud rate
    unsigned waitLimitMs = 0;           // if not 0, caps every finite wait
    unsigned moduleModePauseMs = 1000;  // pause before leaving the module's high-speed mode
    unsigned recoveryWaitMs = 1000;     // wait for the reply to ESC "Z1" CR after that
    unsigned recoveryByteMs = 3000;     // each byte of that reply
    unsigned ctsPauseMs = 100;          // when CTS holds transmission at open
    unsigned receiveStopMs = 5000;      // join limit when stopping the receive thread
    unsigned identifyLimitMs = 8000;    // the whole identification exchange (answer and line)
    unsigned drainLimitMs = 1000;       // written bytes leaving the output queue, beyond their
                                        // transmission time at the line's speed
};

// Everything the high-speed switch changes on a line: the termios state and, on devices that have
// them, the DTR and RTS lines.
struct LineState {
    termios attributes{};
    int modemLines = -1;  // TIOCM_* bits; -1 when the device has no modem lines (a pty)
};

class SerialPortForPosix : public stream::Communicator<char>, public stream::ThreadRunnable {
public:
    static constexpr unsigned kWaitForever = ~0u;
    static constexpr std::size_t kReceiveBuffer = 4096;

    SerialPortForPosix();
    ~SerialPortForPosix() override;

    // Opens the port with its stored line settings (or 9600 8N1). Does nothing when already open.
    // A port found in the module's high-speed mode is taken out of it (ESC "Z1" CR).
    // While open, the device is held exclusively (the terminal's exclusive flag, and an advisory
    // lock that also keeps out a second copy of this program: EBUSY). Every setting is read back;
    // one the device does not take throws UserException naming it.
    // close() hands the device back as it was found: line settings, DTR and RTS, no exclusive
    // flag.
    void open(const PortDescriptor& port, std::string_view settingsKey);
    // Line settings used by the following opens instead of the stored ones (none: stored).
    void setLineOverride(std::optional<LineSettings> settings) { lineOverride_ = settings; }
    // Stops the receive thread, purges the input and closes the device. Harmless when closed.
    void close();

    // Starts the receive thread feeding `listener` (not owned; outlives receiving). Does nothing
    // when the port is closed or the thread already runs.
    void startReceiving(stream::OutputStream<char>* listener);
    // Ends the receive thread quietly (sets the cancel signal, joins within receiveStopMs).
    void stop() override;
    bool isReceiving() const { return isRunning(); }
    // Called on the receive thread when it ends on an error other than a cancel (the reader
    // vanished, the port failed). The desktop shows it; set before startReceiving.
    void setErrorReporter(std::function<void(const foundation::Exception&)> reporter);

    // A zero-terminated text buffer of `capacity` bytes (shared with another process) that also
    // receives everything read, guarded by `lock`. Null buffer: none. Not owned.
    void setCaptureSink(char* buffer, std::size_t capacity, NamedLock* lock);

    // Communicator<char>
    void write(const char* data, std::size_t count) override;
    void put(const char* item) override;
    void flush() override {}
    bool isOpen() override { return open_.load(std::memory_order_acquire); }
    std::size_t waitForData(unsigned timeoutMs) override;
    std::size_t read(char* buffer, std::size_t count) override;
    std::size_t get(char* item) override;

    // Ends the current (or the next) waitForData, read or get with KES_STATE_CANCELED. Any
    // thread.
    void cancelWait();

    // Caps every wait of this port's reads and writes at `deadline`; past it they end with
    // KES_STATE_COMMUNICATION_TIMEOUT. For an exchange that must end within an overall limit
    // (identification). Belongs to the thread doing that exchange.
    void limitWaitsUntil(std::chrono::steady_clock::time_point deadline);
    void clearWaitLimit() { hasDeadline_ = false; }

    // Reads bytes up to `terminator` (not stored), at most `max` bytes, each awaited up to
    // `byteTimeoutMs`; returns them.
    std::string readLine(std::size_t max, char terminator, unsigned byteTimeoutMs);

    // The module's high-speed mode (115200 8N1, no flow control) and back, for plain serial ports
    // only; USB ports ignore both. Restoring brings back every line setting, DTR and RTS included.
    void switchToHighSpeed();
    void restoreSpeed();

    // The line's current state, and setting one (DTR and RTS only where the device has them).
    LineState lineState() const;
    void applyLineState(const LineState& state);

    // The module library's serial-port handle for this object.
    KesHandle moduleHandle() const { return moduleHandle_; }

    const PortDescriptor& port() const { return port_; }
    std::size_t chunkSize() const { return chunk_; }
    unsigned perByteTimeoutMs() const;
    void setTiming(const SerialTiming& timing) { timing_ = timing; }
    const SerialTiming& timing() const { return timing_; }

protected:
    void run() override;

private:
    void requireOpen() const;
    void purgeInput();
    // Waits for the descriptor to become readable or writable; false on time-out. Throws when
    // the device has gone.
    bool waitReady(short events, unsigned timeoutMs);
    // Caps `timeoutMs` at the deadline of limitWaitsUntil().
    unsigned capped(unsigned timeoutMs) const;
    // True (and the signal consumed) when a cancel is pending.
    bool takeCancel();
    // Writes what the device takes of `count` bytes once it has room: 0 after a refusal, a
    // time-out (the output discarded) at `deadline`.
    std::size_t writeWhenReady(const char* data, std::size_t count,
                               std::chrono::steady_clock::time_point deadline);
    // Reads what has come of `count` bytes once there is any: 0 when to try again; a time-out
    // at `deadline`.
    std::size_t readWhenReady(char* into, std::size_t count,
                              std::chrono::steady_clock::time_point deadline);
    // Moves `count` bytes in pieces of at most chunk_ bytes, each within the block time-out;
    // `step(offset, length, deadline)` moves what it can and returns how much.
    template <typename Step>
    void inPieces(std::size_t count, Step step);
    // Waits until the written bytes have left the output queue; on time-out discards them.
    void drainOutput();
    // Discards everything queued in both directions (time-out).
    void discardOutput();
    // Closing: discards the input and any output the device has not taken yet.
    void discardStuckOutput();
    [[noreturn]] void throwLost(int error) const;
    [[noreturn]] void throwTimeout();
    void applyState(const termios& state);
    void setTimingFromBaud(std::uint32_t baud);
    void leaveModuleMode();
    void capture(const char* data, std::size_t count);

    int fd_ = -1;
    int cancelFd_ = -1;  // eventfd: readable while a cancel is pending
    std::atomic<bool> open_{false};
    PortDescriptor port_;
    std::size_t chunk_ = 100;
    unsigned perByteMs_ = 333;
    LineState saved_;         // the state to return to after the high-speed switch
    termios original_{};      // the state the device was found in, restored by close()
    int originalLines_ = -1;  // its DTR and RTS lines then; -1: it has none
    bool hasDeadline_ = false;
    std::chrono::steady_clock::time_point deadline_{};
    KesHandle moduleHandle_ = KES_INVALID_HANDLE;
    stream::OutputStream<char>* listener_ = nullptr;
    std::function<void(const foundation::Exception&)> reporter_;
    char* captureBuffer_ = nullptr;
    std::size_t captureCapacity_ = 0;
    NamedLock* captureLock_ = nullptr;
    SerialTiming timing_;
    std::optional<LineSettings> lineOverride_;
};

}  // namespace omni::serial
