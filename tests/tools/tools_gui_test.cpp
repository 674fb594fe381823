// The tools' windows against the simulated 2D reader on a pty pair: auto tuning from opening to
// the menu-code page, with every button disabled while a step runs, and the reading test.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include "../serial/short_timing.h"
#include "../tools/tool_timing.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "sim/capture_responder.h"
#include "sim/simulated_reader.h"
#include "sim/tuning_responder.h"
#include "tools/gui/auto_tuning_dialog.h"
#include "tools/gui/bank_list.h"
#include "tools/gui/picture_view.h"
#include "tools/gui/reading_test_dialog.h"
#include "tools/gui/waveform_host.h"
#include "tools/gui/waveform_viewer.h"

using omni::serial::ReaderConnection;
using State = ReaderConnection::State;

namespace {

const std::string kKey = "Software\\Kestrel\\ToolsTest";

// The widgets' event loop shares the machine with the simulator: a second for each reply.
constexpr unsigned kReplyWaitMs = 1000;

// A simulated 2D reader with the imaging and tool behaviours, and a connection to it.
struct Rig {
    Rig() : log(kKey), connection(kKey, log.chain(), simulated) {
        omni::sim::addImagingResponders(reader).capture->setPictureSize(160, 120);
        tuning = &omni::sim::addToolResponders(reader);
        reader.start();
        connection.setTiming(omni::test::shortTiming(kReplyWaitMs));
    }
    bool connect() {
        connection.connectTo({omni::serial::PortKind::Serial, reader.devicePath()},
                             QStringLiteral("sim"));
        return QTest::qWaitFor([&] { return connection.state() != State::Connecting; }, 15000) &&
               connection.isConnected();
    }

    omni::sim::SimulatedReader reader;
    omni::sim::TuningResponder* tuning = nullptr;
    omni::serial::SerialLogBox log;
    omni::serial::SimulatedReaders simulated;
    ReaderConnection connection;
};

bool allDisabled(const QWidget& dialog) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        if (b->isEnabled())
            return false;
    }
    return true;
}

}  // namespace

class ToolsGuiTest : public QObject {
    Q_OBJECT
private slots:
    void autoTuningFromOpeningToTheMenuPage();
    void readingTestShowsTheOutputAndStopsOnClose();
    void waveformHostCarriesTheViewersRequestsAndFillsTheBlock();
    void waveformViewerPlotsTheBlockAndSendsItsButtons();
};

void ToolsGuiTest::autoTuningFromOpeningToTheMenuPage() {
    Rig rig;
    QVERIFY(rig.connect());
    rig.tuning->setSuccessAttempt(2);
    omni::tools::AutoTuningDialog dialog(rig.connection, true, nullptr,
                                         omni::test::quickTiming(kReplyWaitMs));
    dialog.setProperty("quiet", true);
    QSignalSpy messages(&dialog, &omni::tools::AutoTuningDialog::messageShown);
    QSignalSpy pages(&dialog, &omni::tools::AutoTuningDialog::menuPageRequested);
    dialog.show();
    QVERIFY(allDisabled(dialog));  // opening runs
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.busy(), 20000);
    // The hint on the adjustment area is shown whole at the dialog's own size.
    const auto* hint = dialog.findChild<QLabel*>(QStringLiteral("areaHint"));
    QVERIFY(hint && hint->isVisible());
    QVERIFY(hint->text().contains(QStringLiteral("red frame")));
    QVERIFY2(hint->height() >= hint->heightForWidth(hint->width()),
             qPrintable(QStringLiteral("%1 px high, needs %2")
                            .arg(hint->height())
                            .arg(hint->heightForWidth(hint->width()))));
    QVERIFY(dialog.button("startTuning")->isEnabled());
    QVERIFY(!dialog.button("stopVideo")->isEnabled());
    auto* code =
        qobject_cast<QComboBox*>(dialog.bankList()->cellWidget(0, omni::tools::BankList::CodeType));
    QCOMPARE(code->currentText(), QStringLiteral("QR Code"));
    QCOMPARE(dialog.bankList()->item(5, 1)->text(), QStringLiteral("Revert"));

    dialog.bankList()->selectRow(0);
    dialog.button("startTuning")->click();
    QVERIFY(dialog.busy());
    QVERIFY(allDisabled(dialog));
    dialog.close();  // refused while a step runs
    QVERIFY(dialog.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.busy(), 30000);
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages[0][0].toString(), QStringLiteral("OK/NG"));
    QCOMPARE(messages[0][1].toString(), QStringLiteral("Tuning was successful."));
    QCOMPARE(dialog.pictureView()->corners().size(), 4);
    QCOMPARE(dialog.pictureView()->picture().width(), 160);
    QCOMPARE(dialog.bankList()->currentRow(), 1);  // the selection moved on
    auto* mirror =
        qobject_cast<QComboBox*>(dialog.bankList()->cellWidget(0, omni::tools::BankList::Mirror));
    QCOMPARE(mirror->currentText(), QStringLiteral("Enable"));

    dialog.button("applySelected")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.busy(), 20000);
    QCOMPARE(messages.last()[1].toString(),
             QStringLiteral("Bank settings that were checked have been applied."));
    dialog.button("makeMenu")->click();
    QCOMPARE(pages.count(), 1);
    QVERIFY(pages[0][0].toByteArray().endsWith("Z2"));

    // Closing after a recorded apply makes the page again and restores the saved setting.
    dialog.close();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
    QCOMPARE(pages.count(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(rig.reader.transcript().back()),
                              QStringLiteral("[C21Q1"), 5000);
}

void ToolsGuiTest::readingTestShowsTheOutputAndStopsOnClose() {
    Rig rig;
    QVERIFY(rig.connect());
    rig.reader.clearTranscript();
    {
        omni::tools::ReadingTestDialog dialog(rig.connection);
        dialog.show();
        QVERIFY(dialog.startButton()->isEnabled());
        QVERIFY(!dialog.stopButton()->isEnabled());
        dialog.startButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.stopButton()->isEnabled(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            dialog.output()->toPlainText().contains(QStringLiteral("SIMULATED QR DATA")), 10000);
        dialog.close();  // running: the stop sequence first
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 10000);
        QVERIFY(dialog.startButton()->isEnabled());
    }
    const std::vector<std::string> seen = rig.reader.transcript();
    QVERIFY(std::count(seen.begin(), seen.end(), std::string("S0S8")) == 1);
    QVERIFY(std::count(seen.begin(), seen.end(), std::string("WC")) == 1);
    QVERIFY(rig.connection.serialPort().isReceiving());  // the log receives again
}

void ToolsGuiTest::waveformHostCarriesTheViewersRequestsAndFillsTheBlock() {
    Rig rig;
    rig.reader.addResponder(std::make_unique<omni::sim::WaveformResponder>());
    rig.reader.setVersionReply(omni::sim::replies::model("Q-150", "TC150"));
    QVERIFY(rig.connect());
    QCOMPARE(rig.connection.model(), std::string("Q-150"));
    rig.reader.clearTranscript();
    omni::tools::WaveformHost host;
    // The test plays the viewer; the program started stands in for one that is still ending
    // when its socket closes.
    QTemporaryDir dir;
    const QString stand = dir.filePath(QStringLiteral("viewer"));
    QFile script(stand);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nsleep 0.5\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    host.setViewerProgram(stand);
    const std::string memory = "WaveformHostTest" + std::to_string(::getpid());
    host.setNames(memory, memory + "Lock");
    host.start(rig.connection, nullptr);
    QVERIFY(host.attached());
    const pid_t viewerPid = host.viewerProcess();
    QVERIFY(viewerPid > 0);
    host.start(rig.connection, nullptr);  // one viewer at a time: nothing happens
    omni::tools::WaveformShare block(memory, memory + "Lock", false);

    QLocalSocket viewer;
    viewer.connectToServer(host.socketName());
    QVERIFY(viewer.waitForConnected(5000));
    viewer.write("1 1\n2 1\n1 3\n");
    viewer.flush();
    std::string text;
    QVERIFY(QTest::qWaitFor(
        [&] {
            text += block.take(100).value_or(std::string());
            return text.find("W1:") != std::string::npos && text.back() == '\n';
        },
        10000));
    // Whatever the identification left on the line may come first.
    const std::string wave = omni::sim::WaveformResponder::waveform(1);
    QCOMPARE(QString::fromStdString(text.substr(text.find("W1:"))), QString::fromStdString(wave));
    QCOMPARE(rig.reader.transcript(), (std::vector<std::string>{"[EGFQ1", "Z"}));

    viewer.disconnectFromServer();  // the viewer exits: everything is released
    QTRY_VERIFY_WITH_TIMEOUT(!host.attached(), 5000);
    // Its process too, once it has ended: no zombie is left behind.
    QTRY_VERIFY_WITH_TIMEOUT(::kill(viewerPid, 0) != 0, 5000);
    host.detach();
}

void ToolsGuiTest::waveformViewerPlotsTheBlockAndSendsItsButtons() {
    const std::string memory = "WaveformViewerTest" + std::to_string(::getpid());
    const std::string lock = memory + "Lock";
    omni::tools::WaveformShare owner(memory, lock, true);
    QLocalServer server;
    QVERIFY(server.listen(QStringLiteral("omnisetup-waveform-test-%1").arg(::getpid())));
    omni::tools::WaveformViewer viewer(
        std::make_unique<omni::tools::WaveformShare>(memory, lock, false), server.serverName());
    viewer.show();
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 5000);
    QLocalSocket* host = server.nextPendingConnection();

    const std::string wave = omni::sim::WaveformResponder::waveform(2);
    QVERIFY(owner.lock().lock(1000));
    std::memcpy(owner.view(), wave.data(), wave.size());
    owner.lock().unlock();
    QTRY_COMPARE_WITH_TIMEOUT(viewer.chart().samples().size(), std::size_t(200), 5000);
    QCOMPARE(owner.view()[0], '\0');  // the viewer took the text out

    viewer.chart().zoom(4.0, 100);
    QVERIFY(viewer.chart().span() < 199 / 3.0);
    viewer.chart().resetView();
    QCOMPARE(viewer.chart().span(), 199.0);

    for (QPushButton* b : viewer.findChildren<QPushButton*>()) {
        if (b->text() == QStringLiteral("Mode 2") || b->text() == QStringLiteral("Start Reading"))
            b->click();
    }
    QTRY_VERIFY_WITH_TIMEOUT(host->bytesAvailable() >= 8, 5000);
    const QByteArray sent = host->readAll();
    QVERIFY(sent.contains("2 1\n"));
    QVERIFY(sent.contains("1 2\n"));
    viewer.close();  // detaches
    QTRY_VERIFY_WITH_TIMEOUT(
        host->readAll().contains("0 0\n") || host->state() != QLocalSocket::ConnectedState, 5000);
}

QTEST_MAIN(ToolsGuiTest)
#include "tools_gui_test.moc"
