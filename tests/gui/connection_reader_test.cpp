// The connection to a reader against the simulator on a pty pair: identification and family,
// the echo and the reply in the log, a reader that hangs up, a silent reader, abandoning an
// attempt, the code page of received text, open failures in the user's words, the port settings
// dialog, and how long the user-interface thread is held while a reader sends without pause.
#include <QComboBox>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <cerrno>
#include <thread>

#include "../serial/short_timing.h"
#include "serial/gui/code_page_combo_box.h"
#include "serial/gui/port_settings_dialog.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "sim/line_faults.h"
#include "sim/simulated_reader.h"
#include "ui/gui/report.h"

using omni::serial::PortDescriptor;
using omni::serial::ReaderConnection;
using omni::serial::SerialLogBox;
using omni::serial::SimulatedFamily;
using omni::serial::SimulatedReaders;
using State = ReaderConnection::State;

namespace {

const std::string kKey = "Software\\Kestrel\\ReaderTest";

using omni::test::shortTiming;

// A log pane, the simulated readers and a connection over them.
struct Rig {
    Rig() : log(kKey), connection(kKey, log.chain(), simulated) {}
    bool connectTo(const PortDescriptor& port) {
        connection.connectTo(port, QStringLiteral("test port"));
        return QTest::qWaitFor([&] { return connection.state() != State::Connecting; }, 15000) &&
               connection.isConnected();
    }
    bool connectSimulated(SimulatedFamily family) {
        return connectTo(SimulatedReaders::descriptor(family));
    }
    omni::sim::SimulatedReader& reader(SimulatedFamily family) { return *simulated.reader(family); }

    SerialLogBox log;
    SimulatedReaders simulated;
    ReaderConnection connection;
};

}  // namespace

class ConnectionReaderTest : public QObject {
    Q_OBJECT
private slots:
    void init() { omni::stream::setCurrentCodePageSetting({true, omni::stream::kDefaultCodePage}); }
    void versionRequestIsEchoedAndAnswered();
    void hangUpEndsTheConnectionAndPluggingBackAllowsAnother();
    void silentReaderIsItsBootLoaderAndRefusesMenuCommands();
    void drippingDeviceFailsWithinTheIdentificationLimit();
    void disconnectWhileTheReaderFloodsIsPrompt();
    void japaneseReplyInCodePage932();
    void openFailuresSayWhatToDo();
    void portSettingsDialogStoresTheRecord();
    void userInterfaceStaysResponsiveWhileTheReaderFloods();
};

void ConnectionReaderTest::versionRequestIsEchoedAndAnswered() {
    Rig rig;
    QSignalSpy connected(&rig.connection, &ReaderConnection::connected);
    QVERIFY(rig.connectSimulated(SimulatedFamily::TwoD));
    QCOMPARE(connected.count(), 1);
    QCOMPARE(rig.connection.firmware(), std::string("BA12J13i"));
    QVERIFY(rig.connection.twoD());
    rig.reader(SimulatedFamily::TwoD).clearTranscript();

    rig.connection.send("Z1");
    QVERIFY(rig.reader(SimulatedFamily::TwoD).waitForCommands(1, std::chrono::seconds(3)));
    QCOMPARE(rig.reader(SimulatedFamily::TwoD).received(), std::string("\x1bZ1\r"));
    QTRY_COMPARE_WITH_TIMEOUT(rig.log.text(), QStringLiteral(">Z1\nBA12J13i\n"), 5000);

    // A second command starts on a line of its own after the reply.
    rig.connection.send("[BCA");
    QTRY_COMPARE_WITH_TIMEOUT(rig.log.text(), QStringLiteral(">Z1\nBA12J13i\n>[BCA\n"), 5000);

    rig.connection.disconnectFromReader();
    QCOMPARE(rig.connection.state(), State::Disconnected);
    QVERIFY(!rig.connection.serialPort().isOpen());
    QVERIFY_THROWS_EXCEPTION(omni::foundation::KesException, rig.connection.send("Z1"));
}

void ConnectionReaderTest::hangUpEndsTheConnectionAndPluggingBackAllowsAnother() {
    Rig rig;
    QVERIFY(rig.connectSimulated(SimulatedFamily::TwoD));
    QSignalSpy lost(&rig.connection, &ReaderConnection::connectionLost);
    rig.simulated.unplug(SimulatedFamily::TwoD);
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
    QCOMPARE(rig.connection.state(), State::Disconnected);
    QVERIFY(!rig.connection.serialPort().isOpen());
    QVERIFY(!rig.simulated.present(SimulatedFamily::TwoD));

    // A reader that hangs up by itself in the middle of a conversation.
    rig.simulated.plug(SimulatedFamily::TwoD);
    QVERIFY(rig.simulated.present(SimulatedFamily::TwoD));
    QVERIFY(rig.connectSimulated(SimulatedFamily::TwoD));
    rig.reader(SimulatedFamily::TwoD).hangUpAfter(2);
    rig.connection.send("Z1");
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 2, 5000);
    QVERIFY(!rig.connection.isConnected());
    QVERIFY_THROWS_EXCEPTION(omni::foundation::Exception, rig.connection.send("Z1"));
}

void ConnectionReaderTest::silentReaderIsItsBootLoaderAndRefusesMenuCommands() {
    Rig rig;
    omni::sim::SimulatedReader reader;
    reader.setSilent(true);
    reader.start();
    rig.connection.setTiming(shortTiming());
    QVERIFY(rig.connectTo({omni::serial::PortKind::Serial, reader.devicePath()}));
    QVERIFY(!rig.connection.identified());
    QVERIFY(rig.connection.bootLoader());
    QVERIFY(rig.connection.twoD());  // the family stays as it was
    reader.clearTranscript();
    try {
        rig.connection.send("[BCA");
        QFAIL("a boot loader takes no menu commands");
    } catch (const omni::foundation::KesException& e) {
        QCOMPARE(e.state(), KES_STATE_NOT_SUPPORTED_BY_THIS_HANDLE);
    }
    QTest::qWait(100);
    QCOMPARE(reader.received(), std::string());
    // What the reader sends by itself still reaches the log.
    reader.send("scanned\r");
    QTRY_VERIFY_WITH_TIMEOUT(rig.log.text().endsWith(QStringLiteral("scanned\n")), 5000);
}

void ConnectionReaderTest::drippingDeviceFailsWithinTheIdentificationLimit() {
    Rig rig;
    omni::sim::SimulatedReader reader;
    reader.setSilent(true);
    reader.start();
    omni::sim::Drip drip(reader, "x", std::chrono::milliseconds(50));
    omni::serial::SerialTiming timing = shortTiming();
    timing.identifyLimitMs = 1500;
    rig.connection.setTiming(timing);
    QSignalSpy failed(&rig.connection, &ReaderConnection::connectFailed);
    QElapsedTimer clock;
    clock.start();
    rig.connection.connectTo({omni::serial::PortKind::Serial, reader.devicePath()},
                             QStringLiteral("drip"));
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 5000);
    const qint64 took = clock.elapsed();
    QVERIFY2(took < timing.identifyLimitMs + 700, qPrintable(QString::number(took)));
    const QString text = failed.takeFirst().at(0).toString();
    QVERIFY2(text.contains(QStringLiteral("did not answer")), qPrintable(text));
    QCOMPARE(rig.connection.state(), State::Disconnected);
    QVERIFY(!rig.connection.serialPort().isOpen());

    // Disconnect ends such an attempt at once.
    timing.identifyLimitMs = 60000;
    rig.connection.setTiming(timing);
    rig.connection.connectTo({omni::serial::PortKind::Serial, reader.devicePath()},
                             QStringLiteral("drip"));
    QTest::qWait(300);
    clock.restart();
    rig.connection.disconnectFromReader();
    QTRY_COMPARE_WITH_TIMEOUT(rig.connection.state(), State::Disconnected, 5000);
    const qint64 abandoned = clock.elapsed();
    QVERIFY2(abandoned < 1000, qPrintable(QString::number(abandoned)));
    QVERIFY(!rig.connection.serialPort().isOpen());
    QCOMPARE(failed.count(), 0);
    qInfo("dripping device: failed after %lld ms, abandoned after %lld ms",
          static_cast<long long>(took), static_cast<long long>(abandoned));
}

void ConnectionReaderTest::disconnectWhileTheReaderFloodsIsPrompt() {
    Rig rig;
    QVERIFY(rig.connectSimulated(SimulatedFamily::TwoD));
    {
        omni::sim::Flood flood(rig.reader(SimulatedFamily::TwoD));
        QTRY_VERIFY_WITH_TIMEOUT(rig.log.text().size() > 20000, 10000);
        QElapsedTimer clock;
        clock.start();
        rig.connection.disconnectFromReader();
        const qint64 took = clock.elapsed();
        QCOMPARE(rig.connection.state(), State::Disconnected);
        QVERIFY2(took < 1000, qPrintable(QString::number(took)));
        qInfo("disconnect during a flood took %lld ms", static_cast<long long>(took));
    }
    // The port can be opened again at once, and the reader identified on it.
    QVERIFY(rig.connectSimulated(SimulatedFamily::TwoD));
    QCOMPARE(rig.connection.firmware(), std::string("BA12J13i"));
}

void ConnectionReaderTest::japaneseReplyInCodePage932() {
    Rig rig;
    omni::serial::CodePageComboBox box;
    box.setCurrentIndex(box.findData(QVariant::fromValue<quint32>(932)));
    QVERIFY(rig.connectSimulated(SimulatedFamily::TwoD));
    // "バーコード" in Shift JIS, its second character split between two reads.
    rig.reader(SimulatedFamily::TwoD).send("\x83\x6f\x81");
    QTest::qWait(50);
    rig.reader(SimulatedFamily::TwoD).send("\x5b\x83\x52\x81\x5b\x83\x68\r");
    QTRY_COMPARE_WITH_TIMEOUT(rig.log.text(), QStringLiteral("バーコード\n"), 5000);

    // Bytes received after another choice are shown in that one.
    box.setCurrentIndex(box.findData(QVariant::fromValue<quint32>(omni::stream::kHexCodePage)));
    rig.reader(SimulatedFamily::TwoD).send("\x83\x6f");
    QTRY_VERIFY_WITH_TIMEOUT(rig.log.text().contains(QStringLiteral("83 6F")), 5000);
    QVERIFY(rig.log.text().startsWith(QStringLiteral("バーコード\n")));
}

void ConnectionReaderTest::openFailuresSayWhatToDo() {
    Rig rig;
    QSignalSpy failed(&rig.connection, &ReaderConnection::connectFailed);
    rig.connection.connectTo({omni::serial::PortKind::Serial, "/dev/ttyOMNI-none"},
                             QStringLiteral("/dev/ttyOMNI-none"));
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 5000);
    QCOMPARE(rig.connection.state(), State::Disconnected);
    QString text = failed.takeFirst().at(0).toString();
    QVERIFY2(text.contains(QStringLiteral("/dev/ttyOMNI-none")) &&
                 text.contains(QStringLiteral("does not exist")),
             qPrintable(text));

    // A file that is no terminal.
    rig.connection.connectTo({omni::serial::PortKind::Serial, "/dev/null"},
                             QStringLiteral("/dev/null"));
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 5000);
    text = failed.takeFirst().at(0).toString();
    QVERIFY2(text.contains(QStringLiteral("not a serial port")), qPrintable(text));
    QVERIFY(!rig.connection.serialPort().isOpen());

    // A device that answers, but not as any reader: the attempt fails and the port is let go.
    omni::sim::SimulatedReader other;
    other.setVersionReply("OK\r");
    other.start();
    const QString path = QString::fromStdString(other.devicePath());
    rig.connection.connectTo({omni::serial::PortKind::Serial, other.devicePath()}, path);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
    text = failed.takeFirst().at(0).toString();
    QVERIFY2(text.contains(path) && text.contains(QStringLiteral("not as a reader")),
             qPrintable(text));
    QCOMPARE(rig.connection.state(), State::Disconnected);
    QVERIFY(!rig.connection.serialPort().isOpen());
    QVERIFY(!rig.connection.identified());
}

void ConnectionReaderTest::portSettingsDialogStoresTheRecord() {
    const PortDescriptor port{omni::serial::PortKind::Serial, "/dev/ttyS3"};
    omni::serial::storeLineSettings(kKey, port, omni::serial::LineSettings{});
    std::vector<omni::ui::ShownMessage> shown;
    const auto previous =
        omni::ui::setMessageSink([&](const omni::ui::ShownMessage& m) { shown.push_back(m); });
    {
        omni::serial::PortSettingsDialog dialog(kKey, port);
        QCOMPARE(dialog.baudRate()->currentText(), QStringLiteral("9600"));
        dialog.baudRate()->setEditText(QStringLiteral("fast"));
        dialog.accept();
        QCOMPARE(shown.size(), std::size_t(1));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(omni::serial::loadLineSettings(kKey, port).baudRate, 9600u);

        dialog.baudRate()->setEditText(QStringLiteral("115200"));
        dialog.dataBits()->setCurrentIndex(dialog.dataBits()->findData(7));
        dialog.parity()->setCurrentIndex(2);
        dialog.stopBits()->setCurrentIndex(2);
        dialog.flowControl()->setCurrentIndex(1);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    omni::ui::setMessageSink(previous);
    const omni::serial::LineSettings stored = omni::serial::loadLineSettings(kKey, port);
    QCOMPARE(stored.baudRate, 115200u);
    QCOMPARE(int(stored.dataBits), 7);
    QCOMPARE(stored.parity, omni::serial::Parity::Even);
    QCOMPARE(stored.stopBits, omni::serial::StopBits::Two);
    QCOMPARE(stored.flowControl, omni::serial::FlowControl::Hardware);
    omni::serial::PortSettingsDialog again(kKey, port);
    QCOMPARE(again.baudRate()->currentText(), QStringLiteral("115200"));
    QCOMPARE(again.parity()->currentIndex(), 2);
}

void ConnectionReaderTest::userInterfaceStaysResponsiveWhileTheReaderFloods() {
    Rig rig;
    rig.log.resize(800, 600);
    rig.log.show();
    QVERIFY(rig.connectSimulated(SimulatedFamily::TwoD));

    constexpr std::size_t kBytes = 2 * 1024 * 1024;
    constexpr std::size_t kLine = 64;  // 62 characters, CR LF
    std::string flood;
    flood.reserve(kBytes);
    for (std::size_t row = 0; flood.size() + kLine <= kBytes; ++row) {
        std::string line = "row " + std::to_string(row) + " ";
        line.resize(kLine - 2, static_cast<char>('A' + row % 26));
        flood += line + "\r\n";
    }
    const qsizetype rows = static_cast<qsizetype>(flood.size() / kLine);

    // A timer on the user-interface thread; the longest gap between its ticks is how long the
    // thread was held.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    qint64 ticks = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        ++ticks;
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start();
    std::thread sender([&] { rig.reader(SimulatedFamily::TwoD).send(flood); });
    const bool complete =
        QTest::qWaitFor([&] { return rig.log.visibleEdit()->blockCount() > rows; }, 120000);
    const qint64 total = clock.elapsed();
    ticker.stop();
    sender.join();
    QVERIFY(complete);
    QVERIFY(rig.log.text().endsWith(
        QString::fromLatin1(flood.data() + flood.size() - kLine, kLine - 2) + QLatin1Char('\n')));
    qInfo(
        "2 MB flood: %zu bytes shown in %lld ms (%.1f MB/s); UI timer ticks %lld, longest gap "
        "%lld ms",
        flood.size(), static_cast<long long>(total),
        flood.size() / 1048576.0 / (static_cast<double>(total) / 1000.0),
        static_cast<long long>(ticks), static_cast<long long>(longestGap));
}

QTEST_MAIN(ConnectionReaderTest)
#include "connection_reader_test.moc"
