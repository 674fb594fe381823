// The main window connected to a reader: the simulated readers and a device path standing in for
// a cable, picking and typing commands with the log page or a menu-code page current, the 1D
// family, a reader unplugged and plugged back, a port that cannot be opened, and the settings
// a restart brings back.
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/gui/main_window.h"
#include "commands/gui/command_box.h"
#include "commands/gui/command_selector.h"
#include "commands/gui/page_tabs.h"
#include "commands/selector_model.h"
#include "foundation/settings_store.h"
#include "menucode/menu_code_history.h"
#include "serial/gui/code_page_combo_box.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "sim/simulated_reader.h"
#include "ui/gui/report.h"
#include "window_helpers.h"

using omni::app::MainWindow;
using omni::commands::PageKind;
using omni::serial::SimulatedFamily;
using omni::serial::SimulatedReaders;

namespace {

const omni::test::KeyFor keyFor{"ConnectTest"};

using omni::test::pick;

bool waitConnected(MainWindow& window, bool connected = true, int ms = 15000) {
    return QTest::qWaitFor(
        [&] {
            return window.connection()->state() ==
                   (connected ? omni::serial::ReaderConnection::State::Connected
                              : omni::serial::ReaderConnection::State::Disconnected);
        },
        ms);
}

using omni::test::Messages;
using omni::test::showActive;

// A simulated reader of the test's own on a device path, answering as a BD49 engine.
struct ReaderOnAPath : omni::sim::SimulatedReader {
    ReaderOnAPath() {
        setVersionReply(omni::sim::replies::family("BD49"));
        start();
    }
};

// Types `text` into the port box as the operator does: a click on the box, the keys, then `enter`,
// every key going where Qt's focus and shortcuts send it.
void typeIntoPortBox(MainWindow& window, const QString& text, Qt::Key enter = Qt::Key_Return) {
    QLineEdit* edit = window.portBox()->lineEdit();
    QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
    QTRY_VERIFY_WITH_TIMEOUT(window.portBox()->hasFocus(), 2000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), enter,
                    enter == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
}

}  // namespace

class ConnectionWindowTest : public QObject {
    Q_OBJECT
private slots:
    void pickedVersionRequestGoesToTheReaderOrToThePage() {
        MainWindow window(keyFor("version"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));
        QVERIFY(window.actions().property->isEnabled());
        QTest::keyClick(&window, Qt::Key_F2);
        QVERIFY(waitConnected(window));
        // The identification is in the log as well as in the status bar.
        QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().contains(QStringLiteral("Connected to")),
                                 5000);
        window.logPage()->clear();
        QVERIFY(window.actions().connectReader->isChecked());
        QVERIFY(!window.actions().property->isEnabled());
        QVERIFY(!window.actions().switchMode->isEnabled());
        QVERIFY(window.actions().makeMenuCode->isEnabled());
        QVERIFY(!window.portBox()->isEnabled());
        QVERIFY(window.mode2D());

        omni::sim::SimulatedReader& reader =
            *window.simulatedReaders().reader(SimulatedFamily::TwoD);
        reader.clearTranscript();
        pick(window, "Basic commands > Diagnostics > Transmit software version");
        QTRY_COMPARE_WITH_TIMEOUT(window.logPage()->text(), QStringLiteral(">Z1\nBA12J13i\n"),
                                  5000);
        QCOMPARE(reader.transcript(), std::vector<std::string>{"Z1"});
        QCOMPARE(window.pageTabs()->count(), 1);

        // With a menu-code page current the pick goes to the page, not to the reader.
        window.makeMenuCode();
        pick(window, "Basic commands > Diagnostics > Transmit software version");
        QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t(1));
        QTest::qWait(200);
        QCOMPARE(reader.transcript().size(), std::size_t(1));

        // A typed command with the log page current is sent as it stands.
        window.pageTabs()->setCurrentIndex(0);
        window.commandBox()->setText(QStringLiteral("[BCA"));
        window.commandBox()->submit();
        QVERIFY(reader.waitForCommands(2, std::chrono::seconds(3)));
        QCOMPARE(reader.transcript().back(), std::string("[BCA"));
        QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().endsWith(QStringLiteral(">[BCA\n")),
                                 5000);

        QTest::keyClick(&window, Qt::Key_F2);
        QVERIFY(waitConnected(window, false));
        QVERIFY(!window.actions().connectReader->isChecked());
        QVERIFY(window.actions().property->isEnabled());
        QVERIFY(window.actions().switchMode->isEnabled());
        QVERIFY(window.portBox()->isEnabled());
        QVERIFY(!window.portBox()->watching());
    }

    void oneDReaderSwitchesToOneDMode() {
        MainWindow window(keyFor("oneD"));
        window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::OneD));
        window.actions().connectReader->trigger();
        QVERIFY(waitConnected(window));
        QVERIFY(!window.mode2D());
        QVERIFY(!window.selector()->mode2D());
        QVERIFY(!window.actions().makeMenuCode->isEnabled());
        QVERIFY(window.actions().makeMenuCodeTool->isEnabled());  // the toolbar keeps NewMenu
        QVERIFY(!window.actions().switchMode->isEnabled());
        // The status bar names the mode and the reader's family and firmware.
        auto* modeLabel = window.findChild<QLabel*>(QStringLiteral("modeLabel"));
        QVERIFY(modeLabel);
        QTRY_VERIFY_WITH_TIMEOUT(modeLabel->text().startsWith(QStringLiteral("1D mode")), 3000);
        QVERIFY2(modeLabel->text().contains(QStringLiteral("1D reader TC12345")),
                 qPrintable(modeLabel->text()));

        // Settings that expect digit codes to be scanned are not sent to a 1D reader; typed, they
        // are.
        omni::sim::SimulatedReader& reader =
            *window.simulatedReaders().reader(SimulatedFamily::OneD);
        reader.clearTranscript();
        window.submitItem(omni::commands::makePageItem("HK", u"HK", 1));
        window.submitItem(omni::commands::makePageItem("B2", u"B2", 1));
        QVERIFY(reader.waitForCommands(1, std::chrono::seconds(3)));
        window.submitTyped(QStringLiteral("HK"));
        QVERIFY(reader.waitForCommands(2, std::chrono::seconds(3)));
        QCOMPARE(reader.transcript(), (std::vector<std::string>{"B2", "HK"}));

        window.actions().connectReader->trigger();
        QVERIFY(waitConnected(window, false));
        QVERIFY(window.actions().makeMenuCode->isEnabled());
        QVERIFY(!window.mode2D());  // the mode stays with the last reader
    }

    void unpluggedReaderIsReconnectedWhenItReturns() {
        MainWindow window(keyFor("replug"));
        window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));
        window.actions().connectReader->trigger();
        QVERIFY(waitConnected(window));

        window.simulatedReaders().unplug(SimulatedFamily::TwoD);
        QVERIFY(waitConnected(window, false, 5000));
        QVERIFY(!window.actions().connectReader->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().contains(QStringLiteral("unplugged")),
                                 5000);
        QVERIFY(window.portBox()->watching());
        // While it is away, a typed or picked command is reported in the log, not put on a page.
        QVERIFY(showActive(window));
        QTest::keyClick(&window, Qt::Key_Escape);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("B2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        pick(window, "Basic commands > Diagnostics > Transmit software version");
        QCOMPARE(window.pageTabs()->count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(
            window.logPage()->text().contains(QStringLiteral("\"B2\" was not sent")), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(
            window.logPage()->text().contains(QStringLiteral("\"Z1\" was not sent")), 5000);

        window.simulatedReaders().plug(SimulatedFamily::TwoD);
        QVERIFY2(waitConnected(window, true, 10000), qPrintable(window.logPage()->text()));
        QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().contains(QStringLiteral("reconnecting")),
                                 5000);
        // The reconnection is logged once the reader has identified itself again.
        const auto reconnectedLine = [&window] {
            const QString text = window.logPage()->text();
            return text.mid(text.lastIndexOf(QStringLiteral("reconnecting")))
                .contains(QStringLiteral("Connected to"));
        };
        QTRY_VERIFY_WITH_TIMEOUT(reconnectedLine(), 5000);
        window.logPage()->clear();
        pick(window, "Basic commands > Diagnostics > Transmit software version");
        QTRY_COMPARE_WITH_TIMEOUT(window.logPage()->text(), QStringLiteral(">Z1\nBA12J13i\n"),
                                  5000);

        // After the operator disconnects, a reader coming back is left alone.
        window.actions().connectReader->trigger();
        window.simulatedReaders().unplug(SimulatedFamily::TwoD);
        QTest::qWait(700);
        window.simulatedReaders().plug(SimulatedFamily::TwoD);
        QTest::qWait(1500);
        QCOMPARE(window.connection()->state(), omni::serial::ReaderConnection::State::Disconnected);
    }

    void devicePathStandsInForACable() {
        ReaderOnAPath reader;
        MainWindow window(keyFor("path"));
        QVERIFY(showActive(window));
        // A page is current, so an Enter that leaked to Send would add the command box's text to
        // it.
        window.makeMenuCode();
        window.commandBox()->setText(QStringLiteral("Z1"));
        // The simulated reader was chosen before; the typed path replaces it.
        window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));

        typeIntoPortBox(window, QString::fromStdString(reader.devicePath()), Qt::Key_Enter);
        QCOMPARE(window.portBox()->selectedPort().device, reader.devicePath());
        QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t(0));
        typeIntoPortBox(window, QString::fromStdString(reader.devicePath()));
        QCOMPARE(window.pageTabs()->currentHistory()->size(), std::size_t(0));

        QTest::keyClick(&window, Qt::Key_F2);
        QVERIFY(waitConnected(window));
        QCOMPARE(window.connection()->port().device, reader.devicePath());
        QVERIFY(!reader.transcript().empty());  // the identification went to the typed path
        const omni::sim::SimulatedReader* chosenBefore =
            window.simulatedReaders().reader(SimulatedFamily::TwoD);
        QVERIFY(!chosenBefore || chosenBefore->transcript().empty());
        reader.clearTranscript();
        window.pageTabs()->setCurrentIndex(0);
        pick(window, "Basic commands > Diagnostics > Transmit software version");
        QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().endsWith(QStringLiteral(">Z1\nBD49\n")),
                                 5000);
        QCOMPARE(reader.transcript(), std::vector<std::string>{"Z1"});
        QCOMPARE(window.pageTabs()->count(), 2);
    }

    void connectUsesWhatTheBoxShows() {
        ReaderOnAPath reader;
        MainWindow window(keyFor("shown"));
        QVERIFY(showActive(window));
        window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));
        // Typed without Enter, then Connect: the box's text is the port.
        QLineEdit* edit = window.portBox()->lineEdit();
        QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(reader.devicePath()));
        QTest::keyClick(&window, Qt::Key_F2);
        QVERIFY(waitConnected(window));
        QCOMPARE(window.connection()->port().device, reader.devicePath());
    }

    void typedPathThatIsNoSerialDeviceIsExplained() {
        Messages messages;
        MainWindow window(keyFor("notADevice"));
        QVERIFY(showActive(window));
        const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                             ("omni-notadevice-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const std::filesystem::path file = folder / "plain.txt";
        { std::ofstream(file) << "text\n"; }
        const struct {
            std::filesystem::path path;
            const char* says;
        } cases[] = {
            {file, "not a serial port"}, {folder, "folder"}, {folder / "gone", "does not exist"}};
        for (const auto& c : cases) {
            const std::size_t before = messages.shown.size();
            typeIntoPortBox(window, QString::fromStdString(c.path.string()));
            QTRY_COMPARE_WITH_TIMEOUT(messages.shown.size(), before + 1, 2000);
            QVERIFY2(messages.shown.back().text.contains(QLatin1String(c.says)),
                     qPrintable(messages.shown.back().text));
            QVERIFY(messages.shown.back().text.contains(QString::fromStdString(c.path.string())));
            // Connect with such a path shown explains it again and stays disconnected.
            QTest::keyClick(&window, Qt::Key_F2);
            QTRY_COMPARE_WITH_TIMEOUT(messages.shown.size(), before + 2, 2000);
            QVERIFY(messages.shown.back().text.contains(QLatin1String(c.says)));
            QCOMPARE(window.connection()->state(),
                     omni::serial::ReaderConnection::State::Disconnected);
        }
        std::filesystem::remove_all(folder);
    }

    void portThatCannotBeOpenedLeavesTheWindowDisconnected() {
        Messages messages;
        MainWindow window(keyFor("missing"));
        window.actions().connectReader->trigger();  // nothing chosen yet
        QCOMPARE(messages.shown.size(), std::size_t(1));
        QVERIFY(!window.actions().connectReader->isChecked());

        window.portBox()->chooseDevicePath(QStringLiteral("/dev/ttyOMNI-missing"));
        window.actions().connectReader->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(messages.shown.size(), std::size_t(2), 5000);
        QVERIFY2(messages.shown.back().text.contains(QStringLiteral("/dev/ttyOMNI-missing")),
                 qPrintable(messages.shown.back().text));
        QVERIFY(waitConnected(window, false));
        QVERIFY(!window.actions().connectReader->isChecked());
        QVERIFY(window.actions().property->isEnabled());
        QVERIFY(window.portBox()->isEnabled());
    }

    void restartRestoresLogFontWrapCodePageAndPort() {
        const std::string key = keyFor("restart");
        QFont font(QStringLiteral("DejaVu Sans Mono"));
        font.setPixelSize(17);
        {
            MainWindow window(key);
            window.actions().wordWrap->trigger();
            QVERIFY(window.logPage()->wrap());
            window.logPage()->setLogFont(font);
            window.codePageBox()->selectCodePage(932);
            window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::OneD));
            window.close();
        }
        MainWindow window(key);
        QVERIFY(window.actions().wordWrap->isChecked());
        QVERIFY(window.logPage()->wrap());
        QCOMPARE(window.logPage()->logFont().pixelSize(), 17);
        QCOMPARE(window.codePageBox()->currentData().toUInt(), 932u);
        QCOMPARE(window.portBox()->selectedPort(),
                 SimulatedReaders::descriptor(SimulatedFamily::OneD));
    }
};

QTEST_MAIN(ConnectionWindowTest)
#include "connection_window_test.moc"
