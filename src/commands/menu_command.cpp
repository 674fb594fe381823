#include "commands/menu_command.h"

#include <algorithm>
#include <cstdio>

namespace omni::commands {

namespace {

// A lone character at the end of a command may stand as a token of its own (QR envelope).
constexpr bool isLoneLetterToken(char c) {
    return c == 'B' || c == 'E' || c == 'L' || c == 'Y' || c == 'Z';
}

// Body length of a token by its first character: "[", "]", "{" take the next 3, 4, 5.
constexpr std::size_t bracketBodyLength(char c) {
    return c == '[' ? 3 : c == ']' ? 4 : c == '{' ? 5 : 0;
}

}  // namespace

TokenFault readToken(std::string_view text, std::size_t at, const TokenRules& rules, Token& token) {
    const std::size_t n = text.size();
    const char c = text[at];
    token.begin = token.bodyBegin = at;
    if (c == '\'' && rules.quotedLiterals) {
        // A quoted literal ends at the first apostrophe that is not doubled.
        for (std::size_t j = at + 1; j < n; ++j) {
            if (text[j] != '\'')
                continue;
            if (j + 1 < n && text[j + 1] == '\'') {
                ++j;
                continue;
            }
            token.end = j + 1;
            return TokenFault::None;
        }
        return TokenFault::Unterminated;
    }
    std::size_t length = 2;
    if (const std::size_t body = bracketBodyLength(c); body != 0) {
        token.bodyBegin = at + 1;
        length = body;
        if (token.bodyBegin >= n && !rules.keepTruncated)
            return TokenFault::BracketAtEnd;
    }
    if (token.bodyBegin + length <= n) {
        token.end = token.bodyBegin + length;
        return TokenFault::None;
    }
    if (rules.keepTruncated) {
        token.end = n;
        return TokenFault::None;
    }
    if (rules.loneTrailingLetter && isLoneLetterToken(text[token.bodyBegin])) {
        token.end = token.bodyBegin + 1;
        return TokenFault::None;
    }
    return TokenFault::Truncated;
}

std::size_t tokenLength(std::string_view text) {
    Token token;
    if (text.empty() || readToken(text, 0, kCountingRules, token) != TokenFault::None)
        return 0;
    return token.end;
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

}  // namespace omni::commands
