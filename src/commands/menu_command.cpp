#include "commands/menu_command.h"

#include <algorithm>
#include <cstdio>

namespace omni {

std::size_t tokenLength(std::string_view text) {
    if (text.empty())
        return 0;
    std::size_t length = 2;
    switch (text.front()) {
        case '[':
            length = 4;
            break;
        case ']':
            length = 5;
            break;
        case '{':
            length = 6;
            break;
        case '\'': {
            // A quoted literal ends at the first apostrophe that is not doubled.
            for (std::size_t i = 1; i < text.size(); ++i) {
                if (text[i] != '\'')
                    continue;
                if (i + 1 < text.size() && text[i + 1] == '\'') {
                    ++i;
                    continue;
                }
                return i + 1;
            }
            return 0;
        }
        default:
            break;
    }
    return length <= text.size() ? length : 0;
}

std::uint32_t countTokens(std::string_view bytes) {
    std::uint32_t count = 0;
    while (!bytes.empty()) {
        std::size_t length = tokenLength(bytes);
        if (length == 0)
            return 0;
        ++count;
        bytes.remove_prefix(length);
    }
    return count;
}

std::string bracketBody(std::string_view body) {
    std::string token;
    if (body.size() == 3)
        token += '[';
    if (body.size() == 4)
        token += ']';
    token += body;
    return token;
}

std::string digitTokens(unsigned value, unsigned digits, bool mode2D) {
    std::string out;
    unsigned divisor = 1;
    for (unsigned i = 1; i < digits; ++i)
        divisor *= 10;
    for (unsigned i = 0; i < digits; ++i) {
        out += 'Q';
        out += static_cast<char>('0' + value / divisor % 10);
        if (!mode2D)
            out += kCarriageReturn;
        divisor /= 10;
    }
    return out;
}

std::string composeDecimalArgument(std::string_view command, int minValue, int maxValue,
                                   unsigned digits, NumberChoice choice, bool mode2D) {
    std::string out(command);
    if (choice.kind == NumberChoice::Kind::Initialize)
        return out;
    int value = choice.kind == NumberChoice::Kind::Inhibit ? 0 : choice.value;
    // Inhibit means 0 even where the range starts above it; a value is clamped into the range.
    if (choice.kind == NumberChoice::Kind::Value)
        value = std::clamp(value, minValue, maxValue);
    if (!mode2D)
        out += kCarriageReturn;
    out += digitTokens(static_cast<unsigned>(std::max(value, 0)), digits, mode2D);
    return out;
}

std::string composeByteArgument(std::string_view command, int minValue, int maxValue, int value) {
    value = std::clamp(value, minValue, maxValue);
    char token[8];
    std::snprintf(token, sizeof token, "\r[$%02X\r", static_cast<unsigned>(value) & 0xFF);
    return std::string(command) + token;
}

namespace {

// Appends one piece (a group command or a key token) and, in 1D mode, its carriage return.
void appendPiece(std::string& out, std::string_view piece, bool mode2D) {
    if (piece.empty())
        return;
    out += piece;
    if (!mode2D)
        out += kCarriageReturn;
}

void appendKeys(std::string& out, KeySlots keys, std::size_t limit, bool mode2D) {
    for (std::size_t i = 0; i < keys.size() && i < limit; ++i)
        if (!keys[i].empty())
            appendPiece(out, bracketBody(keys[i]), mode2D);
}

}  // namespace

std::string composeCommonPrefixSuffix(KeySlots prefixKeys, KeySlots suffixKeys, bool mode2D) {
    std::string out;
    appendPiece(out, "MZ", mode2D);
    appendKeys(out, prefixKeys, kCommonKeySlots, mode2D);
    appendPiece(out, "PS", mode2D);
    appendKeys(out, suffixKeys, kCommonKeySlots, mode2D);
    return out;
}

std::string composeCodePrefixSuffix(const char* prefixCommand, const char* suffixCommand,
                                    KeySlots prefixKeys, KeySlots suffixKeys, bool mode2D) {
    std::string out;
    if (!prefixCommand || !*prefixCommand)
        return out;
    // The code type's own commands are complete tokens already ("M4", "[XMX").
    appendPiece(out, prefixCommand, mode2D);
    appendKeys(out, prefixKeys, kCodeKeySlots, mode2D);
    if (suffixCommand)
        appendPiece(out, suffixCommand, mode2D);
    appendKeys(out, suffixKeys, kCodeKeySlots, mode2D);
    return out;
}

}  // namespace omni
