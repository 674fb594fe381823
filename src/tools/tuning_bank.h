// The parameter banks of a 2D reader's imaging engine, as auto tuning reads, shows and writes
// them: the bank record, the table of code sets a bank can be bound to, the 96-byte bank block
// the reader reports, and the commands that write a bank back.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace omni::tools {

inline constexpr int kBankCount = 5;
inline constexpr std::size_t kBankBlockSize = 96;

struct TuningBank {
    bool apply = false;
    char codeId = 0;         // code-ID character; 0: the default code set
    std::string identifier;  // symbology identifier ("]X0"), may be empty
    bool negative = false;
    bool mirror = false;
    long long exposureUs = 0;  // never below the light time
    long long lightUs = 0;
    double analogAmp = 1.0;
    double digitalAmp = 1.0;
    int readTimeMs = 0;  // a multiple of 10
    int frequency = 0;
    bool enabled = false;  // as read from the reader
};

// One row of the code-set table: the display name, the code-ID character with its identifier
// (empty: any), the command that enables the code, and the byte of the bank block that flags it.
struct CodeSet {
    std::string_view name;
    char codeId;
    std::string_view identifier;
    std::string_view command;
    int flagOffset;
};

const std::vector<CodeSet>& codeSetTable();
inline constexpr std::string_view kDefaultCodeSetName = "Default Code Set";
inline constexpr std::string_view kDefaultCodeSetCommand =
    "R1R4JUJOB2JZB3R7R8B6B5B4[BCI[BCF[BCD[D2U[BCC[BCH";

// The display name of a bank's code type.
std::string_view codeTypeName(const TuningBank& bank);
// The command that selects the bank's code set after "B0".
std::string_view codeSetCommand(const TuningBank& bank);

// Fills a bank from its 96-byte block (the enabled flag comes separately).
TuningBank parseBankBlock(std::string_view block);

// The imaging parameters of a bank, sent twice (selectors 0 and 1), then mirror and negative.
std::vector<std::string> imagingParameterCommands(const TuningBank& bank);

// The commands of one pass of the imaging parameters with selector 900000 + `selector`.
std::vector<std::string> imagingPass(const TuningBank& bank, int selector);

}  // namespace omni::tools
