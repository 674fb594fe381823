#include "dataedit/ocr.h"

#include <algorithm>

#include "commands/menu_command.h"

namespace omni::dataedit {
namespace {

// Kind, name, pattern of one position. Names carry their double quotes.
constexpr std::array<OcrCharType, kOcrCharTypeCount> kCharTypes = {{
    {OcrKind::Numeric, "\"N\"", "(?:[0-9]<..>)"},
    {OcrKind::Alphabetic, "\"A\"", "(?:<.>[A-Z]<.>)"},
    {OcrKind::Alphanumeric, "\"AN\"", "(?:<..>[0-9A-Z])"},
    {OcrKind::SpaceOrSymbol, "\"SP\"", "(?:<   >\"\\x20\")"},
    // the punctuation characters ! to /, : to @, [ to `, { to ~
    {OcrKind::SpaceOrSymbol, "!", "(?:<...>\"\\x21\")"},
    {OcrKind::SpaceOrSymbol, "\"", "(?:<...>\"\\x22\")"},
    {OcrKind::SpaceOrSymbol, "#", "(?:<...>\"\\x23\")"},
    {OcrKind::SpaceOrSymbol, "$", "(?:<...>\"\\x24\")"},
    {OcrKind::SpaceOrSymbol, "%", "(?:<...>\"\\x25\")"},
    {OcrKind::SpaceOrSymbol, "&", "(?:<...>\"\\x26\")"},
    {OcrKind::SpaceOrSymbol, "'", "(?:<...>\"\\x27\")"},
    {OcrKind::SpaceOrSymbol, "(", "(?:<...>\"\\x28\")"},
    {OcrKind::SpaceOrSymbol, ")", "(?:<...>\"\\x29\")"},
    {OcrKind::SpaceOrSymbol, "*", "(?:<...>\"\\x2A\")"},
    {OcrKind::SpaceOrSymbol, "+", "(?:<...>\"\\x2B\")"},
    {OcrKind::SpaceOrSymbol, ",", "(?:<...>\"\\x2C\")"},
    {OcrKind::SpaceOrSymbol, "-", "(?:<...>\"\\x2D\")"},
    {OcrKind::SpaceOrSymbol, ".", "(?:<...>\"\\x2E\")"},
    {OcrKind::SpaceOrSymbol, "/", "(?:<...>\"\\x2F\")"},
    {OcrKind::SpaceOrSymbol, ":", "(?:<...>\"\\x3A\")"},
    {OcrKind::SpaceOrSymbol, ";", "(?:<...>\"\\x3B\")"},
    {OcrKind::SpaceOrSymbol, "<", "(?:<...>\"\\x3C\")"},
    {OcrKind::SpaceOrSymbol, "=", "(?:<...>\"\\x3D\")"},
    {OcrKind::SpaceOrSymbol, ">", "(?:<...>\"\\x3E\")"},
    {OcrKind::SpaceOrSymbol, "?", "(?:<...>\"\\x3F\")"},
    {OcrKind::SpaceOrSymbol, "@", "(?:<...>\"\\x40\")"},
    {OcrKind::SpaceOrSymbol, "[", "(?:<...>\"\\x5B\")"},
    {OcrKind::SpaceOrSymbol, "\\", "(?:<...>\"\\x5C\")"},
    {OcrKind::SpaceOrSymbol, "]", "(?:<...>\"\\x5D\")"},
    {OcrKind::SpaceOrSymbol, "^", "(?:<...>\"\\x5E\")"},
    {OcrKind::SpaceOrSymbol, "_", "(?:<...>\"\\x5F\")"},
    {OcrKind::SpaceOrSymbol, "`", "(?:<...>\"\\x60\")"},
    {OcrKind::SpaceOrSymbol, "{", "(?:<...>\"\\x7B\")"},
    {OcrKind::SpaceOrSymbol, "|", "(?:<...>\"\\x7C\")"},
    {OcrKind::SpaceOrSymbol, "}", "(?:<...>\"\\x7D\")"},
    {OcrKind::SpaceOrSymbol, "~", "(?:<...>\"\\x7E\")"},
}};
static_assert(kCharTypes.size() == 36);

constexpr std::array<OcrTermination, kOcrTerminationCount> kTerminations = {{
    {"HT (0x09)", "\\x09"},
    {"CR (0x0d)", "\\x0D"},
    {"Tab key", "\\kB1"},
    {"Enter key", "\\kB2"},
    {"None", ""},
}};
static_assert(kTerminations.size() == 5);

constexpr std::array<OcrFont, kOcrFontCount> kFonts = {{
    {"OCR-B", "Q0"},
    {"OCR-A", "Q1"},
    {"MS-GOTHIC", "Q2"},
    {"MS-MINCHO", "Q3"},
}};
static_assert(kFonts.size() == 4);

const OcrCharType& typeAt(std::size_t row) {
    return kCharTypes[row < kCharTypes.size() ? row : kOcrNumeric];
}

std::size_t clampDigits(int digits) {
    return static_cast<std::size_t>(std::clamp(digits, kOcrMinDigits, kOcrMaxDigits));
}

std::string linePattern(const OcrLine& line) {
    return BuildOcrLine(line.positions, clampDigits(line.digits));
}

std::string_view terminationOf(const OcrLine& line) {
    return kTerminations[std::min(line.termination, kTerminations.size() - 1)].escape;
}

}  // namespace

std::span<const OcrCharType> OcrCharTypes() {
    return kCharTypes;
}

int OcrCharTypeOfCode(std::string_view code) {
    if (code == "N")
        return static_cast<int>(kOcrNumeric);
    if (code == "A")
        return static_cast<int>(kOcrAlphabetic);
    if (code == "AN")
        return static_cast<int>(kOcrAlphanumeric);
    if (code == "SP")
        return static_cast<int>(kOcrSpace);
    for (std::size_t i = kOcrSpace + 1; i < kCharTypes.size(); ++i) {
        if (kCharTypes[i].name == code)
            return static_cast<int>(i);
    }
    return -1;
}

std::span<const OcrTermination> OcrTerminations() {
    return kTerminations;
}

std::span<const OcrFont> OcrFonts() {
    return kFonts;
}

bool IsOcrLineValid(std::span<const std::size_t> positions, std::size_t count) {
    count = std::min(count, positions.size());
    for (std::size_t i = 1; i < count; ++i) {
        if (typeAt(positions[i - 1]).kind == OcrKind::SpaceOrSymbol &&
            typeAt(positions[i]).kind == OcrKind::SpaceOrSymbol)
            return false;
    }
    return true;
}

std::string BuildOcrLine(std::span<const std::size_t> positions, std::size_t count) {
    count = std::min(count, positions.size());
    if (!IsOcrLineValid(positions, count))
        return "$";
    std::string pattern;
    for (std::size_t i = 0; i < count;) {
        const OcrKind kind = typeAt(positions[i]).kind;
        std::size_t run = 1;
        while (i + run < count && typeAt(positions[i + run]).kind == kind)
            ++run;
        pattern += typeAt(positions[i]).pattern;
        if (run > 1)
            pattern += "{" + std::to_string(run) + "}";
        i += run;
    }
    return pattern + "$";
}

ScriptPair BuildOcrScripts(const OcrSetting& setting) {
    ScriptPair scripts;
    scripts.cut = linePattern(setting.lines[0]);
    scripts.paste = "[0]" + std::string(terminationOf(setting.lines[0]));
    if (setting.lineCount == 2) {
        scripts.cut += "/" + linePattern(setting.lines[1]);
        scripts.paste += "[1]" + std::string(terminationOf(setting.lines[1]));
    }
    return scripts;
}

std::string ComposeOcrCommand(const OcrSetting& setting) {
    const ScriptPair scripts = BuildOcrScripts(setting);
    std::size_t length = clampDigits(setting.lines[0].digits);
    if (setting.lineCount == 2)
        length = std::min(length, clampDigits(setting.lines[1].digits));
    std::string command = ComposeStoreCommand(scripts.cut, scripts.paste, kFirstProgram);
    command += "[DKF[DKI";
    command += commands::digitTokens(static_cast<unsigned>(length), length >= 10 ? 2 : 1, true);
    command += "[DLT";
    command += kFonts[std::min(setting.font, kFonts.size() - 1)].code;
    return command;
}

}  // namespace omni::dataedit
