// The waveform viewer link: a block of shared memory that the port's receive thread appends the
// reader's waveform text to, a named lock both programs take around every access, the viewer
// program started beside this one, and the viewer's requests carried out as control frames.
//
// The block is a POSIX shared-memory object of 45000 bytes, zero-filled when created, holding a
// zero-terminated text; the viewer takes the text out and empties the block. The lock is a named
// semaphore taken with a time limit, so a viewer that dies holding it never blocks the receive
// thread; a new attachment removes and recreates it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reader/command_exchange.h"
#include "serial/named_lock.h"
#include "serial/serial_port.h"

namespace omni::tools {

inline constexpr std::string_view kWaveformMemoryName = "SharedMemory_for_WaveformApp";
inline constexpr std::string_view kWaveformLockName = "Mutex_for_WaveformApp";
inline constexpr std::size_t kWaveformBlockSize = 45000;
inline constexpr std::string_view kWaveformModel = "Q-150";
inline constexpr std::string_view kWaveformProgram = "omnisetup-waveform";
inline constexpr unsigned kWaveformLockMs = 1000;  // longest wait for the lock, either side

// The shared block and its lock, as either program holds them.
class WaveformShare {
public:
    // create: removes leftovers of an earlier run, creates both and zero-fills the block.
    // Otherwise opens the existing ones. Throws SystemException when either cannot be had.
    WaveformShare(std::string memoryName, std::string lockName, bool create);
    ~WaveformShare();
    WaveformShare(const WaveformShare&) = delete;
    WaveformShare& operator=(const WaveformShare&) = delete;

    // Takes the names away from the system (owner only); the mapping and the lock stay usable
    // by whoever still holds them.
    void release();

    char* view() { return view_; }
    serial::NamedLock& lock() { return *lock_; }
    // Under the lock: the text in the block, which is emptied. Nothing when the lock was not had
    // within `timeoutMs`.
    std::optional<std::string> take(unsigned timeoutMs = kWaveformLockMs);

private:
    std::string memoryName_;
    std::string lockName_;
    bool owner_;
    char* view_ = nullptr;
    std::unique_ptr<serial::NamedLock> lock_;
};

// A viewer request: 0 detach; 1 waveform mode (0 to 2); 2 reading off (0) or on; 3 output off
// (0) or on. On the local socket each is one line "REQUEST VALUE\n".
struct WaveformRequest {
    int request = 0;
    int value = 0;
};
std::string formatRequest(const WaveformRequest& request);
std::optional<WaveformRequest> parseRequest(std::string_view line);

// The samples of one line of waveform text: the numbers after the last ':' (the whole line when
// there is none), separated by commas or blanks. Empty for a line without numbers.
std::vector<int> parseWaveformLine(std::string_view line);

class WaveformLink {
public:
    enum class StartResult { Ignored, WrongModel, AlreadyAttached, Started };

    WaveformLink(serial::SerialPortForPosix& port, reader::CommandExchange& exchange,
                 std::string memoryName = std::string(kWaveformMemoryName),
                 std::string lockName = std::string(kWaveformLockName));
    ~WaveformLink();

    // Attaches for a reader whose model text is `model` and starts `program` with the socket
    // name as its argument. Throws SystemException when the block, the lock or the process
    // cannot be had (nothing is left attached then).
    StartResult start(std::string_view model, const std::string& program,
                      const std::string& socketName);
    // Carries out a viewer request; request 0 detaches.
    void request(const WaveformRequest& request);
    // Releases the block and the lock and takes the port's capture sink away. Harmless twice.
    void detach();
    bool attached() const { return share_ != nullptr; }
    int viewerProcess() const { return viewer_; }
    // Collects the viewers that have exited since they detached; returns how many still run.
    std::size_t reapViewers();

private:
    serial::SerialPortForPosix& port_;
    reader::CommandExchange& exchange_;
    std::string memoryName_;
    std::string lockName_;
    std::unique_ptr<WaveformShare> share_;
    // The last detached share: the receive thread may still be finishing a burst into it, so
    // its memory lives until the next attachment or the end of the link.
    std::unique_ptr<WaveformShare> retired_;
    int viewer_ = -1;
    std::vector<int> exited_;  // viewers detached while still running, not yet reaped
};

}  // namespace omni::tools
