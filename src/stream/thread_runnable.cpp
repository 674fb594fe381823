#include "stream/thread_runnable.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>

#include "foundation/exception.h"

namespace omni::stream {
namespace {

constexpr int kIdleNice = 10;  // about a tenth of the share of a normal thread beside it

}  // namespace

ThreadRunnable::ThreadRunnable(Priority priority) : priority_(priority) {}

bool ThreadRunnable::awaitWork(std::condition_variable& wake, std::unique_lock<std::mutex>& lock,
                               const bool& quit, bool& pending) {
    wake.wait(lock, [&] { return quit || pending; });
    if (quit)
        return false;
    pending = false;
    return true;
}

ThreadRunnable::~ThreadRunnable() {
    // The owner stops the thread before destruction; joining here only reaps a finished one.
    if (thread_.joinable())
        thread_.join();
}

bool ThreadRunnable::start() {
    if (isRunning())
        return true;
    if (thread_.joinable())
        thread_.join();
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread([this] { body(); });
    } catch (const std::system_error&) {
        running_.store(false, std::memory_order_release);
        return false;
    }
    return true;
}

void ThreadRunnable::body() {
    if (priority_ == Priority::Idle) {
        // A smaller share of the processor for this thread only (Linux: per-thread nice value).
        // Not the idle scheduling class: there a thread can wait for minutes on a busy machine,
        // and one holding a lock that the user interface needs would freeze the window.
        setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), kIdleNice);
    }
    try {
        run();
    } catch (...) {
        // A body must not end the process; subclasses report their own failures.
    }
    {
        std::lock_guard lock(mutex_);
        running_.store(false, std::memory_order_release);
    }
    ended_.notify_all();
}

void ThreadRunnable::join(int timeoutMs) {
    if (!thread_.joinable())
        return;
    if (thread_.get_id() == std::this_thread::get_id())
        return;  // a body joining itself
    if (timeoutMs >= 0) {
        std::unique_lock lock(mutex_);
        if (!ended_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return !isRunning(); })) {
            throw foundation::UserException(foundation::UserException::ThreadEndTimeout);
        }
    }
    thread_.join();
}

}  // namespace omni::stream
