#include "tools/tuning_bank.h"

#include <cstdint>

#include "tools/tool_link.h"

namespace omni::tools {
namespace {

// Block offsets (bytes) of the fields a bank block carries.
constexpr std::size_t kApplyAt = 4;
constexpr std::size_t kReadTimeAt = 5;  // units of 10 ms
constexpr std::size_t kFrequencyAt = 6;
constexpr std::size_t kAnalogAt = 12;    // x 100, 32-bit little-endian
constexpr std::size_t kDigitalAt = 16;   // x 100
constexpr std::size_t kExposureAt = 20;  // exposure minus light time, us
constexpr std::size_t kLightAt = 24;     // us
constexpr std::size_t kNegativeAt = 28;
constexpr std::size_t kMirrorAt = 29;
constexpr int kUpcFlag = 40;     // UPC-A/E
constexpr int kCode39Flag = 52;  // CODE 39

constexpr std::string_view kComposite = "R1R4B6[BCI[BCF[BCG[BHE[D1V";

std::uint32_t little32(std::string_view block, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(block[at + static_cast<std::size_t>(i)]);
    return value;
}

// An amplification as the engine takes it: hundredths, truncated.
long long hundredths(double value) {
    return static_cast<long long>(value * 100 + 1e-6);
}

bool flag(std::string_view block, std::size_t at) {
    return static_cast<unsigned char>(block[at]) == 1;
}

}  // namespace

const std::vector<CodeSet>& codeSetTable() {
    static const std::vector<CodeSet> table = {
        {"UPC-A/E", 'C', "", "R1", 40},
        {"UPC-A/E Addon2", 'F', "", "R2", 41},
        {"UPC-A/E Addon5", 'G', "", "R3", 42},
        {"UPC-A/E", 'D', "", "R1", 43},
        {"UPC-A/E Addon2", 'H', "", "R2", 44},
        {"UPC-A/E Addon5", 'I', "", "R3", 45},
        {"EAN-13", 'B', "", "JU", 46},
        {"EAN-13 Addon2", 'L', "", "JV", 47},
        {"EAN-13 Addon5", 'M', "", "JW", 48},
        {"EAN-8", 'A', "", "JO", 49},
        {"EAN-8 Addon2", 'J', "", "JP", 50},
        {"EAN-8 Addon5", 'K', "", "JQ", 51},
        {"Tri-Optic", 'V', "]X0", "JZ", 53},
        {"CODE 39", 'V', "", "B2", 52},
        {"CODE 39 Full ASCII", 'W', "", "B2", 52},
        {"CODE 39 It ph", 'Y', "", "B2", 52},
        {"Codabar", 'R', "", "B3", 54},
        {"Codabar ABC", 'S', "", "B3", 54},
        {"Codabar CX", 'f', "", "B3", 54},
        {"Industrial 2of5", 'O', "", "R7", 55},
        {"Interleaved 2of5", 'N', "", "R8", 56},
        {"S-Code", 'g', "", "R9", 57},
        {"Matrix 2of5", 'Q', "", "BB", 58},
        {"Chinese Post Matrix 2of5", 'w', "", "JS", 59},
        {"Korean Postal Authority", 'c', "", "WH", 60},
        {"Intelligent Mail", '0', "", "[D5F", 61},
        {"POSTNET", '3', "", "[D6A", 62},
        {"PLANET", '6', "]X0", "[DG3", 87},
        {"Japanese Postal", '2', "", "[D5P", 63},
        {"Netherlands KIX Code", '1', "]X0", "[D5K", 88},
        {"UK Postal (Royal Mail)", '7', "]X0", "[DG8", 89},
        {"Australian Postal", '4', "]X0", "[D6M", 90},
        {"IATA", 'P', "", "B4", 64},
        {"MSI/Plessey", 'Z', "", "B7", 65},
        {"Telepen", 'd', "", "B9", 66},
        {"UK/Plessey", 'a', "", "B1", 67},
        {"CODE 128", 'T', "", "B6", 68},
        {"CODE 93", 'U', "", "B5", 69},
        {"CODE 11", 'b', "", "[BLC", 70},
        {"GS1 DataBar", 'y', "", "[BCI", 71},
        {"Codablock F", 'E', "", "[D4P", 74},
        {"DataMatrix ECC000-140", 't', "]d0", "[BG0", 76},
        {"DataMatrix ECC200", 't', "", "[BCC", 75},
        {"Aztec Runes", 'o', "]zC", "[BF2", 78},
        {"Aztec Code", 'o', "", "[BCH", 77},
        {"Chinese Sensible Code", 'e', "", "[D4L", 79},
        {"QR Code", 'u', "", "[BCD", 80},
        {"Micro QR Code", 'j', "", "[D2U", 81},
        {"Maxi Code", 'v', "", "[BCE", 82},
        {"PDF417", 'r', "", "[BCF", 83},
        {"Micro PDF417", 's', "", "[BCG", 84},
        {"Composite A", 'm', "", kComposite, 85},
        {"Composite B", 'n', "", kComposite, 85},
        {"Composite C", 'l', "", kComposite, 85},
    };
    return table;
}

// The first row whose code-ID matches and whose identifier matches or is empty.
static const CodeSet* findCodeSet(const TuningBank& bank) {
    if (bank.codeId == 0)
        return nullptr;
    for (const CodeSet& row : codeSetTable()) {
        if (row.codeId == bank.codeId &&
            (row.identifier.empty() || row.identifier == bank.identifier))
            return &row;
    }
    return nullptr;
}

std::string_view codeTypeName(const TuningBank& bank) {
    const CodeSet* row = findCodeSet(bank);
    return row ? row->name : kDefaultCodeSetName;
}

std::string_view codeSetCommand(const TuningBank& bank) {
    const CodeSet* row = findCodeSet(bank);
    return row ? row->command : kDefaultCodeSetCommand;
}

TuningBank parseBankBlock(std::string_view block) {
    TuningBank bank;
    if (block.size() < kBankBlockSize)
        return bank;
    bank.apply = flag(block, kApplyAt);
    bank.readTimeMs = static_cast<unsigned char>(block[kReadTimeAt]) * 10;
    bank.frequency = static_cast<unsigned char>(block[kFrequencyAt]);
    bank.analogAmp = little32(block, kAnalogAt) / 100.0;
    bank.digitalAmp = little32(block, kDigitalAt) / 100.0;
    bank.lightUs = little32(block, kLightAt);
    bank.exposureUs = bank.lightUs + little32(block, kExposureAt);
    bank.negative = flag(block, kNegativeAt);
    bank.mirror = flag(block, kMirrorAt);
    auto flagged = [&](int offset) { return block[static_cast<std::size_t>(offset)] != 0; };
    if (flagged(kUpcFlag) && flagged(kCode39Flag))
        return bank;  // the default code set
    for (const CodeSet& row : codeSetTable()) {
        if (flagged(row.flagOffset)) {
            bank.codeId = row.codeId;
            bank.identifier = std::string(row.identifier);
            break;
        }
    }
    return bank;
}

std::vector<std::string> imagingPass(const TuningBank& bank, int selector) {
    const long long light = encodeMicroseconds(bank.lightUs);
    const long long rest = encodeMicroseconds(bank.exposureUs - bank.lightUs);
    return {
        withDigits("[DE5", 900000 + selector, 6),
        withDigits("[DE5", 530000 + hundredths(bank.analogAmp), 6),
        withDigits("[DE5", 540000 + hundredths(bank.digitalAmp), 6),
        "[DE4Q5Q1",
        withDigits("[DE5", 600000 + light, 6),
        withDigits("[DE5", 610000 + rest, 6),
        withDigits("[DE5", 623200, 6),
        "[DE4Q6Q1",
        withDigits("[DE5", 807100, 6),
        "[DE4Q8Q1",
    };
}

std::vector<std::string> imagingParameterCommands(const TuningBank& bank) {
    std::vector<std::string> commands = imagingPass(bank, 0);
    std::vector<std::string> second = imagingPass(bank, 1);
    commands.insert(commands.end(), second.begin(), second.end());
    commands.push_back(bank.mirror ? "[E8I" : "[E8J");
    commands.push_back(bank.negative ? "V3" : "V2");
    return commands;
}

}  // namespace omni::tools
