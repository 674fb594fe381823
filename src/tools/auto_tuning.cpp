#include "tools/auto_tuning.h"

#include <algorithm>
#include <cctype>

#include "foundation/control_chars.h"
#include "foundation/exception.h"

namespace omni::tools {
namespace {

constexpr unsigned kAckWaitMs = 2000;
constexpr unsigned kLongAckWaitMs = 4000;
constexpr unsigned kFirstReplyMs = 3000;

// The reply that ends the opening request, matched byte by byte.
constexpr unsigned char kOpeningReply[] = {0x43, 0x46, 0x47, 0x00, 0x00, 0x00, 0x09, 0x00,
                                           0x45, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x06};
static_assert(sizeof kOpeningReply == 16);
constexpr std::string_view kOpeningRequest = "[EARQ2Q0Q6Q9Q1Q0Q0Q2Q2Q0Q0Q0Q1WC";
constexpr std::string_view kSavedSettingRequest = "[EARQ2Q0Q7Q6Q1Q0Q0Q0Q0Q0Q0Q0Q4";
constexpr std::string_view kPrefixSuffixExtra = "[EARQ2Q0Q7Q1Q1";

}  // namespace

AdjustmentArea centralArea(int width, int height) {
    return {width / 4, height / 4, 3 * width / 4 - 1, 3 * height / 4 - 1};
}

const std::vector<PrefixSuffixRow>& prefixSuffixTable() {
    static const std::vector<PrefixSuffixRow> table = {
        {"UPC-A", 22, 3},
        {"UPC-A Addon", 23, 2},
        {"UPC-E", 24, 5},
        {"UPC-E Addon", 25, 2},
        {"EAN-13", 26, 8},
        {"EAN-13 Addon", 27, 2},
        {"EAN-8", 28, 2},
        {"EAN-8 Addon", 29, 2},
        {"Code 39", 30, 8},
        {"Tri-Optic", 31, 1},
        {"Codabar", 32, 9},
        {"Industrial 2of5", 33, 4},
        {"Interleaved 2of5", 34, 3},
        {"S-Code", 35, 4},
        {"Matrix 2of5", 36, 4},
        {"Korean Postal Authority", 38, 5},
        {"Intelligent Mail Barcode", 39, 1},
        {"POSTNET", 40, 1},
        {"Japanese Postal", 41, 1},
        {"IATA 2of5", 42, 3},
        {"MSI/Plessey", 43, 3},
        {"Telepen", 44, 2},
        {"UK/Plessey", 45, 4},
        {"Code 128", 46, 2},
        {"Code 93", 47, 4},
        {"Code 11", 48, 3},
        {"GS1 Databar", 49, 5},
        {"Codablock-F", 50, 1},
        {"DataMatrix", 51, 2},
        {"Aztec Code", 52, 2},
        {"Chinese Sensible Code", 53, 1},
        {"QR Code", 54, 2},
        {"Maxi Code", 55, 1},
        {"PDF417", 56, 1},
        {"MicroPDF417", 57, 1},
        {"GS1-128", 58, 0},
        {"Composite", 59, 4},
    };
    return table;
}

AutoTuning::AutoTuning(ToolLink& link) : link_(link) {
    link_.setObserver([this](std::string_view command) { record(command); });
}

void AutoTuning::record(std::string_view command) {
    if (recording_)
        recorded_ += command;
}

void AutoTuning::sendAll(const std::vector<std::string>& commands) {
    for (const std::string& command : commands)
        link_.send(command);
}

// --- Opening ---

void AutoTuning::open() {
    link_.drain();
    link_.send("[EAU");
    link_.send(kOpeningRequest);
    matchOpeningReply();
    readSavedSetting();
    link_.send(withDigits("[C21", 0, 1));
    link_.waitForAck(kAckWaitMs);
    link_.acknowledgementExchange();
    readBanks();
}

void AutoTuning::matchOpeningReply() {
    std::size_t matched = 0;
    while (matched < sizeof kOpeningReply) {
        auto byte = static_cast<unsigned char>(link_.readByte(link_.timing().replyByteMs));
        if (byte == kOpeningReply[0]) {
            matched = 1;
            link_.send("WD");
        } else if (byte == kOpeningReply[matched]) {
            ++matched;
        }
    }
    openingComplete_ = true;
}

std::string AutoTuning::readBody() {
    return link_.readBytes(replyBodyLength(link_.readBytes(kReplyHeader)));
}

void AutoTuning::readSavedSetting() {
    link_.send(kSavedSettingRequest);
    std::string body = readBody();
    saved_ = static_cast<int>(bigEndian(body + std::string(4, '\0')));
}

void AutoTuning::readBanks() {
    for (int n = 1; n <= kBankCount; ++n) {
        link_.drain();
        link_.send(withDigits("[DFC", 10 * n + 4, 2));
        std::string number;
        for (char c = 0; (c = link_.readByte(link_.timing().replyByteMs)) != '\r';) {
            if (std::isdigit(static_cast<unsigned char>(c)) && number.size() < kMaxNumber)
                number += c;
        }
        link_.send(withDigits("[DFC", 10 * n + 3, 2));
        TuningBank bank = parseBankBlock(link_.readBytes(kBankBlockSize));
        bank.enabled = number == "1";
        banks_[static_cast<std::size_t>(n - 1)] = bank;
    }
}

// --- Tuning ---

void AutoTuning::prepare(TuningMode mode) {
    const bool moving = mode == TuningMode::Moving;
    link_.send("[BAQQ2");
    link_.waitForAck(kAckWaitMs);
    link_.send(withDigits("[DED", 0, 4));
    link_.waitForAck(kAckWaitMs);
    std::vector<std::string> base = {"[D3J",
                                     withDigits("[DE5", 900001, 6),
                                     withDigits("[DE5", 710720, 6),
                                     withDigits("[DE5", 700600, 6),
                                     withDigits("[DE5", 720500, 6),
                                     "[DE4Q7Q1"};
    if (moving) {
        base.push_back(withDigits("[DE5", 500000, 6));
        base.push_back(withDigits("[EAV", 632005, 6));
    } else {
        base.push_back(withDigits("[DE5", 530100, 6));
        base.push_back(withDigits("[DE5", 540100, 6));
        base.push_back(withDigits("[EAV", 632010, 6));
    }
    base.push_back("[DE4Q5Q1");
    for (int value : {600000, 612500, 623200, 630000, 640000, 650000})
        base.push_back(withDigits("[DE5", value, 6));
    base.push_back("[DE4Q6Q1");
    base.push_back(withDigits("[DE5", 807100, 6));
    base.push_back(withDigits("[DE5", 811100, 6));
    base.push_back("[DE4Q8Q1");
    sendAll(base);
    link_.waitForAck(kAckWaitMs);
    link_.send("A0");
    link_.waitForAck(kAckWaitMs);
    sendAll({"WD", "MZ$1$2$6[DDX1F", "MG", "PR", "PS", withDigits("[DF7", 200, 4)});
}

std::optional<TuningResult> AutoTuning::tune(TuningMode mode) {
    recording_ = false;
    prepare(mode);
    std::optional<TuningResult> result;
    for (int k = 0; k < 4 && !result; ++k)
        result = attempt(k);
    link_.send("[BAPQ2");
    link_.waitForAck(kAckWaitMs);
    if (!result)
        return result;
    TuningBank& bank = banks_[static_cast<std::size_t>(selected_)];
    bank.codeId = result->bank.codeId;
    bank.identifier = result->bank.identifier;
    bank.negative = result->bank.negative;
    bank.mirror = result->bank.mirror;
    bank.exposureUs = result->bank.exposureUs;
    bank.lightUs = result->bank.lightUs;
    bank.analogAmp = result->bank.analogAmp;
    bank.digitalAmp = result->bank.digitalAmp;
    for (TuningBank& other : banks_)
        other.apply = false;
    bank.apply = true;
    revert_ = false;
    applyBanks(false);
    selected_ = (selected_ + 1) % kBankCount;
    return result;
}

std::optional<TuningResult> AutoTuning::attempt(int k) {
    TuningResult result;
    result.attempt = k;
    result.bank.negative = (k & 1) != 0;
    result.bank.mirror = (k & 2) != 0;
    link_.send(result.bank.negative ? "V3" : "V2");
    link_.send(withDigits("[DE7", 800000 + (result.bank.negative ? 1 : 0), 6));
    link_.send(result.bank.mirror ? "[E8I" : "[E8J");
    link_.waitForAck(kLongAckWaitMs);

    link_.drain();
    link_.send("[EAT");
    link_.send("Z");
    char first = 0;
    try {
        // A late acknowledgement of the wait before is no reply.
        do {
            first = link_.readByte(kFirstReplyMs);
        } while (first == foundation::kAck);
    } catch (const foundation::KesException& e) {
        if (e.state() != KES_STATE_COMMUNICATION_TIMEOUT)
            throw;
    }
    if (first != ']') {
        link_.send("Y");
        link_.send("[EAU");
        return std::nullopt;
    }
    link_.send("[EAU");
    result.bank.identifier = "]" + link_.readBytes(2);
    result.bank.codeId = link_.readByte(link_.timing().replyByteMs);
    result.data = link_.readBytes(dataLength(link_.readBytes(kDataLengthDigits)));
    readCorners(result);
    readParameters(result.bank);
    sendAll(imagingPass(result.bank, 0));
    link_.pause(link_.timing().settleMs);
    if (afterSuccess_)
        afterSuccess_(result);
    return result;
}

void AutoTuning::readCorners(TuningResult& result) {
    std::string text;
    for (char c; (c = link_.readByte(link_.timing().replyByteMs)) != foundation::kAck;) {
        if (text.size() == kMaxCornerText)
            throw foundation::KesException(KES_STATE_COMMUNICATION_FAILURE);
        text += c;
    }
    result.corners = parseCorners(text);
}

void AutoTuning::readParameters(TuningBank& bank) {
    link_.send("[DE2Q1Q0");
    parseParameterBlock(link_.readBytes(kParameterBlock), bank);
}

// --- Applying, storing, closing ---

void AutoTuning::applySelected() {
    recorded_.clear();
    amplified_ = false;
    applyBanks(true);
    if (!revert_)
        recordedApplied_ = true;
}

void AutoTuning::applyBanks(bool recording) {
    if (revert_) {
        link_.send("[BAPQ1");
        link_.waitForAck(kAckWaitMs);
        return;
    }
    recording_ = recording;
    bool anyApplied = false;
    for (int n = 0; n < kBankCount; ++n) {
        if (banks_[static_cast<std::size_t>(n)].apply) {
            applyBank(n, recording);
            anyApplied = true;
        } else if (recording) {
            link_.send(withDigits("[DFD", n * 10000 + 10000, 5));
        }
    }
    if (recording) {
        if (anyApplied) {
            link_.send(withDigits("[DED", 4000, 4));
            link_.send(withDigits("[DFE", 1, 1));
        } else {
            link_.send(withDigits("[DED", 0, 4));
        }
        recorded_ += "Z2";
    }
    recording_ = false;
}

void AutoTuning::applyBank(int n, bool recording) {
    const TuningBank& bank = banks_[static_cast<std::size_t>(n)];
    link_.send("B0");
    link_.send(codeSetCommand(bank));
    sendAll(imagingParameterCommands(bank));
    link_.pause(link_.timing().settleMs);
    link_.send(withDigits("[DFD", n * 10000 + 11000 + std::min(bank.readTimeMs / 10, 255), 5));
    link_.send(withDigits("[DFD", n * 10000 + 12000 + bank.frequency, 5));
    if (recording) {
        link_.send(withDigits("[DFC", 10 * n + 11, 2));
        link_.send(withDigits("[DFC", 10 * n + 15, 2));
        link_.pause(link_.timing().settleMs);
        link_.send(withDigits("[DFD", n * 10000 + 10001, 5));
    }
    if (bank.analogAmp > 1.0 || bank.digitalAmp > 1.0)
        amplified_ = true;
}

void AutoTuning::sendAdjustmentArea(const AdjustmentArea& area) {
    for (int selector = 0; selector < 2; ++selector) {
        sendAll({withDigits("[EAV", selector, 6), withDigits("[EAV", 500000 + area.left, 6),
                 withDigits("[EAV", 510000 + area.top, 6),
                 withDigits("[EAV", 520000 + area.right, 6),
                 withDigits("[EAV", 530000 + area.bottom, 6), withDigits("[EAV", 540001, 6)});
    }
}

bool AutoTuning::prefixSuffixAgree() {
    link_.drain();
    std::optional<std::string> first;
    bool agree = true;
    for (const PrefixSuffixRow& row : prefixSuffixTable()) {
        link_.send("[EARQ2" + digitTokens(row.number, 3) + "Q1");
        std::string body = readBody();
        body.resize(std::max<std::size_t>(body.size(), static_cast<std::size_t>(row.offset) + 8));
        std::string slots = body.substr(static_cast<std::size_t>(row.offset), 8);
        if (!first)
            first = slots;
        else if (*first != slots)
            agree = false;
    }
    link_.send(kPrefixSuffixExtra);
    link_.readBytes(16);
    return agree;
}

void AutoTuning::store() {
    link_.send("Z2");
    link_.waitForAck(kLongAckWaitMs);
}

bool AutoTuning::close() {
    if (!recordedApplied_) {
        link_.send("[BAPQ1");
        link_.waitForAck(kAckWaitMs);
    }
    link_.send("[EAT");
    if (openingComplete_)
        link_.send("WC");
    link_.send(withDigits("[C21", saved_, 1));
    return recordedApplied_;
}

}  // namespace omni::tools
