// The data edit dialogs opened from the main window against the simulated 2D reader: each simple
// wizard stores its program and the next run reads it back, the multiple-label wizard stores into
// the program chosen last, the GS1 easy setting takes the reader's sample and stores each ready
// form and a user setting, and without a reader the GS1 wizard shows its menu codes.
#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "app/gui/main_window.h"
#include "commands/gui/page_tabs.h"
#include "dataedit/gs1.h"
#include "dataedit/gui/data_edit_wizard.h"
#include "dataedit/gui/gs1_wizard.h"
#include "dataedit/gui/menu_code_dialog.h"
#include "foundation/settings_store.h"
#include "menucode/menu_code_history.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/simulated_readers.h"
#include "ui/gui/report.h"
#include "wizard_driver.h"

using namespace omni::dataedit;
using omni::app::MainWindow;
using omni::serial::SimulatedFamily;
using omni::serial::SimulatedReaders;
using namespace omni::test;  // the wizard driver's helpers

namespace {

constexpr int kWaitMs = 15000;

// The window's command named `name` (its object name).
QAction* actionOf(const MainWindow& window, const char* name) {
    return window.findChild<QAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

std::string freshKey(const char* name) {
    std::string key = std::string("Software\\Kestrel\\DataEditTest-") + name;
    std::filesystem::remove_all(omni::foundation::settingsFolder(key));
    return key;
}

bool connectSimulated(MainWindow& window) {
    window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));
    QTest::keyClick(&window, Qt::Key_F2);
    return QTest::qWaitFor([&] { return window.connection()->isConnected(); }, kWaitMs);
}

// The cut script of a store command: between "[ED0'" and "'[ED1'".
std::string cutOf(const std::string& command) {
    const std::size_t from = command.find("[ED0'") + 5;
    return command.substr(from, command.find("'[ED1'") - from);
}

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// What one run of a wizard left behind.
struct Run {
    std::string command;
    QString testOutput;
    std::array<QString, 4> storedCuts;  // the program page's cut boxes as read back
    bool finished = false;
};

// Runs the simple wizard behind `action`: choose `program` on the first page, `fill` the
// wizard's own page, wait for the reader's test output, Finish (or Cancel after reading the
// stored programs when `program` is 0).
Run runSimple(MainWindow& window, const char* action, int program,
              std::function<void(QWizard*)> fill = {}) {
    Run run;
    omni::test::onModalNamed(QStringLiteral("dataEditWizard"), [&](QWidget* modal) {
        auto* wizard = static_cast<SimpleWizard*>(modal);
        const auto done = qScopeGuard([wizard] {
            if (wizard->isVisible())
                wizard->reject();
        });
        if (!QTest::qWaitFor([&] { return offered(wizard, QWizard::NextButton); }, kWaitMs))
            return;
        for (int p = 1; p <= 4; ++p)
            run.storedCuts[p - 1] = wizard->programPage()->scriptBox(p, false)->text();
        if (program == 0)
            return;
        click(wizard->findChild<QAbstractButton*>(QStringLiteral("program%1").arg(program)));
        clickWizard(wizard, QWizard::NextButton);
        if (fill)
            fill(wizard);
        clickWizard(wizard, QWizard::NextButton);
        QPlainTextEdit* output = wizard->testPage()->outputBox();
        (void)QTest::qWaitFor([&] { return output->toPlainText().contains("4912345678904"); },
                              kWaitMs);
        run.testOutput = output->toPlainText();
        run.command = wizard->command();
        clickWizard(wizard, QWizard::FinishButton);
        run.finished = true;
    });
    actionOf(window, action)->trigger();
    return run;
}

// The current page's one entry, as the main window holds it.
QString currentTab(MainWindow& window) {
    return window.pageTabs()->tabText(window.pageTabs()->currentIndex());
}

const omni::commands::PageItem* currentEntry(MainWindow& window) {
    omni::menucode::MenuCodeHistory* history = window.pageTabs()->currentHistory();
    return history && history->size() == 1 ? &history->entry(0) : nullptr;
}

// Selects the form in the start page's list with a click, as the operator does.
void clickForm(GS1StartPage* page, int row) {
    QTreeWidget* list = page->formList();
    QTreeWidgetItem* item = list->topLevelItem(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

}  // namespace

class WizardReaderTest : public QObject {
    Q_OBJECT
private slots:
    void simpleWizardsStoreAndReadBack();
    void gs1WizardStoresEachFormAndAUserSetting();
    void gs1WizardWithoutReaderShowsItsMenuCodes();
};

void WizardReaderTest::simpleWizardsStoreAndReadBack() {
    omni::test::ModalWatchdog watchdog(90000);
    MainWindow window(freshKey("simple"));
    QVERIFY(shown(&window));
    QVERIFY(connectSimulated(window));

    const Run conversion = runSimple(window, "gs1Conversion", 1);
    QVERIFY(conversion.finished);
    QVERIFY(conversion.testOutput.contains("4912345678904"));
    QCOMPARE(currentTab(window), QStringLiteral("NewMenuCode 1"));
    QVERIFY(currentEntry(window));
    QCOMPARE(currentEntry(window)->bytes, conversion.command);
    QCOMPARE(currentEntry(window)->label, u"Input command by data edit programming");

    const Run book = runSimple(window, "bookCode", 2, [](QWizard* w) {
        typeInto(w->findChild<QLineEdit*>(QStringLiteral("string1")), QStringLiteral("ISBN"));
    });
    QVERIFY(book.finished);
    QCOMPARE(currentTab(window), QStringLiteral("NewMenuCode 2"));

    const Run pickup = runSimple(window, "gs1Pickup", 3, [](QWizard* w) {
        auto* ai = w->findChild<QWidget*>(QStringLiteral("ai1"));
        ai->setFocus();
        QTest::keyClick(ai, Qt::Key_Down);
    });
    QVERIFY(pickup.finished);

    const Run direct = runSimple(window, "directInputScript", 4, [](QWizard* w) {
        typeInto(w->findChild<QWidget*>(QStringLiteral("cutScript")), QStringLiteral("(.*)$"));
        typeInto(w->findChild<QWidget*>(QStringLiteral("pasteScript")), QStringLiteral("[0,1]"));
    });
    QVERIFY(direct.finished);
    QCOMPARE(cutOf(direct.command), std::string("(.*)$"));

    // The next run shows what each program holds now.
    const Run readBack = runSimple(window, "gs1Conversion", 0);
    QCOMPARE(readBack.storedCuts[0], latin1(cutOf(conversion.command)));
    QCOMPARE(readBack.storedCuts[1], latin1(cutOf(book.command)));
    QCOMPARE(readBack.storedCuts[2], latin1(cutOf(pickup.command)));
    QCOMPARE(readBack.storedCuts[3], QStringLiteral("(.*)$"));

    // The multiple-label wizard has no program page: it stores into the program chosen last.
    Run multi;
    omni::test::onModalNamed(QStringLiteral("dataEditWizard"), [&](QWidget* modal) {
        auto* wizard = static_cast<DataEditWizard*>(modal);
        clickWizard(wizard, QWizard::NextButton);
        clickWizard(wizard, QWizard::NextButton);
        (void)QTest::qWaitFor(
            [&] { return !wizard->testPage()->outputBox()->toPlainText().isEmpty(); }, kWaitMs);
        multi.command = wizard->command();
        clickWizard(wizard, QWizard::FinishButton);
        multi.finished = true;
    });
    QTest::mouseClick(window.findChild<QToolBar*>(QStringLiteral("scannerToolbar"))
                          ->widgetForAction(actionOf(window, "multiLabelRead")),
                      Qt::LeftButton);
    QVERIFY(multi.finished);
    QCOMPARE(multi.command, ComposeStoreCommand("(.{1,99})$", "[0]", 4));

    // Receiving went back to the log.
    QVERIFY(window.connection()->serialPort().isReceiving());
    QVERIFY(!watchdog.fired());
}

void WizardReaderTest::gs1WizardStoresEachFormAndAUserSetting() {
    omni::test::ModalWatchdog watchdog(120000);
    MainWindow window(freshKey("gs1"));
    QVERIFY(shown(&window));
    QVERIFY(connectSimulated(window));
    QAbstractButton* toolButton = qobject_cast<QAbstractButton*>(
        window.findChild<QToolBar*>(QStringLiteral("scannerToolbar"))
            ->widgetForAction(actionOf(window, "gs1Edit")));
    QVERIFY(toolButton);

    // form row 0..2: ready forms; 3: the user setting.
    for (int form = 0; form < 4; ++form) {
        std::string sent;
        std::string sample;
        bool finished = false;
        omni::test::onModalNamed(QStringLiteral("gs1Wizard"), [&](QWidget* modal) {
            auto* wizard = static_cast<GS1Wizard*>(modal);
            const auto done = qScopeGuard([wizard] {
                if (wizard->isVisible())
                    static_cast<QDialog*>(wizard)->done(QDialog::Rejected);
            });
            GS1StartPage* start = wizard->startPage();
            if (!QTest::qWaitFor([&] { return start->outputButton()->isEnabled(); }, kWaitMs))
                return;
            QVERIFY(!start->optionButton()->isEnabled());
            // The sample ends with a CR; wait for all of it.
            (void)QTest::qWaitFor(
                [&] { return start->sampleBox()->toPlainText().contains("3103"); }, kWaitMs);
            sample = start->sampleBox()->toPlainText().toStdString();
            click(start->outputButton());
            QCOMPARE(start->formList()->topLevelItemCount(), 4);
            QVERIFY(start->clearButton()->isEnabled());
            clickForm(start, form);
            if (form < 3) {
                QVERIFY(offered(wizard, QWizard::FinishButton));
                QVERIFY(start->optionButton()->isEnabled());
            } else {
                QVERIFY(offered(wizard, QWizard::NextButton));
                QVERIFY(!start->optionButton()->isEnabled());
                clickWizard(wizard, QWizard::NextButton);
                QTreeWidget* rows = wizard->userPage()->rowList();
                QCOMPARE(rows->topLevelItemCount(), 3);
                QCOMPARE(rows->topLevelItem(2)->text(1), QStringLiteral("3103"));
                QCOMPARE(rows->topLevelItem(1)->text(5), QStringLiteral("Variable"));
                // The first row moves below the second; at the end nothing moves.
                QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                                  rows->visualItemRect(rows->topLevelItem(0)).center());
                click(wizard->findChild<QAbstractButton*>(QStringLiteral("moveDown")));
                QCOMPARE(rows->topLevelItem(1)->text(1), QStringLiteral("01"));
                click(wizard->findChild<QAbstractButton*>(QStringLiteral("moveDown")));
                click(wizard->findChild<QAbstractButton*>(QStringLiteral("moveDown")));
                QCOMPARE(rows->topLevelItem(2)->text(1), QStringLiteral("01"));
            }
            clickWizard(wizard, QWizard::FinishButton);
            sent = wizard->command();
            finished = true;
        });
        const int pagesBefore = window.pageTabs()->count();
        click(toolButton);
        QVERIFY2(finished, qPrintable(QString::number(form)));

        QVERIFY(sample.find("010491234567890410ABC123 3103000150") != std::string::npos);
        GS1Parse parse = ParseGS1Sample("010491234567890410ABC123 3103000150");
        QCOMPARE(parse.rows.size(), std::size_t{3});
        GS1Options options;
        if (form < 3) {
            options = ReadyFormOptions(static_cast<GS1Form>(form));
        } else {
            options = ReadyFormOptions(GS1Form::User);
            options.userSetting = true;
            std::swap(parse.rows[0], parse.rows[1]);
            std::swap(parse.rows[1], parse.rows[2]);
        }
        const std::string expected = GS1StoreCommand(BuildGS1Scripts(options, parse.rows), false);
        QCOMPARE(sent, expected);
        QCOMPARE(window.pageTabs()->count(), pagesBefore + 1);
        QCOMPARE(currentTab(window), QStringLiteral("GS1EditMenuCode %1").arg(form + 1));
        QVERIFY(currentEntry(window));
        QCOMPARE(currentEntry(window)->label, u"Input command by GS1 Edit");
        QCOMPARE(currentEntry(window)->bytes, expected);
    }
    QVERIFY(!watchdog.fired());
}

void WizardReaderTest::gs1WizardWithoutReaderShowsItsMenuCodes() {
    omni::test::ModalWatchdog watchdog(60000);
    MainWindow window(freshKey("gs1-offline"));
    QVERIFY(shown(&window));
    std::vector<omni::ui::ShownMessage> messages;
    const omni::ui::MessageSink previous =
        omni::ui::setMessageSink([&](const omni::ui::ShownMessage& m) { messages.push_back(m); });

    std::vector<std::pair<QString, std::string>> codes;  // title and envelope of each code shown
    const std::function<void(QWidget*)> takeCode = [&](QWidget* modal) {
        auto* dialog = static_cast<MenuCodeDialog*>(modal);
        codes.emplace_back(dialog->windowTitle(), dialog->envelope());
        dialog->accept();
    };
    bool cancelled = false;
    omni::test::onModalNamed(QStringLiteral("menuCodeDialog"), takeCode);
    omni::test::onModalNamed(QStringLiteral("gs1Wizard"), [&](QWidget* modal) {
        auto* wizard = static_cast<GS1Wizard*>(modal);
        (void)QTest::qWaitFor([&] { return codes.size() == 1; }, kWaitMs);
        omni::test::onModalNamed(QStringLiteral("menuCodeDialog"), takeCode);
        clickWizard(wizard, QWizard::CancelButton);
        cancelled = !wizard->isVisible();
    });
    actionOf(window, "gs1Edit")->trigger();
    omni::ui::setMessageSink(previous);

    QVERIFY(cancelled);
    QCOMPARE(codes.size(), std::size_t{2});
    const auto envelope = [](const std::string& command) {
        omni::menucode::MenuCodeHistory code;
        code.addTypedCommand(command);
        return code.envelope();
    };
    QCOMPARE(codes[0].first, QStringLiteral("Prepare to use tool"));
    QCOMPARE(codes[0].second, envelope(GS1StartCommand(true)));
    QCOMPARE(codes[1].first, QStringLiteral("Save Setting"));
    QCOMPARE(codes[1].second, envelope(GS1CancelCommand()));
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].text, QStringLiteral("Setting will not be saved."));
    QCOMPARE(messages[0].caption, QStringLiteral("End of Setting"));
    QCOMPARE(window.pageTabs()->count(), 1);

    // The dialogs belong to 2D readers: 1D mode disables them, menu and toolbar alike.
    QToolBar* toolbar = window.findChild<QToolBar*>(QStringLiteral("scannerToolbar"));
    QVERIFY(toolbar->actions().indexOf(actionOf(window, "gs1Edit")) <
            toolbar->actions().indexOf(actionOf(window, "makeMenuCodeTool")));
    window.switchMode();
    for (const char* name : {"gs1Edit", "multiLabelRead", "freeLineOcr", "gs1Conversion",
                             "bookCode", "gs1Pickup", "directInputScript"}) {
        QVERIFY2(!actionOf(window, name)->isEnabled(), name);
    }
    window.switchMode();
    QVERIFY(actionOf(window, "gs1Edit")->isEnabled());
    QVERIFY(!watchdog.fired());
}

QTEST_MAIN(WizardReaderTest)
#include "wizard_reader_test.moc"
