// omnisetup-cli send --port PATH [--quiet MS] [--ack] CMD...: sends each command framed (ESC,
// command, CR) and prints what the reader answers until the line has been quiet for a moment,
// passed through the communication log's chain (current code page, visible control characters,
// CR LF line ends) exactly as the log shows it.
//
// Readers do not answer menu commands, so the send is done once every frame has been written.
// With --ack the reader is switched to ACK mode ("WC") first, each command must be acknowledged
// (one ACK each) and the mode is switched off again ("WD"); a command without its ACK ends the run
// with ExitNoAnswer, naming it.
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "exit_status.h"
#include "line_options.h"
#include "port_cli.h"
#include "reader/command_exchange.h"
#include "resources/string_ids.h"
#include "stream/locked_text.h"
#include "stream/log_chain.h"

namespace omni::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kDefaultQuietMs = 300;
constexpr unsigned kLongestListenMs = 10000;  // a reader that never stops talking
constexpr unsigned kAckWaitMs = 3000;         // an ACK after its command, as for a reply block
constexpr char kAck = 0x06;

// The receive thread's listener: passes the bytes on to the log chain and notes how many came
// and when the last ones did. In ACK mode it counts the ACKs instead of showing them.
class ReplyCollector : public stream::OutputStream<char> {
public:
    explicit ReplyCollector(stream::OutputStream<char>& log) : log_(log) {}
    void write(const char* data, std::size_t count) override {
        std::size_t acks = 0;
        if (countAcks_) {
            std::string shown;
            for (std::size_t i = 0; i < count; ++i) {
                if (data[i] == kAck)
                    ++acks;
                else
                    shown += data[i];
            }
            log_.write(shown.data(), shown.size());
        } else {
            log_.write(data, count);
        }
        {
            std::lock_guard lock(mutex_);
            received_ += count - acks;
            acks_ += acks;
            last_ = Clock::now();
        }
        if (acks)
            ackArrived_.notify_all();
    }
    // Set before receiving starts.
    void countAcks() { countAcks_ = true; }
    // Takes one ACK, waiting up to `timeoutMs` for it; false when none came.
    bool takeAck(unsigned timeoutMs) {
        std::unique_lock lock(mutex_);
        if (!ackArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return acks_ > 0; }))
            return false;
        --acks_;
        return true;
    }
    void put(const char* item) override { write(item, 1); }
    void flush() override { log_.flush(); }
    std::size_t received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    Clock::time_point last() const {
        std::lock_guard lock(mutex_);
        return last_;
    }
    void touch() {
        std::lock_guard lock(mutex_);
        last_ = Clock::now();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable ackArrived_;
    stream::OutputStream<char>& log_;
    bool countAcks_ = false;
    std::size_t acks_ = 0;
    std::size_t received_ = 0;
    Clock::time_point last_ = Clock::now();
};

// Collects the log's text (UTF-16, CR LF line ends) on the chain's writer thread.
class TextCollector : public stream::TextSink {
public:
    void append(const char16_t* text, std::size_t count) override { text_.append(text, count); }
    std::u16string text() const { return text_.text(); }

private:
    stream::LockedText<std::u16string> text_;
};

struct SendOptions {
    std::string device;
    unsigned quietMs = kDefaultQuietMs;
    bool ack = false;
    std::vector<std::string> commands;
    LineOptions line;
};

// Reads the options and the commands; returns 0, or the exit code after printing what is wrong.
int parseOptions(const Args& args, SendOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--port" || args[i] == "--quiet") && i + 1 >= args.size()) {
            return fail(res::formatUtf8(res::ids::OptionNeedsValue, {args[i]}), ExitBadInput);
        } else if (args[i] == "--port") {
            options.device = args[++i];
        } else if (args[i] == "--quiet" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), options.quietMs);
            if (error != std::errc() || end != value.data() + value.size())
                return fail(res::formatUtf8(res::ids::UnknownOption, {value}), ExitBadInput);
        } else if (auto taken = takeLineOption(args, i, options.line);
                   taken != LineOptionResult::NotMine) {
            if (taken == LineOptionResult::Bad)
                return ExitBadInput;
        } else if (args[i] == "--ack") {
            options.ack = true;
        } else if (args[i].rfind("--", 0) == 0) {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), ExitBadInput);
        } else {
            options.commands.push_back(unescapeArgument(args[i]));
        }
    }
    if (options.device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), ExitBadInput);
    if (options.commands.empty())
        return fail(res::loadStringUtf8(res::ids::NoCommand), ExitBadInput);
    for (const std::string& command : options.commands) {
        if (command.size() > reader::kMaxCommandLength)
            return fail(res::formatUtf8(res::ids::CommandTooLong,
                                        {std::to_string(reader::kMaxCommandLength)}),
                        2);
    }
    return 0;
}

// What the reader says after the commands, through the log's chain, and the first failure of
// the link the receive thread reports.
class ReplyListener {
public:
    ReplyListener(serial::SerialPortForPosix& port, const std::string& device, bool countAcks)
        : port_(port), replies_(log_) {
        log_.setSink(&text_);
        if (countAcks)
            replies_.countAcks();
        port_.setErrorReporter([this, &device](const foundation::Exception& e) {
            std::lock_guard lock(failureMutex_);
            if (!failure_)
                failure_ = reader::linkFailureMessage(device, e);
        });
        port_.startReceiving(&replies_);
    }
    ~ReplyListener() {
        try {
            port_.stop();
        } catch (const foundation::Exception&) {
            // The process is about to end with its own message.
        }
    }
    ReplyListener(const ReplyListener&) = delete;
    ReplyListener& operator=(const ReplyListener&) = delete;

    bool takeAck() { return replies_.takeAck(kAckWaitMs); }

    // Waits until the line has been quiet for `quietMs` (or the longest listen is over) and
    // prints the reply. Returns the exit code.
    int awaitQuiet(unsigned quietMs, const std::string& device) {
        replies_.touch();
        const auto started = Clock::now();
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (std::optional<std::string> failed = failure())
                return failWithReply(*failed);
            const auto now = Clock::now();
            if (now - replies_.last() >= std::chrono::milliseconds(quietMs))
                break;
            if (now - started >= std::chrono::milliseconds(kLongestListenMs)) {
                fail(res::formatUtf8(res::ids::ReaderNeverQuiet,
                                     {std::to_string(kLongestListenMs / 1000)}));
                break;
            }
        }
        try {
            port_.close();
        } catch (const foundation::Exception& e) {
            return failLink(e, device);
        }
        printReply();
        return ExitDone;
    }

private:
    std::optional<std::string> failure() {
        std::lock_guard lock(failureMutex_);
        return failure_;
    }
    // A failure of the link is reported after what the reader said before it went.
    int failWithReply(const std::string& failed) {
        port_.stop();
        if (replies_.received() != 0)
            printReply();
        return fail(failed);
    }
    void printReply() {
        log_.endOfInput();
        log_.drain();
        log_.setSink(nullptr);
        std::cout << res::toUtf8(text_.text()) << std::flush;
    }

    serial::SerialPortForPosix& port_;
    TextCollector text_;
    stream::BufferedDeSynchronizedEditBoxOutputStream<8192> log_;
    ReplyCollector replies_;
    std::mutex failureMutex_;
    std::optional<std::string> failure_;
};

// Sends the commands; with ACK mode, each one must be acknowledged. Returns the exit code, or
// ExitDone to go on and collect the reply.
int sendAll(reader::CommandExchange& exchange, ReplyListener& listener,
            const SendOptions& options) {
    auto acknowledged = [&](std::string_view command) {
        if (!options.ack || listener.takeAck())
            return true;
        std::cerr << "omnisetup-cli: "
                  << res::formatUtf8(res::ids::AckNotReceived, {options.device, command}) << "\n";
        return false;
    };
    if (options.ack) {
        exchange.sendCommand("WC");
        if (!acknowledged("WC")) {
            exchange.sendCommand("WD");  // whatever the reader made of "WC"
            return ExitNoAnswer;
        }
    }
    for (const std::string& command : options.commands) {
        exchange.sendCommand(command);
        if (!acknowledged(command)) {
            exchange.sendCommand("WD");
            return ExitNoAnswer;
        }
    }
    if (options.ack) {
        exchange.sendCommand("WD");
        listener.takeAck();  // "WD" is acknowledged before the mode ends; not required
    }
    return ExitDone;
}

}  // namespace

int runSend(const Args& args) {
    SendOptions options;
    if (int code = parseOptions(args, options))
        return code;

    serial::SerialPortForPosix port;
    overrideLine(port, options.line, options.device);
    if (int code = openReader(port, options.device))
        return code;

    ReplyListener listener(port, options.device, options.ack);
    reader::CommandExchange exchange(port);
    try {
        if (int code = sendAll(exchange, listener, options))
            return code;
    } catch (const foundation::Exception& e) {
        port.stop();
        return failLink(e, options.device);
    }
    return listener.awaitQuiet(options.quietMs, options.device);
}

}  // namespace omni::cli
