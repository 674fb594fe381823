// Sending a picture to the engine line by line, and the decoding test on it.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "module/capture.h"
#include "module/engines.h"

namespace kes {
namespace {

constexpr std::uint32_t kAnswerWaitMs = 200;  // the ACK to the request and to the header
constexpr std::uint32_t kLineWaitMs = 5000;   // the answer to one line block
constexpr std::uint32_t kDecodePauseMs = 100;
constexpr std::size_t kHeaderSize = 256;
constexpr std::size_t kHeaderSumAt = 253;  // big-endian checksum of bytes 1 to 252

// Waits a short while for one answer byte; 0 when none came (the status is cleared).
std::uint8_t answer(SerialPortForModule& port, std::uint32_t waitMs) {
    std::uint8_t byte = 0;
    port.waitForData(waitMs);
    if (status() == KES_STATE_SUCCESS && port.get(byte))
        return byte;
    setStatus(KES_STATE_SUCCESS);
    return 0;
}

// The picture header: "=", total bytes (8 digits), bytes per line (4), lines (4), bits (1 hex
// digit), zero-filled, with its checksum at the end.
void buildPictureHeader(std::uint8_t* header, std::int32_t lineBytes, std::int32_t lines,
                        std::int32_t bits) {
    std::memset(header, 0, kHeaderSize);
    char text[40];
    std::snprintf(text, sizeof text, "=%08d%04d%04d%01X", lineBytes * lines, lineBytes, lines,
                  bits);
    std::memcpy(header, text, std::strlen(text));
    const std::uint16_t sum = blockChecksum(header + 1, 252);
    header[kHeaderSumAt] = static_cast<std::uint8_t>(sum >> 8);
    header[kHeaderSumAt + 1] = static_cast<std::uint8_t>(sum);
}

// One line block: "!", the line number (16 bits), the length (32 bits), the bytes, their
// checksum (16 bits), CR.
void buildLineBlock(std::uint8_t* block, std::int32_t line, const std::uint8_t* bytes,
                    std::uint32_t length) {
    block[0] = '!';
    block[1] = static_cast<std::uint8_t>(line >> 8);
    block[2] = static_cast<std::uint8_t>(line);
    for (int i = 0; i < 4; ++i)
        block[3 + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    std::memcpy(block + 7, bytes, length);
    const std::uint16_t sum = blockChecksum(bytes, length);
    block[7 + length] = static_cast<std::uint8_t>(sum >> 8);
    block[8 + length] = static_cast<std::uint8_t>(sum);
    block[9 + length] = '\r';
}

}  // namespace

// Tells the engine a picture comes: "[DE0" with 10 + the request in two digits, then the
// picture header; each must be answered with ACK, else the engine cannot take pictures (17).
bool EngineA::announcePicture(std::int32_t request, std::uint32_t lineBytes, std::int32_t lines,
                              std::int32_t bitsPerPixel) {
    std::string command = "[DE0";
    for (char digit : std::to_string(100 + (request + 10) % 100).substr(1))
        command += std::string("Q") + digit;
    sendCommand(command.data(), static_cast<std::uint32_t>(command.size()));
    if (status() != KES_STATE_SUCCESS)
        return false;
    if (answer(*port_, kAnswerWaitMs) != kAck) {
        notSupported();
        return false;
    }
    std::uint8_t header[kHeaderSize];
    buildPictureHeader(header, static_cast<std::int32_t>(lineBytes), lines, bitsPerPixel);
    if (!port_->write(header, kHeaderSize))
        return false;
    if (answer(*port_, kAnswerWaitMs) != kAck) {
        notSupported();
        return false;
    }
    return true;
}

// One line block, sent again until the engine takes it: 1 taken, 2 the engine has seen enough
// (ETB), 0 cancelled (CAN sent), -1 failed.
int EngineA::sendLine(const std::uint8_t* block, std::uint32_t blockBytes) {
    for (int attempt = 1;; ++attempt) {
        if (cancelRequests_.load() != cancelSeen_) {
            port_->put(kCan);
            setStatus(KES_STATE_SUCCESS);
            return 0;
        }
        if (!port_->write(block, blockBytes))
            return -1;
        const std::uint8_t reply = answer(*port_, kLineWaitMs);
        if (reply == kAck)
            return 1;
        if (reply == kEtb)
            return 2;
        if (attempt == ImageReceiver::kAttempts) {
            setStatus(KES_STATE_TOO_MANY_RETRY);
            return -1;
        }
    }
}

KesHandle EngineA::sendImage(const void* data, std::int32_t request, std::int32_t width,
                             std::int32_t lines, std::int32_t bitsPerPixel,
                             ShootProgressInterface* progress) {
    if (!capturesImages()) {
        notSupported();
        return KES_INVALID_HANDLE;
    }
    const std::int64_t lineBytes = std::int64_t{(bitsPerPixel + 7) / 8} * width;
    if (!data || width <= 0 || lines <= 0 || lines > 9999 || bitsPerPixel <= 0 ||
        bitsPerPixel > 15 || lineBytes > 9999) {
        setStatus(KES_STATE_INVALID_PARAMETER);
        return KES_INVALID_HANDLE;
    }
    const auto length = static_cast<std::uint32_t>(lineBytes);
    cancelSeen_ = cancelRequests_.load();
    if (!announcePicture(request, length, lines, bitsPerPixel))
        return KES_INVALID_HANDLE;

    const ProgressReport report = reportOf(progress);
    report.transferRange(0, lines);
    report.transferPosition(0);
    report.begin(false);
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[length + 10]);
    if (!block) {
        setStatus(KES_STATE_CREATE_HANDLE_FAILURE);
        return KES_INVALID_HANDLE;
    }
    const auto* pixels = static_cast<const std::uint8_t*>(data);
    for (std::int32_t line = 0; line < lines; ++line) {
        buildLineBlock(block.get(), line, pixels + std::size_t{length} * line, length);
        const int sent = sendLine(block.get(), length + 10);
        if (sent <= 0)
            return sent == 0 ? 0 : KES_INVALID_HANDLE;
        if (sent == 2)
            break;  // the engine has seen enough
        report.transferPosition(line + 1);
    }
    return 1;
}

}  // namespace kes

using namespace kes;

extern "C" {

std::int32_t KesDecodingTest(KesHandle module, const void* data, std::int32_t width,
                             std::int32_t lines, std::int32_t bitsPerPixel,
                             KesHandle shootProgress) {
    const KesHandle sent =
        KesSendImage(module, data, 0, 0, width, lines, bitsPerPixel, shootProgress);
    if (sent != 1)
        return KesGetLastStatus() == KES_STATE_SUCCESS && sent == 0 ? 0 : -1;
    char start[32];
    std::snprintf(start, sizeof start, "[DEDQ3Q0Q0Q%01d", 0);
    KesSendCommand(module, start, static_cast<std::uint32_t>(std::strlen(start)));
    if (KesGetLastStatus() == KES_STATE_SUCCESS)
        KesSendCommand(module, "Z", 1);
    if (KesGetLastStatus() != KES_STATE_SUCCESS)
        return -1;
    KesObject* object = lookUp(module);
    if (Kes2DTwoDimensionModule* m = object ? object->asModule() : nullptr)
        m->serialPort()->sleep(kDecodePauseMs);
    KesSendCommand(module, "[DEDQ0Q0Q0Q0", 12);
    return KesGetLastStatus() == KES_STATE_SUCCESS ? 1 : -1;
}

}  // extern "C"
