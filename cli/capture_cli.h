// Shared by the sub-commands that take or send pictures: opening the reader's imaging module,
// the progress bar on a terminal, Ctrl+C as a clean cancel, and the exit status of a failure.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "port_cli.h"
#include "reader/capture/capture_failure.h"
#include "reader/capture/capture_worker.h"
#include "resources/string_ids.h"

namespace omni::cli {

// Exit statuses of the tool.

inline volatile sig_atomic_t gInterrupted = 0;

inline void onInterrupt(int) {
    gInterrupted = 1;
}

// Ctrl+C no longer ends the process: it asks the running transfer to cancel.
inline void catchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// A one-line bar on standard error, drawn only when standard error is a terminal.
class ProgressBar : public reader::ShootProgress {
public:
    ProgressBar() : shown_(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressBar() override { done(); }

    void transferRange(int, int high) override { high_ = high > 0 ? high : 1; }
    void transferPosition(int position) override {
        if (!shown_)
            return;
        const int width = 30;
        const int filled = static_cast<int>(static_cast<long long>(position) * width / high_);
        std::string bar(static_cast<std::size_t>(std::min(filled, width)), '#');
        bar.resize(width, ' ');
        std::fprintf(stderr, "\r%s [%s] %3d%%",
                     res::loadStringUtf8(res::ids::CaptureProgress).c_str(), bar.c_str(),
                     std::min(100, static_cast<int>(100LL * position / high_)));
        drawn_ = true;
    }
    void waitPosition(int position) override {
        if (!shown_)
            return;
        std::fprintf(stderr, "\r%s   ",
                     res::formatUtf8(res::ids::CaptureWaiting, {std::to_string(position)}).c_str());
        drawn_ = true;
    }
    // Ends the bar's line.
    void done() {
        if (drawn_)
            std::fputc('\n', stderr);
        drawn_ = false;
    }

private:
    bool shown_;
    bool drawn_ = false;
    std::atomic<int> high_{1};
};

// Waits for the worker, turning Ctrl+C into a cancel. Returns true when the user cancelled.
inline bool runWorker(reader::CaptureWorker& worker) {
    while (!worker.waitFor(50)) {
        if (gInterrupted && !worker.cancelRequested())
            worker.cancel();
    }
    return gInterrupted != 0 || worker.cancelRequested();
}

// One line for a failure of a shot, a settings exchange or a sent picture, and its exit status.
// `failedId` is the message that names what failed ("%1": the status).
inline int failCapture(const foundation::Exception& error, const std::string& device,
                       std::uint32_t failedId = res::ids::CaptureFailed) {
    if (auto* kes = dynamic_cast<const foundation::KesException*>(&error)) {
        switch (kes->state()) {
            case KES_STATE_COMMUNICATION_TIMEOUT:
                return fail(reader::linkFailureMessage(device, error), ExitNoAnswer);
            case KES_STATE_CREATE_HANDLE_FAILURE:
            case KES_STATE_SERIAL_PORT_IS_CLOSED:
                return failLink(error, device);
            case KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE:
                return fail(res::loadStringUtf8(res::ids::CaptureNotSupported), ExitReaderFailed);
            default:
                return fail(
                    res::formatUtf8(failedId,
                                    {res::toUtf8(reader::captureFailureReason(kes->state()))}),
                    ExitReaderFailed);
        }
    }
    if (auto* user = dynamic_cast<const foundation::UserException*>(&error)) {
        if (user->code() == foundation::UserException::BadInput)
            return fail(res::toUtf8(user->text()), ExitBadInput);
    }
    return failLink(error, device);
}

// The imaging engine of the reader on one port.
struct ImagingReader {
    serial::SerialPortForPosix port;
    reader::TwoDimensionModule module{port};

    // Opens the port and identifies the engine; 0 or the exit status after printing why not.
    int connect(const std::string& device) {
        if (int code = openReader(port, device))
            return code;
        try {
            module.connect();
        } catch (const foundation::Exception& e) {
            return failCapture(e, device);
        }
        return 0;
    }
};

}  // namespace omni::cli
