// Runs one shot or one decoding test of a TwoDimensionModule on a worker thread, so the caller
// (a dialog, the command-line tool) stays free to show progress and to cancel.
//
// Usage: start...(), then poll or waitFor() while progress arrives on the worker thread; cancel()
// at any time; finish() on the starting thread gives the result or throws the failure. The port's
// receive thread is paused from start...() until finish() (or destruction), on every path.
#pragma once

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

#include "reader/capture/two_dimension_module.h"
#include "stream/thread_runnable.h"

namespace omni::reader {

class CaptureWorker : public stream::ThreadRunnable {
public:
    static constexpr int kStopJoinMs = 3000;

    explicit CaptureWorker(TwoDimensionModule& module);
    ~CaptureWorker() override;

    // A shot with the default request (kind Default) or waiting for the trigger.
    void startShot(TriggerKind kind, int seconds, ShootProgress* progress);
    // The decoding test on `picture` (kept by the caller until finish()).
    void startDecodingTest(const image::KesImage& picture, ShootProgress* progress);

    void cancel();
    bool cancelRequested() const { return cancelRequested_.load(); }
    // Waits up to `timeoutMs` for the job to end; true when it has.
    bool waitFor(int timeoutMs);
    // After the end: the picture of a shot (null when cancelled, and for a decoding test), or
    // the failure rethrown. Restarts the receive thread.
    std::unique_ptr<image::ShotedImage> finish();

    // Cancels and joins (kStopJoinMs).
    void stop() override;

protected:
    void run() override;

private:
    enum class Job { None, Shot, DecodingTest };
    void begin(Job job, ShootProgress* progress);

    TwoDimensionModule& module_;
    std::unique_ptr<ReceivePause> pause_;
    Job job_ = Job::None;
    TriggerKind kind_ = TriggerKind::Default;
    int seconds_ = 30;
    const image::KesImage* picture_ = nullptr;
    ShootProgress* progress_ = nullptr;
    std::atomic<bool> cancelRequested_{false};

    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::unique_ptr<image::ShotedImage> result_;
    std::exception_ptr failure_;
};

}  // namespace omni::reader
