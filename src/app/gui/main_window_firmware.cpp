// The main window's firmware download: Download and Forced download (the boot-loader flag set),
// enabled while a reader is connected. The engine's family decides which files are offered and
// whether the download is possible at all; a file of the generic kind whose name does not begin
// like the engine's version needs the operator's word. The download runs behind its dialog with
// the port's receiving stopped; afterwards the restarted reader is connected again and the
// window's mode follows its family. The log says how it ended.
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QStatusBar>

#include "app/gui/download_dialog.h"
#include "app/gui/main_window.h"
#include "reader/download/download_worker.h"
#include "reader/download/firmware_plan.h"
#include "resources/string_ids.h"
#include "serial/gui/com_port_combo_box.h"
#include "serial/gui/reader_connection.h"
#include "serial/gui/simulated_readers.h"
#include "ui/gui/icons.h"
#include "ui/gui/report.h"
#include "ui/gui/text.h"

namespace omni::app {
namespace {

using ui::uiText;

// A chip with an arrow coming down into it.
void drawDownload(QPainter& p) {
    namespace style = ui::iconstyle;
    p.setPen(style::ink(2.0));
    p.setBrush(style::kPaper);
    p.drawRoundedRect(QRectF(7, 19, 18, 9), 2, 2);
    for (int x : {11, 16, 21}) {
        p.drawLine(QPointF(x, 28), QPointF(x, 30));
    }
    p.setPen(QPen(style::kAccent, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(16, 3), QPointF(16, 14));
    QPainterPath head;
    head.moveTo(10, 10);
    head.lineTo(16, 16);
    head.lineTo(22, 10);
    p.setBrush(Qt::NoBrush);
    p.drawPath(head);
}

// The time limits of the reconnection. The built-in simulated readers stay on their terminal
// while they restart, so the wait for a USB reader to leave is kept short for them.
reader::ReconnectTiming reconnectTiming(const serial::PortDescriptor& port) {
    reader::ReconnectTiming timing;
    if (serial::SimulatedReaders::familyOf(port))
        timing.closeWaitMs = 1000;
    return timing;
}

bool confirmVersion(QWidget* owner) {
    QMessageBox box(QMessageBox::Warning, uiText(res::ids::FirmwareWarningTitle),
                    uiText(res::ids::FirmwareVersionDiffers), QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setObjectName(QStringLiteral("firmwareVersionQuestion"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString askFirmwareFile(QWidget* owner, KesFirmwareKind kind) {
    QFileDialog dialog(owner, uiText(res::ids::OpenTitle));
    dialog.setObjectName(QStringLiteral("firmwareFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(ui::toQString(reader::firmwareFilter(kind)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

}  // namespace

void MainWindow::buildFirmwareActions() {
    const auto add = [this](const char* name, std::uint32_t textId, bool forced) {
        auto* a = new QAction(uiText(textId), this);
        a->setObjectName(QLatin1String(name));
        QString tip = a->text();
        tip.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(QLatin1Char('&'));
        if (tip.endsWith(QLatin1String("...")))
            tip.chop(3);
        a->setToolTip(tip.trimmed());
        a->setEnabled(false);  // until a reader is connected
        addAction(a);
        connect(a, &QAction::triggered, this, [this, forced] { downloadFirmware(forced); });
        return a;
    };
    actions_.download = add("download", res::ids::MenuDownload, false);
    actions_.download->setIcon(ui::drawnIcon(&drawDownload));
    actions_.download->setIconText(uiText(res::ids::ToolDownload));
    actions_.download->setToolTip(uiText(res::ids::ToolDownload));
    actions_.forcedDownload = add("forcedDownload", res::ids::MenuForcedDownload, true);
}

void MainWindow::downloadFirmware(bool forced) {
    if (!connected() || !connection_->identified())
        return;  // no engine, or one that gave no firmware version
    const std::string firmware = connection_->firmware();
    const std::string model = connection_->model();
    const KesFirmwareKind kind = reader::firmwareKindOf(firmware, model);
    if (kind == KES_FIRMWARE_UNSUPPORTED) {
        ui::showMessage(this, QMessageBox::Warning, uiText(res::ids::FirmwareWarningTitle),
                        uiText(res::ids::FirmwareNotSupported));
        return;
    }
    const QString path = askFirmwareFile(this, kind);
    if (path.isEmpty())
        return;
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    const reader::FirmwarePlan plan = reader::planFirmware(firmware, model, file, forced);
    if (plan.askVersion && !confirmVersion(this))
        return;
    if (std::optional<std::u16string> problem = reader::firmwareFileProblem(file)) {
        ui::showMessage(this, QMessageBox::Warning, uiText(res::ids::FirmwareWarningTitle),
                        ui::toQString(*problem));
        return;
    }
    if (!connected())
        return;  // the reader went while the operator chose

    reader::DownloadRequest request;
    request.file = file;
    request.bootLoader = plan.bootLoader;
    // Every family is called again afterwards: the window shows the new version and follows
    // the restarted engine's family.
    request.reconnect = reader::ReconnectMode::Always;
    request.settingsKey = keyPath_;
    request.timing = reconnectTiming(connection_->port());

    // The reader restarts during the download: its going and coming back is the download's.
    portBox_->setWatching(false);
    const QString name = QFileInfo(path).fileName();
    connection_->logMessage(uiText(res::ids::FirmwareStarting).arg(name));
    statusBar()->showMessage(uiText(res::ids::FirmwareSending).arg(name));

    reader::DownloadWorker worker(connection_->serialPort(), connection_->module(), request);
    DownloadDialog dialog(name, this);
    const reader::DownloadResult result = dialog.run(worker);

    const QString message = ui::toQString(result.message);
    connection_->logMessage(message);
    if (result.reconnected) {
        connection_->logMessage(
            uiText(res::ids::FirmwareNewVersion).arg(QString::fromUtf8(result.identity.firmware)));
    }
    statusBar()->showMessage(message, 10000);
    // Connected again with the engine as it now is (onConnected), or lost (onConnectionLost,
    // which watches for the reader's return).
    connection_->resumeAfterDownload();
    if (result.outcome == reader::DownloadOutcome::Failed) {
        ui::showMessage(this, QMessageBox::Warning, uiText(res::ids::FirmwareWarningTitle),
                        message);
    }
}

}  // namespace omni::app
