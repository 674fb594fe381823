// Firmware download, application protocol: EngineA and the families derived from it, and the
// boot-loader variant of EngineAInvalid.
//
// Transfer phase: one 8198-byte packet per 8192 bytes of the file, numbered from 0 (a file with
// its own serial loader, "SLDR") or 8, each answered "NX" or sent again (four tries). Then "ED",
// and the write phase: the engine reports "EG" while it writes, "BE" per 64 KB written, "FE" when
// done, "WE" on a write error.
#include <cstring>

#include "module/download.h"
#include "module/engines.h"

namespace kes {
namespace {

constexpr char kStartCommand[] = "WD[X.ZZW";           // puts the engine into download mode
constexpr std::uint32_t kStartPauseMs = 200;           // after the start command, before high speed
constexpr std::uint32_t kAbortPauseMs = 100;           // after the abort packet
constexpr std::uint32_t kEndReplyWaitMs = 2000;        // for the answer to "ED"
constexpr std::uint32_t kWriteReplyWaitMs = 35000;     // for each byte of the write phase
constexpr std::uint32_t kDisplayModulePauseMs = 2000;  // EngineAD, after the download

bool isSerialLoader(const std::uint8_t* data, std::uint32_t count) {
    return count >= 4 && std::memcmp(data, "SLDR", 4) == 0;
}

// Sends one block until the engine accepts it. False when the port failed (status set) or the
// engine refused every try (KES_STATE_TOO_MANY_RETRY).
bool sendBlock(SerialPortForModule& port, const std::uint8_t* packet) {
    for (std::uint32_t attempt = 0; attempt < kAppMaxAttempts; ++attempt) {
        if (!port.write(packet, kAppPacketSize) || !port.flush())
            return false;
        char reply[2] = {};
        if (port.read(reply, 2) != 2)
            return false;
        if (reply[0] == 'N' && reply[1] == 'X')
            return true;
    }
    setStatus(KES_STATE_TOO_MANY_RETRY);
    return false;
}

void sendAbort(SerialPortForModule& port) {
    std::uint8_t packet[kAppPacketSize];
    buildControlPacket('E', 'B', packet);
    port.write(packet, kAppPacketSize);
    port.flush();
    port.sleep(kAbortPauseMs);
}

// "ED" and its echo. False (status set) when the engine does not confirm.
bool endTransfer(SerialPortForModule& port) {
    std::uint8_t packet[kAppPacketSize];
    buildControlPacket('E', 'D', packet);
    if (!port.write(packet, kAppPacketSize) || !port.flush())
        return false;
    port.waitForData(kEndReplyWaitMs);
    char reply[2] = {};
    if (status() != KES_STATE_SUCCESS || port.read(reply, 2) != 2)
        return false;
    if (reply[0] != 'E' || reply[1] != 'D') {
        setStatus(KES_STATE_DOWNLOAD_PROTCOL_START_WRITING_EXCEPTION);
        return false;
    }
    return true;
}

// Follows the engine's write reports until it finishes. True on "FE".
bool followWrite(SerialPortForModule& port, std::uint32_t fileSize, const ProgressReport& report) {
    std::int32_t units = static_cast<std::int32_t>((fileSize + kWriteUnit - 1) / kWriteUnit);
    report.stageRange(0, units);
    report.stagePosition(0);
    WriteReplyReader reader;
    std::int32_t written = 0;
    for (;;) {
        port.waitForData(kWriteReplyWaitMs);
        std::uint8_t byte = 0;
        if (status() != KES_STATE_SUCCESS || !port.get(byte))
            return false;
        switch (reader.feed(byte)) {
            case WriteReplyReader::Reply::None:
            case WriteReplyReader::Reply::Writing:
                break;
            case WriteReplyReader::Reply::UnitWritten:
                report.stagePosition(++written);
                break;
            case WriteReplyReader::Reply::Finished:
                report.stagePosition(written + 1);
                return true;
            case WriteReplyReader::Reply::WriteError:
                setStatus(KES_STATE_DOWNLOAD_PROTCOL_FROM_EXCEPTION);
                return false;
            case WriteReplyReader::Reply::Unknown:
                setStatus(KES_STATE_DOWNLOAD_PROTCOL_WRITING_EXCEPTION);
                return false;
        }
    }
}

}  // namespace

void buildApplicationPacket(std::uint16_t block, const std::uint8_t* data, std::uint32_t count,
                            std::uint8_t* packet) {
    if (count > kAppBlockData)
        count = kAppBlockData;
    packet[0] = static_cast<std::uint8_t>(block & 0xFF);
    packet[1] = static_cast<std::uint8_t>(block >> 8);
    packet[2] = static_cast<std::uint8_t>(kAppBlockData & 0xFF);
    packet[3] = static_cast<std::uint8_t>(kAppBlockData >> 8);
    std::uint8_t* payload = packet + 4;
    if (count)
        std::memcpy(payload, data, count);
    std::memset(payload + count, 0, kAppBlockData - count);
    std::uint16_t sum = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        sum = static_cast<std::uint16_t>(sum + payload[i]);  // the padding adds nothing
    packet[kAppPacketSize - 2] = static_cast<std::uint8_t>(sum & 0xFF);
    packet[kAppPacketSize - 1] = static_cast<std::uint8_t>(sum >> 8);
}

void buildControlPacket(char first, char second, std::uint8_t* packet) {
    std::memset(packet, 0, kAppPacketSize);
    packet[0] = static_cast<std::uint8_t>(first);
    packet[1] = static_cast<std::uint8_t>(second);
}

WriteReplyReader::Reply WriteReplyReader::feed(std::uint8_t byte) {
    if (lead_ == 0) {
        if (byte == 'E' || byte == 'B' || byte == 'F' || byte == 'W')
            lead_ = byte;
        return Reply::None;
    }
    std::uint8_t lead = lead_;
    lead_ = 0;
    if (lead == 'E')
        return byte == 'G' ? Reply::Writing : Reply::Unknown;
    if (byte != 'E')
        return Reply::Unknown;
    switch (lead) {
        case 'B':
            return Reply::UnitWritten;
        case 'F':
            return Reply::Finished;
        default:
            return Reply::WriteError;
    }
}

std::uint32_t readFull(InputStreamInterface& input, std::uint8_t* buffer, std::uint32_t count) {
    std::uint32_t done = 0;
    while (done < count) {
        std::uint32_t n = input.read(buffer + done, count - done);
        if (n == 0 || n > count - done)
            break;
        done += n;
    }
    return done;
}

void restoreSpeedKeepingStatus(SerialPortForModule& port) {
    KesState ending = status();
    port.restoreSpeed();
    if (ending != KES_STATE_SUCCESS)
        setStatus(ending);
}

bool runApplicationProtocol(SerialPortForModule& port, InputStreamInterface& input,
                            std::uint32_t fileSize, const ProgressReport& report,
                            const std::function<bool()>& cancelled) {
    std::uint8_t data[kAppBlockData];
    std::uint8_t packet[kAppPacketSize];
    std::uint32_t count = readFull(input, data, kAppBlockData);
    if (count == 0) {
        setStatus(KES_STATE_INVALID_PARAMETER);  // nothing to send
        return false;
    }
    std::uint16_t block = isSerialLoader(data, count) ? kSerialLoaderBlock : kApplicationBlock;
    std::int32_t blocks = static_cast<std::int32_t>((fileSize + kAppBlockData - 1) / kAppBlockData);
    report.transferRange(block, block + blocks);
    report.transferPosition(block);
    report.begin(true);

    for (;;) {
        buildApplicationPacket(block, data, count, packet);
        if (!sendBlock(port, packet))
            return false;
        ++block;
        report.transferPosition(block);
        if (cancelled()) {
            setStatus(KES_STATE_SUCCESS);
            sendAbort(port);
            return false;
        }
        if (count < kAppBlockData)
            break;
        count = readFull(input, data, kAppBlockData);
        if (count == 0)
            break;
    }
    report.begin(false);
    if (!endTransfer(port))
        return false;
    return followWrite(port, fileSize, report);
}

void EngineA::download(InputStreamInterface* input, std::uint32_t fileSize, std::int32_t bootLoader,
                       DownloadProgressInterface* progress) {
    cancelSeen_ = cancelRequests_.load();
    downloadFinished_ = false;
    if (bootLoader) {
        notSupported();
        return;
    }
    sendCommand(kStartCommand, sizeof kStartCommand - 1);
    if (status() != KES_STATE_SUCCESS)
        return;
    port_->sleep(kStartPauseMs);
    port_->highSpeed();
    const ProgressReport report = reportOf(progress);
    if (status() == KES_STATE_SUCCESS) {
        downloadFinished_ = runApplicationProtocol(*port_, *input, fileSize, report, [this] {
            return cancelRequests_.load() != cancelSeen_;
        });
    }
    restoreSpeedKeepingStatus(*port_);
}

void EngineAD::download(InputStreamInterface* input, std::uint32_t fileSize,
                        std::int32_t bootLoader, DownloadProgressInterface* progress) {
    EngineA::download(input, fileSize, bootLoader, progress);
    if (!bootLoader)
        port_->sleep(kDisplayModulePauseMs);
}

void EngineAInvalid::download(InputStreamInterface* input, std::uint32_t fileSize,
                              std::int32_t bootLoader, DownloadProgressInterface* progress) {
    downloadFinished_ = false;
    if (!bootLoader) {
        notSupported();  // only the boot loader answers, and only to a boot-loader download
        return;
    }
    cancelFlag_.store(false);
    port_->sleep(kStartPauseMs);
    port_->highSpeed();
    const ProgressReport report = reportOf(progress);
    if (status() == KES_STATE_SUCCESS) {
        downloadFinished_ = runApplicationProtocol(*port_, *input, fileSize, report,
                                                   [this] { return cancelFlag_.load(); });
    }
    restoreSpeedKeepingStatus(*port_);
}

}  // namespace kes
