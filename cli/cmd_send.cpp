// omnisetup-cli send --port PATH [--quiet MS] CMD...: sends each command framed (ESC, command,
// CR) and prints what the reader answers until the line has been quiet for a moment, rendered as
// the communication log shows it.
#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "commands/exchange/command_exchange.h"
#include "port_cli.h"

namespace omni::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kDefaultQuietMs = 300;
constexpr unsigned kLongestListenMs = 10000;  // a reader that never stops talking

// Names of the control characters as the log shows them; LF and CR end lines.
constexpr const char* kControlNames[32] = {
    "[NUL]", "[SOH]", "[STX]", "[ETX]", "[EOT]", "[ENQ]", "[ACK]", "[BEL]",
    "[BS]",  "[HT]",  nullptr, "[VT]",  "[NP]",  nullptr, "[SO]",  "[SI]",
    "[DLE]", "[DC1]", "[DC2]", "[DC3]", "[DC4]", "[NAK]", "[SYN]", "[ETB]",
    "[CAN]", "[EM]",  "[SUB]", "[ESC]", "[FS]",  "[GS]",  "[RS]",  "[US]",
};

// The receive thread's listener: keeps the bytes and the time the last ones came.
class ReplyCollector : public OutputStream<char> {
public:
    void write(const char* data, std::size_t count) override {
        std::lock_guard lock(mutex_);
        bytes_.append(data, count);
        last_ = Clock::now();
    }
    void put(const char* item) override { write(item, 1); }
    void flush() override {}
    std::string bytes() const {
        std::lock_guard lock(mutex_);
        return bytes_;
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
    std::string bytes_;
    Clock::time_point last_ = Clock::now();
};

// The log's rendering of received bytes: CR, LF and CR LF each end one line, control characters
// are shown by name, DEL as "[DEL]"; other bytes pass as they are.
std::string renderAsLog(const std::string& bytes) {
    std::string text;
    bool lastWasCr = false;
    for (unsigned char c : bytes) {
        if (c == '\n' && lastWasCr) {
            lastWasCr = false;
            continue;
        }
        lastWasCr = c == '\r';
        if (c == '\r' || c == '\n') {
            text += '\n';
        } else if (c < 32) {
            text += kControlNames[c];
        } else if (c == 127) {
            text += "[DEL]";
        } else {
            text += static_cast<char>(c);
        }
    }
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    return text;
}

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
                return fail(message(kIdUnknownOption, {args[i]}), 2);
            }
        } else if (args[i].rfind("--", 0) == 0) {
            return fail(message(kIdUnknownOption, {args[i]}), 2);
        } else {
            commands.push_back(unescapeArgument(args[i]));
        }
    }
    if (device.empty())
        return fail(message(kIdMissingPort), 2);
    if (commands.empty())
        return fail(message(kIdNoCommand), 2);
    for (const std::string& command : commands) {
        if (command.size() > kMaxCommandLength)
            return fail(KesException(KES_STATE_TOO_LONG_SEND_COMMAND).what(), 2);
    }

    installModuleLock();
    SerialPortForPosix port;
    if (int code = openPort(port, device))
        return code;

    ReplyCollector replies;
    std::mutex failureMutex;
    std::optional<int> failureCode;
    port.setErrorReporter([&](const Exception& e) {
        std::lock_guard lock(failureMutex);
        if (!failureCode)
            failureCode = failLink(e, device);
    });
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
        {
            std::lock_guard lock(failureMutex);
            if (failureCode)
                return *failureCode;
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
    std::string answer = replies.bytes();
    if (answer.empty())
        return fail(message(kIdNoAnswer, {device}), 3);
    std::cout << renderAsLog(answer) << std::flush;
    return 0;
}

const Registration reg{"send", "send --port PATH [--quiet MS] CMD...",
                       "send each command framed (ESC, command, CR) and print the reader's answer "
                       "as the log shows it",
                       &runSend};

}  // namespace
}  // namespace omni::cli
