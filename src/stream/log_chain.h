// The communication log chain: BufferedDeSynchronizedEditBoxOutputStream turns the bytes a
// reader sends (and the text the program echoes) into readable lines and hands them to a text
// sink on a writer thread of its own, so the thread that receives from the port never waits for
// the user interface.
//
// Flow: code-page conversion -> line ends made CR LF -> control characters made visible ->
// input buffer -> ring -> [writer thread] -> output buffer -> TextSink.
//
// Threads:
//  - Producers (the serial receive thread, the user-interface thread echoing commands) call
//    feed(), write(), put(), flush(), endOfLine(), writeText() and asciiStream(). The front holds
//    one short lock per call, so two producers never interleave inside a call; a producer waits
//    only when the writer thread is a whole ring behind, and then at most 1000 ms per character
//    (without limit after setWaitForWriter(true)).
//  - The sink is called only on the writer thread, in order: append() with runs of 1 to N
//    UTF-16 units, then flush() each time everything queued so far has been handed over.
//    A sink must not wait for the user-interface thread (post or queue instead): that thread
//    may itself be a producer waiting for the writer.
//  - setSink() may be called from any thread; once it returns, the previous sink is never called
//    again.
#pragma once

#include <cstddef>
#include <mutex>
#include <string_view>

#include "stream/buffered_output_stream.h"
#include "stream/code_page_stream.h"
#include "stream/desynchronized_output_stream.h"
#include "stream/text_streams.h"

namespace omni::stream {

// Where the log's text ends up: the log widget, a dialog's result box, or standard output.
class TextSink {
public:
    virtual ~TextSink() = default;
    // A run of text with CR LF line ends. Writer thread only.
    virtual void append(const char16_t* text, std::size_t count) = 0;
    // Everything queued so far has been appended; a widget may scroll to the end once here
    // rather than after every run. Writer thread only.
    virtual void flush() {}
};

// The last stage of a log chain: forwards runs to the attached sink, drops them without one.
class TextSinkOutputStream : public OutputStream<char16_t> {
public:
    void setSink(TextSink* sink) {
        std::lock_guard lock(mutex_);
        sink_ = sink;
    }
    void write(const char16_t* data, std::size_t count) override {
        std::lock_guard lock(mutex_);
        if (sink_ != nullptr && count > 0)
            sink_->append(data, count);
    }
    void put(const char16_t* item) override { write(item, 1); }
    void flush() override {
        std::lock_guard lock(mutex_);
        if (sink_ != nullptr)
            sink_->flush();
    }

private:
    std::mutex mutex_;  // held while the sink is called, so setSink() waits for a call to end
    TextSink* sink_ = nullptr;
};

template <std::size_t N = 8192>
class BufferedDeSynchronizedEditBoxOutputStream : public CodePageCharToWCharStream {
public:
    // Starts the writer thread. Text written before a sink is attached is dropped.
    BufferedDeSynchronizedEditBoxOutputStream()
        : CodePageCharToWCharStream(&lineEnds_),
          writerEnd_(this),
          output_(&sinkStream_),
          ring_(&writerEnd_),
          input_(&ring_),
          ascii_(this),
          asciiWiden_(&lineEnds_),
          visible_(&input_),
          lineEnds_(&visible_) {}

    // Stops the writer thread; text still queued is not delivered (drain() first to keep it).
    ~BufferedDeSynchronizedEditBoxOutputStream() override { ring_.stop(); }

    // Raw received or sent bytes, converted by the current code page.
    void write(const char* data, std::size_t count) override {
        std::lock_guard lock(front_);
        CodePageCharToWCharStream::write(data, count);
    }
    void put(const char* item) override {
        std::lock_guard lock(front_);
        CodePageCharToWCharStream::put(item);
    }
    // Hands what the front holds to the writer thread as one run.
    void flush() override {
        std::lock_guard lock(front_);
        lineEnds_.flush();
    }

    // Bytes just received from the port: converted and handed to the writer thread at once
    // (write() and flush() under one lock). This is what a receive thread calls per block read.
    void feed(const char* data, std::size_t count) {
        std::lock_guard lock(front_);
        CodePageCharToWCharStream::write(data, count);
        lineEnds_.flush();
    }

    // Ends the current line unless it is empty, hands everything to the writer thread and
    // starts hexadecimal display at a fresh row. Used before switching between sent and
    // received data and before a message.
    void endOfLine() {
        std::lock_guard lock(front_);
        if (!lineEnds_.atLineStart()) {
            static constexpr char16_t kCr = u'\r';
            lineEnds_.put(&kCr);
        }
        lineEnds_.flush();
        resetHexColumn();
    }

    // The end of a byte stream (standard input ran out, the reader was disconnected): bytes of
    // an unfinished character are shown as they are, then the line is ended as endOfLine() does.
    void endOfInput() {
        {
            std::lock_guard lock(front_);
            flushPending();
        }
        endOfLine();
    }

    // The producer waits for the writer thread however long it takes instead of dropping the
    // oldest text after a second: for a consumer that must see every byte (a pipe), not for a
    // window that must never hold up the port.
    void setWaitForWriter(bool wait) { ring_.setWaitForWriter(wait); }

    // Text that is already UTF-16 (messages in the user's language). Line ends are normalised
    // and control characters made visible, as for received text; it is not flushed.
    void writeText(std::u16string_view text) {
        std::lock_guard lock(front_);
        lineEnds_.write(text.data(), text.size());
    }

    // A stream for text known to be ASCII (echoed commands): bytes are widened as they are,
    // whatever the code page.
    OutputStream<char>& asciiStream() { return ascii_; }

    // Attaches the text sink (null detaches). Any thread.
    void setSink(TextSink* sink) { sinkStream_.setSink(sink); }

    // Waits until everything flushed so far has reached the sink. False on time-out
    // (`timeoutMs` negative: no limit).
    bool drain(int timeoutMs = -1) { return ring_.drain(timeoutMs); }

private:
    // The front's ASCII entry, under the front lock.
    class AsciiFront : public OutputStream<char> {
    public:
        explicit AsciiFront(BufferedDeSynchronizedEditBoxOutputStream* chain) : chain_(chain) {}
        void write(const char* data, std::size_t count) override {
            std::lock_guard lock(chain_->front_);
            chain_->asciiWiden_.write(data, count);
        }
        void put(const char* item) override { write(item, 1); }
        void flush() override {
            std::lock_guard lock(chain_->front_);
            chain_->asciiWiden_.flush();
        }

    private:
        BufferedDeSynchronizedEditBoxOutputStream* chain_;
    };

    // The writer thread's target: the output buffer, and the sink's flush once the ring has
    // run empty.
    class WriterEnd : public OutputStream<char16_t> {
    public:
        explicit WriterEnd(BufferedDeSynchronizedEditBoxOutputStream* chain) : chain_(chain) {}
        void write(const char16_t* data, std::size_t count) override {
            chain_->output_.write(data, count);
        }
        void put(const char16_t* item) override { chain_->output_.put(item); }
        void flush() override {
            chain_->output_.flush();
            chain_->sinkStream_.flush();
        }

    private:
        BufferedDeSynchronizedEditBoxOutputStream* chain_;
    };

    // Writer-thread side, declared first so that it is built before the thread starts and
    // outlives it.
    TextSinkOutputStream sinkStream_;
    WriterEnd writerEnd_;
    BufferedOutputStream<char16_t, N> output_;
    DesynchronizedOutputStream<char16_t, N> ring_;
    // Producer side.
    std::mutex front_;
    BufferedOutputStream<char16_t, N> input_;
    AsciiFront ascii_;
    CharToWCharStreamOnlyASCII asciiWiden_;
    VisibleASCIIStream visible_;
    CrOrLfToCrLfOutputStreamW lineEnds_;
};

}  // namespace omni::stream
