#include "reader/download/download_worker.h"

#include "foundation/exception.h"
#include "reader/state_reason.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "stream/file_input_stream_for_kes2d.h"

namespace omni::reader {
namespace {

DownloadWorker& self(void* context) {
    return *static_cast<DownloadWorker*>(context);
}

std::u16string fileName(const std::filesystem::path& file) {
    return res::fromUtf8(file.string());
}

// Hands a report of the library on to the host's callback, where the host gave one.
template <typename Callback, typename... Args>
void pass(const Callback& callback, Args... args) {
    if (callback)
        callback(args...);
}

}  // namespace

std::u16string downloadFailureMessage(KesState state) {
    const std::uint32_t reason = reasonFor(state, FailedWork::Download);
    return res::format(res::ids::FirmwareFailed,
                       {res::loadString(reason), res::fromUtf8(KesStateName(state))});
}

DownloadWorker::DownloadWorker(serial::SerialPortForPosix& port, ModuleHandle& module,
                               DownloadRequest request)
    : port_(port), module_(module), request_(std::move(request)) {}

void DownloadWorker::cancel() {
    cancelled_.store(true);
    std::lock_guard lock(moduleMutex_);
    if (module_.valid())
        KesCancel(module_.get());
}

DownloadResult DownloadWorker::run() {
    installModuleLock();
    DownloadResult result;
    if (!module_.valid()) {
        result.message = res::format(res::ids::FirmwareNoVersion, {});
        return result;
    }
    family_ = module_.identity().firmware;
    trail_ = traceDevice(port_.port(), request_.roots);
    port_.stop();  // nothing else reads the port while the engine is loaded
    result = download();
    if (result.outcome == DownloadOutcome::Finished && shouldReconnect())
        reconnect(result);
    restartReceiving();
    return result;
}

DownloadResult DownloadWorker::download() {
    DownloadResult result;
    stream::FileInputStreamForKes2D stream(request_.file);
    if (!stream.isOpen() || stream.handle() == KES_INVALID_HANDLE) {
        std::string reason = std::generic_category().message(stream.errorCode());
        result.message = res::format(res::ids::FirmwareCannotOpen,
                                     {fileName(request_.file), res::fromUtf8(reason)});
        return result;
    }
    if (stream.size() == 0 || stream.size() > 0xFFFFFFFFull) {
        result.message =
            res::format(stream.size() ? res::ids::FirmwareTooLarge : res::ids::FirmwareEmpty,
                        {fileName(request_.file)});
        return result;
    }
    KesHandle progress = KesCreateDownloadProgress(this, onTransferRange, onTransferPosition,
                                                   onWriteRange, onWritePosition, onBeginPhase);
    KesSetLastStatus(KES_STATE_SUCCESS);
    KesDownload(module_.get(), stream.handle(), static_cast<std::uint32_t>(stream.size()),
                request_.bootLoader ? 1 : 0, progress);
    result.state = KesGetLastStatus();
    bool finished = KesDownloadFinished(module_.get()) != 0;
    KesCloseHandle(progress);
    writing_.store(false);

    if (stream.readError() != 0 && !finished) {
        std::string reason = std::generic_category().message(stream.readError());
        result.message = res::format(res::ids::FirmwareReadFailed,
                                     {fileName(request_.file), res::fromUtf8(reason)});
        return result;
    }
    if (result.state == KES_STATE_SUCCESS && finished) {
        result.outcome = DownloadOutcome::Finished;
        result.message = res::format(res::ids::FirmwareFinished, {});
    } else if (result.state == KES_STATE_SUCCESS ||
               (result.state == KES_STATE_CANCELED && cancelled_.load())) {
        result.outcome = DownloadOutcome::Cancelled;
        result.message = res::format(res::ids::FirmwareCancelled, {});
    } else {
        result.message = downloadFailureMessage(result.state);
    }
    return result;
}

bool DownloadWorker::shouldReconnect() const {
    switch (request_.reconnect) {
        case ReconnectMode::Always:
            return true;
        case ReconnectMode::Never:
            return false;
        case ReconnectMode::Family:
            break;
    }
    return KesFirmwareReconnects(family_.c_str()) != 0;
}

// --- Progress from the library, on the worker's thread ---

void DownloadWorker::onTransferRange(void* context, std::int32_t low, std::int32_t high) {
    pass(self(context).progress_.setTransferRange, low, high);
}

void DownloadWorker::onTransferPosition(void* context, std::int32_t position) {
    pass(self(context).progress_.setTransferPosition, position);
}

void DownloadWorker::onWriteRange(void* context, std::int32_t low, std::int32_t high) {
    pass(self(context).progress_.setWriteRange, low, high);
}

void DownloadWorker::onWritePosition(void* context, std::int32_t position) {
    pass(self(context).progress_.setWritePosition, position);
}

void DownloadWorker::onBeginPhase(void* context, std::int32_t transferring) {
    DownloadWorker& worker = self(context);
    // The application protocol turns from sending blocks (1) to the write phase (0) once every
    // block is in; from then on the engine writes its flash and a cancel can no longer stop it.
    // (XMODEM reports 0 alone, before its first block.)
    if (transferring)
        worker.transferBegun_ = true;
    else if (worker.transferBegun_)
        worker.writing_.store(true);
    pass(worker.progress_.beginPhase, transferring != 0);
}

// --- The thread ---

DownloadProcess::DownloadProcess(DownloadWorker& worker,
                                 std::function<void(const DownloadResult&)> finished)
    : stream::ThreadRunnable(Priority::Idle), worker_(worker), finished_(std::move(finished)) {}

DownloadProcess::~DownloadProcess() {
    try {
        stop();
    } catch (...) {
        // The thread is joined below in any case.
    }
    join();
}

void DownloadProcess::stop() {
    if (!isRunning()) {
        join();
        return;
    }
    worker_.cancel();
    join();
}

void DownloadProcess::run() {
    result_ = worker_.run();
    if (finished_)
        finished_(result_);
}

}  // namespace omni::reader
