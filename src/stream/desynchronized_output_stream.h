// Decouples a producer from a slow target: write() queues elements in a ring and returns; a
// writer thread of normal priority drains the ring into the target and flushes the target each
// time the ring runs empty.
//
// Threads: exactly one producer thread at a time calls write()/put()/flush()/drain(); the target
// is used only on the writer thread (from construction to stop()). The ring, its positions and
// its full flag are guarded by one short lock that neither side holds while calling the target.
//
// Back-pressure: while the ring holds N - 1 elements or more, the producer waits up to 1000 ms
// per element for the writer to free space, then stores the element regardless; a writer that
// has fallen a full ring behind loses its oldest undrained elements. With setWaitForWriter(true)
// the producer waits as long as the writer needs instead, and nothing is ever dropped.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "stream/ring_buffer.h"
#include "stream/stream.h"
#include "stream/thread_runnable.h"

namespace omni::stream {

template <typename T, std::size_t N>
class DesynchronizedOutputStream : public OutputStream<T>, public ThreadRunnable {
public:
    static constexpr std::chrono::milliseconds kSpaceWait{1000};

    // Starts the writer thread. The target is not owned and must outlive stop().
    explicit DesynchronizedOutputStream(OutputStream<T>* target)
        : ThreadRunnable(Priority::Normal), target_(target) {
        start();
    }
    ~DesynchronizedOutputStream() override { stop(); }

    void write(const T* data, std::size_t count) override {
        std::unique_lock lock(mutex_);
        while (count > 0) {
            std::size_t room = ring_.count() < N - 1 ? N - 1 - ring_.count() : 0;
            if (room == 0) {
                waitForSpace(lock);
                if (ring_.count() >= N - 1) {
                    // No space came in time: store one element anyway.
                    if (ring_.full()) {
                        ring_.dropOldest();
                        ++taken_;
                    }
                    ring_.put(data);
                    ++queued_;
                    ++data;
                    --count;
                    signalDataReady();
                    continue;
                }
                room = N - 1 - ring_.count();
            }
            std::size_t run = count < room ? count : room;
            ring_.write(data, run);
            queued_ += run;
            data += run;
            count -= run;
            signalDataReady();
        }
    }
    void put(const T* item) override { write(item, 1); }
    // Forwards to the target's flush() on the writer thread, after what is queued so far.
    void flush() override {
        std::lock_guard lock(mutex_);
        signalDataReady();
    }

    // Whether a producer facing a full ring waits without limit (true) or drops after kSpaceWait.
    void setWaitForWriter(bool wait) {
        std::lock_guard lock(mutex_);
        waitForWriter_ = wait;
    }

    // Asks the writer thread to end and joins it. What is still queued is not written.
    void stop() override {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        writerWake_.notify_all();
        join();
    }

    // Waits until everything queued before the call has been written to the target and the
    // target has been flushed. False when that has not happened within `timeoutMs` (negative:
    // no limit) or the writer thread has ended.
    bool drain(int timeoutMs = -1) {
        std::unique_lock lock(mutex_);
        if (!isRunning())
            return false;
        const std::uint64_t goal = queued_;
        signalDataReady();
        auto done = [&] { return flushedUpTo_ >= goal || quit_ || writerEnded_; };
        if (timeoutMs < 0) {
            drained_.wait(lock, done);
        } else if (!drained_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done)) {
            return false;
        }
        return flushedUpTo_ >= goal;
    }

    // Number of elements waiting in the ring.
    std::size_t queued() const {
        std::lock_guard lock(mutex_);
        return ring_.count();
    }

protected:
    void run() override {
        // However the loop ends (quit, or a target that threw), waiting producers and drain()
        // are released.
        struct Ended {
            DesynchronizedOutputStream* stream;
            ~Ended() {
                std::lock_guard lock(stream->mutex_);
                stream->writerEnded_ = true;
                stream->drained_.notify_all();
                stream->spaceFreed_.notify_all();
            }
        } ended{this};
        writeLoop();
    }

private:
    void writeLoop() {
        std::unique_lock lock(mutex_);
        while (awaitWork(writerWake_, lock, quit_, dataReady_)) {
            for (;;) {
                std::size_t n = ring_.take(scratch_, N);
                if (n == 0)
                    break;
                taken_ += n;
                if (producerWaiting_)
                    spaceFreed_.notify_one();
                lock.unlock();
                target_->write(scratch_, n);
                lock.lock();
            }
            const std::uint64_t emptyAt = taken_;
            lock.unlock();
            target_->flush();
            lock.lock();
            flushedUpTo_ = emptyAt;
            drained_.notify_all();
        }
    }
    void signalDataReady() {
        if (dataReady_)
            return;
        dataReady_ = true;
        writerWake_.notify_one();
    }
    void waitForSpace(std::unique_lock<std::mutex>& lock) {
        producerWaiting_ = true;
        auto roomOrEnd = [this] { return ring_.count() < N - 1 || quit_ || writerEnded_; };
        if (waitForWriter_) {
            spaceFreed_.wait(lock, roomOrEnd);
        } else {
            spaceFreed_.wait_for(lock, kSpaceWait, roomOrEnd);
        }
        producerWaiting_ = false;
    }

    OutputStream<T>* target_;
    mutable std::mutex mutex_;
    RingBuffer<T, N> ring_;
    std::condition_variable writerWake_;  // data-ready or quit
    std::condition_variable spaceFreed_;
    std::condition_variable drained_;
    bool dataReady_ = false;
    bool quit_ = false;
    bool producerWaiting_ = false;
    bool writerEnded_ = false;
    bool waitForWriter_ = false;
    std::uint64_t queued_ = 0;       // elements ever stored
    std::uint64_t taken_ = 0;        // elements ever taken out (or dropped)
    std::uint64_t flushedUpTo_ = 0;  // taken_ at the last flush on an empty ring
    T scratch_[N];                   // writer thread only
};

}  // namespace omni::stream
