// The GS1 application identifiers (AIs) the tool knows, with the format of their data, kept as a
// decimal digit tree: each node has one entry per digit, either invalid, a branch to the next
// node or a leaf with the AI's format. The 82 characters GS1 allows in alphanumeric data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace omni::dataedit {

enum class GS1Kind : std::uint8_t {
    None,             // no component
    Extension,        // the AI continues with `length` further digits (the n of 310n)
    Numeric,          // fixed-length digits
    Decimal,          // fixed-length digits with an implied decimal point (the AI's last digit)
    Date,             // YYMMDD
    Alphanumeric,     // fixed-length, from the 82-character set
    VarNumeric,       // digits, up to `length`
    VarDecimal,       // digits with an implied decimal point, up to `length`
    VarAlphanumeric,  // up to `length` characters of the set
    OddAlphanumeric,  // exactly 2x+1 characters of the set, x being the AI's last digit
};

struct GS1Component {
    GS1Kind kind = GS1Kind::None;
    std::uint8_t length = 0;
};

// Up to four components in data order.
using GS1Format = std::array<GS1Component, 4>;

bool IsVariable(GS1Kind kind);
bool IsNumericKind(GS1Kind kind);

// One row of the dictionary: the AIs `first` to `last` (same number of digits) share a format.
struct GS1AiRange {
    std::string_view first;
    std::string_view last;
    GS1Format format;
    std::string_view title;  // GS1 data title, shown beside the AI
};

std::span<const GS1AiRange> GS1AiRanges();

// Number of AIs the dictionary holds (every AI of every range).
inline constexpr std::size_t kGS1AiCount = 163;

// What walking the tree found at the start of a text.
struct GS1Lookup {
    std::size_t digits = 0;  // AI digits read through the tree (extension digits not included)
    const GS1AiRange* range = nullptr;
};

// Walks the tree from the first character of `text`; nullopt when a digit leads to an invalid
// entry, a character is not a digit or the text ends first.
std::optional<GS1Lookup> LookUpGS1Ai(std::string_view text);

// The dictionary AI with exactly these digits (extension digits included, as "3103" or "231");
// null when there is none.
const GS1AiRange* FindGS1Ai(std::string_view ai);

// True for the 82 characters of GS1 alphanumeric data.
bool IsGS1Character(char c);

// The AIs as the AI combo boxes list them: two to four digits, with "D" after an AI whose
// extension digit gives a decimal position ("310D") and "L" after the lot AI 23 ("23L").
struct GS1TitleRow {
    std::string code;    // "01", "310D", "23L"
    std::string digits;  // what a script writes after "\A": "01", "310", "23"
    std::string_view title;
};
std::span<const GS1TitleRow> GS1TitleList();

// The row whose code (or digits) is `text`; -1 when none is.
int GS1TitleRowOf(std::string_view text);

}  // namespace omni::dataedit
