// The host side of a firmware download: runs the module library's download over the open port,
// reports its progress, can be cancelled from another thread, and afterwards finds the restarted
// reader again and identifies it.
//
// The worker owns the port for the whole download: the receive thread is stopped when it starts
// and started again (with the listener given) when it ends. It takes over the module handle and
// replaces it with the restarted engine's when it reconnects.
//
// Threads: run() blocks on the thread that calls it (DownloadProcess gives it one of its own);
// the progress callbacks run on that thread. cancel() may be called from any thread.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

#include "reader/download/device_trail.h"
#include "reader/module_host.h"
#include "serial/serial_port.h"
#include "stream/thread_runnable.h"

namespace omni::reader {

// The five progress callbacks of the library, in its order, plus the host's own stage. Every
// member may be empty.
struct DownloadProgress {
    std::function<void(int low, int high)> setTransferRange;
    std::function<void(int position)> setTransferPosition;
    std::function<void(int low, int high)> setWriteRange;
    std::function<void(int position)> setWritePosition;
    std::function<void(bool transferring)> beginPhase;
    // The download has ended and the worker waits for the reader to come back.
    std::function<void()> reconnecting;
};

// Time limits of the reconnection. The defaults are the reader's; tests shorten them.
struct ReconnectTiming {
    unsigned closeWaitMs = 6000;   // a USB reader going away
    unsigned openWaitMs = 40000;   // the port being back
    unsigned attempts = 41;        // version requests, alternating line settings
    unsigned answerWaitMs = 1000;  // for each of them
    unsigned drainWaitMs = 100;    // for more of the answer
    unsigned pollMs = 100;         // between looks at the devices
};

enum class ReconnectMode {
    Family,  // as the engine's family asks (BD and BF families)
    Always,  // every family: the caller wants the new firmware version
    Never,
};

enum class DownloadOutcome {
    Finished,   // the engine reported the write finished
    Cancelled,  // by cancel(), or by the engine
    Failed,     // message says why
};

struct DownloadResult {
    DownloadOutcome outcome = DownloadOutcome::Failed;
    KesState state = KES_STATE_SUCCESS;  // the library's status when it failed
    std::u16string message;              // the outcome in the user's words
    bool reconnected = false;            // the reader was found and identified again
    bool reconnectTried = false;
    bool cancelledWhileWaiting = false;  // the write finished; waiting for the reader was not
    ModuleIdentity identity;             // the restarted engine (when reconnected)
};

struct DownloadRequest {
    std::filesystem::path file;
    bool bootLoader = false;  // as the plan says (forced on for some kinds)
    ReconnectMode reconnect = ReconnectMode::Family;
    std::string settingsKey;  // of the port's stored line settings, for reopening
    stream::OutputStream<char>* listener =
        nullptr;                   // receive thread's listener afterwards (null: none)
    serial::DiscoveryRoots roots;  // where devices are looked up
    ReconnectTiming timing;
};

class DownloadWorker {
public:
    DownloadWorker(serial::SerialPortForPosix& port, ModuleHandle& module, DownloadRequest request);

    void setProgress(DownloadProgress progress) { progress_ = std::move(progress); }
    DownloadResult run();
    // Asks the download to stop: the engine gets its abort packet or CAN at the next block.
    // During the write phase the engine cannot stop; the request then only ends the wait for the
    // reader afterwards.
    void cancel();
    bool cancelRequested() const { return cancelled_.load(); }
    // True once the engine has all the data and is writing it (a cancel is too late).
    bool writing() const { return writing_.load(); }

private:
    static void onTransferRange(void* self, std::int32_t low, std::int32_t high);
    static void onTransferPosition(void* self, std::int32_t position);
    static void onWriteRange(void* self, std::int32_t low, std::int32_t high);
    static void onWritePosition(void* self, std::int32_t position);
    static void onBeginPhase(void* self, std::int32_t transferring);

    DownloadResult download();
    bool shouldReconnect() const;
    void reconnect(DownloadResult& result);
    bool waitForClose();
    bool waitForOpen();
    bool callReader();
    void drain();
    void restartReceiving();

    serial::SerialPortForPosix& port_;
    ModuleHandle& module_;
    DownloadRequest request_;
    DownloadProgress progress_;
    DeviceTrail trail_;
    std::string family_;
    std::mutex moduleMutex_;  // cancel() against the module handle being replaced
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> writing_{false};
    bool transferBegun_ = false;
};

// Runs a worker on its own idle-priority thread; `finished` is called on that thread at the end.
class DownloadProcess : public stream::ThreadRunnable {
public:
    DownloadProcess(DownloadWorker& worker, std::function<void(const DownloadResult&)> finished);
    ~DownloadProcess() override;
    // Cancels the download and joins the thread.
    void stop() override;
    const DownloadResult& result() const { return result_; }

protected:
    void run() override;

private:
    DownloadWorker& worker_;
    std::function<void(const DownloadResult&)> finished_;
    DownloadResult result_;
};

// The message for a library status that ended a download ("the reader refused ...").
std::u16string downloadFailureMessage(KesState state);

}  // namespace omni::reader
