// A simulated reader on the far end of a pseudo-terminal pair.
//
// The program (or a test) opens devicePath() as it would open a serial port; the simulator reads
// the master side, splits the byte stream into command frames (ESC, command, CR), keeps a
// transcript of them and hands each command to its responders in order until one answers. The
// reader's behaviour is the list of responders plus a little shared state (the version reply,
// ACK mode, the configuration text), so a new behaviour is a responder rather than a change to
// the loop. Faults a real reader shows on a bad day can be injected: leading control bytes,
// garbage, silence, a reader that stops reading, a hang-up.
//
// Threads: the simulator runs its own thread between start() and stop(); every public function
// may be called from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "sim/locked.h"
namespace omni::sim {

class SimulatedReader;

// One behaviour of the reader. handle() sees every complete command (the bytes between ESC and
// CR) and returns true when it answered it, which ends the search.
class Responder {
public:
    virtual ~Responder() = default;
    virtual bool handle(std::string_view command, SimulatedReader& reader) = 0;
};

// Takes the raw byte stream in place of the command framing while installed, for exchanges that
// are not command frames (a firmware download). receive() returns how many of the bytes it used;
// when it uninstalls itself the rest goes back to the framing.
class RawReceiver {
public:
    virtual ~RawReceiver() = default;
    virtual std::size_t receive(std::string_view bytes, SimulatedReader& reader) = 0;
};

// Replies to the version request "Z1", as a reader of a given family sends them. Each includes
// its final CR.
namespace replies {
std::string family(std::string_view version);              // "BA12J13i", "BD49", "BFM...", "FL..."
std::string utf16(std::string_view text, bool bigEndian);  // the same, as UTF-16 code units
std::string versionLine(std::string_view marker, std::string_view version);  // "Ver.... ENG:..."
std::string model(std::string_view model, std::string_view version);  // "Model=" + 4 or 2 more
}  // namespace replies

class SimulatedReader {
public:
    // Opens a pty pair in raw mode and installs the standard responders (version request, ACK
    // mode, configuration query). Throws std::system_error when no pty can be had.
    SimulatedReader();
    ~SimulatedReader();
    SimulatedReader(const SimulatedReader&) = delete;
    SimulatedReader& operator=(const SimulatedReader&) = delete;

    // The device to connect to, "/dev/pts/N".
    const std::string& devicePath() const { return path_; }

    void start();
    void stop();

    // The most recently added responders are asked first, so a test can override a standard
    // behaviour.
    void addResponder(std::unique_ptr<Responder> responder);

    // Hands every byte read from now on to `receiver` (not owned); null returns to the framing.
    void setRawReceiver(RawReceiver* receiver) { raw_.store(receiver); }
    // Bytes sent to the program that it has not read yet.
    std::size_t unreadByProgram() const;
    // The baud rate the program has set on the line (0 when it cannot be told).
    unsigned lineSpeed() const;
    // The device comes back as a new one after a hang-up: a fresh pty pair, so devicePath()
    // changes. Returns the new path. Not while another thread reads devicePath().
    std::string reopen();

    // --- Reader state used by the standard responders ---
    // Bytes sent for "Z1" (see replies::); empty means the reader keeps quiet.
    void setVersionReply(std::string reply) { setLocked(mutex_, versionReply_, std::move(reply)); }
    std::string versionReply() const { return getLocked(mutex_, versionReply_); }
    // Control bytes sent before every reply (a leftover ETB, say).
    void setLeadingBytes(std::string bytes) { setLocked(mutex_, leading_, std::move(bytes)); }
    // The answer to the configuration query "[X.Z[F3G[X.Z" (a CR is appended).
    void setConfigurationText(std::string text) {
        setLocked(mutex_, configuration_, std::move(text));
    }
    std::string configurationText() const { return getLocked(mutex_, configuration_); }
    bool ackMode() const { return ackMode_.load(); }
    void setAckMode(bool on) { ackMode_.store(on); }

    // --- Faults ---
    // Silent: commands are read and recorded but never answered.
    void setSilent(bool silent) { silent_.store(silent); }
    // Stalled: the reader stops reading, so the line backs up.
    void setStalled(bool stalled);
    // Closes the master side: the device vanishes as an unplugged USB reader does.
    void hangUp();
    // Hangs up by itself once this many commands have been handled (0: never).
    void hangUpAfter(std::size_t commands) { hangUpAfter_.store(commands); }
    bool hungUp() const { return hungUp_.load(); }

    // Sends bytes to the program as they stand (garbage, unsolicited data). Replies from
    // responders go through reply(), which adds the leading bytes.
    void send(std::string_view bytes);
    void reply(std::string_view bytes);
    // For responders that hold a dialogue (image transfers): reads up to `count` bytes straight
    // from the line, waiting at most `timeout` for the next byte each time. Only from handle(),
    // on the simulator's thread. Fewer bytes on a time-out, a hang-up or stop().
    std::string readRaw(std::size_t count, std::chrono::milliseconds timeout);
    // Sends what the terminal takes at once, without waiting for room; returns how many bytes.
    std::size_t sendSome(std::string_view bytes);

    // --- What the reader saw ---
    // Both first let the reader take in what is already waiting on the line, until it has been
    // empty for 30 ms (at most two seconds; not while stalled or gone), so that a program that
    // has just ended is seen whole.
    std::vector<std::string> transcript() const;
    std::string received() const;  // every byte, framed or not
    void clearTranscript();
    // Waits until at least `count` commands have been read and answered; false on time-out.
    bool waitForCommands(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    void loop();
    void take(const char* data, std::size_t count);
    void dispatch(const std::string& command);
    void closeMaster();
    void settle() const;

    void openPty();

    std::atomic<int> master_{-1};
    std::atomic<RawReceiver*> raw_{nullptr};
    int slave_ = -1;  // kept open so the device stays usable between connections
    int wake_ = -1;   // eventfd that ends or nudges the loop
    std::string path_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> silent_{false};
    std::atomic<bool> stalled_{false};
    std::atomic<bool> ackMode_{false};
    std::atomic<bool> hungUp_{false};
    std::atomic<std::size_t> hangUpAfter_{0};

    // Held while a block of received bytes is taken and its commands answered, so that
    // clearTranscript() never lands between an answer and its count.
    std::mutex takeMutex_;
    std::atomic<bool> busy_{false};  // from a read of the line until its bytes are taken
    mutable std::mutex mutex_;       // guards everything below and writes to the master
    mutable std::condition_variable commandArrived_;
    std::vector<std::unique_ptr<Responder>> responders_;
    std::string versionReply_;
    std::string leading_;
    std::string configuration_;
    std::vector<std::string> transcript_;
    std::size_t handled_ = 0;  // commands read and answered since the last clearTranscript()
    std::string received_;
    std::string frame_;
    bool inFrame_ = false;
    std::mutex writeMutex_;
    std::mutex readMutex_;  // held by the loop's read and by closing the master side
};

}  // namespace omni::sim
