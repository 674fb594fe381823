// The print-readability check against real decoding: pages rendered at the limits decode (QR
// with ZXing, Code 39 with the bar-width reader below), pages just below them are reported with
// a module size that fixes them, and codes cut by the margins are reported.
#include "menucode/print_check.h"

#include <gtest/gtest.h>

#include <cmath>

#include "menucode/code39.h"
#include "raster.h"
#include "resources/strings.h"

namespace omni::menucode {
namespace {

using menucode::PrintFinding;
using K = PrintFinding::Kind;

// A printer that spreads ink: every dark rectangle grows by half a dot on each edge, then the
// page is sampled at one pixel per dot. Only the rectangles near `box` are kept, to keep the
// raster small.
test::GreyImage printed(const menucode::Drawing& drawing, const menucode::Box& box, double margin) {
    menucode::Drawing crop;
    crop.width = box.width() + 2 * margin;
    crop.height = box.height() + 2 * margin;
    for (const auto& item : drawing.items) {
        const auto* r = std::get_if<menucode::FillRect>(&item);
        if (!r || !r->dark || r->box.right < box.left - margin ||
            r->box.left > box.right + margin || r->box.bottom < box.top - margin ||
            r->box.top > box.bottom + margin)
            continue;
        const double dx = margin - box.left, dy = margin - box.top;
        crop.rect({r->box.left + dx - 0.5, r->box.top + dy - 0.5, r->box.right + dx + 0.5,
                   r->box.bottom + dy + 0.5},
                  true);
    }
    return test::rasterize(crop, 1.0);
}

// Reads one Code 39 menu code along the middle row of the image: bars and spaces are measured,
// each classified wide or narrow against the midpoint of its own kind (the face draws bars
// thinner and spaces wider), and every 9 elements plus a gap make a character. The code must be
// framed by the space pattern at both ends, as the sheet draws it; returns what is between.
std::optional<std::string> readCode39(const test::GreyImage& image) {
    const std::uint8_t* row =
        &image.pixels[static_cast<std::size_t>(image.height / 2) * image.width];
    std::vector<int> runs;  // starting with a bar
    int x = 0;
    while (x < image.width && row[x] >= 128)
        ++x;
    while (x < image.width) {
        const bool dark = row[x] < 128;
        int n = 0;
        while (x < image.width && (row[x] < 128) == dark)
            ++x, ++n;
        if (x < image.width || dark)
            runs.push_back(n);
    }
    if (runs.size() % 10 != 9)
        return std::nullopt;
    int barMin = 1 << 30, barMax = 0, spaceMin = 1 << 30, spaceMax = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (i % 10 == 9)
            continue;  // the gap between characters
        int& lo = i % 2 == 0 ? barMin : spaceMin;
        int& hi = i % 2 == 0 ? barMax : spaceMax;
        lo = std::min(lo, runs[i]);
        hi = std::max(hi, runs[i]);
    }
    static const std::string kAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";
    std::string text;
    for (std::size_t start = 0; start < runs.size(); start += 10) {
        int pattern = 0;
        for (std::size_t e = 0; e < 9; ++e) {
            const int threshold = e % 2 == 0 ? (barMin + barMax) : (spaceMin + spaceMax);
            pattern = pattern << 1 | (2 * runs[start + e] > threshold ? 1 : 0);
        }
        const auto found = std::find_if(kAlphabet.begin(), kAlphabet.end(),
                                        [&](char c) { return code39::patternOf(c) == pattern; });
        if (found == kAlphabet.end())
            return std::nullopt;
        text += *found;
    }
    if (text.size() < 2 || text.front() != ' ' || text.back() != ' ')
        return std::nullopt;
    return text.substr(1, text.size() - 2);
}

menucode::MenuCodeHistory samplePage() {
    menucode::MenuCodeHistory history;
    history.addTypedCommand("[BCA[DC1Q0Q0Q2Q5");
    history.addTypedCommand("]BCMA{ABCDE");
    return history;
}

// A4 at 16 dots per millimetre: there 4 dots are 0.25 mm, both QR limits at once.
menucode::PrintSetup setupAt(int dotsPerMm) {
    menucode::PrintSetup setup;
    setup.device = {210 * dotsPerMm, 297 * dotsPerMm, 210, 297};
    return setup;
}

bool has(const menucode::PrintCheck& check, K kind) {
    return std::any_of(check.findings.begin(), check.findings.end(),
                       [&](const PrintFinding& f) { return f.kind == kind; });
}

TEST(PrintCheck, QrAtTheLimitDecodesAndJustBelowIsReportedWithTheFix) {
    const menucode::TextMeasure measure;
    const auto history = samplePage();
    const menucode::PrintSetup setup = setupAt(16);
    auto geometryAt = [&](int moduleSize) {
        menucode::QrViewOptions options;
        options.moduleSize = moduleSize;
        return menucode::printGeometry(printQrPages(history, options, false, setup, measure), true,
                                       setup);
    };

    // Module size 2: 4 dots of 1/16 mm per module.
    menucode::QrViewOptions options;
    options.moduleSize = 2;
    const auto pages = printQrPages(history, options, false, setup, measure);
    const auto atLimit = menucode::printGeometry(pages, true, setup);
    ASSERT_EQ(atLimit.symbols.size(), 1u);
    EXPECT_DOUBLE_EQ(atLimit.symbols[0].module, 4);
    EXPECT_EQ(atLimit.symbols[0].box.width(), 4.0 * history.symbol().symbolSize());
    EXPECT_TRUE(menucode::checkPrint(atLimit).ok());
    const auto image = printed(pages[0], atLimit.symbols[0].box, 4 * 4);
    EXPECT_EQ(test::decode(image, ZXing::BarcodeFormat::QRCode), history.envelope());

    // Module size 1: 2 dots, 0.125 mm.
    auto below = menucode::checkPrint(geometryAt(1));
    EXPECT_TRUE(has(below, K::QrModuleDots));
    EXPECT_TRUE(has(below, K::QrModuleMm));
    menucode::suggestModuleSize(below, 1, 8, geometryAt);
    EXPECT_EQ(below.suggestedModuleSize, 2);
    const std::string text = res::toUtf8(menucode::describe(below, true));
    EXPECT_NE(text.find("2.0 printer dots"), std::string::npos) << text;
    EXPECT_NE(text.find("module size to 2"), std::string::npos) << text;

    // A file of 3 pixels per module at 12 pixels per millimetre is 0.25 mm but only 3 dots.
    options.moduleSize = 3;
    const auto file =
        menucode::geometryOf({drawQrScreen(history, options, 0, measure)}, true, 1, 12);
    const auto fileCheck = menucode::checkPrint(file);
    ASSERT_EQ(fileCheck.findings.size(), 1u);
    EXPECT_EQ(fileCheck.findings[0].kind, K::QrModuleDots);
    EXPECT_NE(res::toUtf8(menucode::describe(fileCheck, true)).find("Print at 500 dpi"),
              std::string::npos);
}

TEST(PrintCheck, Code39AtTheLimitDecodesAndJustBelowIsReported) {
    const menucode::TextMeasure measure;
    const auto history = samplePage();
    // At 12 dots per mm the print scales the label height by 2, the barcode em is twice that,
    // and the narrow element is 20/1000 em: a label height of 37.5 gives exactly 3 dots.
    const menucode::PrintSetup setup = setupAt(12);
    const auto pages = printCode39Pages(history, 37.5, setup, measure);
    const auto atLimit = menucode::printGeometry(pages, false, setup);
    const auto tokens = code39::sheetTokens("[BCA[DC1Q0Q0Q2Q5");
    ASSERT_GE(atLimit.symbols.size(), tokens.size() + 2);  // with the SET and END codes
    EXPECT_NEAR(atLimit.symbols[0].module, 3, 1e-9);
    EXPECT_TRUE(menucode::checkPrint(atLimit).ok());
    // Every code on the sheet reads back: the frame codes "ZZ", then the tokens in order.
    std::vector<std::string> read;
    for (const auto& symbol : atLimit.symbols) {
        const auto code = readCode39(printed(pages[symbol.page], symbol.box, 30));
        ASSERT_TRUE(code) << read.size();
        read.push_back(*code);
    }
    EXPECT_EQ(read.front(), "ZZ");
    EXPECT_EQ(read.back(), "ZZ");
    EXPECT_EQ(std::vector<std::string>(read.begin() + 1, read.begin() + 1 + tokens.size()), tokens);

    const auto below = menucode::checkPrint(
        menucode::printGeometry(printCode39Pages(history, 36, setup, measure), false, setup));
    ASSERT_EQ(below.findings.size(), 1u);
    EXPECT_EQ(below.findings[0].kind, K::NarrowBarDots);
    EXPECT_NEAR(below.findings[0].value, 2.88, 1e-9);

    // The millimetre limit on its own: a sheet drawn 4 pixels per unit has 3.84-pixel narrow
    // elements, 0.192 mm at 20 pixels per millimetre and 0.183 mm at 21.
    const auto sheet = drawCode39Screen(history, {}, 640, measure);
    EXPECT_TRUE(menucode::checkPrint(menucode::geometryOf({sheet}, false, 4, 20)).ok());
    const auto small = menucode::checkPrint(menucode::geometryOf({sheet}, false, 4, 21));
    ASSERT_EQ(small.findings.size(), 1u);
    EXPECT_EQ(small.findings[0].kind, K::NarrowBarMm);
}

TEST(PrintCheck, CodesAndQuietZonesCutByTheMarginsAreReported) {
    const menucode::TextMeasure measure;
    const auto history = samplePage();
    const menucode::PrintSetup setup = setupAt(16);
    menucode::QrViewOptions options;
    options.moduleSize = 64;  // 128 dots per module: wider than the paper
    auto huge = menucode::checkPrint(menucode::printGeometry(
        printQrPages(history, options, false, setup, measure), true, setup));
    EXPECT_TRUE(has(huge, K::SymbolCut));
    EXPECT_FALSE(huge.tooSmall());
    EXPECT_NE(res::toUtf8(menucode::describe(huge, true)).find("larger paper"), std::string::npos);

    // The layout puts the quiet zone right at the margin; a printer that cannot mark the outer
    // 11 mm cuts into it (10 mm margin, 1.5 mm quiet zone) but not into the symbol.
    options.moduleSize = 3;
    const auto pages = printQrPages(history, options, false, setup, measure);
    auto geometry = menucode::printGeometry(pages, true, setup);
    const double margin = 11 * 16;
    geometry.printable[0] = {margin, margin, setup.device.horzRes - margin,
                             setup.device.vertRes - margin};
    const auto cut = menucode::checkPrint(geometry);
    ASSERT_EQ(cut.findings.size(), 1u);
    EXPECT_EQ(cut.findings[0].kind, K::QuietZoneCut);

    // A size that scans only when it no longer fits says so instead of suggesting it.
    auto tiny = menucode::checkPrint(menucode::printGeometry(
        printQrPages(history, menucode::QrViewOptions{1}, false, setupAt(4), measure), true,
        setupAt(4)));
    menucode::suggestModuleSize(tiny, 1, 8, [&](int m) {
        menucode::QrViewOptions o;
        o.moduleSize = m;
        auto g = menucode::printGeometry(printQrPages(history, o, false, setupAt(4), measure), true,
                                         setupAt(4));
        g.printable[0] = {0, 0, 100, 100};
        return g;
    });
    EXPECT_TRUE(tiny.noSizeFits);
    EXPECT_NE(res::toUtf8(menucode::describe(tiny, true)).find("No module size"),
              std::string::npos);
}

}  // namespace
}  // namespace omni::menucode
