// The GS1 easy setting: a sample scanned with the reader split into AI rows, the output options,
// the preview of what the reader will output, and the scripts and commands that make it so.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dataedit/script_text.h"

namespace omni::dataedit {

inline constexpr std::size_t kMaxGS1Rows = 10;
inline constexpr std::size_t kMaxGS1Sample = 2048;
inline constexpr std::size_t kMaxGS1Parts = 4;
inline constexpr int kGS1Program = 4;
inline constexpr int kMaxGS1DelayMs = 2500;

// One AI found in the sample.
struct GS1Row {
    bool output = true;  // output this AI
    std::string ai;      // the AI digits, 2 to 4
    // The AI's data split by its format components; `partCount` of them are used.
    std::array<std::string, kMaxGS1Parts> parts;
    std::size_t partCount = 0;
    bool variable = false;  // the AI has a variable-length component
    // Character-table escapes; a slot that is empty or begins with '0' is unset.
    std::string header1, header2, terminator1, terminator2;
};

// True when a header or terminator slot holds a character.
bool IsSlotSet(std::string_view slot);

// Why the parse ended.
enum class GS1ParseStop {
    End,           // the data ended
    RowLimit,      // 10 rows were read
    UnknownAi,     // the AI is not in the dictionary
    BadCharacter,  // a character its component does not allow
    MissingData,   // the data ended (or a separator came) inside a component
    TooLong,       // a variable-length field longer than its maximum
};

struct GS1Parse {
    std::vector<GS1Row> rows;  // empty: the sample yields no AI
    GS1ParseStop stop = GS1ParseStop::End;
    std::size_t position = 0;  // where the parse ended, in the sample's bytes
};

// Splits a sample into AI rows: spaces count as separators (the start program makes the reader
// end each variable-length field with one), separators (FS, GS) and symbology identifiers ("]"
// and two characters) are skipped, the sample ends at the first CR or LF. The first error ends
// the parse; the rows read before it stand.
GS1Parse ParseGS1Sample(std::string_view sample);

struct GS1Options {
    bool userSetting = false;  // user-setting mode, else a ready form
    bool outputAi = false;
    bool aiInBrackets = false;
    bool outputOtherAis = false;  // output all data of a code with AIs not in the list
    bool suppressDd = false;
    bool decimalPoint = false;
    bool aimId = false;
    // Characters are rows of the character table (0: none).
    bool between = false;
    std::size_t s1 = 0, s2 = 0;
    bool afterVariable = false;
    std::size_t f1 = 0, f2 = 0;
    bool delay = false;
    int delayMs = 0;  // a multiple of 10, 0 to 2500
    bool code128OnError = false;
    bool multiSeparator = false;
    std::size_t m1 = 0, m2 = 0;
    bool userMarker = false;  // set by the user-setting defaults only
};

enum class GS1Form { Brackets, Separated, Fnc1, User };

// The options a ready form sets (all others off), or the user-setting defaults.
GS1Options ReadyFormOptions(GS1Form form);

// The delay a typed text gives: one to four digits worth at most 2500, units digit dropped;
// any other text gives 0.
int ParseDelayText(std::string_view text);

// "\d" and the delay in tens of milliseconds as two upper-case hexadecimal digits.
std::string DelayElement(int delayMs);

// The text the lists show for what the reader will output.
std::string GS1Preview(const GS1Options& options, std::span<const GS1Row> rows);

// The text of one character-table row in a preview: control characters and keys in square
// brackets ("[GS]", "[Enter]"), printable characters bare.
std::string PreviewCharText(std::size_t row);

// The cut and paste scripts for the options and rows (the mode decides which steps apply).
ScriptPair BuildGS1Scripts(const GS1Options& options, std::span<const GS1Row> rows);

// "[X/0", "OG" and the store command of the start program for program 4, which makes the reader
// end each variable-length field with a space; "RZ" after it when it is shown as a menu code.
std::string GS1StartCommand(bool asMenuCode);

// The store command for program 4; "RZ1M" after it when a ready form's command is shown as a
// menu code.
std::string GS1StoreCommand(const ScriptPair& scripts, bool readyFormAsMenuCode);

// Clears program 4: "[ED0''[ED1''[ED2Q4".
std::string GS1CancelCommand();

}  // namespace omni::dataedit
