// After a finished download the engine restarts. A USB reader goes away and comes back (maybe
// under another device name); a reader on a plain serial line stays connected but is deaf for a
// while and may come back at another speed. The worker waits for the port, calls the reader with
// version requests, alternating the line's own settings with 9600 baud 8N1, and identifies the
// engine again.
#include <sys/ioctl.h>

#include <chrono>
#include <thread>

#include "foundation/exception.h"
#include "reader/download/download_worker.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::reader {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kVersionRequest[] = {0x1B, 'Z', '1', '\r'};
constexpr std::size_t kDrainChunk = 80;
// A reader that vanishes again while it is being called is waited for this many times.
constexpr int kMaxComebacks = 3;

void pause(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The fallback line of the version requests: 9600 baud, 8N1, DTR and RTS on.
serial::LineState slowLine(const serial::LineState& saved) {
    serial::LineState slow;
    slow.attributes = toTermios(serial::LineSettings{}, saved.attributes);
    if (saved.modemLines >= 0)
        slow.modemLines = saved.modemLines | TIOCM_DTR | TIOCM_RTS;
    return slow;
}

}  // namespace

void DownloadWorker::reconnect(DownloadResult& result) {
    result.reconnectTried = true;
    if (progress_.reconnecting)
        progress_.reconnecting();
    {
        std::lock_guard lock(moduleMutex_);
        module_.reset();  // the old engine is gone; a new module object is made for the new one
    }
    if (port_.port().kind != serial::PortKind::Serial)
        waitForClose();

    bool answered = false;
    for (int round = 0; round < kMaxComebacks && !answered && !cancelled_.load(); ++round) {
        if (!waitForOpen())
            break;
        if (port_.port().kind != serial::PortKind::Serial) {
            answered = true;  // identification itself asks a USB reader
            break;
        }
        answered = callReader();
    }
    if (cancelled_.load()) {
        result.cancelledWhileWaiting = true;
        result.message = res::format(res::ids::FirmwareWaitCancelled, {});
        return;
    }
    if (answered) {
        drain();
        try {
            ModuleHandle fresh = openModule(port_.moduleHandle());
            std::lock_guard lock(moduleMutex_);
            module_ = std::move(fresh);
            result.identity = module_.identity();
            result.reconnected = true;
            return;
        } catch (const foundation::Exception&) {
            // Reported below as a reader that did not come back.
        }
    }
    unsigned seconds = (request_.timing.openWaitMs +
                        request_.timing.attempts * request_.timing.answerWaitMs + 999) /
                       1000;
    result.message =
        res::format(res::ids::FirmwareNotBack, {res::fromUtf8(std::to_string(seconds))});
}

// A USB reader that restarts leaves the bus: its device disappears or hangs up. True when it
// did; the port is then closed.
bool DownloadWorker::waitForClose() {
    auto deadline = Clock::now() + std::chrono::milliseconds(request_.timing.closeWaitMs);
    while (Clock::now() < deadline && !cancelled_.load()) {
        std::error_code error;
        bool gone = !std::filesystem::exists(port_.port().device, error);
        if (!gone) {
            try {
                std::size_t queued = port_.waitForData(request_.timing.pollMs);
                char scrap[kDrainChunk];
                port_.read(scrap, std::min(queued, sizeof scrap));
            } catch (const foundation::SystemException&) {
                gone = true;
            } catch (const foundation::KesException&) {
                // Nothing arrived; look again.
            }
        }
        if (gone) {
            try {
                port_.close();
            } catch (const foundation::Exception&) {
                // Closed in any case.
            }
            return true;
        }
    }
    return false;
}

// The port open again: still open, or the reader's device found and opened.
bool DownloadWorker::waitForOpen() {
    if (port_.isOpen())
        return true;
    auto deadline = Clock::now() + std::chrono::milliseconds(request_.timing.openWaitMs);
    while (!cancelled_.load()) {
        if (std::optional<serial::PortDescriptor> found = findDevice(trail_, request_.roots)) {
            try {
                port_.open(*found, request_.settingsKey);
                return true;
            } catch (const foundation::Exception&) {
                // Not ready yet (the device node appears before it can be opened).
            }
        }
        if (Clock::now() >= deadline)
            return false;
        pause(request_.timing.pollMs);
    }
    return false;
}

// Version requests until the reader answers, alternating the line's settings (even attempts)
// with 9600 baud 8N1 (odd ones). False when it stays silent or goes away (the port is closed
// then, to be waited for again).
bool DownloadWorker::callReader() {
    try {
        serial::LineState saved = port_.lineState();
        serial::LineState slow = slowLine(saved);
        for (unsigned attempt = 0; attempt < request_.timing.attempts; ++attempt) {
            if (cancelled_.load())
                return false;
            port_.applyLineState(attempt % 2 == 0 ? saved : slow);
            port_.write(kVersionRequest, sizeof kVersionRequest);
            try {
                if (port_.waitForData(request_.timing.answerWaitMs) > 0)
                    return true;
            } catch (const foundation::KesException& e) {
                if (e.state() != KES_STATE_COMMUNICATION_TIMEOUT)
                    throw;
            }
        }
        port_.applyLineState(saved);  // a reader that never answered leaves the line as it was
        return false;
    } catch (const foundation::Exception&) {
        try {
            port_.close();
        } catch (const foundation::Exception&) {
            // Closed in any case.
        }
        return false;
    }
}

// The answer to the version request, 80 bytes at a time until nothing more comes.
void DownloadWorker::drain() {
    char buffer[kDrainChunk];
    try {
        for (;;) {
            std::size_t queued = port_.waitForData(request_.timing.drainWaitMs);
            port_.read(buffer, std::min(queued, sizeof buffer));
        }
    } catch (const foundation::Exception&) {
        // Silence: drained.
    }
}

void DownloadWorker::restartReceiving() {
    if (request_.listener && port_.isOpen())
        port_.startReceiving(request_.listener);
}

}  // namespace omni::reader
