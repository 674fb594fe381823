// Base of every worker thread: the serial receive thread, the log writer, the port poller, and the
// shoot and download workers.
//
// Thread rules: start(), join() and the destructor are called by the owner's thread only; run()
// is the body and runs on the worker. A subclass's stop() asks its body to end (by its own signal)
// and joins; the owner must stop or join the worker before the object goes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace omni::stream {

class ThreadRunnable {
public:
    // Idle workers give way to the user interface: they get a smaller share of the processor,
    // yet are never starved.
    enum class Priority { Normal, Idle };

    explicit ThreadRunnable(Priority priority = Priority::Normal);
    virtual ~ThreadRunnable();
    ThreadRunnable(const ThreadRunnable&) = delete;
    ThreadRunnable& operator=(const ThreadRunnable&) = delete;

    // Asks the thread to end and joins it.
    virtual void stop() = 0;

    // Starts run() on a new thread. A thread that is still running is left alone (true).
    // False when no thread could be created.
    bool start();

    // Waits for the thread to end. Throws UserException(ThreadEndTimeout) when it has not ended
    // within `timeoutMs`; a negative time-out waits without limit. Without a thread it returns.
    void join(int timeoutMs = -1);

    bool isRunning() const { return running_.load(std::memory_order_acquire); }
    Priority priority() const { return priority_; }

protected:
    // The thread body.
    virtual void run() = 0;

    // The wait at the head of a body's loop, with `lock` held on the mutex that guards both flags:
    // sleeps on `wake` until `quit` or `pending` is set. False when asked to quit; otherwise clears
    // `pending` (the work is taken) and returns true, the lock still held.
    static bool awaitWork(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                          const bool& quit, bool& pending);

private:
    void body();

    Priority priority_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::mutex mutex_;
    std::condition_variable ended_;
};

}  // namespace omni::stream
