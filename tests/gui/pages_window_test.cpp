// Page files, the print-readability check and provisioning in the desktop program: a page saved
// as a page file and opened again gives the same menu code (read back with ZXing), a printout
// below the readable module size is caught and fixed, and the apply dialog against simulated
// readers.
#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/gui/apply_page_dialog.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/page_tabs.h"
#include "commands/selector_model.h"
#include "dialogs/modal.h"
#include "foundation/settings_store.h"
#include "gui/qr_decode.h"
#include "menucode/gui/menu_code_page.h"
#include "menucode/gui/qr_menu_view.h"
#include "reader/module_host.h"
#include "sim/simulated_reader.h"
#include "ui/gui/report.h"
#include "window_helpers.h"

using omni::app::MainWindow;

namespace {

using omni::test::kFilledPageEnvelope;

const omni::test::KeyFor keyFor{"PagesTest"};

// A PDF printer at 300 dpi, where a module size of 2 gives 3 printer dots per module.
void setUpPrinter(QPrinter& printer, const QString& pdf) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(300);
}

omni::menucode::QrMenuView* qrView(MainWindow& window) {
    return qobject_cast<omni::menucode::QrMenuView*>(window.qrPage()->view());
}

}  // namespace

class PagesWindowTest : public QObject {
    Q_OBJECT
private slots:
    void pageFileReopensToTheSameMenuCode() {
        MainWindow window(keyFor("roundtrip"));
        omni::test::showFilledPage(window);
        QTemporaryDir dir;
        window.saveCurrentTo(dir.filePath("before.png"));
        window.saveCurrentTo(dir.filePath("page.omnipage"));
        const std::vector<omni::commands::PageItem> before =
            window.pageTabs()->currentHistory()->entries();

        window.newDocument();
        QCOMPARE(window.pageTabs()->count(), 1);
        window.openFile(dir.filePath("page.omnipage"));
        QCOMPARE(window.pageTabs()->currentKind(), omni::commands::PageKind::MenuCode);
        QCOMPARE(window.pageTabs()->fileName(window.pageTabs()->currentIndex()),
                 dir.filePath("page.omnipage"));
        const std::vector<omni::commands::PageItem> after =
            window.pageTabs()->currentHistory()->entries();
        QCOMPARE(after.size(), before.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            QCOMPARE(after[i].bytes, before[i].bytes);
            QVERIFY(after[i].label == before[i].label);
        }
        window.saveCurrentTo(dir.filePath("after.png"));
        QCOMPARE(omni::test::decodeQr(QImage(dir.filePath("before.png"))), kFilledPageEnvelope);
        QCOMPARE(omni::test::decodeQr(QImage(dir.filePath("after.png"))), kFilledPageEnvelope);

        // A 1D page file switches the window to the 1D mode.
        std::ofstream(dir.filePath("sheet.omnipage").toStdString()) << "OMNIPAGE 1 1D\nB2\tOne\n";
        window.openFile(dir.filePath("sheet.omnipage"));
        QVERIFY(!window.mode2D());
        QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t{1});
    }

    void damagedPageFileKeepsTheGoodLines() {
        MainWindow window(keyFor("damaged"));
        QTemporaryDir dir;
        const QString path = dir.filePath("hand-edited.omnipage");
        std::ofstream(path.toStdString())
            << "OMNIPAGE 1 2D\n[BCA\tEnable\nno tab on this line\n[DC1Q0Q0\tMinimum\n\\q\tbad\n";
        std::vector<omni::ui::ShownMessage> shown;
        const auto previous =
            omni::ui::setMessageSink([&](const omni::ui::ShownMessage& m) { shown.push_back(m); });
        window.openFile(path);
        omni::ui::setMessageSink(previous);

        QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t{2});
        QCOMPARE(shown.size(), std::size_t{1});
        QVERIFY(shown[0].text.contains(QStringLiteral("Line 3:")));
        QVERIFY(shown[0].text.contains(QStringLiteral("Line 5:")));

        // A file of another format version is refused as a whole and opens nothing.
        std::ofstream(path.toStdString()) << "OMNIPAGE 9 2D\n[BCA\tEnable\n";
        const int tabs = window.pageTabs()->count();
        QVERIFY_THROWS_EXCEPTION(omni::foundation::UserException, window.openFile(path));
        QCOMPARE(window.pageTabs()->count(), tabs);
    }

    void printBelowTheLimitWarnsAndFixesTheModuleSize() {
        MainWindow window(keyFor("print"));
        omni::test::showFilledPage(window);
        omni::menucode::QrMenuView* view = qrView(window);
        QVERIFY(view);
        view->zoom(omni::menucode::QrMenuView::kMinModule - view->moduleSize());
        QCOMPARE(view->moduleSize(), 2);

        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        setUpPrinter(printer, dir.filePath("fixed.pdf"));
        QString warning;
        omni::test::onNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            warning = box->text();
            auto* fix = box->findChild<QPushButton*>(QStringLiteral("fix"));
            QVERIFY(fix);
            QVERIFY(fix->text().contains(QLatin1Char('3')));
            fix->click();
        });
        QVERIFY(window.confirmReadable(&printer));
        QVERIFY2(warning.contains(QStringLiteral("3.0 printer dots")), qPrintable(warning));
        QVERIFY(warning.contains(QStringLiteral("module size to 3")));
        QCOMPARE(view->moduleSize(), 3);

        // At the limit (4 dots a module at 300 dpi) nothing is asked (a question would stay open
        // until the test's time-out) and the printout decodes.
        QVERIFY(window.confirmReadable(&printer));
        window.printCurrent(printer);
        QCOMPARE(omni::test::decodeQr(omni::test::rasterise(dir.filePath("fixed.pdf"), 1, 300)),
                 kFilledPageEnvelope);

        // Going on without the fix, or stopping, leaves the module size alone.
        view->zoom(-1);
        omni::test::onNextModal([](QWidget* modal) {
            modal->findChild<QPushButton*>(QStringLiteral("anyway"))->click();
        });
        QVERIFY(window.confirmReadable(&printer));
        omni::test::onNextModal(
            [](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->reject(); });
        QVERIFY(!window.confirmReadable(&printer));
        QCOMPARE(view->moduleSize(), 2);
        QApplication::processEvents();  // the last watcher has nothing left to find
    }

    void applyDialogReportsEachReader() {
        omni::reader::installModuleLock();
        omni::sim::SimulatedReader answering, silent;
        for (omni::sim::SimulatedReader* reader : {&answering, &silent}) {
            reader->setVersionReply(omni::sim::replies::family("BA12J13i"));
            reader->start();
        }
        silent.setSilent(true);
        std::vector<omni::app::ApplyTarget> targets{
            {QStringLiteral("A"), {omni::serial::PortKind::Serial, answering.devicePath()}, true},
            {QStringLiteral("B"), {omni::serial::PortKind::Serial, silent.devicePath()}, true},
            {QStringLiteral("C"), {omni::serial::PortKind::Serial, "/dev/null-reader"}, false}};
        omni::app::ApplyPageDialog dialog({"[BCA", "[DC1Q0Q0"}, QStringLiteral("test page"),
                                          std::move(targets), keyFor("apply"));
        QSignalSpy finished(&dialog, &omni::app::ApplyPageDialog::finished);
        dialog.start();
        QVERIFY(dialog.running());
        QVERIFY(finished.wait(30000));

        QVERIFY(dialog.results()[0].ok());
        QCOMPARE(dialog.results()[0].acknowledged, std::size_t{2});
        QVERIFY(!dialog.results()[1].ok());
        QCOMPARE(dialog.results()[1].failureKind, omni::reader::FailureKind::NoAnswer);
        QTreeWidget* list = dialog.list();
        QVERIFY(list->topLevelItem(0)->text(1).contains(QStringLiteral("BA12J13i")));
        QVERIFY(list->topLevelItem(0)->text(3).startsWith(
            QStringLiteral("Done: 2 sent, 2 acknowledged")));
        QVERIFY(list->topLevelItem(1)->text(3).startsWith(QStringLiteral("Failed: ")));
        QCOMPARE(list->topLevelItem(2)->text(3), QStringLiteral("Waiting"));  // not ticked
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("summary"))->text(),
                 QStringLiteral("1 of 2 readers configured."));
        const std::vector<std::string> seen = answering.transcript();
        QCOMPARE(seen.back(), std::string("WD"));
    }
};

QTEST_MAIN(PagesWindowTest)
#include "pages_window_test.moc"
