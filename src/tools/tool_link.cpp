#include "tools/tool_link.h"

#include <chrono>
#include <thread>

#include "foundation/control_chars.h"
#include "foundation/exception.h"

namespace omni::tools {
namespace {

constexpr int kExchangeLimit = 26;  // "WD"s the acknowledgement exchange sends at most

}  // namespace

std::string digitTokens(long long value, int width) {
    std::string digits(static_cast<std::size_t>(width), '0');
    unsigned long long rest = value < 0 ? 0 : static_cast<unsigned long long>(value);
    for (int i = width - 1; i >= 0; --i, rest /= 10)
        digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + rest % 10);
    std::string tokens;
    for (char digit : digits) {
        tokens += 'Q';
        tokens += digit;
    }
    return tokens;
}

std::string withDigits(std::string_view command, long long value, int width) {
    return std::string(command) + digitTokens(value, width);
}

long long encodeMicroseconds(long long microseconds) {
    if (microseconds <= 0)
        return 0;
    long long exponent = 0;
    for (long long v = microseconds; v >= 10; v /= 10)
        ++exponent;
    // The mantissa keeps three digits: t / 10^(e-2), which multiplies for e < 2.
    long long mantissa = microseconds;
    if (exponent >= 2) {
        for (long long i = 0; i < exponent - 2; ++i)
            mantissa /= 10;
    } else {
        for (long long i = exponent; i < 2; ++i)
            mantissa *= 10;
    }
    return exponent * 1000 + mantissa;
}

void ToolLink::send(std::string_view command) {
    exchange_.sendCommand(command);
    if (observer_)
        observer_(command);
}

char ToolLink::readByte(unsigned timeoutMs) {
    if (port_.waitForData(timeoutMs) == 0)  // the port throws the time-out itself; be sure
        throw foundation::KesException(KES_STATE_COMMUNICATION_TIMEOUT);
    char byte = 0;
    port_.read(&byte, 1);
    return byte;
}

std::string ToolLink::readBytes(std::size_t count) {
    std::string bytes;
    bytes.reserve(count);
    while (bytes.size() < count)
        bytes += readByte(timing_.replyByteMs);
    return bytes;
}

void ToolLink::drain() {
    // The port ends a wait that finds nothing with a time-out, and purges its input on the way.
    try {
        char scrap[256];
        for (std::size_t queued; (queued = port_.waitForData(0)) > 0;)
            port_.read(scrap, std::min(sizeof scrap, queued));
    } catch (const foundation::KesException& e) {
        if (e.state() != KES_STATE_COMMUNICATION_TIMEOUT)
            throw;
    }
}

void ToolLink::pause(unsigned ms) const {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool ToolLink::waitForAck(unsigned timeoutMs) {
    drain();
    exchange_.sendCommand("WC");
    char byte = 0;
    try {
        byte = readByte(timeoutMs);
    } catch (const foundation::Exception&) {
        exchange_.sendCommand("WD");
        throw;
    }
    exchange_.sendCommand("WD");
    return byte == foundation::kAck;
}

int ToolLink::acknowledgementExchange() {
    int sent = 0;
    try {
        drain();
        exchange_.sendCommand("WC");
        while (sent < kExchangeLimit) {
            while (readByte(timing_.exchangeByteMs) != foundation::kAck) {
            }
            exchange_.sendCommand("WD");
            ++sent;
        }
    } catch (const foundation::Exception&) {
        // The reader stopped acknowledging (or went away): the exchange ends quietly.
    }
    return sent;
}

}  // namespace omni::tools
