// Rendering of menu-code pages: every QR symbol written as PNG, SVG, PDF or metafile is read
// back from the file and decoded by ZXing.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include "menucode/emf_writer.h"
#include "menucode/gui_environment.h"
#include "menucode/menu_page.h"
#include "menucode/page_render.h"
#include "raster.h"

namespace omni::menucode {
namespace {

[[maybe_unused]] auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::GuiEnvironment);

test::GreyImage grey(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_Grayscale8);
    test::GreyImage out;
    out.width = image.width();
    out.height = image.height();
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(&out.pixels[static_cast<std::size_t>(y) * out.width], image.constScanLine(y),
                    static_cast<std::size_t>(out.width));
    }
    return out;
}

std::optional<std::string> decodeQImage(const QImage& image) {
    return test::decode(grey(image), ZXing::BarcodeFormat::QRCode);
}

// Plays the rectangles of an enhanced metafile (stock brushes, anisotropic mapping) into a grey
// image of `scale` pixels per reference pixel, after checking the record structure.
std::optional<test::GreyImage> playEmf(const std::vector<std::uint8_t>& emf, double scale) {
    auto u32 = [&](std::size_t at) {
        std::uint32_t v;
        std::memcpy(&v, &emf[at], 4);
        return v;
    };
    auto i32 = [&](std::size_t at) { return static_cast<std::int32_t>(u32(at)); };
    // The offsets and counts inside a record point within it: the header's description (after
    // its 108 bytes of fields), a text record's string and advances, and EOF's size repeated last.
    auto fieldsInside = [&](std::uint32_t type, std::size_t at, std::uint32_t size) {
        auto within = [&](std::uint64_t offset, std::uint64_t bytes, std::uint64_t from) {
            return offset >= from && offset + bytes <= size;
        };
        switch (type) {
            case 1:  // EMR_HEADER
                return size >= 108 && within(u32(at + 64), 2ull * u32(at + 60), 108);
            case 84: {  // EMR_EXTTEXTOUTW
                const std::uint64_t n = u32(at + 44);
                return size >= 76 && within(u32(at + 48), 2 * n, 76) &&
                       within(u32(at + 72), 4 * n, u32(at + 48) + 2 * n);
            }
            case 14:  // EMR_EOF
                return size >= 20 && u32(at + size - 4) == size && u32(at + 8) == 0 &&
                       within(u32(at + 12), 0, 16);
            default:
                return true;
        }
    };
    if (emf.size() < 108 || u32(0) != 1 || u32(40) != 0x464D4520 || u32(48) != emf.size()) {
        return std::nullopt;
    }
    test::GreyImage image;
    image.width = static_cast<int>((i32(16) + 1) * scale);
    image.height = static_cast<int>((i32(20) + 1) * scale);
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 255);
    double sx = 1, sy = 1;
    std::int32_t windowX = 1, windowY = 1, viewX = 1, viewY = 1;
    bool dark = false, ended = false;
    std::uint32_t records = 0;
    for (std::size_t at = 0; at < emf.size();) {
        const std::uint32_t type = u32(at), size = u32(at + 4);
        if (size < 8 || size % 4 || at + size > emf.size() || ended)
            return std::nullopt;
        ++records;
        if (!fieldsInside(type, at, size))
            return std::nullopt;
        if (type == 9)
            windowX = i32(at + 8), windowY = i32(at + 12);
        if (type == 11)
            viewX = i32(at + 8), viewY = i32(at + 12);
        sx = static_cast<double>(viewX) / windowX * scale;
        sy = static_cast<double>(viewY) / windowY * scale;
        if (type == 37 && (u32(at + 8) & 0x80000000u)) {
            const std::uint32_t stock = u32(at + 8) & 0x7FFFFFFF;
            if (stock == 0 || stock == 4)
                dark = stock == 4;
        }
        if (type == 43) {
            // Null pen: the right and bottom edges are left out.
            const int x0 = static_cast<int>(std::lround(i32(at + 8) * sx));
            const int y0 = static_cast<int>(std::lround(i32(at + 12) * sy));
            const int x1 = static_cast<int>(std::lround((i32(at + 16) - 1) * sx));
            const int y1 = static_cast<int>(std::lround((i32(at + 20) - 1) * sy));
            for (int y = std::max(0, y0); y < std::min(y1, image.height); ++y) {
                for (int x = std::max(0, x0); x < std::min(x1, image.width); ++x) {
                    image.pixels[static_cast<std::size_t>(y) * image.width + x] = dark ? 0 : 255;
                }
            }
        }
        ended = type == 14;
        at += size;
    }
    if (!ended || records != u32(52))
        return std::nullopt;
    return image;
}

std::unique_ptr<menucode::MenuCodeHistory> samplePage(int entries) {
    auto page = std::make_unique<menucode::MenuCodeHistory>();
    page->setModulePixels(1);
    for (int i = 0; i < entries; ++i) {
        const std::string command = i % 2 ? "[DC1Q0Q0Q2Q5" : "B2";
        EXPECT_EQ(
            page->addEntry(commands::makePageItem(command, u"Setting readable codes > Code39", 1)),
            menucode::HistoryStatus::Ok);
    }
    return page;
}

TEST(PageRender, EveryFormatCarriesTheSymbol) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const menucode::QtTextMeasure measure;
    for (int entries : {0, 2, 100}) {
        SCOPED_TRACE(entries);
        const auto page = samplePage(entries);
        const std::string expected = page->envelope();
        menucode::QrViewOptions options;
        options.moduleSize = 4;
        options.showCommandString = true;
        const menucode::Drawing screen = menucode::drawQrScreen(*page, options, 0, measure);
        // The layout itself, rasterized without Qt.
        EXPECT_EQ(test::decode(test::rasterize(screen, 1), ZXing::BarcodeFormat::QRCode), expected);

        const std::string base = dir.filePath(QString::number(entries)).toStdString();
        menucode::writePng(screen, base + ".png", 300);  // one pixel per unit
        EXPECT_EQ(decodeQImage(QImage(QString::fromStdString(base + ".png"))), expected);

        menucode::writeSvg(screen, base + ".svg", 96);
        QSvgRenderer svg(QString::fromStdString(base + ".svg"));
        ASSERT_TRUE(svg.isValid());
        QImage svgImage(svg.defaultSize() * 2, QImage::Format_RGB32);
        svgImage.fill(Qt::white);
        QPainter painter(&svgImage);
        svg.render(&painter);
        painter.end();
        EXPECT_EQ(decodeQImage(svgImage), expected);

        const menucode::DeviceGeometry printer = menucode::DeviceGeometry::a4Printer600();
        options.moduleSize = 3;
        const menucode::Drawing metafile =
            menucode::drawQrMetafile(*page, options, printer, measure);
        // 3 pixels per module on screen become (3 × 23 × 125 + 500) ÷ 1000 = 9 at 600 dpi.
        EXPECT_EQ(std::get<menucode::FillRect>(metafile.items.front()).box.width(),
                  page->sideModules() * 9);
        menucode::writeEmf(metafile, printer, measure, base + ".emf");
        std::ifstream file(base + ".emf", std::ios::binary);
        const std::vector<std::uint8_t> emf((std::istreambuf_iterator<char>(file)), {});
        const auto played = playEmf(emf, 0.5);
        ASSERT_TRUE(played.has_value());
        EXPECT_EQ(test::decode(*played, ZXing::BarcodeFormat::QRCode), expected);

        // The printed page, through poppler when it is installed. (A long command string would
        // widen the picture and move the symbol out of the cropped corner.)
        options.showCommandString = false;
        const auto pages =
            menucode::printQrPages(*page, options, true, menucode::PrintSetup{}, measure);
        menucode::writePdf(pages, base + ".pdf", printer.dotsPerInch());
        const std::string command =
            "pdftoppm -r 300 -f 1 -l 1 -x 0 -y 0 -W 1400 -H 1400 -png -singlefile " + base +
            ".pdf " + base + "-pdf";
        if (std::system(("command -v pdftoppm >/dev/null && " + command).c_str()) == 0) {
            EXPECT_EQ(decodeQImage(QImage(QString::fromStdString(base + "-pdf.png"))), expected);
        }
    }
}

TEST(PageRender, QrPrintListBreaksPagesAndKeepsEveryLabel) {
    const menucode::QtTextMeasure measure;
    menucode::MenuCodeHistory page;
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(
            page.addEntry(commands::makePageItem("Z2", u"Setting readable codes > Code39", 1)),
            menucode::HistoryStatus::Ok);
    }
    const auto pages = menucode::printQrPages(page, {}, true, menucode::PrintSetup{}, measure);
    ASSERT_GE(pages.size(), 2u);
    std::size_t labels = 0, dots = 0;
    for (const auto& p : pages) {
        for (const auto& item : p.items) {
            if (const auto* t = std::get_if<menucode::TextRun>(&item)) {
                labels += t->text == u"Setting readable codes > Code39";
                EXPECT_LE(t->box.bottom, p.height);
            }
            dots += std::holds_alternative<menucode::Dot>(item);
        }
    }
    EXPECT_EQ(labels, 200u);
    EXPECT_EQ(dots, 200u);
    EXPECT_EQ(menucode::printQrPages(page, {}, false, menucode::PrintSetup{}, measure).size(), 1u);
}

std::size_t barCount(const menucode::Drawing& drawing) {
    std::size_t n = 0;
    for (const auto& item : drawing.items) {
        const auto* r = std::get_if<menucode::FillRect>(&item);
        n += r && r->dark;
    }
    return n;
}

TEST(PageRender, Code39SheetRows) {
    const menucode::QtTextMeasure measure;
    menucode::MenuCodeHistory page;
    menucode::SheetExtent extent;
    auto empty = menucode::drawCode39Screen(page, {}, 640, measure, &extent);
    EXPECT_EQ(test::texts(empty), (std::vector<std::u16string>{u"SET(ZZ)", u"END(ZZ)"}));
    EXPECT_EQ(barCount(empty), 2u * 4 * 5);  // "_ZZ_" twice
    EXPECT_GT(extent.width, 640.0 * 2 / 3);

    ASSERT_EQ(page.addEntry(commands::makePageItem("[DE1Q0", u"Label", 2)),
              menucode::HistoryStatus::Ok);
    auto sheet = menucode::drawCode39Screen(page, {}, 640, measure, &extent);
    EXPECT_EQ(test::texts(sheet), (std::vector<std::u16string>{u"SET(ZZ)", u"DE1", u"Label", u"Q0",
                                                               u"Label", u"END(ZZ)"}));
    EXPECT_EQ(barCount(sheet), (4 + 5 + 4 + 4) * 5u);
    // Header 2H, each token 4H, then the end row's text line.
    EXPECT_EQ(extent.height, 3 + 2 * 24 + 2 * 4 * 24 + 24);

    // Copying a single code: the row under the click, nothing below the end row.
    EXPECT_EQ(barCount(menucode::drawCode39CodeAt(page, {}, 640, 3 + 48 + 10, measure)), 5u * 5);
    EXPECT_EQ(barCount(menucode::drawCode39CodeAt(page, {}, 640, 5, measure)), 4u * 5);
    EXPECT_TRUE(
        menucode::drawCode39CodeAt(page, {}, 640, extent.height + 100, measure).items.empty());

    const auto metafile = menucode::drawCode39Metafile(page, {}, extent, measure);
    EXPECT_EQ(barCount(metafile), barCount(sheet));
    EXPECT_EQ(test::texts(metafile), test::texts(sheet));
    const auto emf = menucode::toEmf(metafile, menucode::DeviceGeometry::a4Printer600(), measure);
    EXPECT_TRUE(playEmf(emf, 1).has_value());

    const auto printed = menucode::printCode39Pages(page, 36, menucode::PrintSetup{}, measure);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(test::texts(printed[0]), test::texts(sheet));
}

}  // namespace
}  // namespace omni::menucode
