#include "menucode/code39.h"

#include <gtest/gtest.h>

#include "raster.h"

namespace omni::menucode {
namespace {

using code39::glyphOf;
using code39::sheetTokens;

TEST(Code39Sheet, Tokens) {
    using V = std::vector<std::string>;
    EXPECT_EQ(sheetTokens("[DE1Q0"), (V{"DE1", "Q0"}));
    EXPECT_EQ(sheetTokens("]BCMA"), (V{"BCMA"}));
    EXPECT_EQ(sheetTokens("{ABCDE"), (V{"ABCDE"}));
    EXPECT_EQ(sheetTokens("Q1[AB"), (V{"Q1", "AB"}));  // cut at the end of the command
    EXPECT_EQ(sheetTokens("[X.Z\rU2\r [X.Z\r"), (V{"X.Z", "U2", "X.Z"}));
    EXPECT_EQ(sheetTokens("Z"), (V{"Z"}));
    EXPECT_EQ(sheetTokens("'A'"), (V{"'A", "'"}));  // apostrophes are not special here
    EXPECT_TRUE(sheetTokens("\r \r[").empty());
}

// Bars of one glyph as they would be drawn, for comparing glyphs.
std::vector<std::pair<int, int>> bars(char c) {
    const auto g = glyphOf(c);
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < g.barCount; ++i)
        out.emplace_back(g.bars[i].left, g.bars[i].right);
    return out;
}

TEST(Code39Sheet, GlyphsOfTheBarcodeFace) {
    // "_" frames menu codes with the space character's pattern: narrow bar, wide space, wide
    // bar, narrow space, narrow bar, narrow space, wide bar, narrow space, narrow bar.
    EXPECT_EQ(code39::patternOf(' '), 0b011000100);
    const auto frame = glyphOf('_');
    ASSERT_EQ(frame.barCount, 5);
    const int thin = code39::kNarrow - code39::kBarShrink,
              thick = code39::kWide - code39::kBarShrink;
    const int widths[] = {thin, thick, thin, thick, thin};
    const int gaps[] = {code39::kWide, code39::kNarrow, code39::kNarrow, code39::kNarrow};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(frame.bars[i].right - frame.bars[i].left, widths[i]);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(frame.bars[i + 1].left - frame.bars[i].right, gaps[i] + code39::kBarShrink);
    }
    EXPECT_EQ(frame.advance, 320);

    EXPECT_EQ(bars('!'), bars('*'));
    EXPECT_EQ(bars('q'), bars('Q'));
    EXPECT_EQ(glyphOf('^').barCount, 1);
    EXPECT_EQ(glyphOf(' ').barCount, 0);
    EXPECT_EQ(glyphOf('\xA0').barCount, 0);
    EXPECT_EQ(glyphOf('#').barCount, 0);
}

// Each character drawn inside a standard "*"-framed symbol by the same bar generator decodes to
// itself (lower case as upper case, "_" as the space character). The face draws bars thinner to
// allow for ink spread; a decoder expects the printed result, so the symbol is drawn as printed: at
// nominal widths.
TEST(Code39Sheet, EveryCharacterDecodes) {
    // The face's space glyph is empty; "_" carries the space character's pattern.
    const std::string characters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-._$/+%abcxyz";
    for (std::size_t start = 0; start < characters.size(); start += 7) {
        const std::string chunk = characters.substr(start, 7);
        menucode::Drawing drawing;
        const double em = 500;  // 10 pixels per nominal narrow element
        const std::string text = "*" + chunk + "*";
        drawing.width = code39::codeWidth(text, em);
        drawing.height = 60;
        code39::drawCode(drawing, text, em, 0, 0, 60, 0);
        const auto image = test::rasterize(drawing, 1.0, 120);
        const auto decoded = test::decode(image, ZXing::BarcodeFormat::Code39);
        ASSERT_TRUE(decoded.has_value()) << chunk;
        std::string upper = chunk;
        for (char& c : upper) {
            c = c == '_' ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(*decoded, upper);
    }
}

}  // namespace
}  // namespace omni::menucode
