// omnisetup-cli send --port PATH [--quiet MS] CMD...: sends each command framed (ESC, command,
// CR) and prints what the reader answers until the line has been quiet for a moment, passed
// through the communication log's chain (current code page, visible control characters, CR LF
// line ends) exactly as the log shows it.
#include <atomic>
#include <charconv>
#include <chrono>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "line_options.h"
#include "port_cli.h"
#include "reader/command_exchange.h"
#include "resources/string_ids.h"
#include "stream/log_chain.h"

namespace omni::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kDefaultQuietMs = 300;
constexpr unsigned kLongestListenMs = 10000;  // a reader that never stops talking

// The receive thread's listener: passes the bytes on to the log chain and notes how many came
// and when the last ones did.
class ReplyCollector : public OutputStream<char> {
public:
    explicit ReplyCollector(OutputStream<char>& log) : log_(log) {}
    void write(const char* data, std::size_t count) override {
        log_.write(data, count);
        std::lock_guard lock(mutex_);
        received_ += count;
        last_ = Clock::now();
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
    OutputStream<char>& log_;
    std::size_t received_ = 0;
    Clock::time_point last_ = Clock::now();
};

// Collects the log's text (UTF-16, CR LF line ends) on the chain's writer thread.
class TextCollector : public TextSink {
public:
    void append(const char16_t* text, std::size_t count) override {
        std::lock_guard lock(mutex_);
        text_.append(text, count);
    }
    std::u16string text() const {
        std::lock_guard lock(mutex_);
        return text_;
    }

private:
    mutable std::mutex mutex_;
    std::u16string text_;
};

struct SendOptions {
    std::string device;
    unsigned quietMs = kDefaultQuietMs;
    std::vector<std::string> commands;
    LineOptions line;
};

// Reads the options and the commands; returns 0, or the exit code after printing what is wrong.
int parseOptions(const Args& args, SendOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            options.device = args[++i];
        } else if (args[i] == "--quiet" && i + 1 < args.size()) {
            const std::string& value = args[++i];
            auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), options.quietMs);
            if (error != std::errc() || end != value.data() + value.size())
                return fail(res::formatUtf8(res::ids::UnknownOption, {value}), 2);
        } else if (auto taken = takeLineOption(args, i, options.line);
                   taken != LineOptionResult::NotMine) {
            if (taken == LineOptionResult::Bad)
                return 2;
        } else if (args[i].rfind("--", 0) == 0) {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), 2);
        } else {
            options.commands.push_back(unescapeArgument(args[i]));
        }
    }
    if (options.device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), 2);
    if (options.commands.empty())
        return fail(res::loadStringUtf8(res::ids::NoCommand), 2);
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
    ReplyListener(SerialPortForPosix& port, const std::string& device)
        : port_(port), replies_(log_) {
        log_.setSink(&text_);
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
        if (replies_.received() == 0)
            return fail(reader::linkFailureMessage(
                            device, foundation::KesException(KES_STATE_COMMUNICATION_TIMEOUT)),
                        3);
        printReply();
        return 0;
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

    SerialPortForPosix& port_;
    TextCollector text_;
    BufferedDeSynchronizedEditBoxOutputStream<8192> log_;
    ReplyCollector replies_;
    std::mutex failureMutex_;
    std::optional<std::string> failure_;
};

int runSend(const Args& args) {
    SendOptions options;
    if (int code = parseOptions(args, options))
        return code;

    reader::installModuleLock();
    SerialPortForPosix port;
    if (options.line.any()) {
        const PortDescriptor descriptor = devicePort(options.device);
        port.setLineOverride(
            options.line.over(loadLineSettings(foundation::kProgramSettingsKey, descriptor)));
    }
    reader::FailureKind kind{};
    const std::string failure =
        reader::openReaderPort(port, devicePort(options.device), foundation::kProgramSettingsKey,
                               options.device, &kind);
    if (!failure.empty())
        return fail(failure, exitStatusOf(kind));

    ReplyListener listener(port, options.device);
    reader::CommandExchange exchange(port);
    try {
        for (const std::string& command : options.commands)
            exchange.sendCommand(command);
    } catch (const foundation::Exception& e) {
        port.stop();
        return failLink(e, options.device);
    }
    return listener.awaitQuiet(options.quietMs, options.device);
}

const Registration reg{"send", "send --port PATH [--quiet MS] CMD...",
                       "send each command framed (ESC, command, CR) and print the reader's answer "
                       "as the log shows it",
                       &runSend};

}  // namespace
}  // namespace omni::cli
