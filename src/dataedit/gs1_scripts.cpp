#include <algorithm>
#include <cstdio>

#include "dataedit/char_tables.h"
#include "dataedit/gs1.h"
#include "dataedit/templates.h"

namespace omni::dataedit {
namespace {

constexpr char kDq = '"';
constexpr std::string_view kCode128Fallback = "/\\ST.+$";
constexpr std::string_view kAimSelectors = "\\ST\\Su\\St\\Sy\\So";

std::string_view escapeOf(std::size_t row) {
    return CharRowAt(row).escape;
}

// Two characters, the second only when the first is set.
std::string pairOf(std::size_t first, std::size_t second) {
    if (first == 0 || escapeOf(first).empty())
        return {};
    return std::string(escapeOf(first)) + std::string(escapeOf(second));
}

std::string slotPair(const std::string& first, const std::string& second) {
    if (!IsSlotSet(first))
        return {};
    return first + (IsSlotSet(second) ? second : std::string());
}

std::string aiElement(const GS1Options& options) {
    if (!options.outputAi)
        return {};
    return options.aiInBrackets ? "\\(\\I\\)" : "\\I";
}

// The separator pair (`first`, `second`) when `withPair`, then the delay when the options ask
// for one.
std::string pairAndDelay(bool withPair, std::size_t first, std::size_t second,
                         const GS1Options& options) {
    std::string text;
    if (withPair)
        text += pairOf(first, second);
    if (options.delay)
        text += DelayElement(options.delayMs);
    return text;
}

// The data-field sequence: the four data parts, the multi-data separator and the delay before
// each part after the first.
std::string dataFields(const GS1Options& options) {
    const std::string between =
        pairAndDelay(options.multiSeparator, options.m1, options.m2, options);
    return "\\D1(" + between + "\\D2|)(" + between + "\\D3|)(" + between + "\\D4|)";
}

// What is output between two AIs: the between-data string and the delay.
std::string betweenData(const GS1Options& options) {
    return pairAndDelay(options.between, options.s1, options.s2, options);
}

std::string formatElement(const GS1Options& options) {
    return kDq + FormatFlags(options.suppressDd, options.decimalPoint) + kDq;
}

std::string afterVariableGroup(const GS1Options& options) {
    return "(?:<\\s80>" + (kDq + pairOf(options.f1, options.f2) + kDq) + "|)";
}

std::size_t lastOutputRow(std::span<const GS1Row> rows) {
    std::size_t last = rows.size();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].output)
            last = i;
    }
    return last;
}

ScriptPair userSettingScripts(const GS1Options& options, std::span<const GS1Row> rows) {
    ScriptPair s;
    if (options.aimId) {
        s.cut += options.userMarker ? "(" : "(?:";
        s.cut += std::string(kAimSelectors) + "|)";
        s.paste += "\\Sa[0]";
    }
    s.cut += "\\s80" + formatElement(options) + "(?:";
    const std::size_t last = lastOutputRow(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const GS1Row& row = rows[i];
        s.cut += "<\\A" + row.ai + ">|";
        if (!row.output)
            continue;
        s.paste += slotPair(row.header1, row.header2);
        s.paste += "(\\A" + row.ai + "[0]" + aiElement(options) + dataFields(options) + "|)";
        s.paste += slotPair(row.terminator1, row.terminator2);
        if (i != last)
            s.paste += betweenData(options);
    }
    s.cut += "<\\Ax>" + (kDq + ("\\Ax" + aiElement(options) + dataFields(options)) + kDq);
    if (!options.userMarker) {
        if (options.afterVariable)
            s.cut += afterVariableGroup(options);
        s.cut += "(?:$|" + (kDq + betweenData(options) + kDq) + ")";
    }
    s.cut += ")+$";
    if (options.outputOtherAis)
        s.paste += "[0]";
    s.paste += "\\x0d";
    if (!options.code128OnError)
        s.cut += kCode128Fallback;
    return s;
}

ScriptPair readyFormScripts(const GS1Options& options) {
    ScriptPair s;
    if (options.aimId) {
        s.cut += options.userMarker ? "(" : "(?:";
        s.cut += std::string(kAimSelectors) + kDq + "\\Sa" + kDq + "|)";
    }
    s.cut += "\\s80";
    s.paste = "[0]\\x0d";
    s.cut += formatElement(options) + "(?:<\\Ax>";
    s.cut += kDq + ("\\Ax" + aiElement(options) + dataFields(options)) + kDq;
    if (options.afterVariable)
        s.cut += afterVariableGroup(options);
    s.cut += "(?:$|" + (kDq + betweenData(options) + kDq) + ")";
    s.cut += ")+$";
    if (!options.code128OnError)
        s.cut += kCode128Fallback;
    return s;
}

// A row's data with the implied decimal point of the 3nnn measures (not 30 and 37): a point
// before the last n digits, n being the AI's fourth digit.
std::string previewData(const GS1Options& options, const GS1Row& row) {
    std::string data;
    for (std::size_t p = 0; p < row.partCount; ++p) {
        std::string part = row.parts[p];
        const bool last = p + 1 == row.partCount;
        if (last && options.decimalPoint && row.ai.size() == 4 && row.ai[0] == '3') {
            const std::size_t n = static_cast<std::size_t>(row.ai[3] - '0');
            if (n > 0)
                part.insert(part.size() > n ? part.size() - n : 0, 1, '.');
        }
        data += part;
    }
    return data;
}

std::string previewSlot(const std::string& slot) {
    if (!IsSlotSet(slot))
        return {};
    const std::size_t row = CharRowOfEscape(slot);
    return row == 0 ? slot : PreviewCharText(row);
}

std::string previewSlots(const std::string& first, const std::string& second) {
    if (!IsSlotSet(first))
        return {};
    return previewSlot(first) + previewSlot(second);
}

std::string previewPair(std::size_t first, std::size_t second) {
    if (first == 0)
        return {};
    return PreviewCharText(first) + (second == 0 ? std::string() : PreviewCharText(second));
}

}  // namespace

GS1Options ReadyFormOptions(GS1Form form) {
    GS1Options options;
    switch (form) {
        case GS1Form::Brackets:
            options.outputAi = options.aiInBrackets = options.code128OnError = true;
            break;
        case GS1Form::Separated:
            options.decimalPoint = options.between = options.code128OnError = true;
            options.s1 = kRowSlash;
            options.s2 = kRowColon;
            break;
        case GS1Form::Fnc1:
            options.aimId = options.outputAi = options.afterVariable = true;
            options.f1 = kRowGS;
            break;
        case GS1Form::User:
            options.userSetting = true;
            options.outputAi = options.code128OnError = options.userMarker = true;
            break;
    }
    return options;
}

int ParseDelayText(std::string_view text) {
    if (text.empty() || text.size() > 4)
        return 0;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
    }
    if (value > kMaxGS1DelayMs)
        return 0;
    return value / 10 * 10;
}

std::string DelayElement(int delayMs) {
    char digits[3];
    const int tens = std::clamp(delayMs, 0, kMaxGS1DelayMs) / 10;
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(tens));
    return std::string("\\d") + digits;
}

std::string PreviewCharText(std::size_t row) {
    if (row == 0)
        return {};
    if (row == kRowSpace)
        return " ";
    const CharRow& character = CharRowAt(row);
    if (IsBracketedCharRow(row))
        return "[" + std::string(character.name) + "]";
    return std::string(character.name);
}

std::string GS1Preview(const GS1Options& options, std::span<const GS1Row> rows) {
    std::string text;
    if (options.aimId)
        text += "[AIM ID]";
    const std::size_t last = lastOutputRow(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const GS1Row& row = rows[i];
        if (!row.output)
            continue;
        if (options.outputAi)
            text += options.aiInBrackets ? "(" + row.ai + ")" : row.ai;
        if (options.userSetting)
            text += previewSlots(row.header1, row.header2);
        text += previewData(options, row);
        if (options.userSetting)
            text += previewSlots(row.terminator1, row.terminator2);
        if (i == last)
            continue;
        if (options.afterVariable && row.variable)
            text += previewPair(options.f1, options.f2);
        if (options.between)
            text += previewPair(options.s1, options.s2);
    }
    return text;
}

ScriptPair BuildGS1Scripts(const GS1Options& options, std::span<const GS1Row> rows) {
    return options.userSetting ? userSettingScripts(options, rows) : readyFormScripts(options);
}

std::string GS1StartCommand(bool asMenuCode) {
    const std::string cut = std::string("\\s80(?:<\\s80>") + kDq + "\\x20" + kDq + "|.)+$";
    std::string command = "[X/0OG" + ComposeStoreCommand(cut, "[0]", kGS1Program);
    if (asMenuCode)
        command += "RZ";
    return command;
}

std::string GS1StoreCommand(const ScriptPair& scripts, bool readyFormAsMenuCode) {
    std::string command = ComposeStoreCommand(scripts.cut, scripts.paste, kGS1Program);
    if (readyFormAsMenuCode)
        command += "RZ1M";
    return command;
}

std::string GS1CancelCommand() {
    return ComposeStoreCommand("", "", kGS1Program);
}

}  // namespace omni::dataedit
