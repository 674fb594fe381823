// The connection to a reader as the desktop program holds it: the serial port, the module handle
// identified on it, the command exchange, and the receive path into the communication log.
//
// connectTo() runs the reader layer's connectReader() (open, identify) on a worker thread
// (identification waits up to a few seconds for a silent reader), so the user-interface thread
// keeps running; the worker hands the module and the identity back to that thread, and the result
// arrives as connected() or connectFailed() with the reader layer's message. Once connected,
// everything the reader sends goes from the port's receive thread into the log chain. A link that
// fails while connected (the reader unplugged, the simulator hung up) ends in connectionLost() and
// the disconnected state, never in a crash.
//
// A reader that keeps quiet is taken to sit in its boot loader: it connects (bootLoader()), the
// family is left as it was, and menu commands are refused with the module's "not supported"
// status. A time-out, a lost link or an answer that fits no engine fails the attempt with the
// reader layer's message; identification ends within its own limit, and Disconnect ends it at once.
//
// Threads: every public function belongs to the user-interface thread; the signals are emitted
// there.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include <QObject>
#include <QString>

#include "reader/command_exchange.h"
#include "reader/module_host.h"
#include "reader/reader_link.h"
#include "serial/gui/serial_log_box.h"
#include "serial/serial_port.h"

namespace omni::serial {

class SimulatedReaders;

class ReaderConnection : public QObject {
    Q_OBJECT
public:
    enum class State { Disconnected, Connecting, Connected };

    // `log` receives what the reader sends and the echoes; `simulated` supplies the built-in
    // readers. Both outlive the connection.
    ReaderConnection(std::string keyPath, LogChain& log, SimulatedReaders& simulated,
                     QObject* parent = nullptr);
    // Ends a connection attempt and closes the port.
    ~ReaderConnection() override;

    State state() const { return state_; }
    bool isConnected() const { return state_ == State::Connected; }

    // Starts connecting to `port` (a device or a simulated reader); `label` names it in
    // messages. Does nothing unless disconnected.
    void connectTo(const PortDescriptor& port, const QString& label);
    // Closes the connection (or abandons an attempt) at the operator's request.
    void disconnectFromReader();

    // What identification found; empty firmware when the reader did not identify itself.
    const std::string& firmware() const { return firmware_; }
    bool identified() const { return !firmware_.empty(); }
    // The reader kept quiet when asked who it is: it sits in its boot loader.
    bool bootLoader() const { return bootLoader_; }
    // The model text the reader gave ("KVT", ...), empty when it named none.
    const std::string& model() const { return model_; }
    bool twoD() const { return twoD_; }
    const PortDescriptor& port() const { return target_; }
    const QString& label() const { return label_; }

    // Echoes ">" and the command in the log, then sends ESC, the command, CR. Throws
    // KesException or SystemException when the link refuses or fails.
    void send(std::string_view command);

    // Writes a line of the program's own into the log, between lines of the conversation.
    void logMessage(const QString& text);

    // For exchanges that read the reply themselves: stop receiving into the log, and resume.
    void pauseReceiving();
    void resumeReceiving();

    SerialPortForPosix& serialPort() { return port_; }
    // A firmware download works on the port and the module directly, with receiving stopped,
    // and may replace the module with the restarted engine's.
    reader::ModuleHandle& module() { return module_; }
    // After such a download: takes the engine as the download left it and resumes receiving,
    // emitting connected() with its identity; when the reader did not come back the connection
    // is closed and connectionLost() emitted.
    void resumeAfterDownload();
    reader::CommandExchange& exchange() { return exchange_; }
    // Time limits of the port; tests shorten them. Takes effect at the next connection.
    void setTiming(const SerialTiming& timing) { port_.setTiming(timing); }

signals:
    void stateChanged(omni::serial::ReaderConnection::State state);
    void connected();
    void connectFailed(const QString& message);
    // The link failed while connected; the connection is closed already.
    void connectionLost(const QString& reason);

private:
    struct Attempt;
    void finishConnect(std::uint64_t generation, reader::Connection connection);
    void onReceiveError(std::uint64_t generation, const QString& reason);
    // Closes the port; false when its receive thread outlived the stop limit and keeps it.
    bool closeLink();
    void setState(State state);

    std::string keyPath_;
    LogChain& log_;
    SimulatedReaders& simulated_;
    SerialPortForPosix port_;
    reader::ModuleHandle module_;
    reader::CommandExchange exchange_;
    State state_ = State::Disconnected;
    std::uint64_t generation_ = 0;  // one per attempt; late reports of an old one are ignored
    std::atomic<bool> abandoned_{false};
    std::thread worker_;
    PortDescriptor target_;
    QString label_;
    std::string firmware_;
    std::string model_;
    bool twoD_ = true;
    bool bootLoader_ = false;
};

}  // namespace omni::serial
