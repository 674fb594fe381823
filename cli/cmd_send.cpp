// omnisetup-cli send --port PATH [--quiet MS] CMD...: sends each command framed (ESC, command,
// CR) and prints what the reader answers until the line has been quiet for a moment, passed
// through the communication log's chain (current code page, visible control characters, CR LF
// line ends) exactly as the log shows it.
#include <atomic>
#include <chrono>
#include <functional>
#include <iostream>
#include <mutex>
#include <thread>

#include "commands/exchange/command_exchange.h"
#include "port_cli.h"
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

int runSend(const Args& args) {
    std::string device;
    unsigned quietMs = kDefaultQuietMs;
    std::vector<std::string> commands;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            device = args[++i];
        } else if (args[i] == "--quiet" && i + 1 < args.size()) {
            try {
                quietMs = static_cast<unsigned>(std::stoul(args[++i]));
            } catch (const std::exception&) {
                return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), 2);
            }
        } else if (args[i].rfind("--", 0) == 0) {
            return fail(res::formatUtf8(res::ids::UnknownOption, {args[i]}), 2);
        } else {
            commands.push_back(unescapeArgument(args[i]));
        }
    }
    if (device.empty())
        return fail(res::loadStringUtf8(res::ids::MissingPort), 2);
    if (commands.empty())
        return fail(res::loadStringUtf8(res::ids::NoCommand), 2);
    for (const std::string& command : commands) {
        if (command.size() > kMaxCommandLength)
            return fail(KesException(KES_STATE_TOO_LONG_SEND_COMMAND).what(), 2);
    }

    installModuleLock();
    SerialPortForPosix port;
    if (int code = openPort(port, device))
        return code;

    TextCollector text;
    BufferedDeSynchronizedEditBoxOutputStream<8192> log;
    log.setSink(&text);
    ReplyCollector replies(log);
    // A failure of the link on the receive thread is reported here, after what the reader said
    // before it went has been printed.
    std::mutex failureMutex;
    std::function<int()> failure;
    port.setErrorReporter([&](const Exception& e) {
        std::lock_guard lock(failureMutex);
        if (failure)
            return;
        if (const auto* system = dynamic_cast<const SystemException*>(&e)) {
            failure = [&device, error = system->errorCode()] {
                return failLink(SystemException(error), device);
            };
        } else if (const auto* kes = dynamic_cast<const KesException*>(&e)) {
            failure = [&device, state = kes->state()] {
                return failLink(KesException(state), device);
            };
        } else {
            failure = [text = std::string(e.what())] { return fail(text); };
        }
    });
    const auto printReply = [&] {
        log.endOfLine();
        log.drain();
        log.setSink(nullptr);
        std::cout << res::toUtf8(text.text()) << std::flush;
    };
    port.startReceiving(&replies);

    CommandExchange exchange(port);
    try {
        for (const std::string& command : commands)
            exchange.sendCommand(command);
    } catch (const Exception& e) {
        port.stop();
        return failLink(e, device);
    }

    replies.touch();
    auto started = Clock::now();
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::function<int()> failed;
        {
            std::lock_guard lock(failureMutex);
            failed = failure;
        }
        if (failed) {
            port.stop();
            if (replies.received() != 0)
                printReply();
            return failed();
        }
        auto now = Clock::now();
        if (now - replies.last() >= std::chrono::milliseconds(quietMs))
            break;
        if (now - started >= std::chrono::milliseconds(kLongestListenMs))
            break;
    }
    try {
        port.close();
    } catch (const Exception& e) {
        return failLink(e, device);
    }
    if (replies.received() == 0)
        return fail(res::formatUtf8(res::ids::ReaderNoAnswer, {device}), 3);
    printReply();
    return 0;
}

const Registration reg{"send", "send --port PATH [--quiet MS] CMD...",
                       "send each command framed (ESC, command, CR) and print the reader's answer "
                       "as the log shows it",
                       &runSend};

}  // namespace
}  // namespace omni::cli
