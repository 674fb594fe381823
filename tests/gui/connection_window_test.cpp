// The main window connected to a reader: the simulated readers and a device path standing in for
// a cable, picking and typing commands with the log page or a menu-code page current, the 1D
// family, a reader unplugged and plugged back, a port that cannot be opened, and the settings
// a restart brings back.
#include <filesystem>

#include <QAction>
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

std::string keyFor(const char* name) {
    return omni::test::freshKey("ConnectTest", name);
}

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

}  // namespace

class ConnectionWindowTest : public QObject {
    Q_OBJECT
private slots:
    void pickedVersionRequestGoesToTheReaderOrToThePage();
    void oneDReaderSwitchesToOneDMode();
    void unpluggedReaderIsReconnectedWhenItReturns();
    void devicePathStandsInForACable();
    void portThatCannotBeOpenedLeavesTheWindowDisconnected();
    void restartRestoresLogFontWrapCodePageAndPort();
};

void ConnectionWindowTest::pickedVersionRequestGoesToTheReaderOrToThePage() {
    MainWindow window(keyFor("version"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));
    QVERIFY(window.actions().property->isEnabled());
    QTest::keyClick(&window, Qt::Key_F2);
    QVERIFY(waitConnected(window));
    QVERIFY(window.actions().connectReader->isChecked());
    QVERIFY(!window.actions().property->isEnabled());
    QVERIFY(!window.actions().switchMode->isEnabled());
    QVERIFY(window.actions().makeMenuCode->isEnabled());
    QVERIFY(!window.portBox()->isEnabled());
    QVERIFY(window.mode2D());

    omni::sim::SimulatedReader& reader = *window.simulatedReaders().reader(SimulatedFamily::TwoD);
    reader.clearTranscript();
    pick(window, "Basic commands > Diagnostics > Transmit software version");
    QTRY_COMPARE_WITH_TIMEOUT(window.logPage()->text(), QStringLiteral(">Z1\nBA12J13i\n"), 5000);
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
    QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().endsWith(QStringLiteral(">[BCA\n")), 5000);

    QTest::keyClick(&window, Qt::Key_F2);
    QVERIFY(waitConnected(window, false));
    QVERIFY(!window.actions().connectReader->isChecked());
    QVERIFY(window.actions().property->isEnabled());
    QVERIFY(window.actions().switchMode->isEnabled());
    QVERIFY(window.portBox()->isEnabled());
    QVERIFY(!window.portBox()->watching());
}

void ConnectionWindowTest::oneDReaderSwitchesToOneDMode() {
    MainWindow window(keyFor("oneD"));
    window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::OneD));
    window.actions().connectReader->trigger();
    QVERIFY(waitConnected(window));
    QVERIFY(!window.mode2D());
    QVERIFY(!window.selector()->mode2D());
    QVERIFY(!window.actions().makeMenuCode->isEnabled());
    QVERIFY(!window.actions().switchMode->isEnabled());

    // Settings that expect digit codes to be scanned are not sent to a 1D reader; typed, they are.
    omni::sim::SimulatedReader& reader = *window.simulatedReaders().reader(SimulatedFamily::OneD);
    reader.clearTranscript();
    window.submitItem(omni::makePageItem("HK", u"HK", 1));
    window.submitItem(omni::makePageItem("B2", u"B2", 1));
    QVERIFY(reader.waitForCommands(1, std::chrono::seconds(3)));
    window.submitTyped(QStringLiteral("HK"));
    QVERIFY(reader.waitForCommands(2, std::chrono::seconds(3)));
    QCOMPARE(reader.transcript(), (std::vector<std::string>{"B2", "HK"}));

    window.actions().connectReader->trigger();
    QVERIFY(waitConnected(window, false));
    QVERIFY(window.actions().makeMenuCode->isEnabled());
    QVERIFY(!window.mode2D());  // the mode stays with the last reader
}

void ConnectionWindowTest::unpluggedReaderIsReconnectedWhenItReturns() {
    MainWindow window(keyFor("replug"));
    window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));
    window.actions().connectReader->trigger();
    QVERIFY(waitConnected(window));

    window.simulatedReaders().unplug(SimulatedFamily::TwoD);
    QVERIFY(waitConnected(window, false, 5000));
    QVERIFY(!window.actions().connectReader->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().contains(QStringLiteral("unplugged")), 5000);
    QVERIFY(window.portBox()->watching());

    window.simulatedReaders().plug(SimulatedFamily::TwoD);
    QVERIFY2(waitConnected(window, true, 10000), qPrintable(window.logPage()->text()));
    QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().contains(QStringLiteral("reconnecting")),
                             5000);
    window.logPage()->clear();
    pick(window, "Basic commands > Diagnostics > Transmit software version");
    QTRY_COMPARE_WITH_TIMEOUT(window.logPage()->text(), QStringLiteral(">Z1\nBA12J13i\n"), 5000);

    // After the operator disconnects, a reader coming back is left alone.
    window.actions().connectReader->trigger();
    window.simulatedReaders().unplug(SimulatedFamily::TwoD);
    QTest::qWait(700);
    window.simulatedReaders().plug(SimulatedFamily::TwoD);
    QTest::qWait(1500);
    QCOMPARE(window.connection()->state(), omni::serial::ReaderConnection::State::Disconnected);
}

void ConnectionWindowTest::devicePathStandsInForACable() {
    omni::sim::SimulatedReader reader;
    reader.setVersionReply(omni::sim::replies::family("BD49"));
    reader.start();
    MainWindow window(keyFor("path"));
    window.portBox()->lineEdit()->setText(QString::fromStdString(reader.devicePath()));
    QTest::keyClick(window.portBox()->lineEdit(), Qt::Key_Return);
    QCOMPARE(window.portBox()->selectedPort().device, reader.devicePath());
    window.actions().connectReader->trigger();
    QVERIFY(waitConnected(window));
    reader.clearTranscript();
    pick(window, "Basic commands > Diagnostics > Transmit software version");
    QTRY_COMPARE_WITH_TIMEOUT(window.logPage()->text(), QStringLiteral(">Z1\nBD49\n"), 5000);
    QCOMPARE(reader.received(), std::string("\x1bZ1\r"));
}

void ConnectionWindowTest::portThatCannotBeOpenedLeavesTheWindowDisconnected() {
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

void ConnectionWindowTest::restartRestoresLogFontWrapCodePageAndPort() {
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
    QCOMPARE(window.portBox()->selectedPort(), SimulatedReaders::descriptor(SimulatedFamily::OneD));
}

QTEST_MAIN(ConnectionWindowTest)
#include "connection_window_test.moc"
