// Firmware download, XMODEM protocol of EngineL: 128-byte blocks with an 8-bit checksum, started
// by the engine's NAK, each answered ACK (next block), NAK or nothing (send again) or CAN (the
// engine gave up). The byte 4 ends the transfer; the engine then writes its flash and restarts
// on "RV".
#include "module/download.h"
#include "module/engines.h"

namespace kes {
namespace {

constexpr char kLoaderCommand[] = "XLT\x0F";    // into the serial loader (not from the boot loader)
constexpr char kTransferCommand[] = "XO";       // start of the transfer
constexpr char kRestartCommand[] = "RV";        // run the new firmware
constexpr std::uint32_t kStartPauseMs = 200;    // before the high-speed switch
constexpr std::uint32_t kLoaderPauseMs = 2000;  // the loader settles at high speed
constexpr std::uint32_t kStartWaitMs = 60000;   // for each byte before the engine's NAK
constexpr std::uint32_t kReplyWaitMs = 10000;   // for the answer to a block or to the end byte
constexpr std::uint32_t kMaxAttempts = 101;     // the first try and 100 more
constexpr std::uint32_t kResultWaitMs = 1000;   // for the engine's result line
constexpr std::uint32_t kResultLineMax = 256;
constexpr std::uint32_t kRestartPauseMs = 1000;  // before "RV"
constexpr std::uint32_t kAfterRestartPauseMs = 2000;

enum class Answer { Ack, Can, Retry, Failed };

// One byte of answer within `waitMs`. Silence and any byte but ACK and CAN ask for a retry; a
// port that failed otherwise ends the download (status kept).
Answer awaitAnswer(SerialPortForModule& port, std::uint32_t waitMs) {
    port.waitForData(waitMs);
    std::uint8_t byte = 0;
    if (status() == KES_STATE_SUCCESS && port.get(byte)) {
        if (byte == kAck)
            return Answer::Ack;
        if (byte == kCan)
            return Answer::Can;
        return Answer::Retry;
    }
    if (status() == KES_STATE_COMMUNICATION_TIMEOUT) {
        setStatus(KES_STATE_SUCCESS);
        return Answer::Retry;
    }
    return Answer::Failed;
}

// Sends `data` until ACK. True on ACK; otherwise the status says why.
bool sendUntilAcknowledged(SerialPortForModule& port, const std::uint8_t* data,
                           std::uint32_t count) {
    for (std::uint32_t attempt = 0; attempt < kMaxAttempts; ++attempt) {
        if (!port.write(data, count) || !port.flush())
            return false;
        switch (awaitAnswer(port, kReplyWaitMs)) {
            case Answer::Ack:
                return true;
            case Answer::Can:
                setStatus(KES_STATE_CANCELED);
                return false;
            case Answer::Failed:
                return false;
            case Answer::Retry:
                break;
        }
    }
    port.put(kCan);
    setStatus(KES_STATE_TOO_MANY_RETRY);
    return false;
}

// Waits for the engine's NAK that opens the transfer. A CAN ends the download.
bool awaitStart(SerialPortForModule& port) {
    for (;;) {
        port.waitForData(kStartWaitMs);
        std::uint8_t byte = 0;
        if (status() != KES_STATE_SUCCESS || !port.get(byte))
            return false;
        if (byte == kNak)
            return true;
        if (byte == kCan) {
            setStatus(KES_STATE_CANCELED);
            return false;
        }
    }
}

// The blocks and the end byte. True when the engine acknowledged the end.
bool transfer(SerialPortForModule& port, InputStreamInterface& input, std::uint32_t fileSize,
              const ProgressReport& report, const std::function<bool()>& cancelled) {
    std::int32_t blocks = static_cast<std::int32_t>((fileSize + kXmodemData - 1) / kXmodemData);
    report.transferRange(1, blocks + 1);
    report.stageRange(1, blocks + 1);
    report.transferPosition(1);
    report.stagePosition(1);
    report.begin(false);

    std::uint8_t data[kXmodemData];
    std::uint8_t packet[kXmodemPacketSize];
    std::uint8_t number = 1;
    std::int32_t sent = 1;
    for (std::uint32_t count; (count = readFull(input, data, kXmodemData)) > 0;) {
        buildXmodemPacket(number, data, count, packet);
        if (!sendUntilAcknowledged(port, packet, kXmodemPacketSize))
            return false;
        ++number;  // wraps after 255, as the protocol's 8-bit number does
        ++sent;
        report.transferPosition(sent);
        report.stagePosition(sent);
        if (cancelled()) {
            port.put(kCan);
            setStatus(KES_STATE_SUCCESS);
            return false;
        }
        if (count < kXmodemData)
            break;
    }
    return sendUntilAcknowledged(port, &kEot, 1);
}

// The engine's one-line result after the end byte; informational, so silence is no failure.
void readResultLine(SerialPortForModule& port) {
    port.waitForData(kResultWaitMs);
    if (status() == KES_STATE_SUCCESS) {
        char line[kResultLineMax];
        port.readUntil(line, kResultLineMax, '\r');
    }
    if (status() == KES_STATE_COMMUNICATION_TIMEOUT)
        setStatus(KES_STATE_SUCCESS);
}

}  // namespace

void buildXmodemPacket(std::uint8_t block, const std::uint8_t* data, std::uint32_t count,
                       std::uint8_t* packet) {
    if (count > kXmodemData)
        count = kXmodemData;
    packet[0] = kSoh;
    packet[1] = block;
    packet[2] = static_cast<std::uint8_t>(255 - block);
    std::uint8_t sum = 0;
    for (std::uint32_t i = 0; i < kXmodemData; ++i) {
        std::uint8_t byte = i < count ? data[i] : 0;
        packet[3 + i] = byte;
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    packet[kXmodemPacketSize - 1] = sum;
}

void EngineL::download(InputStreamInterface* input, std::uint32_t fileSize, std::int32_t bootLoader,
                       DownloadProgressInterface* progress) {
    cancelSeen_ = cancelRequests_.load();
    downloadFinished_ = false;
    if (!bootLoader) {
        sendCommand(kLoaderCommand, sizeof kLoaderCommand - 1);
        std::uint8_t reply = 0;
        if (status() != KES_STATE_SUCCESS || !port_->get(reply))
            return;
    }
    port_->sleep(kStartPauseMs);
    port_->highSpeed();
    if (status() == KES_STATE_SUCCESS) {
        port_->sleep(kLoaderPauseMs);
        sendCommand(kTransferCommand, sizeof kTransferCommand - 1);
    }
    const ProgressReport report = reportOf(progress);
    bool ended = status() == KES_STATE_SUCCESS && awaitStart(*port_) &&
                 transfer(*port_, *input, fileSize, report,
                          [this] { return cancelRequests_.load() != cancelSeen_; });
    if (ended) {
        readResultLine(*port_);
        port_->sleep(kRestartPauseMs);
        sendCommand(kRestartCommand, sizeof kRestartCommand - 1);
        port_->sleep(kAfterRestartPauseMs);
        downloadFinished_ = status() == KES_STATE_SUCCESS;
    }
    restoreSpeedKeepingStatus(*port_);
}

}  // namespace kes
