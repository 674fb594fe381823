// The free line OCR setting: line patterns from per-position character types, the script pair
// that reads one or two printed lines, and the OCR commands that go with it.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dataedit/script_text.h"

namespace omni::dataedit {

// What a position may hold. Kind 3 (space and symbols) may not follow another kind-3 position.
enum class OcrKind { Alphabetic = 0, Numeric = 1, Alphanumeric = 2, SpaceOrSymbol = 3 };

struct OcrCharType {
    OcrKind kind;
    std::string_view name;     // "\"N\"", "\"A\"", "\"AN\"", "\"SP\"", or the symbol itself
    std::string_view pattern;  // what one position of this type matches
};

// "N", "A", "AN", "SP", then the 32 punctuation characters in code order.
inline constexpr std::size_t kOcrCharTypeCount = 36;
inline constexpr std::size_t kOcrNumeric = 0;
inline constexpr std::size_t kOcrAlphabetic = 1;
inline constexpr std::size_t kOcrAlphanumeric = 2;
inline constexpr std::size_t kOcrSpace = 3;
std::span<const OcrCharType> OcrCharTypes();

// The row of a position code as the command line writes it: "N", "A", "AN", "SP" or one
// punctuation character; -1 for anything else.
int OcrCharTypeOfCode(std::string_view code);

struct OcrTermination {
    std::string_view name;    // "HT (0x09)", ...
    std::string_view escape;  // "\x09", ...; empty for none
};
inline constexpr std::size_t kOcrTerminationCount = 5;
inline constexpr std::size_t kOcrTerminationCr = 1;  // the start value
std::span<const OcrTermination> OcrTerminations();

struct OcrFont {
    std::string_view name;  // "OCR-B", "OCR-A", "MS-GOTHIC", "MS-MINCHO"
    std::string_view code;  // the digit token of "[DLT"
};
inline constexpr std::size_t kOcrFontCount = 4;
std::span<const OcrFont> OcrFonts();

inline constexpr int kOcrMinDigits = 1;
inline constexpr int kOcrMaxDigits = 40;
inline constexpr int kOcrStartDigits = 5;

// The pattern of the first `count` positions of a line: runs of one type grouped with their
// length in braces, ended by "$". Two adjacent kind-3 positions make the line invalid: the
// pattern is then "$" alone.
std::string BuildOcrLine(std::span<const std::size_t> positions, std::size_t count);

// True when no two adjacent positions of the first `count` are of kind 3.
bool IsOcrLineValid(std::span<const std::size_t> positions, std::size_t count);

struct OcrLine {
    std::array<std::size_t, kOcrMaxDigits> positions{};  // rows of OcrCharTypes()
    int digits = kOcrStartDigits;                        // 1 to 40
    std::size_t termination = kOcrTerminationCr;         // row of OcrTerminations()
};

struct OcrSetting {
    std::array<OcrLine, 2> lines;
    int lineCount = 1;     // 1 or 2
    std::size_t font = 0;  // row of OcrFonts(), OCR-B
};

// The cut and paste scripts of the setting.
ScriptPair BuildOcrScripts(const OcrSetting& setting);

// The store command for program 1 followed by "[DKF", "[DKI" with the line length (the shorter
// line with two lines) and "[DLT" with the font's code.
std::string ComposeOcrCommand(const OcrSetting& setting);

}  // namespace omni::dataedit
