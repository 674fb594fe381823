// The main window on the offscreen platform: picking and typing commands onto menu-code pages,
// the two modes, history editing, the shell's records, files and messages.
#include <filesystem>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>

#include "app/gui/layout_records.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_list.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/command_tree.h"
#include "commands/gui/page_tabs.h"
#include "commands/menu_command.h"
#include "commands/selector_model.h"
#include "dialogs/modal.h"
#include "foundation/exception.h"
#include "foundation/settings_store.h"
#include "gui/qr_decode.h"
#include "menucode/gui/c39_menu_view.h"
#include "menucode/gui/menu_code_page.h"
#include "menucode/gui/qr_menu_view.h"
#include "menucode/menu_code_history.h"
#include "resources/string_ids.h"
#include "resources/strings.h"
#include "serial/gui/serial_log_box.h"
#include "ui/gui/pane_splitter.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"
#include "window_helpers.h"

using omni::app::MainWindow;
using omni::commands::PageKind;
using omni::menucode::MenuCodeHistory;

namespace {

const omni::test::KeyFor keyFor{"GuiTest"};

// Answers the next question about an unsaved page with "Don't Save".
void discardNextPage() {
    omni::test::onNextModal([](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->button(QMessageBox::Discard)->click();
    });
}

using omni::test::pick;

QStringList rows(const omni::menucode::MenuCodePage* page, int column) {
    QStringList texts;
    for (int i = 0; i < page->list()->topLevelItemCount(); ++i) {
        texts << page->list()->topLevelItem(i)->text(column);
    }
    return texts;
}

QImage screenPicture(const omni::menucode::MenuCodePage* page) {
    const omni::menucode::Drawing drawing = page->view()->screenDrawing(0);
    QImage image(static_cast<int>(drawing.width * 2) + 1, static_cast<int>(drawing.height * 2) + 1,
                 QImage::Format_RGB32);
    omni::menucode::paintTo(image, drawing, 2.0);
    return image;
}

using omni::test::Messages;

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void shellHasTitleMenusAndBands() {
        MainWindow window(keyFor("shell"));
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("OmniSetup"));
        QCOMPARE(window.pageTabs()->count(), 1);
        QCOMPARE(window.pageTabs()->tabText(0), QStringLiteral("Communication Log"));
        QCOMPARE(window.pageTabs()->tabButton(0, QTabBar::RightSide), nullptr);
        QCOMPARE(window.actions().newDocument->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(window.actions().makeMenuCode->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));
        QCOMPARE(window.actions().backToCommandBox->shortcut(), QKeySequence(Qt::Key_Escape));
        QStringList bands;
        for (QToolBar* bar : window.findChildren<QToolBar*>())
            bands << bar->windowTitle();
        QVERIFY(bands.contains(QStringLiteral("Character code")));
        QVERIFY(bands.contains(QStringLiteral("Port")));
        QVERIFY(bands.contains(QStringLiteral("Command")));
        // The menus hold exactly the commands that work; menus without any are not shown.
        const auto items = [&](const char* menu) {
            QStringList names;
            for (QAction* a : window.findChild<QMenu*>(QLatin1String(menu))->actions()) {
                if (!a->isSeparator())
                    names << a->objectName();
            }
            return names;
        };
        QCOMPARE(items("fileMenu"), QStringList({"new", "open", "save", "saveAs", "setupPrinter",
                                                 "setupPage", "print", "exit"}));
        QCOMPARE(items("editMenu"), QStringList({"cut", "copy", "paste", "delete", "selectAll",
                                                 "send", "backToCommandBox"}));
        QCOMPARE(
            items("scannerMenu"),
            QStringList({"makeMenuCode", "switchMode", "dataEditMenuItem", "autoTuning", "waveform",
                         "autoShoot", "triggerShootDown", "triggerShootUp", "triggerShootTwice",
                         "shootInBackground", "imageOutputProperty", "sendImage"}));
        QCOMPARE(items("formatMenu"), QStringList({"wordWrap", "font"}));
        QCOMPARE(items("communicationMenu"),
                 QStringList({"connect", "property", "download", "forcedDownload", "applyPage",
                              "keyboardReader"}));
    }

    void pickingIn2DModeAddsOneItemToANewPage() {
        MainWindow window(keyFor("pick2d"));
        window.show();
        pick(window, "Setting readable codes > 1D Code > Code39 > Enable");
        QCOMPARE(window.pageTabs()->count(), 2);
        QCOMPARE(window.pageTabs()->currentIndex(), 1);
        QCOMPARE(window.pageTabs()->currentKind(), PageKind::MenuCode);
        QVERIFY(window.pageTabs()->tabText(1).startsWith(QStringLiteral("NewMenuCode ")));
        const MenuCodeHistory* history = window.pageTabs()->currentHistory();
        QCOMPARE(history->size(), std::size_t{1});
        QCOMPARE(history->entry(0).bytes, std::string("B2"));
        QCOMPARE(history->entry(0).count, 1u);
        QCOMPARE(omni::ui::toQString(history->entry(0).label),
                 QStringLiteral("Setting readable codes > 1D Code > Code39 > Enable"));
        QCOMPARE(window.selector()->pathText(),
                 QStringLiteral("Setting readable codes > 1D Code > Code39 > "));
        QCOMPARE(window.findChild<QStackedWidget*>()->currentWidget(), window.qrPage());
        QCOMPARE(omni::test::decodeQr(screenPicture(window.qrPage())),
                 std::string("@MENU_KEST@ZZ@B2@ZZ@TSEK_UNEM@"));
        // A second pick, with Enter in the list, goes to the same page.
        const omni::commands::EntryPath disable = omni::commands::findEntryByPath(
            "Setting readable codes > 1D Code > Code39 > Disable", true);
        QVERIFY(window.selector()->select(disable.group, disable.entry));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.selector()->list()->setFocus();
        QTest::keyClick(window.selector()->list(), Qt::Key_Return);
        QCOMPARE(window.pageTabs()->count(), 2);
        QCOMPARE(rows(window.qrPage(), 1), QStringList({"B2", "VB"}));
    }

    void pickingIn1DModeSplitsTheCommand() {
        MainWindow window(keyFor("pick1d"));
        window.show();
        window.setMode2D(false);
        pick(window, "Switching the interface(Caution!!) > Switching to RS-232C(Caution!!)");
        const MenuCodeHistory* history = window.pageTabs()->currentHistory();
        QCOMPARE(history->size(), std::size_t{3});
        QCOMPARE(history->entry(0).bytes, std::string("[X.Z"));
        QCOMPARE(history->entry(1).bytes, std::string("U2"));
        QCOMPARE(history->entry(2).bytes, std::string("[X.Z"));
        const QString label = omni::ui::toQString(history->entry(0).label);
        QCOMPARE(
            label,
            QStringLiteral("Switching the interface(Caution!!) > Switching to RS-232C(Caution!!)"));
        QVERIFY(omni::ui::toQString(history->entry(1).label).startsWith(label + " > "));
        QCOMPARE(history->entry(1).count, 1u);
        QCOMPARE(window.findChild<QStackedWidget*>()->currentWidget(), window.c39Page());
        QCOMPARE(rows(window.c39Page(), 1), QStringList({"[X.Z", "U2", "[X.Z"}));
    }

    void loneZ2IsRefusedOnAPage() {
        MainWindow window(keyFor("z2"));
        Messages messages;
        window.submitItem(omni::commands::makePageItem("Z2", u"Save", 1));
        QCOMPARE(window.pageTabs()->currentKind(), PageKind::MenuCode);
        QVERIFY(window.pageTabs()->currentHistory()->empty());
        QCOMPARE(messages.shown.size(), std::size_t{1});
        QCOMPARE(messages.shown[0].icon, QMessageBox::Information);
        QCOMPARE(messages.shown[0].caption, QStringLiteral("OmniSetup"));
        QCOMPARE(messages.shown[0].text, omni::ui::uiText(omni::res::ids::NoZ2OnMenuCode));
        // Z2 among other tokens, and a typed Z2, are added.
        window.submitItem(omni::commands::makePageItem("Z2B2", u"Two", 2));
        window.submitTyped(QStringLiteral("Z2"));
        QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t{2});
        QCOMPARE(messages.shown.size(), std::size_t{1});
    }

    void dialogEntriesComposeTheirCommand() {
        MainWindow window(keyFor("dialog"));
        window.show();
        const char* path = "Number of characters > 1D Code > Code39 > Fixed length";
        const omni::commands::EntryPath found = omni::commands::findEntryByPath(path, true);
        QVERIFY(window.selector()->select(found.group, found.entry));
        QCOMPARE(window.selector()->list()->selectedItems().front()->text(1),
                 QStringLiteral("[DC1..."));
        // Cancelling the number input adds nothing; OK adds the composed command.
        bool seen = false;
        const auto answer = [&](bool accept) {
            QTimer::singleShot(0, [&, accept] {
                QDialog* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                seen = dialog != nullptr;
                if (dialog && accept)
                    dialog->accept();
                if (dialog && !accept)
                    dialog->reject();
            });
        };
        answer(false);
        window.selector()->pickSelected();
        QVERIFY(seen);
        QCOMPARE(window.pageTabs()->count(), 1);
        answer(true);
        window.selector()->pickSelected();
        QVERIFY(seen);
        const MenuCodeHistory* history = window.pageTabs()->currentHistory();
        QVERIFY(history);
        QCOMPARE(history->size(), std::size_t{1});
        const std::string expected =
            "[DC1" + omni::commands::digitTokens(static_cast<unsigned>(found.entry->defaultValue),
                                                 found.entry->digits, true);
        QCOMPARE(history->entry(0).bytes, expected);
        QCOMPARE(omni::ui::toQString(history->entry(0).label), QString::fromLatin1(path));

        // A string a dialog applies is added like the entry's own result.
        window.selector()->addResolved("[DC1Q0Q0Q0Q9");
        QCOMPARE(history->size(), std::size_t{2});
        QCOMPARE(history->entry(1).label, history->entry(0).label);
    }

    void typedCommandsGoToThePageAndTheHistory() {
        MainWindow window(keyFor("typed"));
        window.show();
        omni::commands::CommandBox* box = window.commandBox();
        box->setText(QStringLiteral("[BCA"));
        box->submit();
        box->setText(QStringLiteral("[bca"));
        box->submit();
        const MenuCodeHistory* history = window.pageTabs()->currentHistory();
        QCOMPARE(history->size(), std::size_t{2});
        QCOMPARE(omni::ui::toQString(history->entry(0).label),
                 QStringLiteral("Input command by user"));
        QCOMPARE(box->comboBox()->count(), 1);  // one history entry for both letter cases
        QCOMPARE(box->comboBox()->itemText(0), QStringLiteral("[bca"));
        QVERIFY(box->comboBox()->lineEdit()->hasSelectedText());

        // Esc returns to the box with its text selected; the wheel never changes the selection.
        box->setText(QStringLiteral("B2"));
        box->submit();
        window.qrPage()->list()->setFocus();
        box->comboBox()->lineEdit()->deselect();
        window.actions().backToCommandBox->trigger();
        QCOMPARE(box->comboBox()->lineEdit()->selectedText(), QStringLiteral("B2"));
        const int before = box->comboBox()->currentIndex();
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box->comboBox(), &wheel);
        QCOMPARE(box->comboBox()->currentIndex(), before);
    }

    void switchingModesKeepsThePage() {
        MainWindow window(keyFor("switch"));
        window.show();
        pick(window, "Setting readable codes > 1D Code > Code39 > Enable");
        const int tabs = window.pageTabs()->count();
        MenuCodeHistory* history = window.pageTabs()->currentHistory();
        window.actions().switchMode->trigger();
        QVERIFY(!window.mode2D());
        QCOMPARE(window.pageTabs()->count(), tabs);
        QCOMPARE(window.pageTabs()->currentHistory(), history);
        QCOMPARE(window.findChild<QStackedWidget*>()->currentWidget(), window.c39Page());
        QCOMPARE(window.c39Page()->history(), history);
        QCOMPARE(rows(window.c39Page(), 1), QStringList({"B2"}));
        // The tree now holds the 1D catalog: its top level has 13 groups.
        QCOMPARE(window.selector()->tree()->topLevelItemCount(), 13);
        pick(window, "Switching the interface(Caution!!) > Switching to RS-232C(Caution!!)");
        window.switchMode();
        QCOMPARE(window.selector()->tree()->topLevelItemCount(), 12);
        QCOMPARE(window.findChild<QStackedWidget*>()->currentWidget(), window.qrPage());
        QCOMPARE(rows(window.qrPage(), 1), QStringList({"B2", "[X.Z", "U2", "[X.Z"}));
    }

    void historyEditsKeepBothViewsAndTheSymbolInStep() {
        MainWindow window(keyFor("edit"));
        window.show();
        for (const char* command : {"B2", "[BCA", "[DC1Q0Q0Q2Q5"})
            window.submitTyped(command);
        omni::menucode::MenuCodePage* qr = window.qrPage();
        omni::menucode::MenuCodePage* c39 = window.c39Page();

        qr->selectIndex(1);
        qr->moveSelected(-1);
        QCOMPARE(rows(qr, 1), QStringList({"[BCA", "B2", "[DC1Q0Q0Q2Q5"}));
        QCOMPARE(rows(c39, 1), rows(qr, 1));
        QCOMPARE(qr->selectedIndex(), 0);
        qr->moveSelected(-1);  // at the top: nothing happens
        QCOMPARE(rows(qr, 1).front(), QStringLiteral("[BCA"));
        QCOMPARE(omni::test::decodeQr(screenPicture(qr)),
                 std::string("@MENU_KEST@ZZ@BCA@B2@DC1@Q0@Q0@Q2@Q5@ZZ@TSEK_UNEM@"));

        // Delete (the toolbar, Ctrl+D and a double click do the same) from the 1D view.
        window.setMode2D(false);
        c39->selectIndex(2);
        window.deleteSelection();
        QCOMPARE(rows(c39, 1), QStringList({"[BCA", "B2"}));
        QCOMPARE(c39->selectedIndex(), 1);  // the last entry went: the new last one is selected
        QCOMPARE(rows(qr, 1), rows(c39, 1));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        const QPoint row = c39->list()->visualItemRect(c39->list()->topLevelItem(0)).center();
        QTest::mousePress(c39->list()->viewport(), Qt::LeftButton, {}, row);
        QTest::mouseDClick(c39->list()->viewport(), Qt::LeftButton, {}, row);
        QCOMPARE(rows(c39, 1), QStringList({"B2"}));
        QCOMPARE(omni::test::decodeQr(screenPicture(qr)),
                 std::string("@MENU_KEST@ZZ@B2@ZZ@TSEK_UNEM@"));
    }

    void wheelZoomStaysWithinBounds() {
        MainWindow window(keyFor("wheel"));
        window.show();
        window.submitTyped(QStringLiteral("B2"));
        const auto spin = [](QWidget* view, int delta, int times) {
            for (int i = 0; i < times; ++i) {
                QWheelEvent wheel(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), QPoint(),
                                  QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                                  false);
                QApplication::sendEvent(view, &wheel);
            }
        };
        auto* qr = static_cast<omni::menucode::QrMenuView*>(window.qrPage()->view());
        spin(qr, 120, 20);
        QCOMPARE(qr->moduleSize(), 8);
        spin(qr, -120, 20);
        QCOMPARE(qr->moduleSize(), 2);
        // "Show command string" puts the envelope under the symbol; the sheet does not offer it.
        const double bare = qr->screenDrawing(0).height;
        QAction* showString = qr->popupMenu()->actions().at(1);
        showString->trigger();
        QVERIFY(qr->commandStringShown());
        QVERIFY(qr->screenDrawing(0).height > bare);
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QApplication::sendEvent(window.c39Page()->view(), &click);
        QVERIFY(!window.c39Page()->view()->popupMenu()->actions().at(1)->isEnabled());
        window.c39Page()->view()->popupMenu()->close();
        auto* c39 = static_cast<omni::menucode::C39MenuView*>(window.c39Page()->view());
        spin(c39, 120, 30);
        QCOMPARE(c39->labelHeight(), 48.0);
        spin(c39, -120, 30);
        QCOMPARE(c39->labelHeight(), 24.0);
    }

    void newClosesPagesButKeepsTheLog() {
        MainWindow window(keyFor("new"));
        window.makeMenuCode();
        window.makeMenuCode();
        window.submitTyped(QStringLiteral("B2"));
        window.logPage()->appendText(QStringLiteral("text"));
        window.commandBox()->setText(QStringLiteral("B2"));
        // A new page goes right after the log.
        QCOMPARE(window.pageTabs()->currentIndex(), 1);
        window.pageTabs()->removePage(0);  // the log page is never closed
        QCOMPARE(window.pageTabs()->count(), 3);
        discardNextPage();
        window.actions().newDocument->trigger();
        QCOMPARE(window.pageTabs()->count(), 1);
        QCOMPARE(window.pageTabs()->currentKind(), PageKind::Log);
        QVERIFY(window.logPage()->text().isEmpty());
        QVERIFY(window.commandBox()->text().isEmpty());
        QCOMPARE(window.qrPage()->history(), nullptr);
    }

    void openReadsATextFileIntoTheLog() {
        MainWindow window(keyFor("open"));
        QTemporaryDir dir;
        // Three chunks: a CR LF line end split by the first boundary, a two-byte character split by
        // the second.
        const int chunk = static_cast<int>(omni::serial::SerialLogBox::kChunkBytes);
        QByteArray content = QByteArray(chunk - 1, 'x') + "\r\nline 2 読み取り ";
        content += QByteArray(2 * chunk - 1 - content.size(), 'y') + "Ö\r\nend\r\n";
        const QString path = dir.filePath(QStringLiteral("log.TXT"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        window.makeMenuCode();
        window.openFile(path);
        QCOMPARE(window.pageTabs()->currentKind(), PageKind::Log);
        QString expected = QString::fromUtf8(content);
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(window.logPage()->text(), expected);
        QCOMPARE(window.pageTabs()->fileName(0), path);

        const QString saved = dir.filePath(QStringLiteral("saved.txt"));
        window.saveCurrentTo(saved);
        QFile back(saved);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(back.readAll()), expected);

        QVERIFY_THROWS_EXCEPTION(omni::foundation::UserException,
                                 window.openFile(dir.filePath("notes.doc")));
        QVERIFY_THROWS_EXCEPTION(omni::foundation::SystemException,
                                 window.openFile(dir.filePath("missing.txt")));
    }

    void layoutAndHistoryAreWrittenOnExitAndRestored() {
        const std::string key = keyFor("records");
        {
            MainWindow window(key);
            window.show();
            window.resize(900, 640);
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            auto* split =
                window.findChild<omni::ui::PaneSplitter*>(QStringLiteral("VerticalBorder"));
            split->dragTo(5000);  // past the limit: stops where the pages keep their minimum
            QVERIFY(split->firstPaneSize() < 900);
            split->dragTo(300);
            window.commandBox()->setText(QStringLiteral("[BCA"));
            window.commandBox()->submit();
            window.commandBox()->setText(QStringLiteral("B2"));
            window.commandBox()->submit();
            discardNextPage();
            window.close();
        }
        omni::app::MainWindowRecord stored;
        QVERIFY(omni::foundation::readSetting(key, "MainWindow", stored));
        QCOMPARE(stored.width, 900);
        QCOMPARE(stored.height, 640);
        omni::app::MainWindowBorderRecord border;
        QVERIFY(omni::foundation::readSetting(key, "MainWindowBorder", border));
        QCOMPARE(border.sizes[0], 300);

        MainWindow again(key);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), QSize(900, 640));
        QCOMPARE(again.findChild<omni::ui::PaneSplitter*>(QStringLiteral("VerticalBorder"))
                     ->firstPaneSize(),
                 300);
        QComboBox* combo = again.commandBox()->comboBox();
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("B2"));
        QCOMPARE(combo->itemText(1), QStringLiteral("[BCA"));

        // Closed maximized: the flag is stored with the size to restore to.
        again.showMaximized();
        QTRY_VERIFY(again.isMaximized());
        again.close();
        QVERIFY(omni::foundation::readSetting(key, "MainWindow", stored));
        QVERIFY(stored.isMaximized());
        QCOMPARE(stored.width, 900);
        QCOMPARE(stored.height, 640);
    }

    void exceptionsReportThemselves() {
        Messages messages;
        omni::ui::reportException(nullptr, omni::foundation::KesException(1));
        omni::ui::reportException(nullptr, omni::foundation::UserException(0));
        QCOMPARE(messages.shown.size(), std::size_t{2});
        QCOMPARE(messages.shown[0].icon, QMessageBox::Warning);
        QCOMPARE(messages.shown[0].caption, QStringLiteral("KesException"));
        QVERIFY(!messages.shown[0].text.isEmpty());
        QCOMPARE(messages.shown[1].caption, QStringLiteral("UserException"));
        QCOMPARE(messages.shown[1].text, QStringLiteral("THREAD_END_TIMEOUT"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
