#include "menucode/menu_page.h"

#include <algorithm>
#include <cmath>

#include "menucode/code39.h"

namespace omni::menucode {

namespace {

// Narrow text shown as it is: each byte one character.
std::u16string widen(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

// The symbol with its quiet zone, modules mx × my, top left at (left, top): one white square,
// then one rectangle per horizontal run of dark modules.
void drawSymbol(Drawing& out, const qr::QrSymbol& code, double left, double top, double mx,
                double my) {
    const int n = QRCodeImage::sideModules(code);
    out.rect({left, top, left + n * mx, top + n * my}, false);
    const int size = code.symbolSize();
    const double x0 = left + QRCodeImage::kQuietZone * mx;
    const double y0 = top + QRCodeImage::kQuietZone * my;
    for (int y = 0; y < size; ++y) {
        int x = 0;
        while (x < size) {
            if (!code.isDark(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < size && code.isDark(x, y))
                ++x;
            out.rect({x0 + start * mx, y0 + y * my, x0 + x * mx, y0 + (y + 1) * my}, true);
        }
    }
}

// The metafile and print rule for device pixels per module: m × ppm × 0.125, rounded.
int scaledModule(int m, int ppm) {
    return (m * ppm * 125 + 500) / 1000;
}

// The envelope as text under the symbol, when it is shown, and its width.
struct CommandLine {
    std::u16string text;
    double width = 0;
};

CommandLine commandLine(const MenuCodeHistory& history, const QrViewOptions& options,
                        const Font& font, const TextMeasure& measure) {
    CommandLine line;
    if (options.showCommandString) {
        line.text = widen(history.envelope());
        line.width = measure.width(line.text, font);
    }
    return line;
}

double integerHalf(double h) {
    return static_cast<double>(static_cast<int>(h) / 2);
}

}  // namespace

// ---- QR menu code ----

Drawing drawQrScreen(const MenuCodeHistory& history, const QrViewOptions& options,
                     double clientWidth, const TextMeasure& measure) {
    Drawing out;
    const int m = options.moduleSize;
    const double symbol = history.sideModules() * m;
    double x = std::floor((clientWidth - symbol) / 2);
    if (x < 1)
        x = 0;
    out.width = std::max(clientWidth, symbol);
    out.height = symbol;
    drawSymbol(out, history.symbol(), x, 0, m, m);
    if (options.showCommandString) {
        const std::u16string text = widen(history.envelope());
        const double w = measure.width(text, options.commandFont);
        const double left = std::floor((out.width - w) / 2);
        out.text({left, symbol, left + w, symbol + options.commandFont.height}, text,
                 options.commandFont, Align::Center);
        out.width = std::max(out.width, w);
        out.height = symbol + options.commandFont.height;
    }
    return out;
}

Drawing drawQrMetafile(const MenuCodeHistory& history, const QrViewOptions& options,
                       const DeviceGeometry& reference, const TextMeasure& measure) {
    Drawing out;
    auto atLeastOne = [](int v) { return v < 2 ? 1 : v; };
    const int mx = atLeastOne(scaledModule(options.moduleSize, reference.ppmX()));
    const int my = atLeastOne(scaledModule(options.moduleSize, reference.ppmY()));
    Font font = options.commandFont;
    font.height *= atLeastOne(scaledModule(1, reference.ppmY()));
    const int n = history.sideModules();
    const CommandLine line = commandLine(history, options, font, measure);
    const std::u16string& text = line.text;
    out.width = std::max<double>(n * mx, line.width);
    out.height = n * my;
    drawSymbol(out, history.symbol(), std::floor((out.width - n * mx) / 2), 0, mx, my);
    if (options.showCommandString) {
        out.text({0, out.height, out.width, out.height + font.height}, text, font, Align::Center);
        out.height += font.height;
    }
    return out;
}

std::vector<Drawing> printQrPages(const MenuCodeHistory& history, const QrViewOptions& options,
                                  bool withHistory, const PrintSetup& setup,
                                  const TextMeasure& measure) {
    const DeviceGeometry& device = setup.device;
    const int ppmX = device.ppmX(), ppmY = device.ppmY();
    const int mx = scaledModule(options.moduleSize, ppmX);
    const int my = scaledModule(options.moduleSize, ppmY);
    Font font = options.commandFont;
    font.height *= scaledModule(1, ppmY);
    const double h = font.height;
    const double marginLeft = setup.marginLeft * ppmX / 100;
    const double marginTop = setup.marginTop * ppmY / 100;
    const double right = device.horzRes - marginLeft;
    const double bottom = device.vertRes - marginTop;

    std::vector<Drawing> pages(1);
    auto newPage = [&]() -> Drawing& {
        pages.emplace_back();
        pages.back().width = device.horzRes;
        pages.back().height = device.vertRes;
        return pages.back();
    };
    Drawing* pageOut = &pages.back();
    pageOut->width = device.horzRes;
    pageOut->height = device.vertRes;

    // The symbol centred within the picture width, shifted right by the left margin.
    const int n = history.sideModules();
    const CommandLine line = commandLine(history, options, font, measure);
    const std::u16string& text = line.text;
    const double pictureWidth = std::max<double>(n * mx, line.width);
    drawSymbol(*pageOut, history.symbol(), marginLeft + std::floor((pictureWidth - n * mx) / 2),
               marginTop, mx, my);
    double y = marginTop + n * my;
    if (options.showCommandString) {
        pageOut->text({marginLeft, y, marginLeft + pictureWidth, y + h}, text, font, Align::Center);
        y += h;
    }
    if (!withHistory)
        return pages;

    // The list of entries: a dot, the label word-wrapped, the command beside it.
    y += 4 * h;
    const double labelLeft = marginLeft + 4 * h;
    const double labelRight = std::max(labelLeft + h, right - 32 * h);
    const double commandLeft = std::min(right - 28 * h, right);
    for (const commands::PageItem& item : history.entries()) {
        const auto lines = wrapText(item.label, font, labelRight - labelLeft, measure);
        const double labelHeight = std::max<double>(1, lines.size()) * h;
        if (y + labelHeight > bottom) {
            pageOut = &newPage();
            y = marginTop;
        }
        pageOut->dot(labelLeft - h / 2, y + h / 2, h / 2);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            pageOut->text({labelLeft, y + i * h, labelRight, y + (i + 1) * h}, lines[i], font,
                          Align::Left);
        }
        const auto commandLines = wrapText(widen(item.bytes), font, right - commandLeft, measure);
        for (std::size_t i = 0; i < commandLines.size(); ++i) {
            pageOut->text({commandLeft, y + i * h, right, y + (i + 1) * h}, commandLines[i], font,
                          Align::Left);
        }
        y += labelHeight;
    }
    return pages;
}

// ---- Code 39 sheet ----

namespace {

constexpr std::string_view kFrameCode = "_ZZ_";
constexpr std::u16string_view kStartCaption = u"SET(ZZ)";
constexpr std::u16string_view kEndCaption = u"END(ZZ)";

std::string framed(std::string_view token) {
    return "_" + std::string(token) + "_";
}

// The fonts of a sheet with label height h.
struct SheetFonts {
    Font label, description;
    double em;  // barcode face: twice the label height
    explicit SheetFonts(double h)
        : label{u"", h, true}, description{u"", integerHalf(h), true}, em(2 * h) {}
};

// A code centred in the column [left, right], its bars from top to bottom.
void codeInColumn(Drawing& out, std::string_view code, double em, double left, double right,
                  double top, double bottom) {
    const double w = code39::codeWidth(code, em);
    code39::drawCode(out, code, em, left + (right - left - w) / 2, top, bottom);
}

// One pass over the screen rows, reporting each row to `row` (kind 0 header, 1 token, 2 end).
struct ScreenGeometry {
    double textLeft, codeLeft, codeRight;
};

ScreenGeometry screenGeometry(double clientWidth, const SheetFonts& fonts,
                              const TextMeasure& measure) {
    const double third = static_cast<double>(static_cast<int>(clientWidth) / 3);
    const double twoThirds = static_cast<double>(static_cast<int>(2 * clientWidth) / 3);
    const double w = measure.width(kStartCaption, fonts.label);
    return {third, twoThirds - 100, twoThirds + w + 100};
}

}  // namespace

Drawing drawCode39Screen(const MenuCodeHistory& history, const Code39ViewOptions& options,
                         double clientWidth, const TextMeasure& measure, SheetExtent* extent) {
    Drawing out;
    const SheetFonts fonts(options.labelHeight);
    const double h = options.labelHeight;
    const ScreenGeometry g = screenGeometry(clientWidth, fonts, measure);
    const double codeHeight = fonts.em;  // a code advances by its font's line height

    auto caption = [&](std::u16string_view text, const Font& font, double y) {
        const double w = measure.width(text, font);
        out.text({g.textLeft, y, g.textLeft + w, y + font.height}, text, font, Align::Center);
    };

    double y = options.topMargin;
    caption(kStartCaption, fonts.label, y);
    codeInColumn(out, kFrameCode, fonts.em, g.codeLeft, g.codeRight, y, y + h);
    y += std::max(h, codeHeight);
    for (const commands::PageItem& item : history.entries()) {
        for (const std::string& token : code39::sheetTokens(item.bytes)) {
            caption(widen(token), fonts.label, y);
            codeInColumn(out, framed(token), fonts.em, g.codeLeft, g.codeRight, y, y + h);
            y += codeHeight;
            caption(item.label, fonts.description, y);
            y += codeHeight;
        }
    }
    caption(kEndCaption, fonts.label, y);
    codeInColumn(out, kFrameCode, fonts.em, g.codeLeft, g.codeRight, y, y + h);

    out.width = std::max(clientWidth, g.codeRight);
    out.height = y + h + options.topMargin;
    if (extent)
        *extent = {g.codeRight, y + h};
    return out;
}

Drawing drawCode39Metafile(const MenuCodeHistory& history, const Code39ViewOptions& options,
                           const SheetExtent& screenExtent, const TextMeasure& measure) {
    Drawing out;
    const SheetFonts fonts(options.labelHeight);
    const double h = options.labelHeight;
    const double origin = 10;
    const double sheetWidth = screenExtent.width;
    const double codeWidth = measure.width(kStartCaption, fonts.label) + 200;
    const double codeLeft = origin + std::floor(2 * sheetWidth / 3);
    const double codeRight = codeLeft + codeWidth;
    const double spacerRight = codeRight + (sheetWidth >= 303 ? std::floor(sheetWidth / 3) : 100.0);
    const double rowHeight = std::max(h, fonts.em);

    double y = origin + h;  // a line of one space precedes the header
    auto row = [&](std::u16string_view text, const Font& font, std::string_view code) {
        out.text({origin, y, codeLeft, y + font.height}, text, font, Align::Left);
        if (!code.empty())
            codeInColumn(out, code, fonts.em, codeLeft, codeRight, y, y + h);
        y += rowHeight;
    };
    row(kStartCaption, fonts.label, kFrameCode);
    for (const commands::PageItem& item : history.entries()) {
        for (const std::string& token : code39::sheetTokens(item.bytes)) {
            row(widen(token), fonts.label, framed(token));
            row(item.label, fonts.description, {});
        }
    }
    row(kEndCaption, fonts.label, kFrameCode);
    out.width = spacerRight + origin;
    out.height = y + h + origin;  // and a line of one space follows the end row
    return out;
}

Drawing drawCode39CodeAt(const MenuCodeHistory& history, const Code39ViewOptions& options,
                         double clientWidth, double clickY, const TextMeasure& measure) {
    Drawing out;
    const SheetFonts fonts(options.labelHeight);
    const double h = options.labelHeight;
    const ScreenGeometry g = screenGeometry(clientWidth, fonts, measure);
    const double rowHeight = std::max(h, fonts.em);
    auto hit = [&](double top, double height) { return top <= clickY && clickY <= top + height; };
    auto drawOnly = [&](std::string_view code) {
        const double right = g.codeRight - h;
        out.width = right - g.codeLeft;
        out.height = h;
        codeInColumn(out, code, fonts.em, 0, out.width, 0, h);
    };

    double y = options.topMargin;
    if (hit(y, rowHeight)) {
        drawOnly(kFrameCode);
        return out;
    }
    y += rowHeight;
    for (const commands::PageItem& item : history.entries()) {
        for (const std::string& token : code39::sheetTokens(item.bytes)) {
            if (hit(y, 2 * rowHeight)) {
                drawOnly(framed(token));
                return out;
            }
            y += 2 * rowHeight;
        }
    }
    if (hit(y, rowHeight))
        drawOnly(kFrameCode);
    return out;
}

std::vector<Drawing> printCode39Pages(const MenuCodeHistory& history, double labelHeight,
                                      const PrintSetup& setup, const TextMeasure& measure) {
    const DeviceGeometry& device = setup.device;
    const int ppmX = device.ppmX(), ppmY = device.ppmY();
    const double mx = setup.marginLeft * ppmX / 300;
    const double my = setup.marginTop * ppmY / 300;
    const double right = device.horzRes - mx;
    const double bottom = device.vertRes - my;
    const double h = labelHeight * ((ppmY * 200 + 500) / 1000);
    const SheetFonts fonts(h);
    const double x0 = mx + h;
    double textRight = static_cast<double>(static_cast<int>((right - x0) / 3));
    if (textRight > right)
        textRight = x0;
    const double codeLeft = std::min(textRight + h, right);
    const double codeRight = std::min(codeLeft + 5 * h, right);

    std::vector<Drawing> pages(1);
    Drawing* out = &pages.back();
    auto startPage = [&]() {
        out->width = device.horzRes;
        out->height = device.vertRes;
    };
    startPage();
    auto breakIfPast = [&](double& y, double height) {
        if (y + height > bottom) {
            pages.emplace_back();
            out = &pages.back();
            startPage();
            y = my;
        }
    };
    // Text in a column, word-wrapped; returns its height.
    auto column = [&](double y, std::u16string_view text, const Font& font, double left,
                      double colRight, Align align, bool draw) {
        const auto lines = wrapText(text, font, colRight - left, measure);
        if (draw) {
            for (std::size_t i = 0; i < lines.size(); ++i) {
                out->text({left, y + i * font.height, colRight, y + (i + 1) * font.height},
                          lines[i], font, align);
            }
        }
        return std::max<double>(1, lines.size()) * font.height;
    };
    auto frameRow = [&](double& y, std::u16string_view caption) {
        const double th = column(y, caption, fonts.label, x0, textRight, Align::Center, true);
        codeInColumn(*out, kFrameCode, fonts.em, codeLeft, codeRight, y, y + th);
        y += std::max(th, fonts.em);
    };

    double y = my + h;
    frameRow(y, kStartCaption);
    for (const commands::PageItem& item : history.entries()) {
        for (const std::string& token : code39::sheetTokens(item.bytes)) {
            const std::u16string text = widen(token);
            const double th = column(y, text, fonts.label, x0, textRight, Align::Left, false);
            breakIfPast(y, th);
            column(y, text, fonts.label, x0, textRight, Align::Left, true);
            codeInColumn(*out, framed(token), fonts.em, codeLeft, codeRight, y, y + th);
            const double rowHeight = std::max(th, fonts.em);
            y += rowHeight;
            const double lh =
                column(y, item.label, fonts.description, x0, right, Align::Left, false);
            breakIfPast(y, lh);
            column(y, item.label, fonts.description, x0, right, Align::Left, true);
            y += std::max(lh, rowHeight);
        }
    }
    frameRow(y, kEndCaption);
    return pages;
}

}  // namespace omni::menucode
