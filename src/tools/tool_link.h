// The connection as the tuning and test tools use it: commands framed and sent through the
// command exchange, replies read straight from the port with time limits, and the small
// exchanges every tool shares (the acknowledged wait, the acknowledgement exchange).
//
// The port's receive thread must be stopped while a tool reads replies; only the reading test
// lets it run, to show what the reader sends.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "reader/command_exchange.h"
#include "serial/serial_port.h"

namespace omni::tools {

// Pauses the tools make on the reader's behalf; tests shorten them.
struct ToolTiming {
    unsigned settleMs = 4000;        // after imaging parameters, before a capture
    unsigned exchangeByteMs = 1000;  // each byte of the acknowledgement exchange
    unsigned replyByteMs = 3000;     // each byte of a block or a number
};

// A numeric argument as `width` digit tokens ("Q" and one digit each), most significant first,
// zero-padded: digitTokens(900000, 6) is "Q9Q0Q0Q0Q0Q0". Digits beyond `width` are dropped.
std::string digitTokens(long long value, int width);
// `command` followed by digitTokens(value, width).
std::string withDigits(std::string_view command, long long value, int width);

// A time in microseconds as the imaging engine takes it: 0 stays 0; otherwise the decimal
// exponent e of the value times 1000 plus its three leading digits (500 -> 2500, 1234 -> 3123,
// 56 -> 1560).
long long encodeMicroseconds(long long microseconds);

class ToolLink {
public:
    ToolLink(reader::CommandExchange& exchange, serial::SerialPortForPosix& port,
             ToolTiming timing = {})
        : exchange_(exchange), port_(port), timing_(timing) {}

    // Every command sent also goes to `observer` (the recorder of the tuning dialog, the log).
    void setObserver(std::function<void(std::string_view)> observer) {
        observer_ = std::move(observer);
    }

    void send(std::string_view command);
    // "WC", one byte within `timeoutMs`, "WD"; true when the byte was an ACK. A time-out sends
    // "WD" and throws KesException(KES_STATE_COMMUNICATION_TIMEOUT).
    bool waitForAck(unsigned timeoutMs);
    // "WC", then one "WD" per ACK read, ending after the 26th "WD" or quietly at the first read
    // that fails. Returns the number of "WD"s sent.
    int acknowledgementExchange();

    // One byte within `timeoutMs`; throws KesException(KES_STATE_COMMUNICATION_TIMEOUT).
    char readByte(unsigned timeoutMs);
    // `count` bytes, each within the reply time limit.
    std::string readBytes(std::size_t count);
    // Drops whatever is already queued (a late ACK of an earlier command).
    void drain();
    void pause(unsigned ms) const;

    const ToolTiming& timing() const { return timing_; }
    serial::SerialPortForPosix& port() { return port_; }
    reader::CommandExchange& exchange() { return exchange_; }

private:
    reader::CommandExchange& exchange_;
    serial::SerialPortForPosix& port_;
    ToolTiming timing_;
    std::function<void(std::string_view)> observer_;
};

}  // namespace omni::tools
