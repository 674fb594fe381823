#include "sim/tuning_responder.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "sim/control_bytes.h"
#include "sim/locked.h"

namespace omni::sim {
namespace {

constexpr std::size_t kBankBlock = 96;
constexpr std::size_t kParameterBlock = 168;
constexpr unsigned char kOpeningReply[] = {0x43, 0x46, 0x47, 0x00, 0x00, 0x00, 0x09, 0x00,
                                           0x45, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x06};

// A reply of a 15-byte header, whose last four bytes give the body's length, and the body.
std::string block(const std::string& body) {
    std::string reply = "CFG";
    reply.resize(11, '\0');
    auto length = static_cast<std::uint32_t>(body.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        reply += static_cast<char>((length >> shift) & 0xFF);
    return reply + body;
}

void putLittle32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The number carried by digit tokens ("Q1Q3" -> 13); -1 when the text is not only tokens.
int tokenNumber(std::string_view tokens) {
    if (tokens.empty() || tokens.size() % 2 != 0)
        return -1;
    int value = 0;
    for (std::size_t i = 0; i < tokens.size(); i += 2) {
        if (tokens[i] != 'Q' || tokens[i + 1] < '0' || tokens[i + 1] > '9')
            return -1;
        value = value * 10 + (tokens[i + 1] - '0');
    }
    return value;
}

}  // namespace

TuningResponder::TuningResponder() {
    banks_[0].codeFlagOffset = 80;  // bank 1: QR Code
    banks_[1].apply = true;
    banks_[3].enabled = false;
}

void TuningResponder::setSuccessAttempt(int attempt) {
    setLocked(mutex_, successAttempt_, attempt);
}

void TuningResponder::setParameters(int analog, int digital, int exposureUs, int lightUs) {
    std::lock_guard lock(mutex_);
    analog_ = analog;
    digital_ = digital;
    exposure_ = exposureUs;
    light_ = lightUs;
}

void TuningResponder::setBank(int index, const SimBank& bank) {
    std::lock_guard lock(mutex_);
    banks_.at(static_cast<std::size_t>(index)) = bank;
}

void TuningResponder::setSavedSetting(int value) {
    setLocked(mutex_, saved_, value);
}

void TuningResponder::setPrefixSuffixDiffer(bool differ) {
    setLocked(mutex_, differ_, differ);
}

int TuningResponder::attempts() const {
    return getLocked(mutex_, attempts_);
}

std::string TuningResponder::bankBlock(const SimBank& bank) {
    std::string bytes(kBankBlock, '\0');
    bytes[4] = bank.apply ? 1 : 0;
    bytes[5] = static_cast<char>(bank.readTimeTens);
    bytes[6] = static_cast<char>(bank.frequency);
    putLittle32(bytes, 12, static_cast<std::uint32_t>(bank.analogHundredths));
    putLittle32(bytes, 16, static_cast<std::uint32_t>(bank.digitalHundredths));
    putLittle32(bytes, 20, static_cast<std::uint32_t>(bank.exposureUs - bank.lightUs));
    putLittle32(bytes, 24, static_cast<std::uint32_t>(bank.lightUs));
    bytes[28] = bank.negative ? 1 : 0;
    bytes[29] = bank.mirror ? 1 : 0;
    if (bank.codeFlagOffset < 0) {
        bytes[40] = 1;  // UPC-A/E and CODE 39 together: the default code set
        bytes[52] = 1;
    } else {
        bytes[static_cast<std::size_t>(bank.codeFlagOffset)] = 1;
    }
    return bytes;
}

bool TuningResponder::handleBanks(std::string_view command, SimulatedReader& reader) {
    const int number = tokenNumber(command.substr(4));
    if (number < 0)
        return false;
    const int bank = number / 10 - 1;
    if (bank < 0 || bank >= 5)
        return true;  // a bank setting being written
    std::lock_guard lock(mutex_);
    const SimBank& b = banks_[static_cast<std::size_t>(bank)];
    if (number % 10 == 4)
        reader.reply(b.enabled ? "1\r" : "0\r");
    else if (number % 10 == 3)
        reader.reply(bankBlock(b));
    return true;
}

void TuningResponder::tuneReply(SimulatedReader& reader) {
    std::lock_guard lock(mutex_);
    const int attempt = attempts_++;
    if (attempt != successAttempt_) {
        reader.reply(std::string(1, kNak));
        return;
    }
    const std::string data = "SIMULATED TUNING";
    char length[8];
    std::snprintf(length, sizeof length, "%06zu", data.size());
    reader.reply("]Q1u" + std::string(length) + data + "120/80:520/80:520/400:120/400" +
                 std::string(1, kAck));
}

bool TuningResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command == "[EARQ2Q0Q6Q9Q1Q0Q0Q2Q2Q0Q0Q0Q1WC") {
        reader.reply(
            std::string(reinterpret_cast<const char*>(kOpeningReply), sizeof kOpeningReply));
        return true;
    }
    if (command == "[EARQ2Q0Q7Q6Q1Q0Q0Q0Q0Q0Q0Q0Q4") {
        std::lock_guard lock(mutex_);
        std::string value(4, '\0');
        value[3] = static_cast<char>(saved_);
        reader.reply(block(value));
        return true;
    }
    if (command == "[EARQ2Q0Q7Q1Q1") {
        reader.reply(std::string(16, '\0'));
        return true;
    }
    if (command.substr(0, 6) == "[EARQ2" && command.size() == 14 && command.substr(12) == "Q1") {
        std::lock_guard lock(mutex_);
        std::string body(24, '\0');
        if (differ_)
            body.replace(0, body.size(), body.size(),
                         static_cast<char>(tokenNumber(command.substr(6, 6))));
        reader.reply(block(body));
        return true;
    }
    if (command.substr(0, 4) == "[DFC")
        return handleBanks(command, reader);
    if (command == "[EAT") {
        std::lock_guard lock(mutex_);
        armed_ = true;
        return true;
    }
    if (command == "[EAU") {
        std::lock_guard lock(mutex_);
        armed_ = false;
        return true;
    }
    if (command == "Z") {
        {
            std::lock_guard lock(mutex_);
            if (!armed_)
                return false;
        }
        tuneReply(reader);
        return true;
    }
    if (command == "[DE2Q1Q0") {
        std::lock_guard lock(mutex_);
        std::string text(kParameterBlock, ' ');
        char field[16];
        std::snprintf(field, sizeof field, "%04d", analog_);
        text.replace(139, 4, field);
        std::snprintf(field, sizeof field, "%04d", digital_);
        text.replace(144, 4, field);
        std::snprintf(field, sizeof field, "%06d", exposure_);
        text.replace(149, 6, field);
        std::snprintf(field, sizeof field, "%06d", light_);
        text.replace(156, 6, field);
        reader.reply(text);
        return true;
    }
    return false;
}

bool ReadingResponder::handle(std::string_view command, SimulatedReader& reader) {
    if (command == "S2S7") {
        reader.reply("4901234567894\r\nSIMULATED QR DATA\r\n");
        return true;
    }
    if (command == ".V") {
        reader.reply("Reading rate: 98% (49/50)\r\n");
        return true;
    }
    return false;
}

std::string WaveformResponder::waveform(int mode) {
    std::string text = "W" + std::to_string(mode) + ":";
    for (int i = 0; i < 200; ++i) {
        const double phase = i * (mode + 1) * 0.12;
        const int level = 128 + static_cast<int>(100 * std::sin(phase)) / (mode + 1);
        text += std::to_string(level);
        text += i + 1 < 200 ? "," : "\r\n";
    }
    return text;
}

bool WaveformResponder::handle(std::string_view command, SimulatedReader& reader) {
    std::lock_guard lock(mutex_);
    if (command.size() == 6 && command.substr(0, 5) == "[EGFQ") {
        mode_ = command[5] - '0';
        return true;
    }
    if (command == ".V" || command == "Z") {
        reader.reply(waveform(mode_));
        return true;
    }
    return command == ".W" || command == "Y";
}

TuningResponder& addToolResponders(SimulatedReader& reader, bool waveform) {
    auto tuning = std::make_unique<TuningResponder>();
    TuningResponder& added = *tuning;
    reader.addResponder(std::make_unique<ReadingResponder>());
    reader.addResponder(std::move(tuning));
    if (waveform)
        reader.addResponder(std::make_unique<WaveformResponder>());
    return added;
}

}  // namespace omni::sim
