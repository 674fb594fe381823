// Stream ends and sinks that keep what they receive, for the stream tests.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "stream/log_chain.h"
#include "stream/stream.h"

namespace omni::test {

// Records writes of UTF-16 text, how many write calls and how many flushes it saw.
struct CollectingStream : stream::OutputStream<char16_t> {
    std::u16string text;
    int writes = 0;
    int flushes = 0;
    void write(const char16_t* data, std::size_t count) override {
        text.append(data, count);
        ++writes;
    }
    void put(const char16_t* item) override { write(item, 1); }
    void flush() override { ++flushes; }
};

// A sink that may be read from the test thread while the writer thread appends.
class CollectingSink : public stream::TextSink {
public:
    void append(const char16_t* text, std::size_t count) override {
        std::lock_guard lock(mutex_);
        text_.append(text, count);
        longestRun_ = std::max(longestRun_, count);
    }
    void flush() override {
        std::lock_guard lock(mutex_);
        ++flushes_;
    }
    std::u16string text() const {
        std::lock_guard lock(mutex_);
        return text_;
    }
    int flushes() const {
        std::lock_guard lock(mutex_);
        return flushes_;
    }
    std::size_t longestRun() const {
        std::lock_guard lock(mutex_);
        return longestRun_;
    }

private:
    mutable std::mutex mutex_;
    std::u16string text_;
    int flushes_ = 0;
    std::size_t longestRun_ = 0;
};

// A one-shot gate a thread can wait at until the test opens it.
class Gate {
public:
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

}  // namespace omni::test
