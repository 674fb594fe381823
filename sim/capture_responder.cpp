#include "sim/capture_responder.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "sim/control_bytes.h"
#include "sim/locked.h"
#include "sim/test_picture.h"

namespace omni::sim {
namespace {

constexpr auto kAnswerWait = std::chrono::milliseconds(5000);
constexpr std::size_t kJpegPiece = 1024;  // data bytes per block of a JPEG stream

// The digits of "Q"-coded parameters, in order: "Q1Q0Q5" gives "105".
std::string digitsOf(std::string_view parameters) {
    std::string digits;
    for (std::size_t i = 0; i + 1 < parameters.size(); i += 2) {
        if (parameters[i] == 'Q')
            digits += parameters[i + 1];
    }
    return digits;
}

bool isCaptureRequest(std::string_view command) {
    return command.substr(0, 4) == "[DE1" || command.substr(0, 4) == "[DE8" ||
           command == "[DE0[DE1";
}

}  // namespace

std::string OutputSettings::reply() const {
    const char* formatWord = format == 1 ? "FfJPEG" : format == 3 ? "FfBMP" : "FfPNG";
    char text[160];
    std::snprintf(text, sizeof text,
                  ";Trim(%d,%d,%d,%d) Sub(%d,%d) Bp%d Jq%d %s %s Fl(%d,%d) Re%d\r", trim[0],
                  trim[1], trim[2], trim[3], subSampling[0], subSampling[1], bits, jpegQuality,
                  formatWord, whole ? "TrALL" : "TrPART", flip[0], flip[1], reverse);
    return text;
}

bool CaptureResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command == "[DE6") {
        answerSettings(reader);
        return true;
    }
    if (command.substr(0, 4) == "[DE7") {
        applySettingsCommand(command);
        return true;
    }
    if (!isCaptureRequest(command))
        return false;
    capture(command, reader);
    return true;
}

void CaptureResponder::answerSettings(SimulatedReader& reader) {
    std::string reply;
    {
        std::lock_guard lock(mutex_);
        reply = settingsReply_.empty() ? settings_.reply() : settingsReply_ + "\r";
    }
    reader.reply(reply);
}

// Six digits per field: the field code (its first two digits) and the value.
void CaptureResponder::applySettingsCommand(std::string_view command) {
    const std::string digits = digitsOf(command.substr(4));
    std::lock_guard lock(mutex_);
    lastSettingsCommand_ = std::string(command);
    OutputSettings& s = settings_;
    for (std::size_t i = 0; i + 6 <= digits.size(); i += 6) {
        const int code = std::stoi(digits.substr(i, 2));
        const int value = std::stoi(digits.substr(i + 2, 4));
        if (code >= 10 && code <= 13) {
            s.trim[code - 10] = value;
        } else if (code == 20 || code == 21) {
            s.subSampling[code - 20] = value;
        } else if (code == 30) {
            s.bits = value == 1 ? 4 : value == 2 ? 1 : value == 3 ? 10 : 8;
        } else if (code == 40) {
            s.jpegQuality = value;
        } else if (code == 50) {
            s.format = value;
        } else if (code == 60) {
            s.whole = value != 0;
        } else if (code == 70 || code == 71) {
            s.flip[code - 70] = value;
        } else if (code == 80) {
            s.reverse = value;
        }
    }
}

void CaptureResponder::capture(std::string_view command, SimulatedReader& reader) {
    OutputSettings s;
    int width, height, errorReport;
    std::chrono::milliseconds triggerDelay;
    {
        std::lock_guard lock(mutex_);
        s = settings_;
        width = width_;
        height = height_;
        errorReport = errorReport_;
        triggerDelay = triggerDelay_;
        outcome_.naks = 0;
        outcome_.blocksSent = 0;
    }
    if (command == "[DE0[DE1")
        reader.reply("OK\r");
    if (command.substr(0, 4) == "[DE8")
        std::this_thread::sleep_for(triggerDelay);
    if (errorReport >= 0) {
        finish(sendErrorReport(reader, errorReport, s.whole));
        return;
    }
    std::vector<std::uint8_t> data;
    std::string header;
    std::size_t piece;
    if (s.format == 1) {
        data = testPictureJpeg(width, height, s.jpegQuality);
        header = imageHeader(static_cast<std::uint32_t>(data.size()), width, height, 8, 1);
        piece = kJpegPiece;
    } else {
        data = testPictureRows(width, height, s.bits);
        header = imageHeader(static_cast<std::uint32_t>(data.size()), width, height, s.bits, 3);
        piece = engineBytesPerLine(width, s.bits);
    }
    const std::string bytes(data.begin(), data.end());
    finish(s.whole ? sendWhole(reader, header + bytes) : sendBlocks(reader, header, bytes, piece));
}

bool CaptureResponder::corruptNext(std::size_t index) {
    std::lock_guard lock(mutex_);
    auto it = corrupt_.find(index);
    if (it == corrupt_.end() || it->second <= 0)
        return false;
    --it->second;
    return true;
}

// Sends at the configured line rate, in small pieces; false once the reader has hung up.
bool CaptureResponder::sendPaced(SimulatedReader& reader, const std::string& bytes) {
    std::size_t rate;
    {
        std::lock_guard lock(mutex_);
        rate = lineRate_;
    }
    if (rate == 0) {
        reader.send(bytes);
        return !reader.hungUp();
    }
    // Bursts of about a millisecond's worth (at least 64 bytes), as a USB reader delivers them.
    const std::size_t piece = std::max<std::size_t>(64, rate / 1000);
    for (std::size_t at = 0; at < bytes.size() && !reader.hungUp(); at += piece) {
        reader.send(std::string_view(bytes).substr(at, piece));
        std::this_thread::sleep_for(std::chrono::microseconds(piece * 1000000 / rate));
    }
    return !reader.hungUp();
}

// The header block, then the data in blocks of `pieceBytes`, each resent on NAK.
std::string CaptureResponder::sendBlocks(SimulatedReader& reader, const std::string& header,
                                         const std::string& data, std::size_t pieceBytes) {
    std::size_t hangUpAfter;
    {
        std::lock_guard lock(mutex_);
        hangUpAfter = hangUpAfter_;
    }
    std::size_t index = 0;
    for (std::size_t at = 0; index == 0 || at < data.size(); ++index) {
        const std::string payload = index == 0 ? header : data.substr(at, pieceBytes);
        for (;;) {
            const bool corrupt = corruptNext(index);
            if (!sendPaced(reader, block('!', static_cast<std::uint16_t>(index), payload, corrupt)))
                return "hung up";
            {
                std::lock_guard lock(mutex_);
                ++outcome_.blocksSent;
            }
            if (hangUpAfter != 0 && index >= hangUpAfter) {
                reader.hangUp();
                return "hung up";
            }
            const std::string answer = reader.readRaw(1, kAnswerWait);
            if (answer.empty())
                return "no answer";
            if (answer[0] == kAck)
                break;
            if (answer[0] == kCan)
                return "cancelled";
            if (answer[0] != kNak)
                return answer[0] == kEtb ? "etb" : "no answer";
            std::lock_guard lock(mutex_);
            ++outcome_.naks;
        }
        if (index != 0)
            at += pieceBytes;
    }
    return "complete";
}

// One block with header and data; the host answers ETB once it has it.
std::string CaptureResponder::sendWhole(SimulatedReader& reader, const std::string& payload) {
    if (!sendPaced(reader, block('!', 0, payload, corruptNext(0))))
        return "hung up";
    const std::string answer = reader.readRaw(1, kAnswerWait);
    if (answer == std::string(1, kEtb))
        return "complete";
    return answer == std::string(1, kCan) ? "cancelled" : "no answer";
}

std::string CaptureResponder::sendErrorReport(SimulatedReader& reader, int code, bool whole) {
    const std::string report{'\0', static_cast<char>(code), '\0', '\0'};
    reader.send(block('?', 0, report));
    const std::string answer = reader.readRaw(1, kAnswerWait);
    if (!whole && answer == std::string(1, kAck))
        reader.readRaw(1, kAnswerWait);  // the ETB that follows the refused shot
    return "error report";
}

void CaptureResponder::finish(const std::string& ended) {
    {
        std::lock_guard lock(mutex_);
        ++outcome_.shots;
        outcome_.ended = ended;
        ++shotsEnded_;
    }
    shotEnded_.notify_all();
}

void CaptureResponder::setPictureSize(int width, int height) {
    std::lock_guard lock(mutex_);
    width_ = width;
    height_ = height;
}

void CaptureResponder::setSettings(const OutputSettings& settings) {
    setLocked(mutex_, settings_, settings);
}

OutputSettings CaptureResponder::settings() const {
    return getLocked(mutex_, settings_);
}

void CaptureResponder::setSettingsReply(std::string reply) {
    setLocked(mutex_, settingsReply_, std::move(reply));
}

void CaptureResponder::corruptBlock(std::size_t index, int times) {
    std::lock_guard lock(mutex_);
    corrupt_[index] = times;
}

void CaptureResponder::setErrorReport(int code) {
    setLocked(mutex_, errorReport_, code);
}

void CaptureResponder::setLineRate(std::size_t bytesPerSecond) {
    setLocked(mutex_, lineRate_, bytesPerSecond);
}

void CaptureResponder::hangUpAfterBlocks(std::size_t blocks) {
    setLocked(mutex_, hangUpAfter_, blocks);
}

void CaptureResponder::setTriggerDelay(std::chrono::milliseconds delay) {
    setLocked(mutex_, triggerDelay_, delay);
}

CaptureResponder::Outcome CaptureResponder::outcome() const {
    return getLocked(mutex_, outcome_);
}

bool CaptureResponder::waitForShots(std::size_t shots, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return shotEnded_.wait_for(lock, timeout, [&] { return shotsEnded_ >= shots; });
}

std::string CaptureResponder::lastSettingsCommand() const {
    return getLocked(mutex_, lastSettingsCommand_);
}

}  // namespace omni::sim
