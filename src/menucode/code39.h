// Code 39 menu codes: the sheet's tokenizer and the bar patterns of the barcode face.
//
// Every menu code on a sheet is the text "_" + token + "_": "_" draws the bar pattern of the
// Code 39 space character, which frames the code instead of the usual "*" start and stop
// characters. The bars are generated as geometry in units of 1/1000 em.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "menucode/page_drawing.h"

namespace omni::menucode::code39 {

// Tokens of a command as the sheet shows them, one code each: carriage returns and spaces are
// skipped; "[", "]", "{" start a token of the next 3, 4, 5 characters (bracket dropped); any
// other character starts a 2-character token; a token running past the end is cut there.
std::vector<std::string> sheetTokens(std::string_view command);

// Glyph metrics of the barcode face, per mille of the em.
inline constexpr int kNarrow = 20;     // nominal narrow element
inline constexpr int kWide = 60;       // nominal wide element, 3:1
inline constexpr int kAdvance = 320;   // 15 narrow units of pattern plus one narrow gap
inline constexpr int kBarShrink = 12;  // bars are drawn this much thinner, spaces wider

// The 9-element pattern (bar, space, ... bar) of a Code 39 character as a bit mask, bit 8 the
// first bar, a set bit meaning wide; -1 when the character has no Code 39 pattern.
int patternOf(char c);

// One bar of a drawn glyph, in 1/1000 em from the glyph's left edge.
struct Bar {
    int left, right;
};

// The bars the barcode face draws for one character (lower case as upper case, "_" as the space
// character, "!" as "*", "^" one thin bar, space and U+00A0 nothing) and its advance. Characters
// outside the face's map draw nothing. Each bar is `barShrink` thinner than nominal, centred on
// its nominal position, which leaves the spaces as much wider.
struct Glyph {
    Bar bars[5];
    int barCount = 0;
    int advance = 0;
};
Glyph glyphOf(char c, int barShrink = kBarShrink);

// Width of `text` in the barcode face of the given em size.
double codeWidth(std::string_view text, double em);

// Draws `text` in the barcode face: bars from `top` to `bottom`, starting at `left`.
void drawCode(menucode::Drawing& out, std::string_view text, double em, double left, double top,
              double bottom, int barShrink = kBarShrink);

}  // namespace omni::menucode::code39
