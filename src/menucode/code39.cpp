#include "menucode/code39.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "commands/menu_command.h"

namespace omni::menucode::code39 {

namespace {

// Code 39 characters and their patterns: nine elements, bar first, bit 8 the first; 1 = wide.
// Every pattern has three wide elements.
struct Pattern {
    char character;
    std::uint16_t elements;
};
constexpr std::array<Pattern, 44> kPatterns = {{
    {'0', 0x034}, {'1', 0x121}, {'2', 0x061}, {'3', 0x160}, {'4', 0x031}, {'5', 0x130},
    {'6', 0x070}, {'7', 0x025}, {'8', 0x124}, {'9', 0x064}, {'A', 0x109}, {'B', 0x049},
    {'C', 0x148}, {'D', 0x019}, {'E', 0x118}, {'F', 0x058}, {'G', 0x00D}, {'H', 0x10C},
    {'I', 0x04C}, {'J', 0x01C}, {'K', 0x103}, {'L', 0x043}, {'M', 0x142}, {'N', 0x013},
    {'O', 0x112}, {'P', 0x052}, {'Q', 0x007}, {'R', 0x106}, {'S', 0x046}, {'T', 0x016},
    {'U', 0x181}, {'V', 0x0C1}, {'W', 0x1C0}, {'X', 0x091}, {'Y', 0x190}, {'Z', 0x0D0},
    {'-', 0x085}, {'.', 0x184}, {' ', 0x0C4}, {'$', 0x0A8}, {'/', 0x0A2}, {'+', 0x08A},
    {'%', 0x02A}, {'*', 0x094},
}};

constexpr bool threeWideEach() {
    for (const auto& p : kPatterns) {
        int wide = 0;
        for (int bit = 0; bit < 9; ++bit)
            wide += (p.elements >> bit) & 1;
        if (wide != 3)
            return false;
    }
    return true;
}
static_assert(threeWideEach());
static_assert(6 * kNarrow + 3 * kWide + kNarrow == kAdvance);

constexpr int kNonBreakingSpace = 0xA0;  // U+00A0 in an 8-bit string

}  // namespace

std::vector<std::string> sheetTokens(std::string_view command) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < command.size()) {
        if (commands::kCode39SheetRules.skipSeparators &&
            (command[i] == commands::kCarriageReturn || command[i] == ' ')) {
            ++i;
            continue;
        }
        commands::Token token;
        commands::readToken(command, i, commands::kCode39SheetRules,
                            token);  // the sheet's rules never refuse
        if (token.end > token.bodyBegin)
            tokens.emplace_back(command.substr(token.bodyBegin, token.end - token.bodyBegin));
        i = std::max(token.end, token.bodyBegin + 1);
    }
    return tokens;
}

int patternOf(char c) {
    for (const auto& p : kPatterns) {
        if (p.character == c)
            return p.elements;
    }
    return -1;
}

Glyph glyphOf(char c, int barShrink) {
    Glyph glyph;
    const auto code = static_cast<unsigned char>(c);
    if (c == ' ' || code == kNonBreakingSpace) {
        glyph.advance = kAdvance;
        return glyph;
    }
    if (c == '^') {
        glyph.bars[0] = {barShrink / 2, kNarrow - barShrink / 2};
        glyph.barCount = 1;
        glyph.advance = 2 * kNarrow;
        return glyph;
    }
    char drawn = c;
    if (c >= 'a' && c <= 'z')
        drawn = static_cast<char>(c - 'a' + 'A');
    if (c == '_')
        drawn = ' ';
    if (c == '!')
        drawn = '*';
    const int elements = patternOf(drawn);
    if (elements < 0)
        return glyph;
    int x = 0;
    for (int e = 0; e < 9; ++e) {
        const int width = (elements >> (8 - e)) & 1 ? kWide : kNarrow;
        if (e % 2 == 0) {
            glyph.bars[glyph.barCount++] = {x + barShrink / 2, x + width - barShrink / 2};
        }
        x += width;
    }
    glyph.advance = kAdvance;
    return glyph;
}

double codeWidth(std::string_view text, double em) {
    int units = 0;
    for (char c : text)
        units += glyphOf(c).advance;
    return units * em / 1000.0;
}

void drawCode(menucode::Drawing& out, std::string_view text, double em, double left, double top,
              double bottom, int barShrink) {
    int origin = 0;
    for (char c : text) {
        const Glyph glyph = glyphOf(c, barShrink);
        for (int b = 0; b < glyph.barCount; ++b) {
            out.rect({left + (origin + glyph.bars[b].left) * em / 1000.0, top,
                      left + (origin + glyph.bars[b].right) * em / 1000.0, bottom},
                     true);
        }
        origin += glyph.advance;
    }
}

}  // namespace omni::menucode::code39
