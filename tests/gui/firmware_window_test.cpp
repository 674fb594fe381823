// Firmware download from the main window, driven as an operator does: the command's enabling,
// the open-file dialog and its filter, the version question, the download dialog with both bars,
// Cancel during the transfer, an engine that fails to write, and the reader connected again with
// its line as it was.
#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

#include "app/gui/download_dialog.h"
#include "app/gui/main_window.h"
#include "commands/gui/command_selector.h"
#include "dialogs/modal.h"
#include "resources/string_ids.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/serial_log_box.h"
#include "serial/gui/simulated_readers.h"
#include "sim/firmware_responder.h"
#include "sim/simulated_reader.h"
#include "ui/gui/text.h"
#include "window_helpers.h"

using omni::app::DownloadDialog;
using omni::app::MainWindow;
using omni::serial::SimulatedFamily;
using omni::serial::SimulatedReaders;
using omni::sim::FirmwareResponder;
using State = omni::serial::ReaderConnection::State;

namespace {

constexpr int kFileSize = 100 * 1024;  // 13 blocks, 2 write units

bool waitConnected(MainWindow& window) {
    return QTest::qWaitFor([&] { return window.connection()->state() == State::Connected; }, 15000);
}

// A firmware file of kFileSize bytes named `name`, in a folder of its own that goes with it.
struct FirmwareFile {
    explicit FirmwareFile(const char* name)
        : path(dir.filePath(QLatin1String(name)).toStdString()) {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < kFileSize; ++i)
            out.put(static_cast<char>(i * 7 + 3));
    }
    QTemporaryDir dir;
    std::string path;
};

// Calls `act` once `ready` holds, polling on the event loop (bounded by the test's own waits).
void whenReady(QObject* context, std::function<bool()> ready, std::function<void()> act) {
    auto* timer = new QTimer(context);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, context, [timer, ready, act] {
        if (ready()) {
            timer->stop();
            act();
        }
    });
    timer->start();
}

// What the operator saw: the file dialog's filter and every value the two bars took.
struct Seen {
    QString filter;
    QList<int> transfer;
    QList<int> write;
    int transferMax = 0;
    int writeMax = 0;
    bool question = false;
};

// Records the values the download dialog's bars take, and lets `onDialog` act on it.
void watch(Seen& seen, QWidget* modal, const std::function<void(DownloadDialog*)>& onDialog) {
    auto* download = qobject_cast<DownloadDialog*>(modal);
    QVERIFY(download);
    QObject::connect(download->transferBar(), &QProgressBar::valueChanged,
                     [&seen, download](int v) {
                         seen.transfer << v;
                         seen.transferMax = download->transferBar()->maximum();
                     });
    QObject::connect(download->writeBar(), &QProgressBar::valueChanged, [&seen, download](int v) {
        seen.write << v;
        seen.writeMax = download->writeBar()->maximum();
    });
    if (onDialog)
        onDialog(download);
}

// Answers the next open-file dialog with `file`, then (when asked) the version question with
// `answer`, and watches the download dialog.
void expectDownload(Seen& seen, const std::string& file,
                    QMessageBox::StandardButton answer = QMessageBox::Yes,
                    std::function<void(DownloadDialog*)> onDialog = {}) {
    omni::test::onNextModal([&seen, file, answer, onDialog](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        QVERIFY(files);
        seen.filter = files->nameFilters().join(QLatin1Char(';'));
        omni::test::answerFileDialog(*files, QString::fromStdString(file));
        omni::test::onNextModal([&seen, answer, onDialog](QWidget* next) {
            auto* box = qobject_cast<QMessageBox*>(next);
            if (!box) {
                watch(seen, next, onDialog);
                return;
            }
            seen.question = true;
            box->button(answer)->click();
            if (answer == QMessageBox::Yes) {
                omni::test::onNextModal(
                    [&seen, onDialog](QWidget* dialog) { watch(seen, dialog, onDialog); });
            }
        });
    });
}

bool sameLine(const omni::serial::LineState& a, const omni::serial::LineState& b) {
    const termios& x = a.attributes;
    const termios& y = b.attributes;
    return x.c_iflag == y.c_iflag && x.c_oflag == y.c_oflag && x.c_cflag == y.c_cflag &&
           x.c_lflag == y.c_lflag && cfgetispeed(&x) == cfgetispeed(&y) &&
           cfgetospeed(&x) == cfgetospeed(&y) && a.modemLines == b.modemLines;
}

QString text(std::uint32_t id) {
    return omni::ui::uiText(id);
}

// A reader of the test's own on a device path, which the window opens as a plain serial line.
struct CabledReader {
    explicit CabledReader(const char* version, omni::sim::FirmwareFaults faults = {}) {
        reader.setVersionReply(omni::sim::replies::family(version));
        omni::sim::FirmwareRestart restart;
        restart.kind = omni::sim::RestartKind::Quiet;
        auto responder = std::make_unique<FirmwareResponder>(reader, faults, restart);
        firmware = responder.get();
        reader.addResponder(std::move(responder));
        reader.start();
    }
    // Shows `window`, types the device path into its port box and connects; true once connected.
    bool connect(MainWindow& window) {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        window.portBox()->lineEdit()->setText(QString::fromStdString(reader.devicePath()));
        QTest::keyClick(window.portBox()->lineEdit(), Qt::Key_Return);
        QTest::keyClick(&window, Qt::Key_F2);
        return waitConnected(window);
    }
    omni::sim::SimulatedReader reader;
    FirmwareResponder* firmware = nullptr;
};

}  // namespace

class FirmwareWindowTest : public QObject {
    Q_OBJECT
private slots:
    void downloadToSimulatedReaderMovesBothBarsAndReconnects();
    void cancelDuringTransferAbortsAndKeepsTheLine();
    void versionQuestionAndWriteError();
    void unsupportedModelIsRefusedWithAWarning();
    void cancelWhileTheEngineWritesKeepsWaiting();
    void screenshots();
};

void FirmwareWindowTest::downloadToSimulatedReaderMovesBothBarsAndReconnects() {
    const FirmwareFile file("BA12_update.bin");
    MainWindow window(omni::test::freshKey("FirmwareTest", "simulated"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.actions().download->isEnabled());
    QVERIFY(!window.actions().forcedDownload->isEnabled());
    window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::TwoD));
    QTest::keyClick(&window, Qt::Key_F2);
    QVERIFY(waitConnected(window));
    QVERIFY(window.actions().download->isEnabled());
    QVERIFY(window.actions().forcedDownload->isEnabled());
    omni::test::Messages messages;

    Seen seen;
    expectDownload(seen, file.path);
    window.actions().download->trigger();  // returns when the download dialog has closed

    QCOMPARE(seen.filter, QStringLiteral("Binary Files (*.bin)"));
    QVERIFY(!seen.question);
    // 13 blocks numbered from 8: the bar went through intermediate values to its end.
    QCOMPARE(seen.transferMax, 8 + 13);
    QVERIFY2(seen.transfer.size() >= 3, qPrintable(QString::number(seen.transfer.size())));
    QCOMPARE(seen.transfer.back(), seen.transferMax);
    QCOMPARE(seen.writeMax, 2);
    QVERIFY(seen.write.contains(1));
    QCOMPARE(seen.write.back(), 2);  // the engine's final "one more" report stays on the bar
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(messages.shown.empty());

    QTRY_VERIFY_WITH_TIMEOUT(
        window.logPage()->text().contains(text(omni::res::ids::FirmwareFinished)), 5000);
    const QString log = window.logPage()->text();
    QVERIFY(log.contains(text(omni::res::ids::FirmwareNewVersion).arg("BA12J13i")));
    QCOMPARE(window.connection()->state(), State::Connected);
    QVERIFY(window.mode2D());
    QVERIFY(window.portBox()->watching());
    QVERIFY(!window.portBox()->isEnabled());

    // The restarted reader takes commands again.
    omni::sim::SimulatedReader& reader = *window.simulatedReaders().reader(SimulatedFamily::TwoD);
    reader.clearTranscript();
    window.connection()->send("Z1");
    QVERIFY(reader.waitForCommands(1, std::chrono::seconds(3)));
    QTRY_VERIFY_WITH_TIMEOUT(window.logPage()->text().endsWith(QStringLiteral(">Z1\nBA12J13i\n")),
                             5000);
}

void FirmwareWindowTest::cancelDuringTransferAbortsAndKeepsTheLine() {
    const FirmwareFile file("update.bd");
    CabledReader cabled("BD49", {.answerDelay = std::chrono::milliseconds(100)});
    MainWindow window(omni::test::freshKey("FirmwareTest", "cancel"));
    QVERIFY(cabled.connect(window));
    const omni::serial::LineState before = window.connection()->serialPort().lineState();
    omni::test::Messages messages;

    Seen seen;
    QString statusAfterCancel;
    expectDownload(seen, file.path, QMessageBox::Yes, [&statusAfterCancel](DownloadDialog* dialog) {
        whenReady(
            dialog,
            [dialog] { return dialog->transferBar()->value() > dialog->transferBar()->minimum(); },
            [dialog, &statusAfterCancel] {
                QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
                statusAfterCancel = dialog->status();
                QVERIFY(dialog->isVisible());  // open until the worker has stopped
            });
    });
    window.actions().download->trigger();

    QCOMPARE(seen.filter, QStringLiteral("Binary Files (*.bd)"));
    QCOMPARE(statusAfterCancel, text(omni::res::ids::FirmwareCancelling));
    QVERIFY(cabled.firmware->waitForEnding(std::chrono::seconds(5)));
    QCOMPARE(cabled.firmware->ending(), FirmwareResponder::Ending::Aborted);
    QVERIFY(seen.transfer.back() < seen.transferMax);
    QTRY_VERIFY_WITH_TIMEOUT(
        window.logPage()->text().contains(text(omni::res::ids::FirmwareCancelled)), 5000);
    QVERIFY(messages.shown.empty());  // a cancel is no error
    QCOMPARE(window.connection()->state(), State::Connected);
    QVERIFY(sameLine(before, window.connection()->serialPort().lineState()));
}

void FirmwareWindowTest::versionQuestionAndWriteError() {
    const FirmwareFile file("XX99.bin");
    CabledReader cabled("BA12J13i", {.writeError = true});
    MainWindow window(omni::test::freshKey("FirmwareTest", "failure"));
    QVERIFY(cabled.connect(window));
    const omni::serial::LineState before = window.connection()->serialPort().lineState();
    omni::test::Messages messages;

    // A file not named like the engine's version: "No" ends the command before anything is sent.
    Seen refused;
    cabled.reader.clearTranscript();
    expectDownload(refused, file.path, QMessageBox::No);
    window.actions().download->trigger();
    QVERIFY(refused.question);
    QVERIFY(!QApplication::activeModalWidget());
    QTest::qWait(100);
    QVERIFY(cabled.reader.transcript().empty());

    // "Yes" goes on; the engine answers "WE" while writing.
    Seen seen;
    expectDownload(seen, file.path, QMessageBox::Yes);
    window.actions().download->trigger();
    QVERIFY(seen.question);
    QCOMPARE(cabled.firmware->ending(), FirmwareResponder::Ending::WriteError);
    QTRY_VERIFY_WITH_TIMEOUT(
        window.logPage()->text().contains(text(omni::res::ids::FirmwareWriteError)), 5000);
    QVERIFY(!window.logPage()->text().contains(text(omni::res::ids::FirmwareFinished)));
    QCOMPARE(messages.shown.size(), std::size_t(1));
    QCOMPARE(messages.shown.front().icon, QMessageBox::Warning);
    QVERIFY(messages.shown.front().text.contains(text(omni::res::ids::FirmwareWriteError)));
    QCOMPARE(window.connection()->state(), State::Connected);
    QVERIFY(sameLine(before, window.connection()->serialPort().lineState()));
}

void FirmwareWindowTest::unsupportedModelIsRefusedWithAWarning() {
    // The built-in 1D reader answers with a "Ver." line: the model the library names is not one
    // that takes firmware. No file is asked for.
    MainWindow window(omni::test::freshKey("FirmwareTest", "unsupported"));
    window.portBox()->choosePort(SimulatedReaders::descriptor(SimulatedFamily::OneD));
    window.actions().connectReader->trigger();
    QVERIFY(waitConnected(window));
    omni::test::Messages messages;
    window.actions().download->trigger();
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(messages.shown.size(), std::size_t(1));
    QCOMPARE(messages.shown.front().text, text(omni::res::ids::FirmwareNotSupported));
    QCOMPARE(messages.shown.front().caption, text(omni::res::ids::FirmwareWarningTitle));
    QCOMPARE(window.connection()->state(), State::Connected);
}

void FirmwareWindowTest::cancelWhileTheEngineWritesKeepsWaiting() {
    // The engine has every block and never confirms the end: Cancel can no longer stop it, so
    // the dialog says so and stays until the engine's answer is given up on.
    const FirmwareFile file("BA12_update.bin");
    CabledReader cabled("BA12J13i", {.noEndAnswer = true});
    MainWindow window(omni::test::freshKey("FirmwareTest", "writing"));
    QVERIFY(cabled.connect(window));
    omni::test::Messages messages;

    Seen seen;
    QString statusAfterCancel;
    bool stillOpen = false;
    expectDownload(seen, file.path, QMessageBox::Yes, [&](DownloadDialog* dialog) {
        whenReady(
            dialog, [dialog] { return dialog->status() == text(omni::res::ids::FirmwareWriting); },
            [&, dialog] {
                QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
                statusAfterCancel = dialog->status();
                QTest::qWait(300);
                stillOpen = dialog->isVisible();
            });
    });
    window.actions().download->trigger();

    QCOMPARE(statusAfterCancel, text(omni::res::ids::FirmwareCancelWhileWriting));
    QVERIFY(stillOpen);
    QCOMPARE(cabled.firmware->ending(), FirmwareResponder::Ending::Unanswered);
    // The engine's end confirmation never came: the wait for it timed out.
    QTRY_VERIFY_WITH_TIMEOUT(
        window.logPage()->text().contains(text(omni::res::ids::FirmwareTimeout)), 5000);
    QVERIFY(!window.logPage()->text().contains(text(omni::res::ids::FirmwareCancelled)));
    QCOMPARE(messages.shown.size(), std::size_t(1));
}

void FirmwareWindowTest::screenshots() {
    DownloadDialog dialog(QStringLiteral("BA12_update.bin"));
    dialog.setTransferRange(8, 21);
    dialog.beginPhase(true);
    dialog.setTransferPosition(15);
    dialog.setWriteRange(0, 2);
    if (!omni::test::saveScreenshot(dialog, QStringLiteral("firmware-download")))
        QSKIP("OMNI_SCREENSHOT_DIR not set");
    dialog.setTransferPosition(21);
    dialog.beginPhase(false);
    dialog.setWritePosition(1);
    omni::test::saveScreenshot(dialog, QStringLiteral("firmware-download-writing"));
}

QTEST_MAIN(FirmwareWindowTest)
#include "firmware_window_test.moc"
