// dataedit ocr --line POSITIONS[:TERMINATION] [--line ...] [--font NAME]: the free line OCR
// setting. POSITIONS is a comma-separated list of position codes (N, A, AN, SP or one
// punctuation character), each optionally followed by xK to repeat it K times.
#include <iostream>

#include "dataedit/ocr.h"
#include "dataedit_cli.h"
#include "resources/string_ids.h"
#include "resources/strings.h"

namespace omni::cli::dataedit_cli {
namespace {

namespace ids = res::ids;
using res::formatUtf8;
using namespace omni::dataedit;

// Terminations as the command line names them, in the order of the termination table.
constexpr std::string_view kTerminationNames[kOcrTerminationCount] = {"HT", "CR", "Tab", "Enter",
                                                                      "None"};

bool isLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

// One position code at `at`: the letters N, A, AN, SP, or any one other character.
std::string codeAt(const std::string& text, std::size_t at) {
    if (!isLetter(text[at]))
        return text.substr(at, 1);
    std::size_t end = at;
    while (end < text.size() && isLetter(text[end]))
        ++end;
    return text.substr(at, end - at);
}

// The positions of one line; false after printing why.
bool parsePositions(const std::string& text, OcrLine& line) {
    std::vector<std::size_t> rows;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::string code = codeAt(text, at);
        const int row = OcrCharTypeOfCode(code);
        if (row < 0) {
            refuse(formatUtf8(ids::DataEditOcrBadPosition, {code}));
            return false;
        }
        at += code.size();
        std::size_t repeat = 1;
        if (at < text.size() && text[at] == 'x') {
            std::size_t end = at + 1;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9')
                ++end;
            if (end == at + 1 || end - at > 3) {
                refuse(formatUtf8(ids::DataEditOcrBadPosition, {code + text.substr(at, end - at)}));
                return false;
            }
            repeat = std::stoul(text.substr(at + 1, end - at - 1));
            at = end;
        }
        rows.insert(rows.end(), repeat, static_cast<std::size_t>(row));
        if (at < text.size()) {
            if (text[at] != ',') {
                refuse(formatUtf8(ids::DataEditOcrBadPosition, {text.substr(at)}));
                return false;
            }
            ++at;
        }
    }
    if (rows.empty() || rows.size() > static_cast<std::size_t>(kOcrMaxDigits)) {
        refuse(formatUtf8(ids::DataEditOcrPositionCount, {std::to_string(rows.size())}));
        return false;
    }
    std::copy(rows.begin(), rows.end(), line.positions.begin());
    line.digits = static_cast<int>(rows.size());
    return true;
}

// POSITIONS[:TERMINATION]: the part after the last colon is a termination when it names one.
bool parseLine(const std::string& value, OcrLine& line) {
    std::string positions = value;
    const std::size_t colon = value.rfind(':');
    if (colon != std::string::npos && colon + 1 < value.size()) {
        const std::string name = value.substr(colon + 1);
        bool found = false;
        for (std::size_t i = 0; i < kOcrTerminationCount; ++i) {
            if (kTerminationNames[i] == name) {
                line.termination = i;
                found = true;
            }
        }
        if (found) {
            positions = value.substr(0, colon);
        } else if (isLetter(name[0]) && name != "N" && name != "A" && name != "AN" &&
                   name.rfind("SP", 0) != 0 && name.find(',') == std::string::npos) {
            refuse(formatUtf8(ids::DataEditOcrBadTermination, {name}));
            return false;
        }
    }
    return parsePositions(positions, line);
}

bool parseFont(const std::string& name, std::size_t& font) {
    for (std::size_t i = 0; i < OcrFonts().size(); ++i) {
        if (OcrFonts()[i].name == name) {
            font = i;
            return true;
        }
    }
    refuse(formatUtf8(ids::DataEditOcrBadFont, {name}));
    return false;
}

}  // namespace

int runOcr(const Args& args) {
    Options options(args, "ocr");
    OcrSetting setting;
    setting.lineCount = 0;
    std::string option;
    int status = 0;
    while (options.nextOption(option, status)) {
        if (option == "--line") {
            auto value = options.value(option);
            if (!value)
                return ExitBadInput;
            if (setting.lineCount == 2)
                return refuse(formatUtf8(ids::DataEditOcrLineCount, {}));
            if (!parseLine(*value, setting.lines[static_cast<std::size_t>(setting.lineCount)]))
                return ExitBadInput;
            ++setting.lineCount;
        } else if (option == "--font") {
            auto value = options.value(option);
            if (!value || !parseFont(*value, setting.font))
                return ExitBadInput;
        } else {
            return options.unknown(option);
        }
    }
    if (status)
        return status;
    if (setting.lineCount == 0)
        return refuse(formatUtf8(ids::DataEditOcrLineCount, {}));
    // A line with adjacent spaces or symbols is still composed, as the dialog does; say so.
    for (int i = 0; i < setting.lineCount; ++i) {
        const OcrLine& line = setting.lines[static_cast<std::size_t>(i)];
        if (!IsOcrLineValid(line.positions, static_cast<std::size_t>(line.digits))) {
            std::cerr << "omnisetup-cli: "
                      << formatUtf8(ids::DataEditOcrAdjacentSymbols, {std::to_string(i + 1)})
                      << "\n";
        }
    }
    return printOrSend(ComposeOcrCommand(setting), options.port(), false);
}

}  // namespace omni::cli::dataedit_cli
