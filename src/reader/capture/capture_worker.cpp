#include "reader/capture/capture_worker.h"

#include <cerrno>
#include <chrono>
#include <utility>

#include "foundation/exception.h"

namespace omni::reader {

CaptureWorker::CaptureWorker(TwoDimensionModule& module) : module_(module) {}

CaptureWorker::~CaptureWorker() {
    try {
        stop();
    } catch (const foundation::Exception&) {
        // A worker stuck past its limit cannot be helped here; the port is closed next.
    }
    pause_.reset();
}

void CaptureWorker::begin(Job job, ShootProgress* progress) {
    {
        std::lock_guard lock(mutex_);
        done_ = false;
        result_.reset();
        failure_ = nullptr;
    }
    job_ = job;
    progress_ = progress;
    cancelRequested_.store(false);
    pause_ = std::make_unique<ReceivePause>(module_.port(), module_.listener());
    if (!start()) {
        pause_.reset();
        throw foundation::SystemException(EAGAIN);
    }
}

void CaptureWorker::startShot(TriggerKind kind, int seconds, ShootProgress* progress) {
    kind_ = kind;
    seconds_ = seconds;
    begin(Job::Shot, progress);
}

void CaptureWorker::startDecodingTest(const image::KesImage& picture, ShootProgress* progress) {
    picture_ = &picture;
    begin(Job::DecodingTest, progress);
}

void CaptureWorker::run() {
    std::unique_ptr<image::ShotedImage> result;
    std::exception_ptr failure;
    try {
        if (job_ == Job::Shot) {
            result = kind_ == TriggerKind::Default
                         ? module_.shoot(progress_)
                         : module_.shootWithMode(kind_, seconds_, progress_);
        } else if (job_ == Job::DecodingTest) {
            module_.decodingTest(*picture_, progress_);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    {
        std::lock_guard lock(mutex_);
        result_ = std::move(result);
        failure_ = failure;
        done_ = true;
    }
    ended_.notify_all();
}

void CaptureWorker::cancel() {
    cancelRequested_.store(true);
    module_.cancel();
}

bool CaptureWorker::waitFor(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done_; });
}

std::unique_ptr<image::ShotedImage> CaptureWorker::finish() {
    join();
    pause_.reset();
    std::lock_guard lock(mutex_);
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
    return std::move(result_);
}

void CaptureWorker::stop() {
    if (isRunning())
        cancel();
    join(kStopJoinMs);
}

}  // namespace omni::reader
