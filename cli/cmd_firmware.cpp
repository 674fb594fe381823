// omnisetup-cli firmware --port PATH [--boot-loader] [--yes] FILE: loads new firmware into the
// reader's engine, waits for the reader to restart and prints its new firmware version.
//
// Exit status: 0 when the engine reported the write finished (and the reader came back), 1 when
// the reader refused or failed, 2 for bad arguments or a file that needs --yes, 3 when the
// reader stopped answering, 130 when Ctrl+C cancelled (the engine is told to abort and the port
// is back at its own speed).
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "exit_status.h"
#include "port_cli.h"
#include "reader/download/download_worker.h"
#include "reader/download/firmware_plan.h"
#include "resources/string_ids.h"

namespace omni::cli {
namespace {

volatile sig_atomic_t gInterrupted = 0;
void onInterrupt(int) {
    gInterrupted = 1;
}

// Ctrl+C asks the download to stop instead of ending the process, for as long as it is alive.
class InterruptGuard {
public:
    InterruptGuard() {
        gInterrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }

private:
    struct sigaction previous_ {};
};

struct Options {
    std::string device;
    std::string file;
    bool bootLoader = false;
    bool yes = false;
};

// Progress as the worker reports it; drawn by the main thread.
struct Bars {
    std::atomic<int> transferLow{0}, transferHigh{0}, transferAt{0};
    std::atomic<int> writeLow{0}, writeHigh{0}, writeAt{0};
    std::atomic<bool> waiting{false};
};

std::string bar(const char* label, int low, int high, int at) {
    constexpr int kWidth = 24;
    int span = high > low ? high - low : 0;
    int done = span ? std::clamp(at - low, 0, span) : 0;
    int filled = span ? done * kWidth / span : 0;
    return std::string(label) + " [" + std::string(filled, '#') +
           std::string(kWidth - filled, '.') + "] " + std::to_string(done) + "/" +
           std::to_string(span);
}

void draw(const Bars& bars) {
    std::string transfer = res::formatUtf8(res::ids::FirmwareTransferBar, {});
    std::string write = res::formatUtf8(res::ids::FirmwareWriteBar, {});
    std::string line = bar(transfer.c_str(), bars.transferLow, bars.transferHigh, bars.transferAt) +
                       "  " + bar(write.c_str(), bars.writeLow, bars.writeHigh, bars.writeAt);
    std::cerr << "\r" << line << std::flush;
}

int parse(const Args& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            options.device = args[++i];
        } else if (args[i] == "--boot-loader") {
            options.bootLoader = true;
        } else if (args[i] == "--yes") {
            options.yes = true;
        } else if (args[i].rfind("--", 0) == 0 || !options.file.empty()) {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), ExitBadInput);
        } else {
            options.file = args[i];
        }
    }
    if (options.device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), ExitBadInput);
    if (options.file.empty())
        return fail(res::formatUtf8(res::ids::FirmwareCliUsage, {}), ExitBadInput);
    return 0;
}

// The checks of the host side. Returns 0 to go on, or the exit status.
int check(const Options& options, const reader::ModuleIdentity& identity,
          reader::FirmwarePlan& plan) {
    plan =
        reader::planFirmware(identity.firmware, identity.model, options.file, options.bootLoader);
    if (plan.kind == KES_FIRMWARE_UNSUPPORTED)
        return fail(res::formatUtf8(res::ids::FirmwareNotSupported, {}));
    if (plan.askVersion && !options.yes) {
        return fail(res::formatUtf8(res::ids::FirmwareVersionDiffers, {}) + " " +
                        res::formatUtf8(res::ids::FirmwareAddYes, {}),
                    2);
    }
    return 0;
}

reader::DownloadProgress progressInto(Bars& bars) {
    reader::DownloadProgress progress;
    progress.setTransferRange = [&bars](int low, int high) {
        bars.transferLow = low;
        bars.transferHigh = high;
    };
    progress.setTransferPosition = [&bars](int at) { bars.transferAt = at; };
    progress.setWriteRange = [&bars](int low, int high) {
        bars.writeLow = low;
        bars.writeHigh = high;
    };
    progress.setWritePosition = [&bars](int at) { bars.writeAt = at; };
    progress.reconnecting = [&bars] { bars.waiting = true; };
    return progress;
}

// Runs the download on its worker thread; this thread draws progress and passes Ctrl+C on.
reader::DownloadResult runDownload(reader::DownloadWorker& worker, Bars& bars) {
    bool terminal = isatty(STDERR_FILENO);
    std::atomic<bool> done{false};
    reader::DownloadProcess process(worker,
                                    [&done](const reader::DownloadResult&) { done = true; });
    InterruptGuard guard;
    process.start();
    bool cancelSent = false, waitingShown = false;
    while (!done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (gInterrupted && !cancelSent) {
            cancelSent = true;
            worker.cancel();
            if (terminal)
                std::cerr << "\n";
            std::cerr << res::formatUtf8(worker.writing() ? res::ids::FirmwareCancelWhileWriting
                                                          : res::ids::FirmwareCancelling,
                                         {})
                      << "\n";
        }
        if (terminal && !cancelSent && !bars.waiting)
            draw(bars);
        if (bars.waiting && !waitingShown) {
            waitingShown = true;
            if (terminal) {
                draw(bars);
                std::cerr << "\n";
            }
            std::cerr << res::formatUtf8(res::ids::FirmwareWaitingForReader, {}) << "\n";
        }
    }
    process.join();
    if (terminal && !cancelSent && !waitingShown) {
        draw(bars);
        std::cerr << "\n";
    }
    return process.result();
}

int report(const reader::DownloadResult& result) {
    using reader::DownloadOutcome;
    bool interrupted = gInterrupted != 0;
    if (result.outcome == DownloadOutcome::Failed) {
        bool silent = result.state == KES_STATE_COMMUNICATION_TIMEOUT;
        return fail(res::toUtf8(result.message), silent ? 3 : 1);
    }
    if (result.outcome == DownloadOutcome::Cancelled)
        return fail(res::toUtf8(result.message), interrupted ? 130 : 1);
    std::cout << res::formatUtf8(res::ids::FirmwareFinished, {}) << "\n";
    if (result.cancelledWhileWaiting)
        return fail(res::toUtf8(result.message), ExitCancelled);
    if (!result.reconnected)
        return fail(res::toUtf8(result.message), ExitNoAnswer);
    std::cout << res::formatUtf8(res::ids::FirmwareNewVersion, {result.identity.firmware}) << "\n";
    return 0;
}

}  // namespace

int runFirmware(const Args& args) {
    Options options;
    if (int code = parse(args, options))
        return code;
    if (auto problem = reader::firmwareFileProblem(options.file))
        return fail(res::toUtf8(*problem), ExitBadInput);

    serial::SerialPortForPosix port;
    if (int code = openReader(port, options.device))
        return code;
    reader::ModuleHandle module;
    try {
        module = reader::openModule(port.moduleHandle());
    } catch (const foundation::Exception& e) {
        return failLink(e, options.device);
    }
    reader::FirmwarePlan plan;
    if (int code = check(options, module.identity(), plan))
        return code;

    reader::DownloadRequest request;
    request.file = options.file;
    request.bootLoader = plan.bootLoader;
    request.reconnect = reader::ReconnectMode::Always;  // to print the new version
    request.settingsKey = std::string(foundation::kProgramSettingsKey);
    reader::DownloadWorker worker(port, module, request);
    Bars bars;
    worker.setProgress(progressInto(bars));
    reader::DownloadResult result = runDownload(worker, bars);
    int status = report(result);
    module.reset();
    try {
        port.close();
    } catch (const foundation::Exception&) {
        // The reader may have gone; nothing is left to do on the port.
    }
    return status;
}

}  // namespace omni::cli
