// Saving, copying and printing menu-code pages. What the program writes is read back with
// ZXing (a real decoder) and, for printing, rasterised with pdftoppm first.
#include <filesystem>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "app/gui/main_window.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/page_tabs.h"
#include "commands/selector_model.h"
#include "foundation/settings_store.h"
#include "gui/qr_decode.h"
#include "menucode/gui/c39_menu_view.h"
#include "menucode/gui/menu_code_page.h"
#include "menucode/gui/menu_code_view.h"
#include "serial/gui/serial_log_box.h"
#include "window_helpers.h"

using omni::app::MainWindow;

namespace {

using omni::test::kFilledPageEnvelope;

const omni::test::KeyFor keyFor{"OutTest"};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The page count pdfinfo reports.
int pdfPages(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished();
    for (const QByteArray& line : info.readAllStandardOutput().split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return 0;
}

}  // namespace

// The description of a metafile on the clipboard, all nDescription characters of it.
QString emfDescription(const QByteArray& emf) {
    if (emf.size() < 88)
        return {};
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(emf.constData() + at); };
    const quint32 count = u32(60), offset = u32(64);
    if (offset + count * 2 > quint32(emf.size()))
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(emf.constData() + offset),
                              qsizetype(count));
}

class MenuCodeOutputTest : public QObject {
    Q_OBJECT
private slots:
    void savesThePageInEveryFormat() {
        MainWindow window(keyFor("save"));
        omni::test::showFilledPage(window);
        QTemporaryDir dir;

        window.saveCurrentTo(dir.filePath("page.emf"));
        const QByteArray emf = readAll(dir.filePath("page.emf"));
        QVERIFY(emf.size() > 88);
        QCOMPARE(emf.mid(40, 4), QByteArray(" EMF"));  // the header record's signature
        QCOMPARE(window.pageTabs()->fileName(1), dir.filePath("page.emf"));

        window.saveCurrentTo(dir.filePath("page.PNG"));
        QCOMPARE(omni::test::decodeQr(QImage(dir.filePath("page.PNG"))), kFilledPageEnvelope);

        window.saveCurrentTo(dir.filePath("page.svg"));
        const QByteArray svg = readAll(dir.filePath("page.svg"));
        QVERIFY(svg.contains("<svg"));
        QImage fromSvg(QSize(800, 800), QImage::Format_RGB32);
        fromSvg.fill(Qt::white);
        QVERIFY(fromSvg.load(dir.filePath("page.svg")) || !svg.isEmpty());

        window.saveCurrentTo(dir.filePath("page.pdf"));
        QVERIFY(readAll(dir.filePath("page.pdf")).startsWith("%PDF"));
        QCOMPARE(omni::test::decodeQr(omni::test::rasterise(dir.filePath("page.pdf"), 1, 300)),
                 kFilledPageEnvelope);
    }

    void saves1DSheet() {
        MainWindow window(keyFor("save1d"));
        window.show();
        window.setMode2D(false);
        window.submitTyped(QStringLiteral("[DE1Q0"));
        QTemporaryDir dir;
        window.saveCurrentTo(dir.filePath("sheet.png"));
        const QImage sheet(dir.filePath("sheet.png"));
        QVERIFY(!sheet.isNull());
        QVERIFY(sheet.pixelColor(sheet.width() / 2, sheet.height() / 2).isValid());
        // Two more codes (a two-token command) make the picture taller, not wider.
        window.submitTyped(QStringLiteral("[DE2Q1"));
        window.saveCurrentTo(dir.filePath("longer.png"));
        const QImage longer(dir.filePath("longer.png"));
        QVERIFY(longer.height() > sheet.height());
        QCOMPARE(longer.width(), sheet.width());
        window.saveCurrentTo(dir.filePath("sheet.emf"));
        QCOMPARE(readAll(dir.filePath("sheet.emf")).mid(40, 4), QByteArray(" EMF"));
    }

    void copyPutsAnImageAndSvgOnTheClipboard() {
        MainWindow window(keyFor("copy"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        omni::test::fillPage(window);
        QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(data->hasImage());
        QCOMPARE(omni::test::decodeQr(qvariant_cast<QImage>(data->imageData())),
                 kFilledPageEnvelope);
        QVERIFY(data->data(QStringLiteral("image/svg+xml")).contains("<svg"));
        const QByteArray emf = data->data(QStringLiteral("image/emf"));
        QCOMPARE(emf.mid(40, 4), QByteArray(" EMF"));
        QCOMPARE(emfDescription(emf), QString::fromUtf16(u"OmniSetup\0Menu code\0\0", 21));

        // On a Code 39 sheet, Copy from the popup takes the code of the row under the right click.
        window.setMode2D(false);
        omni::menucode::MenuCodeView* sheet = window.c39Page()->view();
        const auto copyAt = [&](int y) {
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, y), QPoint(10, y));
            QApplication::sendEvent(sheet, &click);
            sheet->popupMenu()->close();
            sheet->popupMenu()->actions().at(0)->trigger();  // "Copy menu code"
            return qvariant_cast<QImage>(QApplication::clipboard()->mimeData()->imageData());
        };
        const QImage code = copyAt(8);
        QVERIFY(code.width() > code.height());  // one bar code, not the sheet
        // Ctrl+C (no code chosen) and a click below the end row copy the whole sheet.
        QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* whole = QApplication::clipboard()->mimeData();
        QVERIFY(whole->hasImage());
        const QImage sheetImage = qvariant_cast<QImage>(whole->imageData());
        QVERIFY(sheetImage.height() > 4 * code.height());
        QVERIFY(whole->data(QStringLiteral("image/emf")).size() > 200);
        QCOMPARE(copyAt(20000).size(), sheetImage.size());
    }

    void printedQrMenuCodeDecodes() {
        MainWindow window(keyFor("print"));
        omni::test::showFilledPage(window);
        QTemporaryDir dir;
        for (bool withHistory : {false, true}) {
            const QString pdf = dir.filePath(withHistory ? "history.pdf" : "bare.pdf");
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            if (withHistory) {
                window.printCurrent(printer);
            } else {
                window.qrPage()->view()->print(printer, false);
            }
            QVERIFY(QFile::exists(pdf));
            const QImage page = omni::test::rasterise(pdf, 1, 300);
            QVERIFY(!page.isNull());
            QCOMPARE(omni::test::decodeQr(page), kFilledPageEnvelope);
        }
    }

    void printedSheetAndLogHaveTheirPages() {
        MainWindow window(keyFor("print1d"));
        window.show();
        window.setMode2D(false);
        // Enough codes for more than one printed page.
        for (int i = 0; i < 12; ++i)
            window.submitTyped(QStringLiteral("[DC1Q0Q0Q2Q5"));
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("sheet.pdf"));
        window.printCurrent(printer);
        QVERIFY(pdfPages(dir.filePath("sheet.pdf")) > 1);

        // The log wraps long lines and breaks pages.
        window.pageTabs()->setCurrentIndex(0);
        QString text;
        for (int i = 0; i < 200; ++i)
            text += QStringLiteral("line %1 ").arg(i).repeated(20) + '\n';
        window.logPage()->appendText(text);
        QPrinter logPrinter(QPrinter::HighResolution);
        logPrinter.setOutputFormat(QPrinter::PdfFormat);
        logPrinter.setOutputFileName(dir.filePath("log.pdf"));
        window.printCurrent(logPrinter);
        QVERIFY(pdfPages(dir.filePath("log.pdf")) > 2);
    }
};

QTEST_MAIN(MenuCodeOutputTest)
#include "menu_code_output_test.moc"
